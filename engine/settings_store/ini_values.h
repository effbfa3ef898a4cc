// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed text forms of the values kept in the settings file: integers, booleans, reals and
// date-times, written and read the same way whatever the user's regional settings are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// Decimal with an optional sign, or "0x"/"0X" followed by up to eight significant hexadecimal
// digits (a 32-bit pattern, so "0xFFFFFFFF" is -1). Leading blanks are skipped; anything else
// left over, or a value beyond the 32-bit range, is not an integer.
std::optional<int> parseIniInteger(std::u16string_view text);
std::u16string formatIniInteger(int value);

// The general number format: at most 15 significant digits, trailing zeros dropped, "." as
// decimal point; fixed notation while the integer part has at most 15 digits and the magnitude
// is at least 0.00001, otherwise "1.5E20" / "-2E-7". Non-finite values are "NAN", "INF", "-INF".
std::u16string formatGeneralReal(double value);

// The whole text must be a decimal number ("." as decimal point, optional sign, optional
// exponent); leading blanks are allowed, nothing may follow. "NAN", "INF", hexadecimal forms and
// numbers beyond the range of a double are not numbers.
std::optional<double> parseRealText(std::u16string_view text);

// A calendar date with a time of day, as the date conversions of the settings store see it.
struct DateTimeFields
{
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTimeFields&, const DateTimeFields&) = default;
};

// "dd.mm.yyyy", followed by " hh:mm:ss" only when the time of day is not midnight.
std::u16string formatDateTimeText(const DateTimeFields& dateTime);

// Day, month and year separated by "." (one to four year digits; a year of one or two digits
// falls into the hundred years that begin 50 years before `currentYear`),
// optionally followed by blanks and "h:m" or "h:m:s". Surrounding blanks are allowed. Nothing
// when the text is not such a date or names no real day or time.
std::optional<DateTimeFields> parseDateTimeText(std::u16string_view text, int currentYear);

} // namespace quorvel
