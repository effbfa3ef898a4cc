// SPDX-License-Identifier: GPL-3.0-or-later
// Child processes for the command-line tests: fork/exec with pipes, or forkpty.
#include "tests/tools/process_runner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

std::vector<char*> argvPointers(const std::vector<std::string>& argv)
{
    std::vector<char*> pointers;
    for (const std::string& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int exitStatus(pid_t pid)
{
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

[[noreturn]] void execOrDie(const std::vector<std::string>& argv)
{
    std::vector<char*> pointers = argvPointers(argv);
    execv(pointers[0], pointers.data());
    _exit(127);
}

} // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& stdinBytes)
{
    std::signal(SIGPIPE, SIG_IGN); // a child that stops reading must not end the test
    int in[2];
    int out[2];
    int err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        execOrDie(argv);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    ProcessResult result;
    std::size_t written = 0;
    int inFd = in[1];
    if (stdinBytes.empty()) {
        close(inFd);
        inFd = -1;
    } else {
        fcntl(inFd, F_SETFL, O_NONBLOCK);
    }
    bool outOpen = true;
    bool errOpen = true;
    char buffer[65536];
    while (outOpen || errOpen || inFd >= 0) {
        pollfd fds[3] = {{outOpen ? out[0] : -1, POLLIN, 0},
                         {errOpen ? err[0] : -1, POLLIN, 0},
                         {inFd, POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int k = 0; k < 2; ++k) {
            if (fds[k].revents == 0)
                continue;
            const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
            if (n > 0) {
                (k == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            } else {
                (k == 0 ? outOpen : errOpen) = false;
            }
        }
        if (inFd >= 0 && fds[2].revents != 0) {
            const ssize_t n = write(inFd, stdinBytes.data() + written, stdinBytes.size() - written);
            if (n > 0)
                written += static_cast<std::size_t>(n);
            if (n < 0 || written == stdinBytes.size()) {
                close(inFd);
                inFd = -1;
            }
        }
    }
    close(out[0]);
    close(err[0]);
    result.status = exitStatus(pid);
    return result;
}

Conversation::Conversation(const std::vector<std::string>& argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execOrDie(argv);
    }
    close(in[0]);
    close(out[1]);
    m_in = in[1];
    m_out = out[0];
}

Conversation::~Conversation()
{
    if (m_pid > 0)
        finish();
}

void Conversation::send(const std::string& bytes)
{
    std::size_t written = 0;
    while (m_in >= 0 && written < bytes.size()) {
        const ssize_t n = write(m_in, bytes.data() + written, bytes.size() - written);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            break;
    }
}

std::string Conversation::readUntil(const std::string& until, int seconds)
{
    std::string got;
    char buffer[4096];
    for (int waited = 0; !got.ends_with(until) && waited < seconds * 10;) {
        pollfd p{m_out, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready == 0) {
            ++waited;
            continue;
        }
        if (ready < 0 && errno == EINTR)
            continue;
        const ssize_t n = ready > 0 ? read(m_out, buffer, sizeof buffer) : -1;
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

ProcessResult Conversation::finish()
{
    ProcessResult result;
    if (m_in >= 0)
        close(m_in);
    m_in = -1;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(m_out, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0)
            result.out.append(buffer, static_cast<std::size_t>(n));
    }
    close(m_out);
    result.status = exitStatus(m_pid);
    m_pid = -1;
    return result;
}

bool TerminalAvailable()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

TerminalSession::TerminalSession(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& environment)
{
    std::signal(SIGPIPE, SIG_IGN);
    m_pid = forkpty(&m_master, nullptr, nullptr, nullptr);
    if (m_pid < 0)
        throw std::runtime_error("forkpty failed");
    if (m_pid == 0) {
        for (const std::string& entry : environment)
            putenv(const_cast<char*>(entry.c_str()));
        execOrDie(argv);
    }
}

TerminalSession::~TerminalSession()
{
    if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    close(m_master);
}

void TerminalSession::type(const std::string& keys)
{
    if (write(m_master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
        throw std::runtime_error("typing on the terminal failed");
}

bool TerminalSession::waitFor(const std::string& text, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        if (const std::size_t found = m_shown.find(text, m_seen); found != std::string::npos) {
            m_seen = found + text.size();
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        pollfd fds{m_master, POLLIN, 0};
        if (poll(&fds, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n > 0)
            m_shown.append(buffer, static_cast<std::size_t>(n));
        else if (!(n < 0 && errno == EINTR))
            return false; // the terminal ended
    }
}

int TerminalSession::finish(int seconds)
{
    int raw = 0;
    for (int waited = 0; waited < seconds * 20; ++waited) {
        waitFor("\x01never shown\x01", 0); // keeps reading, so the child is never held up
        const pid_t pid = waitpid(m_pid, &raw, WNOHANG);
        if (pid == m_pid) {
            m_pid = -1;
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        }
        usleep(50000);
    }
    return -1;
}

ProcessResult RunInTerminal(const std::vector<std::string>& argv)
{
    // The parent keeps the slave side open too: otherwise reading the master fails with EIO
    // as soon as the child exits, possibly before the terminal has passed on its last output.
    termios raw{};
    cfmakeraw(&raw);
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(master);
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        if (slave > STDERR_FILENO)
            close(slave);
        execOrDie(argv);
    }

    // Output written to a terminal arrives in order. Once the child has exited, the parent
    // writes a sentinel through the slave side; when it shows up on the master side, all the
    // child wrote has been read.
    constexpr std::string_view sentinel = "\x02quorvel-test-end\x03";
    ProcessResult result;
    char buffer[65536];
    bool exited = false;
    int rawStatus = 0;
    while (!(exited && result.out.ends_with(sentinel))) {
        pollfd fds{master, POLLIN, 0};
        const int ready = poll(&fds, 1, 5);
        if (ready > 0) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0)
                result.out.append(buffer, static_cast<std::size_t>(n));
            else if (!(n < 0 && errno == EINTR))
                break;
        } else if (ready < 0 && errno != EINTR) {
            break;
        }
        if (!exited && waitpid(pid, &rawStatus, WNOHANG) == pid) {
            exited = true;
            if (write(slave, sentinel.data(), sentinel.size()) !=
                static_cast<ssize_t>(sentinel.size()))
                break;
        }
    }
    close(master);
    close(slave);
    if (!exited)
        waitpid(pid, &rawStatus, 0);
    if (result.out.ends_with(sentinel))
        result.out.resize(result.out.size() - sentinel.size());
    result.status = WIFEXITED(rawStatus) ? WEXITSTATUS(rawStatus) : -1;
    return result;
}

TempFile::TempFile(const std::string& bytes, const std::string& name)
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvel-calc-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    m_path = m_dir + "/" + name;
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + m_path);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

TempFile::~TempFile()
{
    std::remove(m_path.c_str());
    rmdir(m_dir.c_str());
}

} // namespace quorvel::testing
