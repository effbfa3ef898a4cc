// SPDX-License-Identifier: GPL-3.0-or-later
// Descriptor reads and writes that survive interruptions and non-blocking descriptors.
#include "tools/quorvel-calc/file_streams.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace quorvel::calc {
namespace {

// A non-blocking descriptor that has no room or no data yet: wait until it has.
void waitFor(int fd, short events)
{
    pollfd p{fd, events, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

} // namespace

ssize_t ReadSome(int fd, char* buffer, std::size_t size, int& error)
{
    for (;;) {
        const ssize_t n = read(fd, buffer, size);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            waitFor(fd, POLLIN);
            continue;
        }
        error = errno;
        return -1;
    }
}

bool OutputFile::Flush()
{
    const char* p = m_buffer.data();
    std::size_t left = m_error == 0 ? m_buffer.size() : 0;
    while (left > 0) {
        const ssize_t n = write(m_fd, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            waitFor(m_fd, POLLOUT);
        } else {
            m_error = n < 0 ? errno : EIO; // a write of nothing would repeat for ever
            break;
        }
    }
    m_buffer.clear();
    return m_error == 0;
}

bool OutputFile::Close()
{
    Flush();
    // A descriptor that was never open has already failed at the first write; with nothing
    // written, there is nothing to report.
    if (close(m_fd) != 0 && errno != EINTR && errno != EBADF && m_error == 0)
        m_error = errno;
    return m_error == 0;
}

} // namespace quorvel::calc
