// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_places.h"

#include "gui/platform/screen_fitting.h"
#include "gui/settings_store/component_store.h"

#include <QWidget>

namespace quorvel {
namespace {

const QString kTop = QStringLiteral("top");
const QString kLeft = QStringLiteral("left");
const QString kWidth = QStringLiteral("width");
const QString kHeight = QStringLiteral("height");
const QString kMaximized = QStringLiteral("maximized");

} // namespace

void LoadWindowPlace(const ComponentStore& ini, QWidget& window, const WindowPlaceKeys& keys,
                     bool placesKnown)
{
    if (placesKnown) {
        const int top = ini.ReadInteger(keys.section, kTop, window.y());
        const int left = ini.ReadInteger(keys.section, kLeft, window.x());
        window.move(left, top);
    }
    if (keys.withSize) {
        const int width = ini.ReadInteger(keys.section, kWidth, window.width());
        const int height = ini.ReadInteger(keys.section, kHeight, window.height());
        window.resize(width, height);
    }
    FitFormToScreen(&window);
    // After the normal place and size, which the window returns to when it is restored.
    if (keys.withSize && ini.ReadBool(keys.section, kMaximized, false))
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void SaveWindowPlace(ComponentStore& ini, const ComponentStore& earlier, const QWidget& window,
                     const WindowPlaceKeys& keys, bool placesKnown)
{
    const bool maximized = window.isMaximized();
    // The place is the frame's, the normal geometry the client area's; the frame's offset is
    // taken from the window as it stands.
    const QRect normal = maximized ? window.normalGeometry() : window.geometry();
    const QPoint frameOffset = window.pos() - window.geometry().topLeft();
    const QPoint place = normal.topLeft() + frameOffset;
    if (placesKnown) {
        ini.WriteInteger(keys.section, kTop, place.y());
        ini.WriteInteger(keys.section, kLeft, place.x());
    } else {
        for (const QString& key : {kTop, kLeft})
            if (earlier.ValueExists(keys.section, key))
                ini.WriteString(keys.section, key, earlier.ReadString(keys.section, key, {}));
    }
    if (keys.withSize) {
        ini.WriteInteger(keys.section, kWidth, normal.width());
        ini.WriteInteger(keys.section, kHeight, normal.height());
        if (maximized)
            ini.WriteBool(keys.section, kMaximized, true);
    }
}

} // namespace quorvel
