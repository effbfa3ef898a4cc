// SPDX-License-Identifier: GPL-3.0-or-later
// The folder where Quorvel keeps its settings, page files and help files.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace quorvel {

// The program folder, decided once per run by ChooseProgramDir for the executable's folder and
// the per-user application data folder. Always ends with '/'.
QString ProgramDir();

// Lets tests and the start-up sequence point the program at another folder.
void SetProgramDir(const QString& folder);

// Files of the program folder (by name, "QV1.rtf") that this session leaves as it found them:
// they could not be read, or are no regular files, or could not be kept safe before a write.
// Nothing is written to them until the program folder is set again.
void LeaveFileAlone(const QString& name);
bool IsFileLeftAlone(const QString& name);

// Empty when the program folder can be written, else the sentence for the message box that says
// so and names the files that therefore are not saved.
QString ProgramDirProblem();

struct ProgramDirChoice
{
    QString folder;  // ends with '/'
    QString problem; // as ProgramDirProblem()
};

// Lets tests decide the folder together with its problem.
void SetProgramDir(const ProgramDirChoice& choice);

// For a program run from its own folder (a build, a portable copy): that folder when it is
// writable, otherwise the per-user folder. For a program run from an installed prefix (help files
// in ../share/quorvel): the per-user folder, whether or not the bin folder is writable, and the
// bin folder only when the per-user folder cannot be made. The per-user folder is created on
// demand; when it holds none of the program's files yet but the executable's folder does, it
// starts from copies of them (the originals stay where they are). When neither can be written,
// the executable's folder, so that at least its files are read, with the problem named.
ProgramDirChoice ChooseProgramDir(
    const QString& exeDir, const QString& userDir,
    const std::function<bool(const QString&)>& writable = std::function<bool(const QString&)>());

// The settings file's name: the application name + ".ini". The application name is the program
// file's name without its extension unless the program sets it; Quorvel's entry sets "Quorvel"
// (the file itself is "quorvel" here, where it used to be "Quorvel.exe"), so the settings file
// stays "Quorvel.ini" and older files are found.
QString SettingsFileName();

// The file of worksheet page index: 0 "Berechnung" in "QV1.rtf", 1 "Notizen" in "QV2.rtf".
QString PageFileName(int index);

// The journal of page index, beside its page file: "QV1.journal", "QV2.journal"
// (files/page_journal.h).
QString JournalFileName(int index);

// The files of the program folder that outlive a run: the settings file and the two page files.
QStringList ProgramFileNames();

// Where help files may lie, in the order they are tried: the program folder, the folder of the
// executable, and the installed data folders.
QStringList HelpFileFolders();

} // namespace quorvel
