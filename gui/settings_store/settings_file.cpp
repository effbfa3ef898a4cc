// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on the disk: its atomic write, and the exit's replacement that keeps the
// previous file as its backup.
#include "gui/settings_store/settings_file.h"

#include "gui/files/atomic_file.h"
#include "gui/files/program_dir.h"
#include "gui/files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

// A name beside the backup of the kind the start removes as what a killed save left
// ("Quorvel.b01.Ab12Cd.neu", see RemoveLeftoverTemporaryFiles).
QByteArray temporaryNameBeside(const QString& backup)
{
    static constexpr char kCharacters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QFile::encodeName(backup) + '.';
    for (int i = 0; i < 6; ++i)
        name += kCharacters[QRandomGenerator::global()->bounded(quint32{sizeof kCharacters - 1})];
    return name + ".neu";
}

// Creates a new file by make(name) under a temporary name beside the backup, trying other names
// while one is taken; the name is left in `name`. 0 on success, else the errno of the failure.
template <typename Make> int createBeside(const QString& backup, QByteArray& name, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryNameBeside(backup);
        if (make(name.constData()))
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The next backup: a second name for the present file, made beside the old backup under a
// temporary name. A hard link costs no space, so a full disk cannot stop it; a copy serves where
// the link cannot be made (another file system, a file system without links). Empty on success.
QString makeNextBackup(const QString& current, const QString& backup, QByteArray& name)
{
    const QByteArray source = QFile::encodeName(current);
    const int linkError = createBeside(
        backup, name, [&](const char* target) { return ::link(source.constData(), target) == 0; });
    if (linkError == 0)
        return {};
    const FileRead present = ReadRegularFile(current);
    if (present.state != FileRead::State::Regular)
        return present.reason.isEmpty() ? SystemReason(linkError) : present.reason;
    int writeError = 0;
    const int createError = createBeside(backup, name, [&](const char* target) {
        const int fd = ::open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return false;
        if (!WriteAll(
                fd, {present.bytes.constData(), static_cast<std::size_t>(present.bytes.size())}) ||
            ::fsync(fd) != 0)
            writeError = errno;
        if (::close(fd) != 0 && writeError == 0)
            writeError = errno;
        return true;
    });
    if (createError == 0 && writeError == 0)
        return {};
    if (createError == 0)
        ::unlink(name.constData());
    return SystemReason(createError != 0 ? createError : writeError);
}

// The present file becomes the backup and the old backup goes to the trash. The next backup is
// made first, so that a full disk stops the rotation before anything has moved. The old one goes
// to the trash from its own place, so that its trash entry names the program folder and restoring
// it puts it back beside the settings file, where the start leaves it alone; only then does the
// next one take its name. A kill between the two steps leaves no backup for a moment but loses
// nothing: the old one is in the trash, the present file still holds what the next one would.
QString rotateBackup(const QString& current, const QString& backup)
{
    QByteArray next;
    if (const QString reason = makeNextBackup(current, backup, next); !reason.isEmpty())
        return QStringLiteral("Die Sicherung «%1» konnte nicht angelegt werden: %2")
            .arg(shown(backup), reason);
    const QFileInfo old(backup);
    QString reason = old.exists() || old.isSymLink() ? RemoveToTrash(backup) : QString();
    if (reason.isEmpty() &&
        ::rename(next.constData(), QFile::encodeName(backup).constData()) != 0) {
        const int error = errno;
        reason = QStringLiteral("«%1» konnte nicht in «%2» umbenannt werden: %3")
                     .arg(shown(QFile::decodeName(next)), shown(backup), SystemReason(error));
    }
    if (!reason.isEmpty())
        ::unlink(next.constData());
    return reason;
}

// Where an earlier version of the program put the next backup together.
QString backupSideFolder(const QString& path)
{
    return BackupFileName(path) + QStringLiteral(".neu");
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
    // moment of the exit, a kill included, finds the settings file missing.
    const QString backup = BackupFileName(path);
    QString backupError;
    if (QFileInfo::exists(file.target())) {
        if (const QString kind = NotRegularReason(backup); !kind.isEmpty()) {
            backupError = QStringLiteral("Die Sicherung «%1» wurde nicht angelegt: %2")
                              .arg(shown(backup), kind);
        } else {
            backupError = rotateBackup(file.target(), backup);
        }
    }

    if (QString reason = file.commit(); !reason.isEmpty())
        return settingsError(path, reason);
    if (written)
        *written = true;
    return backupError;
}

void RemoveLeftoverBackupSide(const QString& path)
{
    const QString side = backupSideFolder(path);
    const QString fresh = side + QLatin1Char('/') + QFileInfo(BackupFileName(path)).fileName();
    if (QFileInfo(fresh).isFile() && !QFileInfo(fresh).isSymLink())
        QFile::remove(fresh);
    QDir().rmdir(side); // only when nothing else is in it
}

QString ProgramIniName()
{
    return ProgramDir() + SettingsFileName();
}

} // namespace quorvel
