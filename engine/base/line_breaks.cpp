// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding and decoding of the line-break marks of stored formulas.
#include "engine/base/line_breaks.h"

namespace quorvel {

std::u16string EncodeLineBreaks(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t& ch : result) {
        if (ch == u'\r')
            ch = kCarriageReturnMark;
        else if (ch == u'\n')
            ch = kLineFeedMark;
    }
    return result;
}

std::u16string DecodeLineBreaks(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t& ch : result) {
        if (ch == kCarriageReturnMark)
            ch = u'\r';
        else if (ch == kLineFeedMark)
            ch = u'\n';
    }
    return result;
}

} // namespace quorvel
