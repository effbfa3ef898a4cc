// File steps of the settings store: the atomic write and the exit's backup of the previous
// settings file. Every function returns an empty text on success, else what failed, in German,
// ready for a message box.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

// The backup name: the file's extension replaced by ".b01" ("Quorvel.ini" -> "Quorvel.b01").
QString BackupFileName(const QString& fileName);

// Moves the file to the trash, or deletes it where the system has no trash for it.
QString RemoveToTrash(const QString& path);

// Writes the bytes through a temporary file that replaces `path` only when complete.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The exit's replacement of the settings file: the old BackupFileName(path) goes to the trash,
// the file at `path` is renamed to it, and the bytes become the new file at `path`, written
// atomically. The new content is written to its temporary file before anything is moved, so a
// full disk leaves both old files as they were; should the final step still fail, the previous
// file is renamed back. When only the backup fails, the new file is written all the same (the
// current settings matter more than the previous ones) and the backup's failure is reported.
QString ReplaceFileKeepingBackup(const QString& path, const QByteArray& bytes);

} // namespace quorvel
