// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic output files with POSIX calls: mkstemp in the target's folder (a rename works only
// within one file system), write, fsync, rename.
#include "output_file.h"

#include "base/system_messages.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::calc {
namespace {

// The folder part of path with its slash, "" for a bare name.
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A new file gets the permissions the user's umask gives; a replaced one keeps its own.
mode_t modeFor(const std::string& path)
{
    struct stat existing
    {
    };
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::optional<std::string> WriteWholeFile(const std::string& given, std::string_view bytes)
{
    if (given.empty() || given.back() == '/')
        return SystemErrorText(EISDIR);
    // Through a symbolic link the file it points to is replaced, not the link.
    std::string path = given;
    struct stat link
    {
    };
    if (::lstat(given.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* target = ::realpath(given.c_str(), nullptr)) {
            path = target;
            std::free(target);
        }
    }
    struct stat target
    {
    };
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
        return SystemErrorText(EISDIR); // rename would put the file nowhere sensible
    std::string temporary = folderOf(path) + ".quorvel-calc-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return SystemErrorText(errno);
    const bool written =
        writeAll(fd, bytes) && ::fchmod(fd, modeFor(path)) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 && written) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        return SystemErrorText(closeError);
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return SystemErrorText(writeError);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return SystemErrorText(renameError);
    }
    // The rename itself reaches the disk with the folder; a failure here changes nothing the
    // caller could still act on.
    const std::string folder = folderOf(path);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

} // namespace quorvel::calc
