// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory settings file: parsing, lookup without regard to case, and writing it back.
#include "engine/settings_store/ini_document.h"

#include "engine/base/text_encoding.h"
#include "engine/base/text_helpers.h"
#include "engine/settings_store/ini_values.h"

#include <algorithm>

namespace quorvel {
namespace {

// A simple case fold, enough for component names and for what users type as keys: it maps the
// capital letters of the alphabets a settings file may reasonably hold to their small letters.
char16_t foldChar(char16_t ch)
{
    if (ch < 0x80)
        return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch;
    if ((ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)       // Latin-1 À..Þ without ×
        || (ch >= 0x391 && ch <= 0x3AB && ch != 0x3A2) // Greek Α..Ϋ
        || (ch >= 0x410 && ch <= 0x42F))               // Cyrillic А..Я
        return static_cast<char16_t>(ch + 32);
    if (ch >= 0x400 && ch <= 0x40F) // Cyrillic Ѐ..Џ
        return static_cast<char16_t>(ch + 80);
    if (ch == 0x178) // Ÿ
        return 0xFF;
    if (ch >= 0x100 && ch <= 0x17F && ch != 0x130 && ch != 0x131 && ch != 0x138 && ch != 0x149 &&
        ch != 0x17F) {
        // Latin Extended-A pairs capital and small letter as even/odd, except in the two runs
        // Ĺ..ň and Ź..ž, where the capital is the odd one.
        const bool oddCapitals = (ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E);
        if (oddCapitals ? (ch % 2 == 1) : (ch % 2 == 0))
            return static_cast<char16_t>(ch + 1);
    }
    return ch;
}

std::u16string foldCase(std::u16string_view text)
{
    std::u16string folded(text);
    for (char16_t& ch : folded)
        ch = foldChar(ch);
    return folded;
}

} // namespace

IniDocument IniDocument::fromBytes(std::string_view bytes)
{
    return fromText(DecodeTextFile(bytes));
}

IniDocument IniDocument::fromText(std::u16string_view text)
{
    IniDocument document;
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const std::u16string_view line = Trim(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == u'\r')
            ++pos;
        if (pos < text.size() && text[pos] == u'\n')
            ++pos;

        if (line.empty() || line.front() == u';')
            continue;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            current = &document.sectionForWriting(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current == nullptr)
            continue;
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos)
            appendEntry(*current, line, {});
        else
            appendEntry(*current, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
    return document;
}

std::u16string IniDocument::toText() const
{
    std::u16string text;
    for (const Section& section : m_sections) {
        text += u'[';
        text += section.name;
        text += u"]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.key;
            text += u'=';
            text += entry.value;
            text += u"\r\n";
        }
        text += u"\r\n";
    }
    return text;
}

std::string IniDocument::toBytes() const
{
    const std::u16string text = toText();
    if (auto legacy = EncodeWindows1252(text)) {
        // Reading takes valid UTF-8 for UTF-8, so Windows-1252 bytes that happen to form valid
        // UTF-8 ("Ã©") would not read back; such a text gets the byte-order mark instead.
        const bool plainAscii = std::all_of(legacy->begin(), legacy->end(),
                                            [](char byte) { return (byte & 0x80) == 0; });
        if (plainAscii || !IsValidUtf8(*legacy))
            return std::move(*legacy);
    }
    return "\xEF\xBB\xBF" + EncodeUtf8(text);
}

bool IniDocument::sectionExists(std::u16string_view section) const
{
    return findSection(section) != nullptr;
}

bool IniDocument::keyExists(std::u16string_view section, std::u16string_view key) const
{
    return findValue(section, key) != nullptr;
}

std::size_t IniDocument::keyCount(std::u16string_view section) const
{
    const Section* found = findSection(section);
    return found == nullptr ? 0 : found->entries.size();
}

std::vector<std::u16string> IniDocument::sectionNames() const
{
    std::vector<std::u16string> names;
    names.reserve(m_sections.size());
    for (const Section& section : m_sections)
        names.push_back(section.name);
    return names;
}

std::vector<std::u16string> IniDocument::keys(std::u16string_view section) const
{
    std::vector<std::u16string> result;
    if (const Section* found = findSection(section)) {
        result.reserve(found->entries.size());
        for (const Entry& entry : found->entries)
            result.push_back(entry.key);
    }
    return result;
}

std::u16string IniDocument::readString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view fallback) const
{
    const std::u16string* value = findValue(section, key);
    return value == nullptr ? std::u16string(fallback) : *value;
}

void IniDocument::writeString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view value)
{
    Section& target = sectionForWriting(section);
    const auto found = target.keyIndex.find(foldCase(key));
    if (found == target.keyIndex.end()) {
        appendEntry(target, key, value);
        return;
    }
    Entry& entry = target.entries[found->second];
    entry.key = key;
    entry.value = value;
}

int IniDocument::readInteger(std::u16string_view section, std::u16string_view key,
                             int fallback) const
{
    const std::u16string* value = findValue(section, key);
    if (value == nullptr)
        return fallback;
    return parseIniInteger(*value).value_or(fallback);
}

void IniDocument::writeInteger(std::u16string_view section, std::u16string_view key, int value)
{
    writeString(section, key, formatIniInteger(value));
}

bool IniDocument::readBool(std::u16string_view section, std::u16string_view key,
                           bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniDocument::writeBool(std::u16string_view section, std::u16string_view key, bool value)
{
    writeString(section, key, value ? u"1" : u"0");
}

double IniDocument::readReal(std::u16string_view section, std::u16string_view key,
                             double fallback) const
{
    // The default goes through its text, so it comes back rounded to 15 digits, and a NaN
    // or infinite default gives 0 like a stored "NAN" does; parseRealText reads neither.
    const std::u16string text = readString(section, key, formatGeneralReal(fallback));
    return parseRealText(text).value_or(0.0);
}

void IniDocument::writeReal(std::u16string_view section, std::u16string_view key, double value)
{
    writeString(section, key, formatGeneralReal(value));
}

const IniDocument::Section* IniDocument::findSection(std::u16string_view section) const
{
    const auto found = m_sectionIndex.find(foldCase(section));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

const std::u16string* IniDocument::findValue(std::u16string_view section,
                                             std::u16string_view key) const
{
    const Section* found = findSection(section);
    if (found == nullptr)
        return nullptr;
    const auto entry = found->keyIndex.find(foldCase(key));
    return entry == found->keyIndex.end() ? nullptr : &found->entries[entry->second].value;
}

IniDocument::Section& IniDocument::sectionForWriting(std::u16string_view section)
{
    const auto [found, inserted] = m_sectionIndex.try_emplace(foldCase(section), m_sections.size());
    if (inserted)
        m_sections.push_back(Section{std::u16string(section), {}, {}});
    return m_sections[found->second];
}

void IniDocument::appendEntry(Section& section, std::u16string_view key, std::u16string_view value)
{
    section.keyIndex.try_emplace(foldCase(key), section.entries.size());
    section.entries.push_back(Entry{std::u16string(key), std::u16string(value)});
}

} // namespace quorvel
