// SPDX-License-Identifier: GPL-3.0-or-later
// The program reads and replaces only regular files (a link to one counts as one). A FIFO, a
// device or a folder under one of its files' names is named and left alone: opening a FIFO
// would wait for a writer without end, and replacing it would throw away what someone put there.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

struct FileRead
{
    enum class State { Missing, Regular, NotRegular, Unreadable };
    State state = State::Missing;
    QByteArray bytes; // the whole file, for Regular
    QString reason;   // for NotRegular and Unreadable: why, as a phrase for after a colon
};

// Reads the whole file without ever waiting for a writer: a FIFO, a device or a folder is
// reported, not opened for reading. A file larger than maxBytes (when not negative) is
// Unreadable, as is one the system refuses to open or read.
FileRead ReadRegularFile(const QString& path, qint64 maxBytes = -1);

// Why what lies at `path` cannot be one of the program's files ("Dort liegt eine FIFO (benannte
// Pipe), keine gewöhnliche Datei"); empty for a regular file, a link to one, or nothing at all.
QString NotRegularReason(const QString& path);

} // namespace quorvel
