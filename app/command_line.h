// SPDX-License-Identifier: GPL-3.0-or-later
// The answers to --help and --version and to options the program does not know, which need no
// display.
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

// Writes the answer (text to standard output, errorText to standard error) and returns the exit
// status. A text that does not reach standard output whole (a full disk, a closed pipe) is no
// answer: the reason goes to standard error, and the status is 1.
int GiveAnswer(const CommandLineAnswer& answer);

} // namespace quorvel
