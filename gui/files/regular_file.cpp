// SPDX-License-Identifier: GPL-3.0-or-later
// Reading without blocking: the file is opened with O_NONBLOCK, which a FIFO honours at once,
// and only read after fstat() has shown a regular file.
#include "gui/files/regular_file.h"

#include "engine/base/file_writer.h"
#include "gui/files/atomic_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

QString kindReason(mode_t mode)
{
    return QString::fromStdString(NotRegularFileText(mode));
}

// A file over the size the caller expects is not read: the system has no error number for it.
QString tooLarge(qint64 maxBytes)
{
    return QStringLiteral("Die Datei ist gr\u00F6\u00DFer als %1 Bytes").arg(maxBytes);
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

FileRead ReadRegularFile(const QString& path, qint64 maxBytes)
{
    FileRead result;
    const QByteArray name = QFile::encodeName(path);
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        // Nothing there, or a link to nothing yet, which a save creates as any missing file.
        if (errno == ENOENT)
            return result;
        result.state = FileRead::State::Unreadable;
        result.reason = SystemReason(errno);
        return result;
    }
    struct stat info
    {
    };
    if (::fstat(fd.get(), &info) != 0) {
        result.state = FileRead::State::Unreadable;
        result.reason = SystemReason(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.state = FileRead::State::NotRegular;
        result.reason = kindReason(info.st_mode);
        return result;
    }
    if (maxBytes >= 0 && info.st_size > maxBytes) {
        result.state = FileRead::State::Unreadable;
        result.reason = tooLarge(maxBytes);
        return result;
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            result.state = FileRead::State::Unreadable;
            result.reason = SystemReason(errno);
            return result;
        }
        // A file that grows while it is read is read as far as it got when the limit is hit.
        if (maxBytes >= 0 && bytes.size() + got > maxBytes) {
            result.state = FileRead::State::Unreadable;
            result.reason = tooLarge(maxBytes);
            return result;
        }
        bytes.append(buffer, got);
    }
    result.state = FileRead::State::Regular;
    result.bytes = std::move(bytes);
    return result;
}

QString NotRegularReason(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    return kindReason(info.st_mode);
}

} // namespace quorvel
