// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on the disk: its name, its atomic write and the exit's backup of the previous
// settings file. Every function returns an empty text on success, else what failed, in German,
// ready for a message box.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

// The settings file in the program folder: ProgramDir() + SettingsFileName() ("Quorvel.ini").
QString ProgramIniName();

// The backup name: the file's extension replaced by ".b01" ("Quorvel.ini" -> "Quorvel.b01").
QString BackupFileName(const QString& fileName);

// WriteFileReason (files/atomic_file.h), with the reason in a sentence naming the settings file.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The exit's replacement of the settings file. The bytes are written and synced to a temporary
// file first, so a full disk leaves everything as it was. Then the present file gets a second
// name (hard link, else copy) beside the old BackupFileName(path); the old backup goes to the
// trash from where it lies, so that restoring it from the trash puts it back beside the settings
// file, and the second name takes its place. Only then does the new file replace `path`, in one
// rename: `path` therefore never vanishes, not even when the program is killed halfway. When only
// the backup fails, the new file is written all the same (the current settings matter more than
// the previous ones) and the backup's failure is reported.
// Only a regular settings file is replaced, and only a regular backup (or none) makes room.
// *written (when given) says whether the new file is in place, also when only the backup failed.
QString ReplaceFileKeepingBackup(const QString& path, const QByteArray& bytes,
                                 bool* written = nullptr);

// Removes the folder beside the backup ("Quorvel.b01.neu") where earlier versions put the next
// backup together, with the one file a kill could leave in it.
void RemoveLeftoverBackupSide(const QString& path);

} // namespace quorvel
