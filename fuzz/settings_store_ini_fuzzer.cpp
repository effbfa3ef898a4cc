// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a settings file. Parses them, reads every key back the way the
// store does (string, integer, boolean, real, date-time) under several spellings, follows the
// ".count" keys like the memo and list reading, and checks that writing the document and reading
// it again gives the same document.
//
// ./quorvel.sh fuzz builds and runs it with clang; its seeds also run as an ordinary test.
#include "engine/settings_store/ini_document.h"
#include "engine/settings_store/ini_values.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads "Name.line0", "Name.line1", ... while they exist and below the count, as the memo, list
// and combo box reading does; the walk may never pass the number of keys in the section.
void readNumbered(const quorvel::IniDocument& doc, const std::u16string& section,
                  std::u16string_view key)
{
    if (key.size() < 6 || key.substr(key.size() - 6) != u".count")
        return;
    const std::u16string name(key.substr(0, key.size() - 6));
    const int count = doc.readInteger(section, key, 0);
    int read = 0;
    for (const char16_t* suffix : {u".line", u".item"}) {
        for (int i = 0; i < count; ++i) {
            const std::u16string itemKey = name + suffix + quorvel::formatIniInteger(i);
            if (!doc.keyExists(section, itemKey))
                break;
            (void)doc.readString(section, itemKey, u"");
            ++read;
        }
    }
    check(static_cast<std::size_t>(read) <= 2 * doc.keyCount(section));
}

std::u16string upper(std::u16string text)
{
    for (char16_t& ch : text) {
        if (ch >= u'a' && ch <= u'z')
            ch = static_cast<char16_t>(ch - 32);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const quorvel::IniDocument doc = quorvel::IniDocument::fromBytes(bytes);

    for (const std::u16string& section : doc.sectionNames()) {
        check(doc.sectionExists(upper(section)));
        for (const std::u16string& key : doc.keys(section)) {
            check(doc.keyExists(section, key));
            check(doc.keyExists(upper(section), upper(key)));
            const std::u16string value = doc.readString(section, key, u"");
            const int integer = doc.readInteger(section, key, 7);
            if (const auto parsed = quorvel::parseIniInteger(value))
                check(integer == *parsed);
            (void)doc.readBool(section, key, true);
            const double real = doc.readReal(section, key, 1.5);
            if (const auto parsed = quorvel::parseRealText(value))
                check(real == *parsed);
            (void)quorvel::parseDateTimeText(value, 2025);
            readNumbered(doc, section, key);
        }
        check(doc.readInteger(section, u"\uFFFF missing", -3) == -3);
    }

    // What the program writes reads back the same, and writing it again changes nothing.
    const std::string written = doc.toBytes();
    const quorvel::IniDocument again = quorvel::IniDocument::fromBytes(written);
    check(again.toBytes() == written);

    // The general number format reads back as a number whenever the value is finite.
    if (size >= sizeof(double)) {
        double value = 0;
        __builtin_memcpy(&value, data, sizeof value);
        const auto back = quorvel::parseRealText(quorvel::formatGeneralReal(value));
        if (std::isfinite(value) && std::abs(value) < 1.7e308)
            check(back.has_value());
    }
    return 0;
}
