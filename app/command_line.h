// SPDX-License-Identifier: GPL-3.0-or-later
// What the program does before and right after its application object exists: the answers to
// --help and --version and to options it does not know, which need no display, and the
// program-wide settings of the application (name, icon, desktop entry, number format).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace quorvel {

struct CommandLineAnswer
{
    std::string text;      // for standard output
    std::string errorText; // for standard error
    int exitCode = 0;
};

// The answer to --help or --version, or to an option that neither Quorvel nor the toolkit
// knows (a usage error, exit status 2); nothing otherwise, and the program starts. Works on the
// raw arguments, before any window system is touched.
std::optional<CommandLineAnswer> AnswerCommandLine(int argc, const char* const* argv);

// Writes the answer (text to standard output, errorText to standard error) and returns the exit
// status. A text that does not reach standard output whole (a full disk, a closed pipe) is no
// answer: the reason goes to standard error, and the status is 1.
int GiveAnswer(const CommandLineAnswer& answer);

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

// Name, icon and desktop entry of the application, and numbers written with a point whatever the
// regional settings say. Once the application object exists.
void PrepareApplication();

} // namespace quorvel
