// SPDX-License-Identifier: GPL-3.0-or-later
// RTF tokens: a backslash starts a control word (letters, an optional signed number and an
// optional space that belongs to the word) or a control symbol (one other character); braces
// open and close groups; CR and LF outside control words carry no meaning.
#include "gui/rtf/tokenizer.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quorvel::rtf {
namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

Token tokenOf(Token::Kind kind)
{
    Token token;
    token.kind = kind;
    return token;
}

} // namespace

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Token Tokenizer::next()
{
    while (m_pos < m_data.size()) {
        const char c = m_data[m_pos];
        switch (c) {
        case '{':
            ++m_pos;
            return tokenOf(Token::Kind::GroupStart);
        case '}':
            ++m_pos;
            return tokenOf(Token::Kind::GroupEnd);
        case '\\':
            ++m_pos;
            if (m_pos >= m_data.size())
                return {};
            return isLetter(m_data[m_pos]) ? controlWord() : controlSymbol();
        case '\r':
        case '\n':
            ++m_pos;
            continue;
        default: {
            const std::size_t start = m_pos;
            while (m_pos < m_data.size()) {
                const char t = m_data[m_pos];
                if (t == '{' || t == '}' || t == '\\' || t == '\r' || t == '\n')
                    break;
                ++m_pos;
            }
            Token token = tokenOf(Token::Kind::Text);
            token.text = m_data.substr(start, m_pos - start);
            return token;
        }
        }
    }
    return {};
}

Token Tokenizer::controlWord()
{
    Token token = tokenOf(Token::Kind::ControlWord);
    const std::size_t start = m_pos;
    while (m_pos < m_data.size() && isLetter(m_data[m_pos]))
        ++m_pos;
    token.text = m_data.substr(start, m_pos - start);

    bool negative = false;
    if (m_pos + 1 < m_data.size() && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < m_data.size() && isDigit(m_data[m_pos])) {
        // Any number of digits is accepted; the value saturates at the 32-bit range.
        constexpr std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + 1;
        std::int64_t value = 0;
        while (m_pos < m_data.size() && isDigit(m_data[m_pos])) {
            value = std::min(limit, value * 10 + (m_data[m_pos] - '0'));
            ++m_pos;
        }
        value = negative ? -value : std::min(value, limit - 1);
        token.parameter = static_cast<int>(value);
        token.hasParameter = true;
    }
    if (m_pos < m_data.size() && m_data[m_pos] == ' ')
        ++m_pos;

    if (token.text == "bin") {
        // \binN: N bytes of raw data follow the delimiter; they may contain braces and backslashes.
        const std::size_t length = std::min<std::size_t>(
            static_cast<std::size_t>(std::max(token.parameter, 0)), m_data.size() - m_pos);
        token.kind = Token::Kind::Binary;
        token.text = m_data.substr(m_pos, length);
        m_pos += length;
    }
    return token;
}

Token Tokenizer::controlSymbol()
{
    const char c = m_data[m_pos++];
    Token token = tokenOf(Token::Kind::ControlSymbol);
    token.symbol = c == '\r' ? '\n' : c;
    if (c == '\'') {
        const int high = m_pos < m_data.size() ? HexValue(m_data[m_pos]) : -1;
        const int low = m_pos + 1 < m_data.size() ? HexValue(m_data[m_pos + 1]) : -1;
        if (high >= 0 && low >= 0) {
            token.kind = Token::Kind::HexByte;
            token.byte = static_cast<unsigned char>(high * 16 + low);
            m_pos += 2;
        }
    }
    return token;
}

} // namespace quorvel::rtf
