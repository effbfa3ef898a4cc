// SPDX-License-Identifier: GPL-3.0-or-later
// The worksheet run of quorvel-calc.
#include "tools/quorvel-calc/sheet_runner.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/text_encoding.h"
#include "engine/quantity/quantity_text.h"
#include "engine/unit_definitions/unit_compiler.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quorvel::calc {

SheetRunner::SheetRunner(TEFParser& parser) : m_evaluator(parser) {}

std::vector<LineOutput> SheetRunner::Run(const std::vector<std::u16string>& lines, double decimals)
{
    std::vector<LineOutput> out;
    out.reserve(lines.size());
    for (const std::u16string& line : lines)
        EnterLine(line, decimals, [&out](const LineOutput& output) { out.push_back(output); });
    return out;
}

void AppendRendered(std::string& out, const LineOutput& line, bool colour)
{
    const std::u16string_view all = line.text;
    if (colour && !line.ok && line.markLength > 0) {
        const auto start = std::min(static_cast<std::size_t>(line.markStart), all.size());
        const auto length = std::min(static_cast<std::size_t>(line.markLength), all.size() - start);
        AppendUtf8(out, all.substr(0, start));
        out += kRedOn;
        AppendUtf8(out, all.substr(start, length));
        out += kRedOff;
        AppendUtf8(out, all.substr(start + length));
    } else {
        AppendUtf8(out, all);
    }
    out += '\n';
}

std::string RenderLine(const LineOutput& line, bool colour)
{
    std::string text;
    AppendRendered(text, line, colour);
    return text;
}

ResultNumbers ResultNumbersOf(const TEFParser& parser, const TSINumber& x)
{
    ResultNumbers numbers;
    double divisor = 1.0;
    ShownUnit(parser.Units, x, divisor, numbers.unit);
    numbers.shown = x.Value / divisor;
    numbers.si = x;
    return numbers;
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

// A whole number goes into JSON without a fraction ("3500", not "3500.0"); any other in the
// shortest form that reads back as the same double.
nlohmann::ordered_json jsonNumber(double value)
{
    constexpr double kWholeExact = 9007199254740992.0; // 2^53
    if (std::fabs(value) < kWholeExact && value == std::trunc(value))
        return static_cast<std::int64_t>(value);
    return value;
}

nlohmann::ordered_json jsonResult(const ResultNumbers& result)
{
    const auto& e = result.si.Exponents;
    return {{"zahl", jsonNumber(result.shown)},
            {"einheit", EncodeUtf8(result.unit)},
            {"si",
             {{"zahl", jsonNumber(result.si.Value)},
              {"kg", e[KG]},
              {"m", e[M]},
              {"s", e[S]},
              {"K", e[KELVIN]},
              {"A", e[AMPERE]},
              {"mol", e[MOL]},
              {"cd", e[CD]}}}};
}

} // namespace

std::string JsonLine(std::size_t number, std::u16string_view input,
                     const std::vector<LineOutput>& outputs, std::u16string_view message,
                     const std::optional<ResultNumbers>& result)
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
    nlohmann::ordered_json object = {
        {"zeile", number},
        {"eingabe", EncodeUtf8(input)},
        {"ausgabe", EncodeUtf8(output)},
        {"erfolg", ok},
        {"meldung", ok ? std::string() : EncodeUtf8(message)},
        {"markierung", {{"position", markPosition}, {"laenge", markLength}}},
    };
    if (ok && result)
        object["ergebnis"] = jsonResult(*result);
    // Text that is no valid UTF-16 (a lone surrogate) is written with replacement characters
    // rather than refused.
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

CalcSession::CalcSession(TEFParser& parser, double decimals, bool colour, bool json)
    : m_parser(parser), m_runner(parser), m_decimals(decimals), m_colour(colour), m_json(json)
{
}

void CalcSession::Feed(std::string_view bytes, std::string& out, std::string& err)
{
    m_decoder.Feed(bytes, [&](std::u16string_view text) { line(text, out, err); });
}

void CalcSession::Finish(std::string& out, std::string& err)
{
    m_decoder.Finish([&](std::u16string_view text) { line(text, out, err); });
}

void CalcSession::line(std::u16string_view text, std::string& out, std::string& err)
{
    ++m_number;
    if (!m_toldEncoding && m_decoder.Windows1252From() != 0) {
        err += "quorvel-calc: Zeile " + std::to_string(m_number) +
               " ist kein g\u00FCltiges UTF-8; ab hier wird die Eingabe als Windows-1252 "
               "gelesen\n";
        m_toldEncoding = true;
    }
    bool failed = false;
    m_fault.clear();
    m_outputs.clear();
    m_runner.EnterLine(text, m_decimals, [&](const LineOutput& output) {
        if (!output.fault.empty()) {
            m_fault = output.fault;
            err += "Zeile " + std::to_string(m_number) + ": ";
            AppendUtf8(err, m_fault);
            err += '\n';
        }
        failed = failed || !output.ok || !output.fault.empty();
        if (m_json)
            m_outputs.push_back(output);
        else
            AppendRendered(out, output, m_colour);
    });
    if (failed)
        m_status = ExitLineFailed;
    if (m_json) {
        const bool shown = std::any_of(m_outputs.begin(), m_outputs.end(),
                                       [](const LineOutput& o) { return !o.ok; });
        std::optional<ResultNumbers> result;
        if (!failed && m_runner.Result())
            result = ResultNumbersOf(m_parser, *m_runner.Result());
        out += JsonLine(m_number, text, m_outputs, shown ? m_parser.ErrMsg : m_fault, result);
        out += '\n';
    }
}

bool CompileUnitFile(TEFParser& parser, std::string_view bytes, const std::string& fileName,
                     std::string& err)
{
    std::size_t windows1252From = 0;
    std::vector<std::u16string> lines = SplitSheetLines(bytes, &windows1252From);
    const std::string where = "quorvel-calc: " + fileName + ":";
    if (windows1252From != 0)
        err += where + std::to_string(windows1252From) +
               ": kein g\u00FCltiges UTF-8; ab hier als Windows-1252 gelesen\n";
    std::size_t raisingLine = 0;
    std::vector<UnitLineFailure> failures;
    const auto tell = [&](std::size_t index, std::u16string_view message) {
        err += where + std::to_string(index + 1) + ": ";
        // A formula that is empty or ends too early fails without a message of the engine's.
        if (message == u"OK!")
            err += "Formel fehlt oder ist unvollst\u00E4ndig";
        else
            AppendUtf8(err, message);
        err += '\n';
    };
    try {
        if (CompileUnitDefinitions(parser, lines, &raisingLine, &failures))
            return true;
        // The list as the unit definitions window shows it, failing lines marked.
        for (const std::u16string& line : lines) {
            AppendUtf8(err, line);
            err += '\n';
        }
        for (const UnitLineFailure& failure : failures)
            tell(failure.line, failure.message);
    } catch (const QuorvelError& fault) {
        // The window shows such a fault in a message box, without the list.
        for (const UnitLineFailure& failure : failures)
            tell(failure.line, failure.message);
        tell(raisingLine, fault.message());
    }
    err += "Fehler bei Einheitendefinition\n";
    return false;
}

CalcResult RunCalc(std::string_view sheetBytes, double decimals, bool colour, bool json)
{
    CalcResult result;
    TEFParser parser;
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    CompileUnitDefinitions(parser, units);
    CalcSession session(parser, decimals, colour, json);
    session.Feed(sheetBytes, result.out, result.err);
    session.Finish(result.out, result.err);
    result.status = session.Status();
    return result;
}

} // namespace quorvel::calc
