// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the program's files through their descriptors, with every failure kept
// and told: a filter whose output is cut must not report success.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace quorvel::calc {

// Reads what is there, up to size bytes, waiting for at least one (the descriptor may be
// non-blocking, as a terminal shared with another program can be). Returns the count, 0 at
// the end, -1 with error set.
ssize_t ReadSome(int fd, char* buffer, std::size_t size, int& error);

// An output descriptor behind a buffer: the caller appends to Buffer() and flushes when it
// likes. After the first failed write nothing more is written, and the failure is kept.
class OutputFile
{
public:
    explicit OutputFile(int fd) : m_fd(fd) {}

    std::string& Buffer() { return m_buffer; }
    // Writes the whole buffer; false once a write has failed.
    bool Flush();
    // Flush, then close the descriptor, whose close may report a write the system deferred.
    bool Close();
    // errno of the first failure; 0 while none.
    int Error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
    std::string m_buffer;
};

} // namespace quorvel::calc
