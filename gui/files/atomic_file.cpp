// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quorvel {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString WriteAndSync(QSaveFile& file, const QByteArray& bytes)
{
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString reason;
    if (file.write(bytes) != bytes.size() || !file.flush())
        reason = file.errorString();
    else if (::fsync(file.handle()) != 0)
        reason = SystemReason(errno);
    if (!reason.isEmpty())
        file.cancelWriting();
    return reason;
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
        .arg(QDir::toNativeSeparators(path), file.errorString());
}

QString WriteFileReason(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes through a link to its target, so a linked file stays linked.
    QSaveFile file(path);
    if (QString reason = WriteAndSync(file, bytes); !reason.isEmpty())
        return reason;
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace quorvel
