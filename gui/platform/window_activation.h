// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing a window to the front for a start that the user asked for. Window systems refuse a
// program that pushes itself to the front on its own; a launcher therefore hands each start a
// token (XDG_ACTIVATION_TOKEN on Wayland, DESKTOP_STARTUP_ID on X11) that proves the user's
// request. A second start passes its token to the running copy, which activates with it.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace quorvel {

struct ActivationToken
{
    QByteArray xdgActivationToken; // Wayland's xdg-activation
    QByteArray startupId;          // X11 startup notification, "..._TIME<timestamp>"

    // One line of printable characters, and back; a damaged line gives an empty token.
    QByteArray toLine() const;
    static ActivationToken fromLine(const QByteArray& line);
};

// The tokens this start got from its launcher. Read before the application object exists: the
// X11 platform takes DESKTOP_STARTUP_ID out of the environment when it connects.
ActivationToken LauncherToken();

// Shows the window (also a hidden one), takes back its minimisation, raises it and asks for it
// to become the active window, with the token where the platform takes one.
void BringToFront(QWidget& window, const ActivationToken& token);

// Why the window of a running copy may not come to the front for this start, in German, for
// standard error; empty when nothing stands in the way that this start can see.
QString ActivationObstacle(const ActivationToken& token);

// Whether the Wayland compositor of this session offers xdg-activation; false without one.
bool CompositorOffersActivation();

} // namespace quorvel
