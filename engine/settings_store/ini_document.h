// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file held in memory: sections of key=value lines, read whole from the file's bytes
// and written back whole. Plain C++; the store's window side (gui/settings_store/component_store.h)
// does the file access.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel {

// Reading: lines end at CR LF, CR or LF; each line is trimmed of blanks (every character up to
// the space, tabs and control characters included, as Trim in worksheet/text_helpers.h); empty
// lines and lines beginning with ";" are skipped; "[name]" opens the section `name` (trimmed),
// and a section named again continues the earlier one; lines before the first section are
// skipped; any other line is split at its first "=" into key and value, both trimmed, and a line
// without "=" is a key with an empty value. A key found twice keeps both lines; reading finds
// the first.
//
// Section names and keys are matched without regard to letter case (ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic letters). Writing an existing key replaces its line in place
// (with the key spelt as now written); a new key goes to the end of its section, a new section
// after the last one.
//
// Lookups go through a hash index per section, so reading and writing stay linear in the size of
// the file. Keys and values must not contain CR or LF: such a value would come back as two lines
// (stored formula texts use the line-break marks instead).
class IniDocument
{
public:
    IniDocument() = default;

    // The bytes of a settings file: UTF-8 when they begin with a byte-order mark or are valid
    // UTF-8, Windows-1252 otherwise. Any byte string gives a document.
    static IniDocument fromBytes(std::string_view bytes);
    static IniDocument fromText(std::u16string_view text);

    // Every section in order: "[name]", one "key=value" line per key, an empty line; CR LF.
    std::u16string toText() const;
    // toText() in Windows-1252 when every character has a byte there (and those bytes are not
    // by chance valid UTF-8 with non-ASCII in it, which fromBytes would take for UTF-8), else
    // UTF-8 with a byte-order mark.
    std::string toBytes() const;

    bool isEmpty() const { return m_sections.empty(); }
    bool sectionExists(std::u16string_view section) const;
    bool keyExists(std::u16string_view section, std::u16string_view key) const;
    // The number of key lines in the section (0 when there is no such section).
    std::size_t keyCount(std::u16string_view section) const;
    std::vector<std::u16string> sectionNames() const;
    std::vector<std::u16string> keys(std::u16string_view section) const;

    // The stored text, or `fallback` when the key is missing.
    std::u16string readString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view fallback) const;
    void writeString(std::u16string_view section, std::u16string_view key,
                     std::u16string_view value);

    // The stored integer (parseIniInteger), or `fallback` when the key is missing or its value
    // is not an integer.
    int readInteger(std::u16string_view section, std::u16string_view key, int fallback) const;
    void writeInteger(std::u16string_view section, std::u16string_view key, int value);

    // True for every integer other than 0; `fallback` when missing or not an integer.
    bool readBool(std::u16string_view section, std::u16string_view key, bool fallback) const;
    // "1" or "0".
    void writeBool(std::u16string_view section, std::u16string_view key, bool value);

    // Reads the text with formatGeneralReal(fallback) as default; an empty text, "NAN" or a text
    // that parseRealText cannot read gives 0, anything else its number.
    double readReal(std::u16string_view section, std::u16string_view key, double fallback) const;
    // formatGeneralReal.
    void writeReal(std::u16string_view section, std::u16string_view key, double value);

private:
    struct Entry
    {
        std::u16string key;
        std::u16string value;
    };
    struct Section
    {
        std::u16string name;
        std::vector<Entry> entries;
        std::unordered_map<std::u16string, std::size_t> keyIndex; // folded key -> first entry
    };

    const Section* findSection(std::u16string_view section) const;
    const std::u16string* findValue(std::u16string_view section, std::u16string_view key) const;
    Section& sectionForWriting(std::u16string_view section);
    static void appendEntry(Section& section, std::u16string_view key, std::u16string_view value);

    std::vector<Section> m_sections;
    std::unordered_map<std::u16string, std::size_t> m_sectionIndex; // folded name -> section
};

} // namespace quorvel
