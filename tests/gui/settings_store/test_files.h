// SPDX-License-Identifier: GPL-3.0-or-later
// File helpers shared by the settings store's window tests.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace quorvel::test {

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Trashed backups go to a trash inside the test's folder, not the user's. The home moves there
// too: a file on another file system than the home would go to that file system's own trash.
inline bool useTrashIn(const QString& folder)
{
    const QString xdg = folder + QStringLiteral("/xdg");
    return QDir().mkpath(xdg) && qputenv("XDG_DATA_HOME", QFile::encodeName(xdg)) &&
           qputenv("HOME", QFile::encodeName(folder));
}

} // namespace quorvel::test
