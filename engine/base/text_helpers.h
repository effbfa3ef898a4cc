// SPDX-License-Identifier: GPL-3.0-or-later
// Small text tools of the line evaluation: a bounded string array, a delimiter tokenizer and
// the trimming and splitting that worksheet lines and unit definition lines go through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Leading and trailing characters up to the blank (control characters included) removed.
// Inline: every worksheet line is trimmed several times on its way.
inline std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && text.front() <= u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() <= u' ')
        text.remove_suffix(1);
    return text;
}
// Only the letters a to z change.
inline char16_t UpperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}
// A text's length as the 32-bit positions ErrPos and ErrLen count it.
inline std::int32_t Length32(std::u16string_view text)
{
    return static_cast<std::int32_t>(text.size());
}
// 1-based position of the first c, 0 if none.
std::int32_t CharPos(char16_t c, std::u16string_view text);
bool ContainsAnyOf(std::u16string_view chars, std::u16string_view text);
// Whether text holds c. Every character is looked at, with no stop at the first match, which
// the compiler turns into vector code: on the short lines of a sheet, where the character is
// mostly absent, several times faster than a search.
bool Contains(std::u16string_view text, char16_t c);
std::u16string RemoveChar(std::u16string_view text, char16_t c);
// The same into a buffer that is reused from line to line.
void RemoveCharInto(std::u16string& out, std::u16string_view text, char16_t c);

// A fixed number of string slots; count is the highest slot ever written plus one.
class TStrArray
{
public:
    explicit TStrArray(std::int32_t capacity);

    void setitem(std::int32_t i, std::u16string_view s);
    // setitem(i, "") for every i in [from, to).
    void clearItems(std::int32_t from, std::int32_t to);
    const std::u16string& getitem(std::int32_t i) const;
    std::int32_t count() const { return m_count; }
    std::int32_t capacity() const { return m_capacity; }

private:
    std::vector<std::u16string> m_items;
    std::int32_t m_capacity;
    std::int32_t m_count = 0;
    // Slots at and beyond it are empty: clearing stops there.
    std::int32_t m_filled = 0;
};

// Walks a text token by token; runs of delimiters yield no empty tokens in the middle.
class tokenObj
{
public:
    explicit tokenObj(std::u16string_view text);

    bool AtEnd() const { return m_position >= m_length; }
    std::u16string_view FetchToken(std::u16string_view delimiters);

private:
    std::u16string_view m_text;
    std::int32_t m_length;
    std::int32_t m_start = 1;    // 1-based start of the current token
    std::int32_t m_position = 0; // 1-based index of the delimiter that ended the last token
};

// Splits the trimmed text at the delimiters into trimmed, non-empty parts stored from slot 0;
// slots up to 19 are cleared behind them. Returns the number of parts.
std::int32_t SplitLine(std::u16string_view text, std::u16string_view delimiters, TStrArray& array);

} // namespace quorvel
