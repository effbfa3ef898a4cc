// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start and end around the message loop: the settings file "Quorvel.ini" (window
// places, keypad, unit definitions, formula library) with its backup, and the page files
// "QV1.rtf" and "QV2.rtf", all in the program folder.
#pragma once

#include "platform/window_activation.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QApplication;

namespace quorvel {

class ComponentStore;
struct ProgramWindows;

// Reads the settings file, if it is a regular file, and the page files that exist, each with
// the changes its journal holds after a session that did not end normally; a page file that is
// not RTF is kept under a new name first. Returns the notes for the user (a folder that cannot
// be written, a file that is not a regular file, a kept file, an abnormal end), each a
// paragraph.
QStringList LoadSettings(ProgramWindows& windows);

// The settings file's bytes for the windows as they are now. The window places a platform cannot
// report are copied from `earlier` (the settings file as the session found it), read from the
// file when it is not given.
QByteArray SettingsBytes(ProgramWindows& windows, const ComponentStore* earlier = nullptr);

// Writes the settings file, keeping the previous one as «Quorvel.b01» when keepBackup (only the
// session's first write does), and both page files; a page written removes its journal. Every
// failure is shown in a message box; returns false when something was not written.
bool SaveSettings(ProgramWindows& windows, bool keepBackup = true);

// Removes the temporary files that killed saves left in the program folder.
void RemoveLeftovers(const QString& folder);

// The whole life of the program in its order: the windows, LoadSettings, continuous saving, the
// message loop with the first showing, SaveSettings. An empty folder stands for the program folder.
// `token` is the launcher's activation token (LauncherToken), which a second start hands to the
// first.
int RunQuorvel(QApplication& app, const QString& folder = QString(),
               const ActivationToken& token = {});

} // namespace quorvel
