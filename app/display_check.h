// SPDX-License-Identifier: GPL-3.0-or-later
// A start without a display that answers ends with a German sentence and status 1, instead of
// the toolkit's abort or a wait for ever.
#pragma once

#include <string>
#include <thread>

namespace quorvel {

// Whether the toolkit has a display to look for: the -platform option or QT_QPA_PLATFORM names
// a platform, DISPLAY an X server, or WAYLAND_DISPLAY or XDG_SESSION_TYPE a Wayland compositor.
bool DisplayNamed(int argc, const char* const* argv);

// The German explanation, one line, for a start without a display: none named (display and
// waylandDisplay empty or null), or the named ones not reachable (or, silent, not answering).
std::string NoDisplayText(const char* display, const char* waylandDisplay, bool silent = false);

// While the application object is made: when the toolkit finds no display it can connect to,
// which it ends with abort(), the program ends with NoDisplayText on standard error and status
// 1, without a core; so it does when the display takes the connection but does not answer
// within kDisplayAnswerSeconds (a frozen X server or compositor, a dead tunnel), where the
// toolkit would wait for ever. The toolkit's messages meanwhile are held back, and shown once
// the application exists. Ends with the object.
class DisplayConnectionGuard
{
public:
    static constexpr int kDisplayAnswerSeconds = 20;

    DisplayConnectionGuard();
    ~DisplayConnectionGuard();
    DisplayConnectionGuard(const DisplayConnectionGuard&) = delete;
    DisplayConnectionGuard& operator=(const DisplayConnectionGuard&) = delete;

private:
    std::thread m_watch;
};

} // namespace quorvel
