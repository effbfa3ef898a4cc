// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all, through the program's one file writer
// (base/file_writer.h), in the toolkit's strings. Also the trash, where the program's files go
// instead of being deleted, and the removal of temporary files a killed save left behind. Used by
// the page files, the documents the user saves, the settings file and the journals of the pages.
//
// Every failure is reported with the system's reason for it (errno, in German), never with a
// toolkit's "unknown error".
#pragma once

#include "engine/base/file_writer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel {

// The file writer (base/file_writer.h) with the toolkit's strings: one replacement of one of the
// program's own files, for callers that act between the write and the rename (the settings
// file's backup). Never through a link, never over anything but a regular file.
class AtomicFile
{
public:
    explicit AtomicFile(const QString& path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Writes the bytes into a new temporary file beside the target and syncs it. Nothing has
    // replaced the target yet. Empty on success, else the reason.
    QString write(const QByteArray& bytes);
    // Gives the temporary file the target's name and syncs the folder. Empty on success.
    QString commit();

    const QString& target() const { return m_target; }

private:
    QString m_target;
    AtomicReplacement m_file;
};

// Writes the whole file by the writer's rules for its owner; a window never waits for a FIFO's
// reader. Empty on success, else only the reason (the system's words, in German), for callers
// that name the file themselves.
QString WriteFileReason(const QString& path, const QByteArray& bytes, FileOwner owner);
// The sentence every window shows for a file that could not be written, naming it and why.
QString NotWrittenText(const QString& path, const QString& reason);

// Moves the file to the trash, or deletes it where the system has no trash for it.
QString RemoveToTrash(const QString& path);

// The German words for an error number (base/system_messages.h), as a QString.
QString SystemReason(int error);

// Syncs the folder that holds `path`, so that a rename or removal in it reaches the disk.
// Empty on success, else the reason.
QString SyncFolderOf(const QString& path);

// Removes, in `folder`, the temporary files that saves of the named files left when they were
// killed halfway: this program's ("QV1.rtf.Ab12Cd.neu") and those of its earlier versions
// ("Quorvel.ini.tmLihS", which go to the trash, as a name the user chose may look the same).
// Only regular files with exactly those names go. Returns the names removed.
QStringList RemoveLeftoverTemporaryFiles(const QString& folder, const QStringList& names);

} // namespace quorvel
