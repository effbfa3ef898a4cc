// SPDX-License-Identifier: GPL-3.0-or-later
// The golden file format: see golden_file.h.
#include "tests/golden/golden_file.h"

#include "engine/base/text_encoding.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorvel::testing {
namespace {

std::string lineError(int line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

// "x rest" -> "rest"; "x" -> "".
std::string payload(const std::string& line)
{
    return line.size() > 2 ? line.substr(2) : std::string();
}

bool parseFailedLine(const std::u16string& text, GoldenLine& out)
{
    const std::size_t open = text.find(u'[');
    const std::size_t close = text.find(u']');
    if (open == std::u16string::npos || close == std::u16string::npos || close < open)
        return false;
    if (text.find(u'[', open + 1) != std::u16string::npos ||
        text.find(u']', close + 1) != std::u16string::npos)
        return false;
    out.ok = false;
    out.markStart = static_cast<std::int32_t>(open);
    out.markLength = static_cast<std::int32_t>(close - open - 1);
    out.text =
        text.substr(0, open) + text.substr(open + 1, close - open - 1) + text.substr(close + 1);
    return true;
}

} // namespace

GoldenFile ReadGoldenFile(const std::string& path)
{
    GoldenFile file;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        file.error = "cannot read " + path;
        return file;
    }
    std::string line;
    int number = 0;
    while (std::getline(stream, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        if (line.starts_with("===")) {
            GoldenCase next;
            const std::size_t start = line.find_first_not_of(" =");
            next.name = start == std::string::npos ? "" : line.substr(start);
            next.fileLine = number;
            file.cases.push_back(std::move(next));
            continue;
        }
        const char kind = line.front();
        if (line.size() > 1 && line[1] != ' ') {
            file.error =
                lineError(number, "expected a blank behind '" + std::string(1, kind) + "'");
            return file;
        }
        if (file.cases.empty()) {
            file.error = lineError(number, "a case must start with '==='");
            return file;
        }
        GoldenCase& current = file.cases.back();
        const std::u16string text = DecodeUtf8(payload(line));
        switch (kind) {
        case '@': {
            std::istringstream words(payload(line));
            std::string word;
            while (words >> word)
                current.args.push_back(word);
            break;
        }
        case 'u':
            current.customUnits = true;
            current.units.push_back(text);
            break;
        case '>':
            current.input.push_back(text);
            break;
        case '<':
            current.expected.push_back(GoldenLine{text, true, 0, 0, number});
            break;
        case 'x':
            current.faults +=
                "Zeile " + std::to_string(current.input.size()) + ": " + payload(line) + "\n";
            break;
        case '!': {
            GoldenLine expected;
            expected.fileLine = number;
            if (!parseFailedLine(text, expected)) {
                file.error = lineError(number, "a failed line needs exactly one '[...]' mark");
                return file;
            }
            current.expected.push_back(std::move(expected));
            break;
        }
        default:
            file.error = lineError(number, "unknown line kind '" + std::string(1, kind) + "'");
            return file;
        }
    }
    for (const GoldenCase& c : file.cases) {
        if (c.input.empty()) {
            file.error = lineError(c.fileLine, "case \"" + c.name + "\" has no input line");
            return file;
        }
    }
    return file;
}

std::vector<std::string> GoldenFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".sheet")
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace quorvel::testing
