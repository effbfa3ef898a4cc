// SPDX-License-Identifier: GPL-3.0-or-later
// The lexical layer of the RTF reader: splits RTF bytes into group braces, control words with
// their parameters, control symbols, \'hh bytes, runs of plain text and \binN data.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorvel::rtf {

struct Token
{
    enum class Kind {
        End,
        GroupStart,
        GroupEnd,
        ControlWord,
        ControlSymbol,
        HexByte,
        Text,
        Binary
    };
    Kind kind = Kind::End;
    // ControlWord: the word's letters; Text: plain bytes without CR and LF; Binary: the data.
    std::string_view text;
    // ControlWord: the numeric parameter, clamped to 32 bits; 0 when there is none.
    int parameter = 0;
    bool hasParameter = false;
    // ControlSymbol: the character after the backslash ('\n' for a backslash before a line end,
    // '\'' for a \' without two hex digits).
    char symbol = 0;
    // HexByte: the value of \'hh.
    unsigned char byte = 0;
};

// Never reads past the end of the data: a truncated control word, \' or \binN simply ends there.
// The value of a hex digit, -1 for any other character.
int HexValue(char c);

class Tokenizer
{
public:
    explicit Tokenizer(std::string_view data) : m_data(data) {}
    Token next();
    // Where the next token starts in the data.
    std::size_t position() const { return m_pos; }

private:
    Token controlWord();
    Token controlSymbol();

    std::string_view m_data;
    std::size_t m_pos = 0;
};

} // namespace quorvel::rtf
