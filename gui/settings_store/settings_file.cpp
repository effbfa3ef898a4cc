// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on the disk: its atomic write, and the exit's replacement that keeps the
// previous file as its backup.
#include "settings_store/settings_file.h"

#include "files/atomic_file.h"
#include "files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
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

// A second name for the file's present content, on the way to becoming the backup: a hard link
// costs no space, so a full disk cannot stop it; a copy serves where the link cannot be made
// (another file system, a file system without links).
QString linkOrCopy(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    const FileRead source = ReadRegularFile(from);
    QString reason = source.state == FileRead::State::Regular
                         ? WriteFileReason(to, source.bytes, FileOwner::Program)
                         : source.reason;
    if (reason.isEmpty())
        return {};
    QFile::remove(to);
    return QStringLiteral("Die Sicherung «%1» konnte nicht angelegt werden: %2")
        .arg(shown(to), reason);
}

QString renameError(const QString& from, const QString& to)
{
    return QStringLiteral("«%1» konnte nicht in «%2» umbenannt werden: %3")
        .arg(shown(from), shown(to), SystemReason(errno));
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

QString WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QString reason = WriteFileReason(path, bytes, FileOwner::Program);
    return reason.isEmpty() ? QString() : settingsError(path, reason);
}

QString ReplaceFileKeepingBackup(const QString& path, const QByteArray& bytes, bool* written)
{
    if (written)
        *written = false;
    AtomicFile file(path);
    if (QString reason = file.write(bytes); !reason.isEmpty())
        return settingsError(path, reason);

    // The previous file stays in place until the new one replaces it in one rename, so that no
    // moment of the exit, a kill included, finds the settings file missing. The backup is a
    // second name for it, made first in a side folder under the backup's own name; it then
    // trades places with the old backup in one step, so that the backup's name always holds
    // the old backup or the previous file, and the old backup goes to the trash from there.
    const QString backup = BackupFileName(path);
    QString backupError;
    if (QFileInfo::exists(file.target())) {
        if (const QString kind = NotRegularReason(backup); !kind.isEmpty()) {
            backupError = QStringLiteral("Die Sicherung «%1» wurde nicht angelegt: %2")
                              .arg(shown(backup), kind);
        } else {
            const QString side = BackupSideFolder(path);
            const QString fresh = side + QLatin1Char('/') + QFileInfo(backup).fileName();
            QDir().mkpath(side);
            backupError = linkOrCopy(file.target(), fresh);
            if (backupError.isEmpty())
                backupError = putInPlace(fresh, backup);
            if (backupError.isEmpty() && QFile::exists(fresh))
                backupError = RemoveToTrash(fresh);
            QFile::remove(fresh);
            QDir().rmdir(side);
        }
    }

    if (QString reason = file.commit(); !reason.isEmpty())
        return settingsError(path, reason);
    if (written)
        *written = true;
    return backupError;
}

QString BackupSideFolder(const QString& path)
{
    return BackupFileName(path) + QStringLiteral(".neu");
}

void RemoveLeftoverBackupSide(const QString& path)
{
    const QString side = BackupSideFolder(path);
    const QString fresh = side + QLatin1Char('/') + QFileInfo(BackupFileName(path)).fileName();
    if (QFileInfo(fresh).isFile() && !QFileInfo(fresh).isSymLink())
        QFile::remove(fresh);
    QDir().rmdir(side); // only when nothing else is in it
}

} // namespace quorvel
