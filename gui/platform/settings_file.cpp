// Atomic writing and the trash-and-rename backup of the settings file.
#include "platform/settings_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace quorvel {
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString writeError(const QString& path, const QString& reason)
{
    return QStringLiteral("Die Einstellungen konnten nicht in «%1» gespeichert werden: %2")
        .arg(shown(path), reason);
}

// Opens the save file and writes the bytes to its temporary file; commit() finishes it.
QString prepare(QSaveFile& file, const QByteArray& bytes)
{
    if (!file.open(QIODevice::WriteOnly))
        return writeError(file.fileName(), file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return writeError(file.fileName(), reason);
    }
    return {};
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

QString WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (QString error = prepare(file, bytes); !error.isEmpty())
        return error;
    if (!file.commit())
        return writeError(path, file.errorString());
    return {};
}

QString ReplaceFileKeepingBackup(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (QString error = prepare(file, bytes); !error.isEmpty())
        return error;

    const QString backup = BackupFileName(path);
    QString backupError;
    if (QFile::exists(backup))
        backupError = RemoveToTrash(backup);
    bool renamed = false;
    if (backupError.isEmpty() && QFile::exists(path)) {
        QFile previous(path);
        renamed = previous.rename(backup);
        if (!renamed)
            backupError = QStringLiteral("«%1» konnte nicht in «%2» umbenannt werden: %3")
                              .arg(shown(path), shown(backup), previous.errorString());
    }

    if (!file.commit()) {
        const QString error = writeError(path, file.errorString());
        if (renamed)
            QFile::rename(backup, path);
        return error;
    }
    return backupError;
}

} // namespace quorvel
