// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/platform/window_system.h"

#include <QGuiApplication>

namespace quorvel {

bool PlatformIsWayland()
{
    // "wayland", and "wayland-egl" and the like where a session names its variant.
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool PlatformKnowsWindowPlaces()
{
    return !PlatformIsWayland();
}

bool PlatformActivatesOnRequest()
{
    return !PlatformIsWayland();
}

bool PlatformKeepsWindowsOnTop()
{
    return !PlatformIsWayland();
}

} // namespace quorvel
