// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic writing of the program's files and the trash-and-replace backup of the settings file.
#include "settings_store/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel {
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString settingsError(const QString& path, const QString& reason)
{
    return QStringLiteral("Die Einstellungen konnten nicht in «%1» gespeichert werden: %2")
        .arg(shown(path), reason);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes the bytes into the save file's temporary file and makes sure they reached the disk:
// a full disk shows up as a short count, at flush() (the bytes sit in Qt's buffer until then)
// or, on some file systems, only at fsync(). Nothing has replaced the target yet; on failure
// the temporary file is discarded and the reason returned.
QString writeAndSync(QSaveFile& file, const QByteArray& bytes)
{
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString reason;
    if (file.write(bytes) != bytes.size() || !file.flush())
        reason = file.errorString();
    else if (::fsync(file.handle()) != 0)
        reason = systemReason(errno);
    if (!reason.isEmpty())
        file.cancelWriting();
    return reason;
}

// A second name for the file's present content, on the way to becoming the backup: a hard link
// costs no space, so a full disk cannot stop it; a copy serves where the link cannot be made
// (another file system, a file system without links).
QString linkOrCopy(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    QFile source(from);
    if (source.copy(to))
        return {};
    QFile::remove(to);
    return QStringLiteral("Die Sicherung «%1» konnte nicht angelegt werden: %2")
        .arg(shown(to), source.errorString());
}

QString renameError(const QString& from, const QString& to)
{
    return QStringLiteral("«%1» konnte nicht in «%2» umbenannt werden: %3")
        .arg(shown(from), shown(to), systemReason(errno));
}

// Gives the file at `from` the name `to`. An old file at `to` trades places with it in one step
// and is left at `from`; where the file system cannot exchange names, it goes to the trash first.
QString putInPlace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (QFile::exists(to)) {
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                        RENAME_EXCHANGE) == 0)
            return {};
        if (errno != EINVAL && errno != ENOSYS)
            return renameError(from, to);
        if (QString reason = RemoveToTrash(to); !reason.isEmpty())
            return reason;
    }
    return ::rename(source.constData(), target.constData()) == 0 ? QString()
                                                                 : renameError(from, to);
}

} // namespace

QString BackupFileName(const QString& fileName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot > slash ? fileName.left(dot) : fileName) + QStringLiteral(".b01");
}

QString RemoveToTrash(const QString& path)
{
    // Without the per-user data folder, Qt 6.4 sets up its trash folders ("files", "info") in
    // the working directory; making the folder first keeps the trash where the desktop looks.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty() && QDir().mkpath(dataHome) && QFile::moveToTrash(path))
        return {};
    QFile file(path);
    if (file.remove())
        return {};
    return QStringLiteral("«%1» konnte nicht gelöscht werden: %2")
        .arg(shown(path), file.errorString());
}

QString WriteFileReason(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes through a link to its target, so a linked file stays linked.
    QSaveFile file(path);
    if (QString reason = writeAndSync(file, bytes); !reason.isEmpty())
        return reason;
    if (!file.commit())
        return file.errorString();
    return {};
}

QString WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QString reason = WriteFileReason(path, bytes);
    return reason.isEmpty() ? QString() : settingsError(path, reason);
}

QString ReplaceFileKeepingBackup(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (QString reason = writeAndSync(file, bytes); !reason.isEmpty())
        return settingsError(path, reason);

    // The previous file stays in place until the new one replaces it in one rename, so that no
    // moment of the exit, a kill included, finds the settings file missing. The backup is a
    // second name for it, made first in a side folder under the backup's own name; it then
    // trades places with the old backup in one step, so that the backup's name always holds
    // the old backup or the previous file, and the old backup goes to the trash from there.
    const QString backup = BackupFileName(path);
    QString backupError;
    const QFileInfo current(path);
    if (current.exists()) {
        const QString side = backup + QStringLiteral(".neu");
        const QString fresh = side + QLatin1Char('/') + QFileInfo(backup).fileName();
        QDir().mkpath(side);
        backupError = linkOrCopy(current.canonicalFilePath(), fresh);
        if (backupError.isEmpty())
            backupError = putInPlace(fresh, backup);
        if (backupError.isEmpty() && QFile::exists(fresh))
            backupError = RemoveToTrash(fresh);
        QFile::remove(fresh);
        QDir().rmdir(side);
    }

    if (!file.commit())
        return settingsError(path, file.errorString());
    return backupError;
}

} // namespace quorvel
