// SPDX-License-Identifier: GPL-3.0-or-later
// The small routines that the settings code uses beside ComponentStore: the default settings file
// name, fitting a window onto the screen, and the fixed-format texts of reals and date-times.
#pragma once

#include <QDateTime>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

class QWidget;

namespace quorvel {

// The settings file in the program folder: ProgramDir() + SettingsFileName() ("Quorvel.ini").
QString ProgramIniName();

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

// The whole text read as a number with "." as decimal point (leading blanks allowed); 0 when it
// is not one.
double TextToReal(const QString& text);

// "dd.mm.yyyy", followed by " hh:mm:ss" when the time of day is not midnight. The time always
// uses the 24-hour "hh:mm:ss" form, so a file reads the same under every regional setting.
QString DateTimeToText(const QDateTime& dateTime);
// Reads what DateTimeToText writes (also with one-digit fields, two-digit years, and "h:m"); the
// current local date and time when the text cannot be read.
QDateTime TextToDateTime(const QString& text);

} // namespace quorvel
