// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/text_helpers.h"

#include "engine/base/quorvel_error.h"

#include <algorithm>

namespace quorvel {

std::int32_t CharPos(char16_t c, std::u16string_view text)
{
    const std::size_t i = text.find(c);
    return i == std::u16string_view::npos ? 0 : static_cast<std::int32_t>(i + 1);
}

bool ContainsAnyOf(std::u16string_view chars, std::u16string_view text)
{
    return text.find_first_of(chars) != std::u16string_view::npos;
}

bool Contains(std::u16string_view text, char16_t c)
{
    // Of the width of a character, so that each vector step compares eight at once; a bool
    // would not be vectorised at all (GCC 12).
    std::uint16_t found = 0;
    for (const char16_t ch : text)
        found |= static_cast<std::uint16_t>(ch == c);
    return found != 0;
}

std::u16string RemoveChar(std::u16string_view text, char16_t c)
{
    std::u16string result;
    RemoveCharInto(result, text, c);
    return result;
}

void RemoveCharInto(std::u16string& out, std::u16string_view text, char16_t c)
{
    // Most formulas have no blank at all; otherwise the runs between them go over whole.
    if (!Contains(text, c)) {
        out.assign(text);
        return;
    }
    out.clear();
    for (;;) {
        const std::size_t at = text.find(c);
        out.append(text.substr(0, at));
        if (at == std::u16string_view::npos)
            return;
        text.remove_prefix(at + 1);
    }
}

TStrArray::TStrArray(std::int32_t capacity)
    : m_items(static_cast<std::size_t>(capacity) + 1), m_capacity(capacity)
{
}

void TStrArray::setitem(std::int32_t i, std::u16string_view s)
{
    if (i < 0 || i >= m_capacity)
        throw QuorvelError(u"Arraygrenzen \u00FCberschritten in strarray.setitem");
    m_items[static_cast<std::size_t>(i)].assign(s);
    if (m_count < i + 1)
        m_count = i + 1;
    if (!s.empty() && m_filled < i + 1)
        m_filled = i + 1;
}

void TStrArray::clearItems(std::int32_t from, std::int32_t to)
{
    if (from < 0 || to > m_capacity)
        throw QuorvelError(u"Arraygrenzen \u00FCberschritten in strarray.setitem");
    // Slots past the last one filled are empty already; most lines fill only a few.
    for (std::int32_t i = from; i < std::min(to, m_filled); ++i)
        m_items[static_cast<std::size_t>(i)].clear();
    if (to >= m_filled)
        m_filled = std::min(m_filled, from);
    m_count = std::max(m_count, to);
}

const std::u16string& TStrArray::getitem(std::int32_t i) const
{
    if (i < 0 || i >= m_count)
        throw QuorvelError(u"Arraygrenzen \u00FCberschritten in strarray.getitem");
    return m_items[static_cast<std::size_t>(i)];
}

tokenObj::tokenObj(std::u16string_view text)
    : m_text(text), m_length(static_cast<std::int32_t>(text.size()))
{
}

std::u16string_view tokenObj::FetchToken(std::u16string_view delimiters)
{
    if (m_position >= m_length)
        return {};
    // 0-based: the token starts at first and ends before end. Most splits are at one character
    // ("=" or the blank), which the string's own search finds.
    const auto from = static_cast<std::size_t>(m_position);
    const std::size_t skip = delimiters.size() == 1
                                 ? m_text.find_first_not_of(delimiters.front(), from)
                                 : m_text.find_first_not_of(delimiters, from);
    if (skip == std::u16string_view::npos) {
        m_start = m_position = m_length + 1;
        return {};
    }
    std::size_t end = m_text.size();
    if (delimiters.size() != 1)
        end = std::min(m_text.find_first_of(delimiters, skip), end);
    else if (Contains(m_text.substr(skip), delimiters.front()))
        end = m_text.find(delimiters.front(), skip);
    m_start = static_cast<std::int32_t>(skip + 1);
    m_position = static_cast<std::int32_t>(end + 1);
    return m_text.substr(skip, end - skip);
}

std::int32_t SplitLine(std::u16string_view text, std::u16string_view delimiters, TStrArray& array)
{
    tokenObj tokens(Trim(text));
    std::int32_t j = 0;
    while (!tokens.AtEnd()) {
        const std::u16string_view part = Trim(tokens.FetchToken(delimiters));
        array.setitem(j, part);
        if (!part.empty())
            ++j;
    }
    array.clearItems(j, 20);
    return j;
}

} // namespace quorvel
