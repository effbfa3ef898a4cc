// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram mode of quorvel-calc.
#include "tools/quorvel-calc/diagram_command.h"

#include "engine/base/file_writer.h"
#include "engine/base/quorvel_error.h"
#include "engine/base/text_encoding.h"
#include "engine/diagram/csv_writer.h"
#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/svg_writer.h"
#include "engine/worksheet/line_evaluation.h"

#include <algorithm>
#include <string>
#include <sys/stat.h>

namespace quorvel::calc {
namespace {

enum class Format { None, Svg, Csv };

// Standard output takes the points: a filter's next stage wants numbers, not a picture.
constexpr std::string_view kStandardOutput = "-";

Format formatOf(std::string_view path)
{
    if (path == kStandardOutput)
        return Format::Csv;
    const std::string_view name = path.substr(path.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        // A stream named without an ending (/dev/stdout, a FIFO) takes the points, as "-" does.
        struct stat info
        {
        };
        const bool stream = ::stat(std::string(path).c_str(), &info) == 0 &&
                            (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
        return stream ? Format::Csv : Format::None;
    }
    std::string suffix(name.substr(dot + 1));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    if (suffix == "svg")
        return Format::Svg;
    if (suffix == "csv")
        return Format::Csv;
    return Format::None;
}

std::string quoted(std::string_view text)
{
    return "\u201E" + std::string(text) + "\u201C";
}

std::u16string decoded(const std::string& argument)
{
    return DecodeUtf8OrWindows1252(argument);
}

} // namespace

std::string DiagramUsageError(const CalcOptions& options)
{
    const DiagramOptions& d = options.diagram;
    if (!d.formula) {
        const std::pair<bool, const char*> companions[] = {{d.variable.has_value(), "--variable"},
                                                           {d.from.has_value(), "--von"},
                                                           {d.to.has_value(), "--bis"},
                                                           {d.points.has_value(), "--punkte"},
                                                           {d.output.has_value(), "--ausgabe"},
                                                           {d.logX, "--x-logarithmisch"},
                                                           {d.logY, "--y-logarithmisch"}};
        for (const auto& [given, name] : companions) {
            if (given)
                return std::string(name) + " gilt nur zusammen mit --diagramm";
        }
        return {};
    }
    std::string missing;
    const std::pair<bool, const char*> required[] = {{d.variable.has_value(), "--variable"},
                                                     {d.from.has_value(), "--von"},
                                                     {d.to.has_value(), "--bis"},
                                                     {d.output.has_value(), "--ausgabe"}};
    for (const auto& [given, name] : required) {
        if (!given)
            missing += std::string(missing.empty() ? "" : ", ") + name;
    }
    if (!missing.empty())
        return "--diagramm braucht auch " + missing;
    if (options.json)
        return "--json und --diagramm schließen einander aus";
    if (formatOf(*d.output) == Format::None)
        return "--ausgabe: die Endung wählt das Format, .svg oder .csv: " + quoted(*d.output);
    return {};
}

CalcResult RunDiagram(TEFParser& parser, std::string_view sheetBytes, double decimals,
                      const DiagramOptions& diagram)
{
    CalcResult result;
    // The sheet as Enter on each line; a line that shows an error may be why a variable is
    // missing later, so it is named.
    SheetRunner runner(parser);
    std::size_t number = 0;
    for (const std::u16string& line : SplitSheetLines(sheetBytes)) {
        ++number;
        runner.EnterLine(line, decimals, [&](const LineOutput& output) {
            const std::u16string& shown = output.fault.empty() ? output.text : output.fault;
            if (!output.ok || !output.fault.empty())
                result.err += "Zeile " + std::to_string(number) + ": " + EncodeUtf8(shown) + '\n';
        });
    }

    DiagramRequest request;
    const std::u16string formulaLine = RemoveChar(decoded(*diagram.formula), u' ');
    const LineFormula formula = FormulaOfLine(parser, formulaLine);
    if (formula.formula.empty()) {
        result.err += "quorvel-calc: --diagramm: keine Formel: " + quoted(*diagram.formula) + '\n';
        result.status = ExitFailure;
        return result;
    }
    request.curves.push_back({formula.formula, formula.shownIn, {}, formula.name});
    request.variable = std::u16string(Trim(decoded(*diagram.variable)));
    request.from = decoded(*diagram.from);
    request.to = decoded(*diagram.to);
    request.points = diagram.points.value_or(kDefaultDiagramPoints);
    request.xScale = diagram.logX ? AxisScale::Logarithmic : AxisScale::Linear;
    request.yScale = diagram.logY ? AxisScale::Logarithmic : AxisScale::Linear;

    DiagramData data;
    try {
        data = SampleDiagram(parser, request);
    } catch (const QuorvelError& refusal) {
        result.err += "quorvel-calc: " + EncodeUtf8(refusal.message()) + '\n';
        result.status = ExitFailure;
        return result;
    }

    const std::string bytes = formatOf(*diagram.output) == Format::Svg
                                  ? WriteSvg(LayoutDiagram(data).picture)
                                  : WriteCsv(data);
    if (*diagram.output == kStandardOutput) {
        result.out = bytes;
    } else if (const std::string why = WriteFileBytes(*diagram.output, bytes); !why.empty()) {
        result.err +=
            "quorvel-calc: " + quoted(*diagram.output) + " nicht geschrieben: " + why + '\n';
        result.status = ExitFailure;
        return result;
    }
    bool anyValue = false;
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
        const SampledCurve& curve = data.curves[c];
        if (curve.failed > 0)
            result.err += "quorvel-calc: " + EncodeUtf8(FailureNote(data, c)) + '\n';
        anyValue = anyValue || static_cast<std::size_t>(curve.failed) < data.x.size();
    }
    result.status = anyValue ? ExitOk : ExitLineFailed;
    return result;
}

} // namespace quorvel::calc
