// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop ends its programs at logout and shutdown with SIGTERM or SIGHUP. Quorvel treats
// both like "Ende": the main window closes, the message loop ends, and the usual exit saves the
// pages and settings, without asking anything (nobody may be there to answer).
#pragma once

#include <functional>

class QObject;

namespace quorvel {

// Catches SIGTERM and SIGHUP from now on. The handler only writes a byte to a pipe; the
// message loop reads it and calls `end`, which closes the main window and ends the loop.
// `owner` must outlive the message loop.
void EndOnTerminationSignals(QObject& owner, std::function<void()> end);

} // namespace quorvel
