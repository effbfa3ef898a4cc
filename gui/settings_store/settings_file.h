// SPDX-License-Identifier: GPL-3.0-or-later
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

// Writes the bytes through a temporary file that replaces `path` only when every byte is on the
// disk (write count, flush and fsync checked); a link at `path` is written through to its target.
// Returns only the reason (the system's words), for callers that name the file themselves.
QString WriteFileReason(const QString& path, const QByteArray& bytes);

// WriteFileReason, with the reason in a sentence naming the settings file.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The exit's replacement of the settings file. The bytes are written and synced to a temporary
// file first, so a full disk leaves everything as it was. Then the present file gets a second
// name (hard link, else copy) that replaces the old BackupFileName(path), which goes to the
// trash; only then does the new file replace `path`, in one rename. `path` therefore never
// vanishes, not even when the program is killed halfway. When only the backup fails, the new
// file is written all the same (the current settings matter more than the previous ones) and
// the backup's failure is reported.
QString ReplaceFileKeepingBackup(const QString& path, const QByteArray& bytes);

} // namespace quorvel
