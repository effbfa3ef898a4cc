// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's one exception type. It carries the exact message text that callers show or
// compare; what() gives the same text in UTF-8.
#pragma once

#include <stdexcept>
#include <string>

namespace quorvel {

class QuorvelError : public std::runtime_error
{
public:
    explicit QuorvelError(std::u16string message);

    const std::u16string& message() const noexcept { return m_message; }

private:
    std::u16string m_message;
};

} // namespace quorvel
