// SPDX-License-Identifier: GPL-3.0-or-later
// The worksheet run of quorvel-calc.
#include "sheet_runner.h"

#include "base/quorvel_error.h"
#include "base/text_encoding.h"
#include "unit_definitions/unit_compiler.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace quorvel::calc {

std::vector<std::u16string> SplitSheetLines(std::u16string_view text)
{
    std::vector<std::u16string> lines;
    ForEachSheetLine(text, [&lines](std::u16string_view line) { lines.emplace_back(line); });
    return lines;
}

SheetRunner::SheetRunner(TEFParser& parser) : m_evaluator(parser) {}

std::vector<LineOutput> SheetRunner::Run(const std::vector<std::u16string>& lines, double decimals)
{
    std::vector<LineOutput> out;
    out.reserve(lines.size());
    for (const std::u16string& line : lines)
        EnterLine(line, decimals, [&out](const LineOutput& output) { out.push_back(output); });
    return out;
}

void AppendRendered(std::u16string& out, const LineOutput& line, bool colour)
{
    const std::u16string_view all = line.text;
    if (colour && !line.ok && line.markLength > 0) {
        const auto start = std::min(static_cast<std::size_t>(line.markStart), all.size());
        const auto length = std::min(static_cast<std::size_t>(line.markLength), all.size() - start);
        out += all.substr(0, start);
        out += kRedOn;
        out += all.substr(start, length);
        out += kRedOff;
        out += all.substr(start + length);
    } else {
        out += all;
    }
    out += u'\n';
}

std::string RenderLine(const LineOutput& line, bool colour)
{
    std::u16string text;
    AppendRendered(text, line, colour);
    return EncodeUtf8(text);
}

namespace {

// Code points before position (in UTF-16 code units) of text: what a script counts as characters.
std::int64_t characters(std::u16string_view text, std::size_t position)
{
    const std::u16string_view before = text.substr(0, std::min(position, text.size()));
    return static_cast<std::int64_t>(before.size()) -
           std::count_if(before.begin(), before.end(),
                         [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; });
}

} // namespace

std::string JsonLine(std::size_t number, std::u16string_view input,
                     const std::vector<LineOutput>& outputs, std::u16string_view message)
{
    std::u16string output;
    bool marked = false;
    std::int64_t markPosition = 0;
    std::int64_t markLength = 0;
    for (const LineOutput& line : outputs) {
        if (&line != &outputs.front())
            output += u'\n';
        if (!line.ok && !marked) {
            const auto start = static_cast<std::size_t>(std::max(0, line.markStart));
            const std::size_t end = start + static_cast<std::size_t>(std::max(0, line.markLength));
            markPosition = characters(line.text, start);
            markLength = characters(line.text, end) - markPosition;
            marked = true;
        }
        output += line.text;
    }
    const bool ok = !marked && message.empty();
    const nlohmann::ordered_json object = {
        {"zeile", number},
        {"eingabe", EncodeUtf8(input)},
        {"ausgabe", EncodeUtf8(output)},
        {"erfolg", ok},
        {"meldung", ok ? std::string() : EncodeUtf8(message)},
        {"markierung", {{"position", markPosition}, {"laenge", markLength}}},
    };
    // Text that is no valid UTF-16 (a lone surrogate) is written with replacement characters
    // rather than refused.
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

CalcResult RunCalc(std::string_view sheetBytes, std::vector<std::u16string> unitLines,
                   double decimals, bool colour, bool json)
{
    CalcResult result;
    TEFParser parser;
    std::size_t raisingLine = 0;
    try {
        if (!CompileUnitDefinitions(parser, unitLines, &raisingLine)) {
            for (const std::u16string& line : unitLines)
                result.err += EncodeUtf8(line) + '\n';
            result.err += "Fehler bei Einheitendefinition\n";
            result.status = ExitFailure;
            return result;
        }
    } catch (const QuorvelError& fault) {
        result.err +=
            "Zeile " + std::to_string(raisingLine + 1) + ": " + EncodeUtf8(fault.message()) + '\n';
        result.err += "Fehler bei Einheitendefinition\n";
        result.status = ExitFailure;
        return result;
    }

    // Each line is rendered as soon as it is evaluated; no list of outputs piles up.
    const std::u16string sheet = DecodeTextFile(sheetBytes);
    SheetRunner runner(parser);
    std::vector<LineOutput> outputs; // one line's, for its JSON object
    std::u16string text;
    if (!json)
        text.reserve(sheet.size() + sheet.size() / 2);
    std::size_t number = 0;
    ForEachSheetLine(sheet, [&](std::u16string_view line) {
        ++number;
        bool failed = false;
        std::u16string fault;
        outputs.clear();
        runner.EnterLine(line, decimals, [&](const LineOutput& output) {
            if (!output.fault.empty()) {
                fault = output.fault;
                result.err += "Zeile " + std::to_string(number) + ": " + EncodeUtf8(fault) + '\n';
            }
            failed = failed || !output.ok || !output.fault.empty();
            if (json)
                outputs.push_back(output);
            else
                AppendRendered(text, output, colour);
        });
        if (failed)
            result.status = ExitLineFailed;
        if (json) {
            const bool shown = std::any_of(outputs.begin(), outputs.end(),
                                           [](const LineOutput& o) { return !o.ok; });
            result.out += JsonLine(number, line, outputs, shown ? parser.ErrMsg : fault) + '\n';
        }
    });
    if (!json)
        result.out = EncodeUtf8(text);
    return result;
}

} // namespace quorvel::calc
