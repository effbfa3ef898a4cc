// SPDX-License-Identifier: GPL-3.0-or-later
// The atomic write on the system's own calls (open, write, fsync, rename), so that each step's
// errno is at hand when it fails.
#include "files/atomic_file.h"

#include "base/system_messages.h"
#include "files/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// The temporary file's name: the target's, six random characters, and this ending.
constexpr char kTemporarySuffix[] = ".neu";
constexpr int kTemporarySuffixLength = sizeof kTemporarySuffix - 1;

// The end of the chain of links that starts at path; the path itself when it is no link. A
// chain that does not end (a loop) leaves the path, whose write then fails with the system's
// reason.
QString resolveLinks(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

} // namespace

bool WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

QString SystemReason(int error)
{
    return QString::fromStdString(SystemErrorText(error));
}

AtomicFile::AtomicFile(const QString& path) : m_target(resolveLinks(path)) {}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
}

QString AtomicFile::write(const QByteArray& bytes)
{
    discard();
    const QByteArray target = QFile::encodeName(m_target);
    struct stat existing
    {
    };
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return NotRegularReason(m_target);
    // A file the user made read-only stays as it is, as it would with any editor.
    if (exists && ::access(target.constData(), W_OK) != 0)
        return SystemReason(errno);

    QByteArray name = target + ".XXXXXX" + kTemporarySuffix;
    const int fd = ::mkostemps(name.data(), kTemporarySuffixLength, O_CLOEXEC);
    if (fd < 0)
        return SystemReason(errno);
    m_temporary = name;
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    // A full disk shows up as a short write, or on some file systems only at fsync().
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes.constData(), bytes.size()) ||
        ::fsync(fd) != 0)
        error = errno;
    // Network file systems may report a failed write only when the file is closed.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        discard();
        return SystemReason(error);
    }
    return {};
}

QString AtomicFile::commit()
{
    if (m_temporary.isEmpty())
        return SystemReason(ENOENT);
    if (::rename(m_temporary.constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        discard();
        return SystemReason(error);
    }
    m_temporary.clear();
    return SyncFolderOf(m_target);
}

QString WriteFileReason(const QString& path, const QByteArray& bytes)
{
    AtomicFile file(path);
    if (QString reason = file.write(bytes); !reason.isEmpty())
        return reason;
    return file.commit();
}

QString SyncFolderOf(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return SystemReason(errno);
    // Some file systems cannot sync a folder (EINVAL); their renames are as safe as they get.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    return synced ? QString() : SystemReason(error);
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
    QStringList alternatives;
    for (const QString& name : names)
        alternatives << QRegularExpression::escape(name);
    // Six characters of the kind mkstemp and Qt's temporary files use, with or without our end.
    const QRegularExpression pattern(
        QStringLiteral("^(?:%1)\\.[A-Za-z0-9]{6}(?:%2)?$")
            .arg(alternatives.join(u'|'),
                 QRegularExpression::escape(QString::fromLatin1(kTemporarySuffix))));
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
        const bool ours = entry.endsWith(QLatin1String(kTemporarySuffix));
        if (ours ? ::unlink(path.constData()) == 0 : RemoveToTrash(dir.filePath(entry)).isEmpty())
            removed << entry;
    }
    return removed;
}

} // namespace quorvel
