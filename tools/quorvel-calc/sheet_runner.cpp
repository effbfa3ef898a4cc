// The worksheet run of quorvel-calc.
#include "sheet_runner.h"

#include "base/quorvel_error.h"
#include "base/text_encoding.h"
#include "unit_definitions/unit_compiler.h"

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

CalcResult RunCalc(std::string_view sheetBytes, std::vector<std::u16string> unitLines,
                   double decimals, bool colour)
{
    CalcResult result;
    TEFParser parser;
    try {
        if (!CompileUnitDefinitions(parser, unitLines)) {
            for (const std::u16string& line : unitLines)
                result.err += EncodeUtf8(line) + '\n';
            result.err += "Fehler bei Einheitendefinition\n";
            result.status = ExitFailure;
            return result;
        }
    } catch (const QuorvelError& fault) {
        result.err += EncodeUtf8(fault.message()) + '\n';
        result.err += "Fehler bei Einheitendefinition\n";
        result.status = ExitFailure;
        return result;
    }

    // Each line is rendered as soon as it is evaluated; no list of outputs piles up.
    const std::u16string sheet = DecodeUtf8OrWindows1252(sheetBytes);
    SheetRunner runner(parser);
    std::u16string text;
    text.reserve(sheet.size() + sheet.size() / 2);
    ForEachSheetLine(sheet, [&](std::u16string_view line) {
        runner.EnterLine(line, decimals, [&](const LineOutput& output) {
            AppendRendered(text, output, colour);
            if (!output.ok)
                result.status = ExitLineFailed;
        });
    });
    result.out = EncodeUtf8(text);
    return result;
}

} // namespace quorvel::calc
