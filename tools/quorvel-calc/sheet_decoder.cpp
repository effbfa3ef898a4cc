// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a sheet line by line as its bytes arrive.
#include "tools/quorvel-calc/sheet_decoder.h"

#include "engine/base/text_encoding.h"

namespace quorvel::calc {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

std::string_view withoutCarriageReturn(std::string_view line)
{
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

} // namespace

bool SheetDecoder::decide(std::string_view& bytes, bool atEnd)
{
    const auto startsAMark = [](std::string_view head) {
        return kUtf8Mark.starts_with(head) || kUtf16LittleMark.starts_with(head) ||
               kUtf16BigMark.starts_with(head);
    };
    // Only bytes that may belong to a mark are taken; they hold no line feed.
    while (!bytes.empty() && startsAMark(m_head + bytes.front()) && m_head != kUtf16LittleMark &&
           m_head != kUtf16BigMark) {
        m_head += bytes.front();
        bytes.remove_prefix(1);
    }
    if (m_head == kUtf16LittleMark) {
        m_encoding = Encoding::Utf16Little;
    } else if (m_head == kUtf16BigMark) {
        m_encoding = Encoding::Utf16Big;
    } else if (m_head == kUtf8Mark) {
        m_encoding = Encoding::Utf8;
    } else if (bytes.empty() && !atEnd) {
        return false; // the start of a mark, or of text that merely begins like one
    } else {
        m_encoding = Encoding::Utf8;
        m_pending = m_head; // text after all
    }
    m_head.clear();
    return true;
}

std::u16string_view SheetDecoder::decodeLine(std::string_view bytes)
{
    ++m_lines;
    m_line.clear();
    if (m_encoding == Encoding::Utf8 && !AppendValidUtf8(m_line, bytes)) {
        m_encoding = Encoding::Windows1252;
        m_windows1252From = m_lines;
    }
    if (m_encoding == Encoding::Windows1252)
        AppendWindows1252(m_line, bytes);
    return m_line;
}

bool SheetDecoder::next(std::string_view& bytes, std::u16string_view& line)
{
    if (m_encoding == Encoding::Undecided && !decide(bytes, false))
        return false;
    if (m_encoding == Encoding::Utf16Little || m_encoding == Encoding::Utf16Big)
        return nextUtf16(bytes, line);

    const std::size_t lf = bytes.find('\n');
    if (!m_pending.empty()) {
        if (lf == std::string_view::npos) {
            m_pending.append(bytes);
            bytes = {};
            return false;
        }
        m_pending.append(bytes.substr(0, lf));
        bytes.remove_prefix(lf + 1);
        line = decodeLine(withoutCarriageReturn(m_pending));
        m_pending.clear();
        return true;
    }
    if (lf == std::string_view::npos) {
        m_pending.assign(bytes);
        bytes = {};
        return false;
    }
    line = decodeLine(withoutCarriageReturn(bytes.substr(0, lf)));
    bytes.remove_prefix(lf + 1);
    return true;
}

bool SheetDecoder::nextUtf16(std::string_view& bytes, std::u16string_view& line)
{
    const bool little = m_encoding == Encoding::Utf16Little;
    const auto unit = [little](char first, char second) {
        const auto a = static_cast<unsigned char>(first);
        const auto b = static_cast<unsigned char>(second);
        return little ? static_cast<char16_t>(a | b << 8) : static_cast<char16_t>(a << 8 | b);
    };
    for (;;) {
        const std::u16string_view units = std::u16string_view(m_units).substr(m_unitsUsed);
        const std::size_t lf = units.find(u'\n');
        if (lf != std::u16string_view::npos) {
            line = units.substr(0, lf);
            if (line.ends_with(u'\r'))
                line.remove_suffix(1);
            m_unitsUsed += lf + 1;
            ++m_lines;
            return true;
        }
        if (bytes.empty())
            return false;
        // The lines handed out so far are gone; decode all new bytes behind the rest.
        m_units.erase(0, m_unitsUsed);
        m_unitsUsed = 0;
        std::size_t i = 0;
        if (!m_pending.empty()) {
            m_units.push_back(unit(m_pending.front(), bytes.front()));
            m_pending.clear();
            i = 1;
        }
        for (; i + 1 < bytes.size(); i += 2)
            m_units.push_back(unit(bytes[i], bytes[i + 1]));
        if (i < bytes.size())
            m_pending.assign(1, bytes[i]);
        bytes = {};
    }
}

bool SheetDecoder::finish(std::u16string_view& line)
{
    if (m_finished)
        return false;
    m_finished = true;
    if (m_encoding == Encoding::Undecided) {
        std::string_view none;
        decide(none, true);
    }
    if (m_encoding == Encoding::Utf16Little || m_encoding == Encoding::Utf16Big) {
        // A last odd byte is half a character; it is dropped.
        line = std::u16string_view(m_units).substr(m_unitsUsed);
        m_unitsUsed = m_units.size();
        if (line.empty())
            return false;
        ++m_lines;
        return true;
    }
    if (m_pending.empty())
        return false;
    line = decodeLine(m_pending);
    m_pending.clear();
    return true;
}

std::vector<std::u16string> SplitSheetLines(std::string_view bytes, std::size_t* windows1252From)
{
    std::vector<std::u16string> lines;
    SheetDecoder decoder;
    const auto keep = [&lines](std::u16string_view line) { lines.emplace_back(line); };
    decoder.Feed(bytes, keep);
    decoder.Finish(keep);
    if (windows1252From != nullptr)
        *windows1252From = decoder.Windows1252From();
    return lines;
}

} // namespace quorvel::calc
