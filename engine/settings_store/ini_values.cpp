// SPDX-License-Identifier: GPL-3.0-or-later
// Locale-free number and date texts for the settings file (std::to_chars / std::from_chars only).
#include "engine/settings_store/ini_values.h"

#include "engine/base/text_helpers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace quorvel {
namespace {

bool isDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}
bool isBlank(char16_t ch)
{
    return ch <= u' ';
}

int hexDigitValue(char16_t ch)
{
    if (isDigit(ch))
        return ch - u'0';
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    return -1;
}

std::u16string fromAscii(std::string_view text)
{
    return {text.begin(), text.end()};
}

// Reads 1 to maxDigits decimal digits at text[pos]; advances pos.
std::optional<int> readDigits(std::u16string_view text, std::size_t& pos, std::size_t maxDigits)
{
    int value = 0;
    std::size_t count = 0;
    while (pos < text.size() && isDigit(text[pos]) && count < maxDigits) {
        value = value * 10 + (text[pos] - u'0');
        ++pos;
        ++count;
    }
    if (count == 0 || (pos < text.size() && isDigit(text[pos])))
        return std::nullopt;
    return value;
}

bool expect(std::u16string_view text, std::size_t& pos, char16_t ch)
{
    if (pos >= text.size() || text[pos] != ch)
        return false;
    ++pos;
    return true;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[static_cast<std::size_t>(month - 1)];
}

void appendTwoDigits(std::u16string& out, int value)
{
    out.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
    out.push_back(static_cast<char16_t>(u'0' + value % 10));
}

} // namespace

std::optional<int> parseIniInteger(std::u16string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
    text.remove_prefix(pos);
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        std::uint64_t value = 0;
        for (char16_t ch : text.substr(2)) {
            const int digit = hexDigitValue(ch);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char16_t ch : text) {
        if (!isDigit(ch))
            return std::nullopt;
        value = value * 10 + (ch - u'0');
        if (value > std::int64_t{1} << 31)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

std::u16string formatIniInteger(int value)
{
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return fromAscii({buffer.data(), result.ptr});
}

std::u16string formatGeneralReal(double value)
{
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value > 0 ? u"INF" : u"-INF";
    if (value == 0)
        return u"0";

    // "d.dddddddddddddde±x": the 15 significant digits, correctly rounded, and the exponent.
    std::array<char, 40> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, 14);
    const std::string_view text(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));
    const std::size_t ePos = text.find('e');
    std::string_view mantissa = text.substr(0, ePos);
    const bool negative = mantissa.front() == '-';
    if (negative)
        mantissa.remove_prefix(1);
    std::string digits;
    for (char ch : mantissa) {
        if (ch != '.')
            digits.push_back(ch);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string_view expText = text.substr(ePos + 1);
    if (expText.front() == '+')
        expText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    const auto digitCount = static_cast<int>(digits.size());
    std::string out = negative ? "-" : "";
    if (exponent < 15 && exponent >= -5) {
        if (exponent >= 0) {
            const int intDigits = exponent + 1;
            for (int i = 0; i < intDigits; ++i)
                out.push_back(i < digitCount ? digits[static_cast<std::size_t>(i)] : '0');
            if (digitCount > intDigits) {
                out.push_back('.');
                out.append(digits, static_cast<std::size_t>(intDigits));
            }
        } else {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        }
    } else {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1);
        }
        out.push_back('E');
        std::array<char, 8> expBuffer{};
        const auto expResult =
            std::to_chars(expBuffer.data(), expBuffer.data() + expBuffer.size(), exponent);
        out.append(expBuffer.data(), expResult.ptr);
    }
    return fromAscii(out);
}

std::optional<double> parseRealText(std::u16string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
    // Check the grammar here: from_chars would also take "inf", "nan" and hexadecimal forms.
    std::string ascii;
    ascii.reserve(text.size() - pos);
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        if (text[pos] == u'-')
            ascii.push_back('-');
        ++pos;
    }
    std::size_t mantissaDigits = 0;
    auto copyDigits = [&](std::size_t& counter) {
        while (pos < text.size() && isDigit(text[pos])) {
            ascii.push_back(static_cast<char>(text[pos]));
            ++pos;
            ++counter;
        }
    };
    copyDigits(mantissaDigits);
    if (pos < text.size() && text[pos] == u'.') {
        ascii.push_back('.');
        ++pos;
        copyDigits(mantissaDigits);
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        ascii.push_back('e');
        ++pos;
        if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
            ascii.push_back(static_cast<char>(text[pos]));
            ++pos;
        }
        std::size_t exponentDigits = 0;
        copyDigits(exponentDigits);
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

std::u16string formatDateTimeText(const DateTimeFields& dateTime)
{
    std::u16string out;
    appendTwoDigits(out, dateTime.day);
    out.push_back(u'.');
    appendTwoDigits(out, dateTime.month);
    out.push_back(u'.');
    appendTwoDigits(out, dateTime.year / 100);
    appendTwoDigits(out, dateTime.year % 100);
    if (dateTime.hour != 0 || dateTime.minute != 0 || dateTime.second != 0) {
        out.push_back(u' ');
        appendTwoDigits(out, dateTime.hour);
        out.push_back(u':');
        appendTwoDigits(out, dateTime.minute);
        out.push_back(u':');
        appendTwoDigits(out, dateTime.second);
    }
    return out;
}

std::optional<DateTimeFields> parseDateTimeText(std::u16string_view text, int currentYear)
{
    text = Trim(text);
    std::size_t pos = 0;
    DateTimeFields result;
    const auto day = readDigits(text, pos, 2);
    if (!day || !expect(text, pos, u'.'))
        return std::nullopt;
    const auto month = readDigits(text, pos, 2);
    if (!month || !expect(text, pos, u'.'))
        return std::nullopt;
    const std::size_t yearStart = pos;
    auto year = readDigits(text, pos, 4);
    if (!year)
        return std::nullopt;
    if (pos - yearStart <= 2) {
        const int centuryBase = currentYear - 50;
        *year += centuryBase / 100 * 100;
        if (*year < centuryBase)
            *year += 100;
    }
    if (pos < text.size()) {
        if (!isBlank(text[pos]))
            return std::nullopt;
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        const auto hour = readDigits(text, pos, 2);
        if (!hour || !expect(text, pos, u':'))
            return std::nullopt;
        const auto minute = readDigits(text, pos, 2);
        if (!minute)
            return std::nullopt;
        std::optional<int> second = 0;
        if (pos < text.size()) {
            if (!expect(text, pos, u':'))
                return std::nullopt;
            second = readDigits(text, pos, 2);
            if (!second || pos != text.size())
                return std::nullopt;
        }
        if (*hour > 23 || *minute > 59 || *second > 59)
            return std::nullopt;
        result.hour = *hour;
        result.minute = *minute;
        result.second = *second;
    }
    if (*year < 1 || *year > 9999 || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month))
        return std::nullopt;
    result.year = *year;
    result.month = *month;
    result.day = *day;
    return result;
}

} // namespace quorvel
