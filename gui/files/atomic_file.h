// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all: the bytes reach the disk in a temporary file before it
// replaces the old one. Also the trash, where the program's files go instead of being deleted.
// Used by the page files, the documents the user saves and the settings file.
#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

namespace quorvel {

// Writes the bytes into the save file's temporary file and makes sure they reached the disk:
// a full disk shows up as a short count, at flush() (the bytes sit in Qt's buffer until then)
// or, on some file systems, only at fsync(). Nothing has replaced the target yet; on failure
// the temporary file is discarded and the reason returned.
QString WriteAndSync(QSaveFile& file, const QByteArray& bytes);

// Writes the bytes through a temporary file that replaces `path` only when every byte is on the
// disk (write count, flush and fsync checked); a link at `path` is written through to its target.
// Returns only the reason (the system's words), for callers that name the file themselves.
QString WriteFileReason(const QString& path, const QByteArray& bytes);

// Moves the file to the trash, or deletes it where the system has no trash for it.
QString RemoveToTrash(const QString& path);

// The system's words for an error number.
QString SystemReason(int error);

} // namespace quorvel
