// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows code pages that RTF's \ansicpgN, \fcharsetN and \cpgN select: tables of the
// single-byte ones, for reading \'hh escapes and for writing characters as \'hh, and the names
// of the double-byte ones, which the reader decodes through Qt.
#pragma once

#include <array>
#include <optional>

namespace quorvel::rtf {

inline constexpr int kWindows1252 = 1252;

// The Windows code page of an RTF character set (\fcharsetN): 0 (ANSI) is 1252, 1 (default)
// is the document's code page, 161 Greek 1253, 204 Cyrillic 1251, 238 Central European 1250 ...
// Returns 0 for character sets without a code page of their own (2 Symbol) or unknown ones.
int CodePageOfCharset(int charset, int documentCodePage);

// The name under which QStringDecoder knows one of the double-byte code pages of East Asian
// RTF (932 Japanese, 936 Simplified Chinese, 949 Korean, 950 Traditional Chinese), or nullptr
// for every other code page. In them a byte at or above 0x80 may begin a two-byte character.
const char* DoubleByteCodecName(int codePage);

// One code page with a table here: 1250, 1251, 1252, 1253, 1254, 1257. Bytes below 0x80 are ASCII.
class CodePage
{
public:
    // The table of the code page, or nullptr when there is none.
    static const CodePage* find(int number);
    // find(number), or Windows-1252 when the code page is unknown: the reader's fallback.
    static const CodePage& findOrWindows1252(int number);

    int number() const { return m_number; }
    char16_t decode(unsigned char byte) const
    {
        return byte < 0x80 ? char16_t{byte} : (*m_high)[byte - 0x80u];
    }
    // The byte of the character in this code page, or nothing when it has none.
    std::optional<unsigned char> encode(char16_t ch) const;

    // Characters of the bytes 0x80 to 0xFF.
    using HighHalf = std::array<char16_t, 128>;
    CodePage(int number, const HighHalf& high) : m_number(number), m_high(&high) {}

private:
    int m_number;
    const HighHalf* m_high;
};

} // namespace quorvel::rtf
