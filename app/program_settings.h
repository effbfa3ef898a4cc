// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start and end around the message loop: the settings file "Quorvel.ini" (window
// places, keypad, unit definitions, formula library) with its backup, and the page files
// "QV1.rtf" and "QV2.rtf", all in the program folder.
#pragma once

#include "platform/window_activation.h"

#include <QString>

class QApplication;

namespace quorvel {

struct ProgramWindows;

// Reads the settings file, if there is one, and the page files that exist.
void LoadSettings(ProgramWindows& windows);

// Keeps the previous settings file as «Quorvel.b01», writes the new one and both page files.
// Every failure is shown in a message box; returns false when something was not written.
bool SaveSettings(ProgramWindows& windows);

// The whole life of the program in its order: the windows, LoadSettings, the message loop with
// the first showing, SaveSettings. An empty folder stands for the program folder. `token` is
// the launcher's activation token (LauncherToken), which a second start hands to the first.
int RunQuorvel(QApplication& app, const QString& folder = QString(),
               const ActivationToken& token = {});

} // namespace quorvel
