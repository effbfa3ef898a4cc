// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic output files with POSIX calls: mkstemp in the target's folder (a rename works only
// within one file system), write, fsync, rename.
#include "output_file.h"

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

std::string FileErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return "Ordner nicht vorhanden";
    case EACCES:
    case EPERM:
        return "keine Berechtigung";
    case ENOSPC:
        return "kein Platz mehr auf dem Datenträger";
    case EDQUOT:
        return "Speicherkontingent erschöpft";
    case EROFS:
        return "nur lesbares Dateisystem";
    case EISDIR:
        return "ist ein Ordner";
    case ENOTDIR:
        return "ein Teil des Pfads ist kein Ordner";
    case ENAMETOOLONG:
        return "Name zu lang";
    case EFBIG:
        return "Datei zu groß";
    case EIO:
        return "Ein-/Ausgabefehler";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

std::optional<std::string> WriteWholeFile(const std::string& given, std::string_view bytes)
{
    if (given.empty() || given.back() == '/')
        return FileErrorText(EISDIR);
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
        return FileErrorText(EISDIR); // rename would put the file nowhere sensible
    std::string temporary = folderOf(path) + ".quorvel-calc-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return FileErrorText(errno);
    const bool written =
        writeAll(fd, bytes) && ::fchmod(fd, modeFor(path)) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 && written) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        return FileErrorText(closeError);
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return FileErrorText(writeError);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return FileErrorText(renameError);
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
