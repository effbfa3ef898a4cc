// SPDX-License-Identifier: GPL-3.0-or-later
// What the program does before and right after its application object exists: the answers to
// --help and --version and to options it does not know, which need no display, and the
// program-wide settings of the application (name, icon, desktop entry, number format).
#pragma once

#include <optional>
#include <string>

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

// Name, icon and desktop entry of the application, and numbers written with a point whatever the
// regional settings say. Once the application object exists.
void PrepareApplication();

} // namespace quorvel
