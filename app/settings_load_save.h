// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file "Quorvel.ini" (window places, keypad, unit definitions, formula library)
// with its backup, and the page files "QV1.rtf" and "QV2.rtf", all in the program folder: read
// at the start, written at the end.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace quorvel {

class ComponentStore;
class JournalReplay;
class PagePreread;
struct ProgramWindows;

// Reads the settings file, if it is a regular file, and the page files that exist, each with
// the changes its journal holds after a session that did not end normally (page_recovery.h).
// Returns the notes for the user (a folder that cannot be written, a file that is not a regular
// file, a kept file, an abnormal end), each a paragraph. Long replays are handed over through
// `later` when it is given, to run once the window is shown; otherwise all are done here. The
// page files come from `preread` when it is given.
QStringList LoadSettings(ProgramWindows& windows,
                         std::vector<std::unique_ptr<JournalReplay>>* later = nullptr,
                         PagePreread* preread = nullptr);

// The settings file's bytes for the windows as they are now. The window places a platform cannot
// report are copied from `earlier` (the settings file as the session found it), read from the
// file when it is not given.
QByteArray SettingsBytes(ProgramWindows& windows, const ComponentStore* earlier = nullptr);

// A file the exit could not write, and why, in a sentence that names it.
struct WriteProblem
{
    QString file;
    QString text;
};
using WriteProblems = QList<WriteProblem>;

// Writes the settings file, keeping the previous one as «Quorvel.b01» when keepBackup (only the
// session's first write does), and both page files; a page written removes its journal. Returns
// what was not written; empty when everything is on the disk.
WriteProblems SaveSettings(ProgramWindows& windows, bool keepBackup = true);

// Why the settings file, or page `index`, is not written in this session (it could not be read,
// or is no file of its own); empty when it is.
QString SettingsProblem();
QString PageProblem(const ProgramWindows& windows, int index);

} // namespace quorvel
