#include "quantity/quorvel_error.h"

#include "platform/text_encoding.h"

namespace quorvel {

QuorvelError::QuorvelError(std::u16string message)
    : std::runtime_error(EncodeUtf8(message)), m_message(std::move(message))
{
}

} // namespace quorvel
