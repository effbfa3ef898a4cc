// SPDX-License-Identifier: GPL-3.0-or-later
// The writer on the system's own calls (open, write, fsync, rename), so that each step's errno
// is at hand when it fails.
#include "engine/base/file_writer.h"

#include "engine/base/system_messages.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// Links are followed at most this deep, as the system itself does; a longer chain is a loop.
constexpr int kMaxLinkDepth = 40;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The end of the chain of links that starts at path (which need not exist: a link to nothing
// yet names the file a save creates). ELOOP when the chain does not end.
std::string endOfLinks(const std::string& path, int& error)
{
    std::string at = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info
        {
        };
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return at;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1,
                           '\0');
        const ssize_t length = ::readlink(at.c_str(), target.data(), target.size());
        if (length < 0) {
            error = errno;
            return at;
        }
        target.resize(static_cast<std::size_t>(length));
        at = target.starts_with('/') ? target : folderOf(at) + '/' + target;
    }
    error = ELOOP;
    return at;
}

std::string temporaryNameFor(const std::string& target)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = target + '.';
    for (int k = 0; k < 6; ++k)
        name += kLetters[pick(random)];
    name += kTemporaryFileSuffix;
    return name;
}

bool isStream(mode_t mode)
{
    return S_ISFIFO(mode) || S_ISCHR(mode);
}

std::string linkText()
{
    return "Dort liegt eine symbolische Verkn\u00FCpfung; Quorvel schreibt seine eigenen Dateien "
           "nicht durch Verkn\u00FCpfungen";
}

// Writes to a FIFO, a character device or a terminal. A window neither waits for a reader nor
// without end for room: the descriptor stays non-blocking and each wait has a deadline.
// A reader that goes away in the middle of a write makes the system send SIGPIPE, which ends a
// program that has not set the signal aside, the window with all its work included. The write's
// EPIPE says the same, so the signal is held back for the write and then taken away unseen.
class HeldBrokenPipe
{
public:
    HeldBrokenPipe()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        m_wasPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_before);
    }
    ~HeldBrokenPipe()
    {
        const int saved = errno;
        sigset_t pending;
        if (!m_wasPending && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{};
            while (sigtimedwait(&m_pipe, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
        errno = saved;
    }
    HeldBrokenPipe(const HeldBrokenPipe&) = delete;
    HeldBrokenPipe& operator=(const HeldBrokenPipe&) = delete;

private:
    sigset_t m_pipe{};
    sigset_t m_before{};
    bool m_wasPending = false;
};

std::string writeStream(const std::string& path, std::string_view bytes, const WriteRules& rules)
{
    const HeldBrokenPipe held;
    int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENXIO && rules.waitForStream)
        fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO)
            return "Aus der FIFO (benannten Pipe) liest gerade niemand";
        return SystemErrorText(errno);
    }
    struct stat info
    {
    };
    int error = 0;
    // What was a stream a moment ago may have been replaced by a regular file: writing into its
    // start would leave the rest of the old file behind.
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!isStream(info.st_mode))
        error = EEXIST;
    if (error == 0 && rules.waitForStream) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !WriteAll(fd, bytes))
            error = errno;
    } else if (error == 0) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd, bytes.data(), bytes.size());
            if (written >= 0) {
                bytes.remove_prefix(static_cast<std::size_t>(written));
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN) {
                error = errno;
                break;
            }
            pollfd ready{fd, POLLOUT, 0};
            const int got = ::poll(&ready, 1, rules.streamTimeoutMs);
            if (got == 0) {
                ::close(fd);
                return "Der Empf\u00E4nger nimmt seit " +
                       std::to_string(rules.streamTimeoutMs / 1000) + " s nichts mehr an";
            }
            if (got < 0 && errno != EINTR) {
                error = errno;
                break;
            }
        }
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error == 0 ? std::string() : SystemErrorText(error);
}

} // namespace

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string SyncFolderOf(const std::string& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return SystemErrorText(errno);
    // Some file systems cannot sync a folder (EINVAL); their renames are as safe as they get.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    return synced ? std::string() : SystemErrorText(error);
}

std::string NotRegularFileText(mode_t mode)
{
    if (S_ISLNK(mode))
        return linkText();
    if (S_ISDIR(mode))
        return "Dort liegt ein Ordner, keine gew\u00F6hnliche Datei";
    if (S_ISFIFO(mode))
        return "Dort liegt eine FIFO (benannte Pipe), keine gew\u00F6hnliche Datei";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "Dort liegt ein Ger\u00E4t, keine gew\u00F6hnliche Datei";
    if (S_ISSOCK(mode))
        return "Dort liegt ein Socket, keine gew\u00F6hnliche Datei";
    return "Dort liegt keine gew\u00F6hnliche Datei";
}

std::string OwnFileProblem(const std::string& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    return NotRegularFileText(info.st_mode);
}

AtomicReplacement::AtomicReplacement(const std::string& path, FileOwner owner)
    : m_owner(owner), m_target(path)
{
    int ignored = 0;
    if (owner == FileOwner::User)
        m_target = endOfLinks(path, ignored);
}

AtomicReplacement::~AtomicReplacement()
{
    discard();
}

void AtomicReplacement::discard()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

std::string AtomicReplacement::write(std::string_view bytes)
{
    discard();
    if (m_target.empty() || m_target.back() == '/')
        return SystemErrorText(EISDIR);
    struct stat existing
    {
    };
    const int found = m_owner == FileOwner::User ? ::stat(m_target.c_str(), &existing)
                                                 : ::lstat(m_target.c_str(), &existing);
    if (found != 0 && errno != ENOENT)
        return SystemErrorText(errno);
    const bool exists = found == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return NotRegularFileText(existing.st_mode);
    // A file the user made read-only stays as it is, as it would with any editor.
    if (exists && ::access(m_target.c_str(), W_OK) != 0)
        return SystemErrorText(errno);

    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        m_temporary = temporaryNameFor(m_target);
        // The kernel applies the umask to a new file; no call here may change it.
        fd =
            ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        m_temporary.clear();
        return SystemErrorText(error);
    }
    int error = 0;
    if (exists) {
        // Written by another user (root saving a user's file), the file keeps its owner where
        // the system lets it; its permissions are kept in any case.
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(fd, existing.st_uid, existing.st_gid);
        if (::fchmod(fd, existing.st_mode & 07777) != 0)
            error = errno;
    }
    // A full disk shows up as a short write, or on some file systems only at fsync().
    if (error == 0 && (!WriteAll(fd, bytes) || ::fsync(fd) != 0))
        error = errno;
    // Network file systems may report a failed write only when the file is closed.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        discard();
        return SystemErrorText(error);
    }
    return {};
}

std::string AtomicReplacement::commit()
{
    if (m_temporary.empty())
        return SystemErrorText(ENOENT);
    // Whatever came under the name since the write is not renamed over unless it is a file.
    if (m_owner == FileOwner::Program) {
        if (std::string problem = OwnFileProblem(m_target); !problem.empty()) {
            discard();
            return problem;
        }
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        discard();
        return SystemErrorText(error);
    }
    m_temporary.clear();
    return SyncFolderOf(m_target);
}

std::string WriteFileBytes(const std::string& path, std::string_view bytes, const WriteRules& rules)
{
    if (rules.owner == FileOwner::User) {
        int error = 0;
        const std::string target = endOfLinks(path, error);
        if (error != 0)
            return SystemErrorText(error);
        struct stat info
        {
        };
        if (::stat(target.c_str(), &info) == 0 && isStream(info.st_mode))
            return writeStream(target, bytes, rules);
    }
    AtomicReplacement file(path, rules.owner);
    if (std::string reason = file.write(bytes); !reason.empty())
        return reason;
    return file.commit();
}

} // namespace quorvel
