// SPDX-License-Identifier: GPL-3.0-or-later
// What the window system lets the program do with its top-level windows. An X11 window manager
// lets a program set and read the places of its windows and keep a window above the others; a
// Wayland compositor keeps both to itself. The answers come from the platform the application
// runs on, never from the numbers a window reports.
#pragma once

namespace quorvel {

// Whether the platform sets and reports the places of top-level windows: on Wayland a window
// cannot be moved by the program, and its place reads as 0,0 or the negatives of its frame.
bool PlatformKnowsWindowPlaces();

// Whether a window can ask to stay above the others; on Wayland only the compositor decides.
bool PlatformKeepsWindowsOnTop();

// Whether a window the program activates gets the keyboard at once. A Wayland compositor moves
// the keyboard to the window the user clicks and, without xdg-activation, to no other.
bool PlatformActivatesOnRequest();

// Whether the application runs as a native Wayland client.
bool PlatformIsWayland();

} // namespace quorvel
