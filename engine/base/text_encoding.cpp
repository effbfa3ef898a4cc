// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252 and UTF-8 conversion for the engine, without any locale involvement.
#include "engine/base/text_encoding.h"

#include "engine/base/vector_steps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel {
namespace {

// 0x80..0x9F; the rest of the code page is identical to Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

constexpr char16_t kReplacement = u'\uFFFD';

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Copies each code unit as one of the other width and tells whether all were ASCII: the
// loop for texts shorter than a vector step and for processors without SSE2.
template <typename Char, typename Out> bool copyIfAscii(const Char* in, std::size_t n, Out* out)
{
    unsigned any = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto unit = static_cast<std::make_unsigned_t<Char>>(in[i]);
        any |= unit;
        out[i] = static_cast<Out>(unit);
    }
    return any < 0x80;
}

// Nearly every line is ASCII alone: copied (each character as one code unit of the other
// width) and tested in the same pass. Whether the text was ASCII; when not, what was written is
// for the caller to overwrite. Lines are short, so the vector steps take sixteen or eight units
// and the last step overlaps the one before rather than leaving a tail to go one by one.
bool widenIfAscii(std::string_view text, char16_t* out)
{
    const std::size_t n = text.size();
    const char* in = text.data();
#if defined(__SSE2__)
    if (n >= 8) {
        const __m128i zero = _mm_setzero_si128();
        __m128i any = zero;
        const auto step8 = [&](std::size_t i) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i));
            any = _mm_or_si128(any, v);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        };
        std::size_t i = 0;
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            any = _mm_or_si128(any, v);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
        }
        if (i + 8 <= n) {
            step8(i);
            i += 8;
        }
        if (i < n)
            step8(n - 8);
        return _mm_movemask_epi8(any) == 0;
    }
#endif
    return copyIfAscii(in, n, out);
}

bool narrowIfAscii(std::u16string_view text, char* out)
{
    const std::size_t n = text.size();
    const char16_t* in = text.data();
#if defined(__SSE2__)
    if (n >= 8) {
        __m128i any = _mm_setzero_si128();
        const auto step8 = [&](std::size_t i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            any = _mm_or_si128(any, v);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(v, v));
        };
        InStepsOfEight(n, step8);
        const __m128i high = _mm_and_si128(any, _mm_set1_epi16(static_cast<short>(0xFF80)));
        return _mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) == 0xFFFF;
    }
#endif
    return copyIfAscii(in, n, out);
}

// Writes cp as one code unit or a surrogate pair; returns the position behind it.
char16_t* putUtf16(char16_t* p, char32_t cp)
{
    if (cp < 0x10000) {
        *p++ = static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        *p++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *p++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    return p;
}

// Decodes one UTF-8 sequence at bytes[i]; returns its length, or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF are not valid).
std::size_t decodeUtf8At(std::string_view bytes, std::size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1Fu;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0Fu;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07u;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > bytes.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::u16string DecodeWindows1252(std::string_view bytes)
{
    std::u16string out;
    AppendWindows1252(out, bytes);
    return out;
}

void AppendWindows1252(std::u16string& out, std::string_view bytes)
{
    out.reserve(out.size() + bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80u] : char16_t{b});
    }
}

std::optional<unsigned char> Windows1252Byte(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (std::size_t k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] == ch)
            return static_cast<unsigned char>(0x80 + k);
    }
    return std::nullopt;
}

std::optional<std::string> EncodeWindows1252(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t ch : text) {
        const auto byte = Windows1252Byte(ch);
        if (!byte)
            return std::nullopt;
        out.push_back(static_cast<char>(*byte));
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = decodeUtf8At(bytes, i, cp);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::u16string DecodeUtf8(std::string_view bytes)
{
    // One code unit per byte at most: a four-byte sequence makes two.
    std::u16string out(bytes.size(), u'\0');
    char16_t* p = out.data();
    for (std::size_t i = 0; i < bytes.size();) {
        // ASCII, most of any sheet, needs no decoding.
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            *p++ = static_cast<char16_t>(bytes[i]);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = decodeUtf8At(bytes, i, cp);
        if (len == 0) {
            *p++ = kReplacement;
            ++i;
        } else {
            p = putUtf16(p, cp);
            i += len;
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

bool AppendValidUtf8(std::u16string& out, std::string_view bytes)
{
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    if (widenIfAscii(bytes, out.data() + start))
        return true;
    char16_t* p = out.data() + start;
    for (std::size_t i = 0; i < bytes.size();) {
        // ASCII, nearly all of a sheet, in runs.
        while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
            *p++ = static_cast<char16_t>(bytes[i++]);
        if (i == bytes.size())
            break;
        char32_t cp = 0;
        const std::size_t len = decodeUtf8At(bytes, i, cp);
        if (len == 0) {
            out.resize(start);
            return false;
        }
        p = putUtf16(p, cp);
        i += len;
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return true;
}

std::string EncodeUtf8(std::u16string_view text)
{
    std::string out;
    AppendUtf8(out, text);
    return out;
}

void AppendUtf8(std::string& out, std::u16string_view text)
{
    const std::size_t start = out.size();
    out.resize(start + text.size());
    if (narrowIfAscii(text, out.data() + start))
        return;
    // Written through a pointer into room for the longest case (three bytes per code unit; a
    // surrogate pair takes four for two), then cut to what was written.
    out.resize(start + text.size() * 3);
    char* p = out.data() + start;
    const auto put = [&p](char32_t byte) { *p++ = static_cast<char>(byte); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        // ASCII, nearly all of a sheet's output, in runs.
        while (i < text.size() && text[i] < 0x80)
            *p++ = static_cast<char>(text[i++]);
        if (i == text.size())
            break;
        char32_t cp = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
            cp = kReplacement;
        }
        if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
}

std::u16string DecodeUtf8OrWindows1252(std::string_view bytes)
{
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    // The mark only says what the writer meant: an editor that added it to a Windows-1252 file
    // left bytes that UTF-8 would turn into U+FFFD.
    if (bytes.starts_with(bom))
        bytes.remove_prefix(bom.size());
    if (IsValidUtf8(bytes))
        return DecodeUtf8(bytes);
    return DecodeWindows1252(bytes);
}

std::u16string DecodeTextFile(std::string_view bytes)
{
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF"))
        return DecodeUtf8OrWindows1252(bytes);
    std::u16string text;
    text.reserve(bytes.size() / 2);
    // A last odd byte is half a character; it is dropped.
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(little ? static_cast<char16_t>(first | second << 8)
                              : static_cast<char16_t>(first << 8 | second));
    }
    return text;
}

} // namespace quorvel
