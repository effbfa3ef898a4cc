// SPDX-License-Identifier: GPL-3.0-or-later
// The line-break marks of stored formulas: a formula text of several lines is kept
// on one line of the settings file with carriage return and line feed replaced by two marks.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// The marks as characters in memory. In the settings file they are the Windows-1252 bytes 141
// and 138, which decode to U+008D (an undefined byte, kept as itself) and U+0160 "Š".
inline constexpr char16_t kCarriageReturnMark = u'\u008D';
inline constexpr char16_t kLineFeedMark = u'\u0160';

// Carriage return (13) becomes kCarriageReturnMark, line feed (10) kLineFeedMark; every other
// character is copied.
std::u16string EncodeLineBreaks(std::u16string_view text);

// The inverse: kCarriageReturnMark becomes 13, kLineFeedMark 10. As in the original program,
// an "Š" that the user typed into a formula also comes back as a line feed.
std::u16string DecodeLineBreaks(std::u16string_view text);

} // namespace quorvel
