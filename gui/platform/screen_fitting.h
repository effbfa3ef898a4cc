// SPDX-License-Identifier: GPL-3.0-or-later
// Windows fitted to the screens they are shown on, so that a stored place from another screen or
// scale never hides a window or its title bar.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

namespace quorvel {

// The window's frame is made to fit the available area of its screen: a window more than 20
// pixels taller (wider) than the area becomes 20 pixels less than it; then a window reaching
// below (right of) the area is moved up (left) until its edge meets the area's edge, even when
// that puts its top (left) above the area. A top or left above the area is not moved down,
// unless no screen shows the title bar then (PullTitleBarOntoScreens). A window the window
// manager has not framed yet (one never shown) is fitted with kAssumedFrame around it, so that
// its status line does not end below the screen once it gets its frame.
void FitFormToScreen(QWidget* window);
// The same rule on a frame rectangle and an available area, for the window above and for tests.
QRect FitRectToScreen(QRect frame, const QRect& available);

// A place above or left of the main screen is a place on a screen there, and stays; but a window
// whose title bar no screen shows could be neither moved nor closed by the mouse. Such a frame is
// moved onto the available area nearest to it (its top left corner inside the area, as far as
// its size allows); a frame with a title bar some area shows is returned unchanged. The title bar
// counts as shown when an area holds at least kTitleBarGrip pixels of its width (all of it for a
// narrower window) and half of its kTitleBarHeight.
QRect PullTitleBarOntoScreens(const QRect& frame, const QList<QRect>& areas);
inline constexpr int kTitleBarHeight = 24;
inline constexpr int kTitleBarGrip = 48;
// A title bar and borders as window managers draw them, in the pixels of the program's screen (at
// twice the scale, a frame of 24 device pixels is 12 of these).
inline constexpr QMargins kAssumedFrame{4, kTitleBarHeight, 4, 4};

} // namespace quorvel
