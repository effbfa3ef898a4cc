// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"

#include "engine/base/text_encoding.h"

namespace quorvel {

QuorvelError::QuorvelError(std::u16string message)
    : std::runtime_error(EncodeUtf8(message)), m_message(std::move(message))
{
}

} // namespace quorvel
