// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-calc at a terminal: a prompt, line editing and history (GNU Readline), completion of
// names with Tab. Results and red marks are written as for a sheet on standard input.
#pragma once

#include "tools/quorvel-calc/file_streams.h"
#include "tools/quorvel-calc/sheet_runner.h"

namespace quorvel::calc {

// Whether standard input is a terminal that a person types into, with a terminal to show the
// line being edited on (standard output, else standard error).
bool TerminalAtHand();

// The lines typed at the terminal, each evaluated by session when Enter accepts it, until
// Ctrl+D, a line "ende" or the end of the terminal. Non-empty lines go to the history in
// $XDG_STATE_HOME/quorvel/ (~/.local/state/quorvel/) as they are typed, so that no way of
// ending loses them. Ctrl+C drops the line being typed; SIGTERM and SIGHUP end the session with
// the terminal as it was before.
void RunTerminalSession(const TEFParser& parser, CalcSession& session, OutputFile& out,
                        OutputFile& err);

} // namespace quorvel::calc
