// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all: the bytes reach the disk in a temporary file beside the
// target, which then replaces the target in one rename; the folder is synced after it, so the
// rename survives a power cut too. Also the trash, where the program's files go instead of being
// deleted, and the removal of temporary files a killed save left behind. Used by the page files,
// the documents the user saves, the settings file and the journals of the pages.
//
// Every failure is reported with the system's reason for it (errno, in German), never with a
// toolkit's "unknown error".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel {

// One replacement of one file. A link at the path is written through to the file it leads to, so
// a linked file stays linked; the new file gets the old one's permissions. Only a regular file
// (or nothing) may be replaced: a FIFO, a device or a folder under the name is left alone.
class AtomicFile
{
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile(); // removes a temporary file that was not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Writes the bytes into a new temporary file beside the target and syncs it. Nothing has
    // replaced the target yet. Empty on success, else the reason.
    QString write(const QByteArray& bytes);
    // Gives the temporary file the target's name and syncs the folder. Empty on success.
    QString commit();

    // The file that is replaced: the path, or the end of the links that start there.
    const QString& target() const { return m_target; }

private:
    void discard();

    QString m_target;
    QByteArray m_temporary; // encoded name; empty when there is none
};

// write() and commit() in one: empty on success, else only the reason (the system's words, in
// German), for callers that name the file themselves.
QString WriteFileReason(const QString& path, const QByteArray& bytes);

// Moves the file to the trash, or deletes it where the system has no trash for it.
QString RemoveToTrash(const QString& path);

// Writes all the bytes to the descriptor, going on after a signal or a short write; false with
// errno set when the system refuses.
bool WriteAll(int fd, const char* data, qsizetype size);

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
