// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop ends its programs at logout and shutdown with SIGTERM or SIGHUP. Quorvel treats
// both like "Ende": the main window closes, the message loop ends, and the usual exit saves the
// pages and settings.
#pragma once

class QWidget;

namespace quorvel {

// Catches SIGTERM and SIGHUP from now on. The handler only writes a byte to a pipe; the
// message loop reads it and closes `mainWindow`, which must outlive the message loop.
void EndOnTerminationSignals(QWidget& mainWindow);

} // namespace quorvel
