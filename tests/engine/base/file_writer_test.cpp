// SPDX-License-Identifier: GPL-3.0-or-later
// The one file writer against every kind of thing that can lie at a path, for a user's file and
// for one of the program's own, and against threads that write at the same time.
#include "engine/base/file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using quorvel::FileOwner;
using quorvel::WriteFileBytes;
using quorvel::WriteRules;

namespace {

class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "writer-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void put(const std::string& path, const std::string& bytes, mode_t mode = 0644)
{
    std::ofstream(path, std::ios::binary) << bytes;
    ::chmod(path.c_str(), mode);
}

mode_t modeOf(const std::string& path, bool follow = false)
{
    struct stat info
    {
    };
    const int found = follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    return found == 0 ? info.st_mode : 0;
}

// What lies at the path before the write, and what the write must leave there.
enum class Kind {
    Missing,
    Regular,
    LinkToFile,
    DanglingLink,
    LinkLoop,
    Folder,
    FifoRead,
    FifoUnread,
    NullDevice,
    Socket
};

struct Case
{
    Kind kind;
    FileOwner owner;
    bool written;      // the call reports success
    const char* where; // the file that then holds the bytes ("" for none or a stream)
};

// `reader` is a FIFO's read end, open before the write as a reading program's would be.
std::string setUp(const TempFolder& folder, Kind kind, int& reader)
{
    const std::string path = folder / "ziel";
    switch (kind) {
    case Kind::Missing:
        break;
    case Kind::Regular:
        put(path, "alt");
        break;
    case Kind::LinkToFile:
        put(folder / "echt", "alt");
        fs::create_symlink("echt", path);
        break;
    case Kind::DanglingLink:
        fs::create_symlink("neu", path);
        break;
    case Kind::LinkLoop:
        fs::create_symlink("ziel", path);
        break;
    case Kind::Folder:
        fs::create_directory(path);
        break;
    case Kind::FifoRead:
        ::mkfifo(path.c_str(), 0600);
        reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        break;
    case Kind::FifoUnread:
        ::mkfifo(path.c_str(), 0600);
        break;
    case Kind::NullDevice:
        return "/dev/null";
    case Kind::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::close(fd);
        break;
    }
    }
    return path;
}

} // namespace

TEST(FileWriter, DecidesByWhatLiesAtThePath)
{
    const Case cases[] = {
        {Kind::Missing, FileOwner::User, true, "ziel"},
        {Kind::Missing, FileOwner::Program, true, "ziel"},
        {Kind::Regular, FileOwner::User, true, "ziel"},
        {Kind::Regular, FileOwner::Program, true, "ziel"},
        // A user's link leads to the file that is replaced; the program's own never does.
        {Kind::LinkToFile, FileOwner::User, true, "echt"},
        {Kind::LinkToFile, FileOwner::Program, false, ""},
        {Kind::DanglingLink, FileOwner::User, true, "neu"},
        {Kind::DanglingLink, FileOwner::Program, false, ""},
        {Kind::LinkLoop, FileOwner::User, false, ""},
        {Kind::Folder, FileOwner::User, false, ""},
        {Kind::Folder, FileOwner::Program, false, ""},
        // Streams take the bytes and stay what they are; a window never waits for a reader.
        {Kind::FifoRead, FileOwner::User, true, ""},
        {Kind::FifoUnread, FileOwner::User, false, ""},
        {Kind::FifoRead, FileOwner::Program, false, ""},
        {Kind::NullDevice, FileOwner::User, true, ""},
        {Kind::NullDevice, FileOwner::Program, false, ""},
        {Kind::Socket, FileOwner::User, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << static_cast<int>(c.kind) << ", owner "
                                          << static_cast<int>(c.owner));
        TempFolder folder;
        int reader = -1;
        const std::string path = setUp(folder, c.kind, reader);
        const mode_t before = modeOf(path);
        WriteRules rules;
        rules.owner = c.owner;
        rules.waitForStream = false;
        rules.streamTimeoutMs = 2000;
        const std::string reason = WriteFileBytes(path, "neu\n", rules);
        EXPECT_EQ(reason.empty(), c.written) << reason;
        if (*c.where) {
            EXPECT_EQ(contents(folder / c.where), "neu\n");
        }
        if (reader >= 0) {
            char got[16] = {};
            const ssize_t size = ::read(reader, got, sizeof got);
            EXPECT_EQ(std::string(got, static_cast<std::size_t>(std::max<ssize_t>(size, 0))),
                      c.written ? "neu\n" : "");
            ::close(reader);
        }
        // Whatever was not a file to replace is still what it was.
        if (c.kind != Kind::Missing && c.kind != Kind::Regular) {
            EXPECT_EQ(modeOf(path) & S_IFMT, before & S_IFMT);
        }
        EXPECT_EQ(modeOf(folder / "echt", true) & S_IFMT,
                  c.kind == Kind::LinkToFile ? S_IFREG : 0u);
        // No temporary file is left behind.
        for (const auto& entry : fs::directory_iterator(folder / ""))
            EXPECT_FALSE(entry.path().string().ends_with(".neu")) << entry.path();
    }
}

TEST(FileWriter, KeepsPermissionsAndNeverTouchesTheUmask)
{
    TempFolder folder;
    put(folder / "privat", "alt", 0600);
    ASSERT_EQ(WriteFileBytes(folder / "privat", "neu"), "");
    EXPECT_EQ(modeOf(folder / "privat") & 07777, 0600u);

    // Many threads write new files at once, as the writer thread and the window do: each gets
    // what the umask gives, and the umask is what it was.
    const mode_t previous = ::umask(022);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&folder, t] {
            for (int k = 0; k < 300; ++k) {
                const std::string path =
                    folder / ("f" + std::to_string(t) + "-" + std::to_string(k));
                WriteFileBytes(path, "x", {FileOwner::Program});
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    const mode_t now = ::umask(previous);
    EXPECT_EQ(now, 022u);
    int wrong = 0;
    for (const auto& entry : fs::directory_iterator(folder / "")) {
        if (entry.path().filename().string().starts_with("f") &&
            (modeOf(entry.path().string()) & 07777) != 0644)
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}
