// SPDX-License-Identifier: GPL-3.0-or-later
// The tokens of a start, and activation with them: on Wayland through Qt's xdg-activation, which
// takes the token from the environment; on X11 through the window manager's messages of the
// startup-notification and EWMH conventions, sent on Qt's own X connection.
#include "gui/platform/window_activation.h"

#include "gui/platform/window_system.h"

#include <QGuiApplication>
#include <QList>
#include <QWidget>

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quorvel {
namespace {

const QByteArray kLineTag = QByteArrayLiteral("vorn");

#if QT_CONFIG(xcb)
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The launcher's time of the user's request, which the window manager weighs against the time
// of the user's last action in other windows; 0 (none) when the ID does not carry one.
uint32_t startupTime(const QByteArray& startupId)
{
    const qsizetype at = startupId.lastIndexOf("_TIME");
    if (at < 0)
        return 0;
    bool ok = false;
    const uint value = startupId.mid(at + 5).toUInt(&ok);
    return ok ? value : 0;
}

// "remove: ID=..." ends the launcher's busy feedback for this start, which opens no window of
// its own. The message goes to the root window in pieces of 20 bytes, the first of another type.
void endStartupFeedback(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                        const QByteArray& startupId)
{
    QByteArray message = QByteArrayLiteral("remove: ID=");
    for (const char c : startupId) {
        if (c == ' ' || c == '"' || c == '\\')
            message += '\\';
        message += c;
    }
    message += '\0';
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = window;
    event.type = internAtom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t following = internAtom(connection, "_NET_STARTUP_INFO");
    for (qsizetype offset = 0; offset < message.size(); offset += 20) {
        std::memset(event.data.data8, 0, sizeof event.data.data8);
        std::memcpy(event.data.data8, message.constData() + offset,
                    static_cast<std::size_t>(std::min<qsizetype>(20, message.size() - offset)));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
        event.type = following;
    }
}

// Asks the window manager to activate the window for the start with this ID: the window takes
// the ID (as a new window would), and the request carries the launcher's time.
void activateOnX11(QWidget& window, const QByteArray& startupId)
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t id = static_cast<xcb_window_t>(window.winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                        internAtom(connection, "_NET_STARTUP_ID"),
                        internAtom(connection, "UTF8_STRING"), 8,
                        static_cast<uint32_t>(startupId.size()), startupId.constData());
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = internAtom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 1; // from an application
    event.data.data32[1] = startupTime(startupId);
    event.data.data32[2] = XCB_WINDOW_NONE;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    endStartupFeedback(connection, screen->root, id, startupId);
    xcb_flush(connection);
}
#endif

} // namespace

QByteArray ActivationToken::toLine() const
{
    return kLineTag + ' ' + xdgActivationToken.toBase64() + ' ' + startupId.toBase64();
}

ActivationToken ActivationToken::fromLine(const QByteArray& line)
{
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() != 3 || parts[0] != kLineTag)
        return {};
    const auto xdg = QByteArray::fromBase64Encoding(parts[1]);
    const auto startup = QByteArray::fromBase64Encoding(parts[2]);
    if (!xdg || !startup)
        return {};
    return {*xdg, *startup};
}

ActivationToken LauncherToken()
{
    return {qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID")};
}

void BringToFront(QWidget& window, const ActivationToken& token)
{
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
#if QT_CONFIG(xcb)
    // Besides Qt's own request below, which carries the time of this copy's last event: the
    // window manager may take either.
    if (!token.startupId.isEmpty())
        activateOnX11(window, token.startupId);
#endif
    // Qt's Wayland platform activates with the token it finds in the environment, once.
    if (PlatformIsWayland() && !token.xdgActivationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.xdgActivationToken);
    window.activateWindow();
}

bool CompositorOffersActivation()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return false;
    bool offered = false;
    static const wl_registry_listener listener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, "xdg_activation_v1") == 0)
                *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

QString ActivationObstacle(const ActivationToken& token)
{
    if (!PlatformIsWayland())
        return {};
    const QString start = QStringLiteral("Quorvel l\u00E4uft bereits. Sein Fenster kommt "
                                         "m\u00F6glicherweise nicht nach vorn: ");
    if (!CompositorOffersActivation())
        return start + QStringLiteral("Die Wayland-Arbeitsumgebung bietet keine "
                                      "Fensteraktivierung (xdg-activation) an.");
    if (token.xdgActivationToken.isEmpty())
        return start + QStringLiteral("Dieser Start hat vom Starter kein Aktivierungstoken "
                                      "(XDG_ACTIVATION_TOKEN) erhalten.");
    return {};
}

} // namespace quorvel
