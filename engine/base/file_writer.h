// SPDX-License-Identifier: GPL-3.0-or-later
// The one way Quorvel writes a file, for quorvel-calc and the windows alike. What lies at the
// path decides how: a regular file (or nothing) is replaced whole, through a temporary file
// beside it and one rename, so that a crash or a full disk leaves the old file intact; a FIFO,
// a character device or a terminal is written to as a stream, never renamed over; anything else
// is refused. Files the program keeps for itself (pages, journals, settings) are never written
// through a link or into anything but a regular file.
//
// Never touches the process's umask (threads write at the same time): a new file gets the
// permissions the kernel gives it from the umask; a replaced one keeps its own. Every failure is
// told as the system's reason in German (base/system_messages.h), UTF-8, without a full stop.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace quorvel {

// Whose file it is decides how far the writer follows what lies at the path.
enum class FileOwner {
    // A file the user named: a link leads to the file that is replaced, so a linked file stays
    // linked; a FIFO, a character device or a terminal takes the bytes as a stream.
    User,
    // One of the program's own files: only a regular file, or nothing, is replaced; a link, a
    // FIFO, a device or a folder under its name is refused.
    Program,
};

struct WriteRules
{
    FileOwner owner = FileOwner::User;
    // Whether a stream may keep the caller waiting: for a FIFO's reader to come, and for room in
    // it. A command-line filter waits as a shell's redirection would; a window must not freeze,
    // so it gives up at once when nobody reads and after this long without progress.
    bool waitForStream = true;
    int streamTimeoutMs = 10000;
};

// Writes the bytes to what `path` names, by the rules above. Empty on success, else the reason.
std::string WriteFileBytes(const std::string& path, std::string_view bytes,
                           const WriteRules& rules = {});

// One replacement of one regular file, for callers that act between the bytes reaching the disk
// and the rename (the settings file makes its backup there). The owner decides as above; a
// stream target is refused here.
class AtomicReplacement
{
public:
    AtomicReplacement(const std::string& path, FileOwner owner);
    ~AtomicReplacement(); // removes a temporary file that was not committed
    AtomicReplacement(const AtomicReplacement&) = delete;
    AtomicReplacement& operator=(const AtomicReplacement&) = delete;

    // Writes the bytes into a new temporary file beside the target and syncs it. Nothing has
    // replaced the target yet. Empty on success, else the reason.
    std::string write(std::string_view bytes);
    // Gives the temporary file the target's name and syncs the folder. Empty on success.
    std::string commit();

    // The file that is replaced: the path, or for a user's file the end of the links there.
    const std::string& target() const { return m_target; }

private:
    void discard();

    FileOwner m_owner;
    std::string m_target;
    std::string m_temporary; // empty when there is none
};

// The ending of the temporary files the replacement makes ("QV1.rtf.Ab12Cd.neu").
inline constexpr std::string_view kTemporaryFileSuffix = ".neu";

// Writes all the bytes to the descriptor, going on after a signal or a short write; false with
// errno set when the system refuses.
bool WriteAll(int fd, std::string_view bytes);

// Syncs the folder that holds `path`, so that a rename or removal in it reaches the disk.
// Empty on success, else the reason.
std::string SyncFolderOf(const std::string& path);

// Why a thing of this kind (st_mode) cannot be one of the program's files ("Dort liegt ein
// Ordner, keine gewöhnliche Datei").
std::string NotRegularFileText(mode_t mode);

// The same for what lies at `path` itself, a link not followed; empty for a regular file or
// nothing at all.
std::string OwnFileProblem(const std::string& path);

} // namespace quorvel
