// SPDX-License-Identifier: GPL-3.0-or-later
// Where the keyboard goes among the program's windows. F6 and Shift+F6 move it from pane to pane:
// the active page, the keypad's fields, the notes and the other open windows, in the order the
// windows were added. A window that appears without the user's asking for the keyboard (the
// keypad at start or by Ctrl+T, a note) never takes it from the page: where the window system
// hands it the keyboard anyway (a Wayland compositor activates every new window), the window's
// own focus rests on the window itself and the keys typed there go on to the page, until F6 or a
// click takes the user into one of its fields.
#pragma once

#include <QList>
#include <QWidget>

#include <functional>

namespace quorvel {

// The panes of a window in F6 order, asked afresh at every F6.
using PaneList = std::function<QList<QWidget*>()>;

// Adds the window to the F6 order, behind the windows added before it; it leaves the order when
// it is destroyed. Without a list the window is one pane: the field that last had its keyboard
// focus, else its first field.
void AddPaneWindow(QWidget& window, PaneList panes = {});

// Keys typed into the window while its focus rests on the window itself go to home() (the page),
// menu shortcuts of home's window included. The window's focus rests there from now on, until a
// field of it takes the focus.
void PassKeysToPage(QWidget& window, std::function<QWidget*()> home);

// Lets the window's focus rest on the window itself again, so that its keys go on to the page.
void ParkKeyboard(QWidget& window);

// Gives the pane the keyboard, as F6 does: another window is activated where the platform lets a
// program activate its windows; a window whose keys go to this pane gives them up. False when
// the pane could not be reached from where the keyboard is.
bool MoveKeyboardTo(QWidget& pane, Qt::FocusReason reason = Qt::OtherFocusReason);

// Moves the keyboard one pane on (or back): what F6 (Shift+F6) does. The panes of windows that
// the program cannot activate (on Wayland without xdg-activation) are passed over, so that the
// keys never get stuck.
void CyclePanes(bool forward);

} // namespace quorvel
