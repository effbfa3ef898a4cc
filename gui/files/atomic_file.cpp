// SPDX-License-Identifier: GPL-3.0-or-later
// The file writer in the toolkit's strings, the trash, and the leftovers of killed saves.
#include "gui/files/atomic_file.h"

#include "engine/base/system_messages.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

std::string encoded(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string_view viewOf(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

QString SystemReason(int error)
{
    return QString::fromStdString(SystemErrorText(error));
}

AtomicFile::AtomicFile(const QString& path)
    : m_target(path), m_file(encoded(path), FileOwner::Program)
{
}

QString AtomicFile::write(const QByteArray& bytes)
{
    return QString::fromStdString(m_file.write(viewOf(bytes)));
}

QString AtomicFile::commit()
{
    return QString::fromStdString(m_file.commit());
}

QString NotWrittenText(const QString& path, const QString& reason)
{
    return QStringLiteral("Die Datei %1 konnte nicht geschrieben werden: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString WriteFileReason(const QString& path, const QByteArray& bytes, FileOwner owner)
{
    WriteRules rules;
    rules.owner = owner;
    rules.waitForStream = false;
    return QString::fromStdString(WriteFileBytes(encoded(path), viewOf(bytes), rules));
}

QString SyncFolderOf(const QString& path)
{
    return QString::fromStdString(SyncFolderOf(encoded(path)));
}

QString RemoveToTrash(const QString& path)
{
    // Without the per-user data folder, Qt 6.4 sets up its trash folders ("files", "info") in
    // the working directory; making the folder first keeps the trash where the desktop looks.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty() && QDir().mkpath(dataHome) && QFile::moveToTrash(path))
        return {};
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return {};
    return QStringLiteral("«%1» konnte nicht gelöscht werden: %2")
        .arg(QDir::toNativeSeparators(path), SystemReason(errno));
}

QStringList RemoveLeftoverTemporaryFiles(const QString& folder, const QStringList& names)
{
    const QString suffix = QString::fromLatin1(kTemporaryFileSuffix.data(),
                                               static_cast<qsizetype>(kTemporaryFileSuffix.size()));
    QStringList alternatives;
    for (const QString& name : names)
        alternatives << QRegularExpression::escape(name);
    // Six characters of the kind mkstemp and Qt's temporary files use, with or without our end.
    const QRegularExpression pattern(
        QStringLiteral("^(?:%1)\\.[A-Za-z0-9]{6}(?:%2)?$")
            .arg(alternatives.join(u'|'), QRegularExpression::escape(suffix)));
    QStringList removed;
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (!pattern.match(entry).hasMatch())
            continue;
        struct stat info
        {
        };
        const QByteArray path = QFile::encodeName(dir.filePath(entry));
        if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        // Our own ending says for sure that the file is a temporary one. Without it, six
        // characters could also be a name the user chose ("QV1.rtf.backup"): such a file goes to
        // the trash, from where it can be had back.
        const bool ours = entry.endsWith(suffix);
        if (ours ? ::unlink(path.constData()) == 0 : RemoveToTrash(dir.filePath(entry)).isEmpty())
            removed << entry;
    }
    return removed;
}

} // namespace quorvel
