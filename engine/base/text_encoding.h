// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between the engine's UTF-16 text and the byte encodings of the files Quorvel
// reads and writes: Windows-1252 (legacy settings and worksheets) and UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// Every byte maps to one character; the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 ... so that any byte string round-trips.
std::u16string DecodeWindows1252(std::string_view bytes);

// The character's Windows-1252 byte, or nothing when the code page has no such character.
std::optional<unsigned char> Windows1252Byte(char16_t ch);

// The whole text in Windows-1252, or nothing when one character (or a surrogate pair) does not fit.
std::optional<std::string> EncodeWindows1252(std::u16string_view text);

// Appends the characters of bytes to out (one character per byte).
void AppendWindows1252(std::u16string& out, std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);
// Invalid sequences become U+FFFD; a leading byte-order mark is kept as U+FEFF.
std::u16string DecodeUtf8(std::string_view bytes);
// Appends the characters of bytes to out when bytes are valid UTF-8; otherwise returns false
// and leaves out as it was. Text read piece by piece goes through here into one buffer.
bool AppendValidUtf8(std::u16string& out, std::string_view bytes);
// Unpaired surrogates become U+FFFD.
std::string EncodeUtf8(std::u16string_view text);
// The same, appended to out: output written line by line into one buffer.
void AppendUtf8(std::string& out, std::u16string_view text);

// Files of unknown origin: valid UTF-8 reads as UTF-8, anything else as Windows-1252; a UTF-8
// byte-order mark is dropped first.
std::u16string DecodeUtf8OrWindows1252(std::string_view bytes);

// Text files and settings files: UTF-16 little or big endian by their byte-order marks (the mark
// dropped), anything else as DecodeUtf8OrWindows1252.
std::u16string DecodeTextFile(std::string_view bytes);

} // namespace quorvel
