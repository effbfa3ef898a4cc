// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/quorvel-calc/name_completion.h"

#include "engine/base/text_encoding.h"

#include <algorithm>

namespace quorvel::calc {
namespace {

char16_t upperAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool startsWithIgnoringAsciiCase(std::u16string_view name, std::u16string_view start)
{
    return name.size() >= start.size() &&
           std::equal(start.begin(), start.end(), name.begin(),
                      [](char16_t a, char16_t b) { return upperAscii(a) == upperAscii(b); });
}

// Where the name part of word begins: behind a last "²" or "³" and behind the digits and
// points of a number glued to the name.
std::size_t nameStart(std::u16string_view word)
{
    std::size_t start = word.find_last_of(u"\u00B2\u00B3");
    start = start == std::u16string_view::npos ? 0 : start + 1;
    while (start < word.size() &&
           ((word[start] >= u'0' && word[start] <= u'9') || word[start] == u'.'))
        ++start;
    return start;
}

} // namespace

std::vector<std::string> NameCompletions(const TEFParser& parser, std::string_view word)
{
    const std::u16string text = DecodeUtf8OrWindows1252(word);
    const std::size_t start = nameStart(text);
    const std::u16string_view name = std::u16string_view(text).substr(start);
    if (name.empty())
        return {};
    const std::string before = EncodeUtf8(std::u16string_view(text).substr(0, start));

    std::vector<std::string> completions;
    for (std::uint32_t i = 0; i < parser.FuncCount; ++i) {
        if (startsWithIgnoringAsciiCase(parser.Funcs[i].Name, name))
            completions.push_back(before + EncodeUtf8(parser.Funcs[i].Name) + "(");
    }
    const auto addFrom = [&](const TSIVarList& list) {
        for (std::int32_t i = 0; i < list.Count; ++i) {
            const TSIVar entry = list.Getitem(i);
            if (entry.Name.starts_with(name))
                completions.push_back(before + EncodeUtf8(entry.Name));
        }
    };
    addFrom(parser.Units);
    addFrom(parser.Vars);
    std::sort(completions.begin(), completions.end());
    completions.erase(std::unique(completions.begin(), completions.end()), completions.end());
    return completions;
}

std::string CommonStart(const std::vector<std::string>& completions)
{
    if (completions.empty())
        return {};
    std::size_t length = completions.front().size();
    for (const std::string& completion : completions) {
        const auto [mismatch, unused] =
            std::mismatch(completions.front().begin(),
                          completions.front().begin() + static_cast<std::ptrdiff_t>(length),
                          completion.begin(), completion.end());
        length = static_cast<std::size_t>(mismatch - completions.front().begin());
    }
    // Back to the start of a character: continuation bytes are 10xxxxxx.
    const std::string& first = completions.front();
    while (length > 0 && length < first.size() &&
           (static_cast<unsigned char>(first[length]) & 0xC0) == 0x80)
        --length;
    return first.substr(0, length);
}

} // namespace quorvel::calc
