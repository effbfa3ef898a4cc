// SPDX-License-Identifier: GPL-3.0-or-later
// The worksheet run of quorvel-calc.
#include "tools/quorvel-calc/sheet_runner.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/text_encoding.h"
#include "engine/base/vector_steps.h"
#include "engine/unit_definitions/unit_compiler.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel::calc {

using namespace std::string_view_literals;

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

namespace {

// Code points before position (in UTF-16 code units) of text: what a script counts as characters.
std::int64_t characters(std::u16string_view text, std::size_t position)
{
    const std::u16string_view before = text.substr(0, std::min(position, text.size()));
    return static_cast<std::int64_t>(before.size()) -
           std::count_if(before.begin(), before.end(),
                         [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; });
}

// The bytes a JSON string cannot hold as they are. AppendUtf8 writes valid UTF-8 only (a lone
// surrogate as U+FFFD), so every other byte goes through unchanged.
bool needsEscape(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\';
}

// Whether bytes hold one of them, eight bytes a step: most texts are a few steps long, and a
// branch per byte cost more than the escaping of the rare text that needs it.
bool anyNeedsEscape(std::string_view bytes)
{
    const std::size_t n = bytes.size();
#if defined(__SSE2__)
    if (n >= 8) {
        __m128i any = _mm_setzero_si128();
        const auto step = [&](std::size_t i) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes.data() + i));
            // v <= 0x1F as unsigned bytes: the minimum of the two is v itself.
            any = _mm_or_si128(any, _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v));
            any = _mm_or_si128(any, _mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
            any = _mm_or_si128(any, _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')));
        };
        InStepsOfEight(n, step);
        // The upper eight lanes compared zeros with zeros: only the lower eight count.
        return (_mm_movemask_epi8(any) & 0xFF) != 0;
    }
#endif
    bool any = false;
    for (const char c : bytes)
        any |= needsEscape(c);
    return any;
}

// The inside of a JSON string, escaped as JSON libraries write it: the short forms where JSON
// has one, "\u00XX" with small hex digits for the other control characters.
void appendJsonText(std::string& out, std::u16string_view text)
{
    const std::size_t start = out.size();
    AppendUtf8(out, text);
    if (!anyNeedsEscape(std::string_view(out).substr(start)))
        return; // nearly every text of a sheet
    const std::string written = out.substr(start);
    out.resize(start);
    for (const char c : written) {
        if (!needsEscape(c)) {
            out += c;
            continue;
        }
        out += '\\';
        switch (c) {
        case '"':
        case '\\':
            out += c;
            break;
        case '\b':
            out += 'b';
            break;
        case '\f':
            out += 'f';
            break;
        case '\n':
            out += 'n';
            break;
        case '\r':
            out += 'r';
            break;
        case '\t':
            out += 't';
            break;
        default: {
            static constexpr std::string_view kHex = "0123456789abcdef";
            out += "u00"sv;
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 0xF];
            break;
        }
        }
    }
}

// The keys and numbers between two texts of the object, gathered on the stack and appended to
// the output at once: a call to the string's append for every piece cost more than the pieces.
class JsonPiece
{
public:
    JsonPiece& operator<<(std::string_view text)
    {
        const auto room = static_cast<std::size_t>(m_chars.data() + m_chars.size() - m_end);
        m_end = std::copy_n(text.begin(), std::min(text.size(), room), m_end);
        return *this;
    }
    template <typename Integer> JsonPiece& integer(Integer value)
    {
        if (value >= 0 && value < 10) { // the exponents, nearly always
            *m_end++ = static_cast<char>('0' + value);
            return *this;
        }
        m_end = std::to_chars(m_end, m_chars.data() + m_chars.size(), value).ptr;
        return *this;
    }
    // A whole number goes into JSON without a fraction ("3500", not "3500.0"); any other in the
    // shortest form that reads back as the same double, written by the JSON library's own
    // routine so that the figures stay those its documents always had; NaN and infinity as null.
    // Returns the characters written, which stay in the piece.
    std::string_view Number(double value)
    {
        char* const start = m_end;
        constexpr double kWholeExact = 9007199254740992.0; // 2^53
        if (std::fabs(value) < kWholeExact && value == std::trunc(value))
            integer(static_cast<std::int64_t>(value));
        else if (!std::isfinite(value))
            *this << "null"sv;
        else
            m_end = nlohmann::detail::to_chars(m_end, m_chars.data() + m_chars.size(), value);
        return {start, static_cast<std::size_t>(m_end - start)};
    }
    void AppendTo(std::string& out) const
    {
        out.append(m_chars.data(), static_cast<std::size_t>(m_end - m_chars.data()));
    }

private:
    // Room for the longest piece: "ergebnis"'s "si" with seven exponents.
    std::array<char, 256> m_chars;
    char* m_end = m_chars.data();
};

} // namespace

void JsonLineWriter::Begin(std::string& out, std::size_t number, std::u16string_view input)
{
    m_first = true;
    m_marked = false;
    m_markPosition = 0;
    m_markLength = 0;
    JsonPiece head;
    (head << "{\"zeile\":"sv).integer(number) << ",\"eingabe\":\""sv;
    head.AppendTo(out);
    appendJsonText(out, input);
    out += "\",\"ausgabe\":\""sv;
}

void JsonLineWriter::Output(std::string& out, const LineOutput& line)
{
    if (!m_first)
        out += "\\n"sv;
    m_first = false;
    if (!line.ok && !m_marked) {
        const auto start = static_cast<std::size_t>(std::max(0, line.markStart));
        const std::size_t end = start + static_cast<std::size_t>(std::max(0, line.markLength));
        m_markPosition = characters(line.text, start);
        m_markLength = characters(line.text, end) - m_markPosition;
        m_marked = true;
    }
    appendJsonText(out, line.text);
}

void JsonLineWriter::End(std::string& out, std::u16string_view message, const ResultNumbers* result)
{
    const bool ok = !m_marked && message.empty();
    if (!ok) {
        out += "\",\"erfolg\":false,\"meldung\":\""sv;
        appendJsonText(out, message);
    }
    JsonPiece tail;
    if (ok)
        tail << "\",\"erfolg\":true,\"meldung\":\""sv;
    (tail << "\",\"markierung\":{\"position\":"sv).integer(m_markPosition) << ",\"laenge\":"sv;
    tail.integer(m_markLength) << "}"sv;
    if (!ok || result == nullptr) {
        tail << "}"sv;
        tail.AppendTo(out);
        return;
    }
    tail << ",\"ergebnis\":{\"zahl\":"sv;
    const std::string_view shown = tail.Number(result->shown);
    tail << ",\"einheit\":\""sv;
    tail.AppendTo(out);
    appendJsonText(out, result->unit);
    const auto& e = result->si.Exponents;
    JsonPiece si;
    si << "\",\"si\":{\"zahl\":"sv;
    // In a unit of value 1 (m, kg, N, J, ...) the two numbers are one: its digits are written
    // once, as the shortest form is a tenth of a JSON line's time.
    if (std::bit_cast<std::uint64_t>(result->si.Value) ==
        std::bit_cast<std::uint64_t>(result->shown))
        si << shown;
    else
        si.Number(result->si.Value);
    (si << ",\"kg\":"sv).integer(e[KG]) << ",\"m\":"sv;
    (si.integer(e[M]) << ",\"s\":"sv).integer(e[S]) << ",\"K\":"sv;
    (si.integer(e[KELVIN]) << ",\"A\":"sv).integer(e[AMPERE]) << ",\"mol\":"sv;
    (si.integer(e[MOL]) << ",\"cd\":"sv).integer(e[CD]) << "}}}"sv;
    si.AppendTo(out);
}

std::string JsonLine(std::size_t number, std::u16string_view input,
                     const std::vector<LineOutput>& outputs, std::u16string_view message,
                     const std::optional<ResultNumbers>& result)
{
    std::string out;
    JsonLineWriter writer;
    writer.Begin(out, number, input);
    for (const LineOutput& line : outputs)
        writer.Output(out, line);
    writer.End(out, message, result ? &*result : nullptr);
    return out;
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
    // A raised fault (out of memory) must not leave half an object behind.
    const std::size_t before = out.size();
    try {
        if (m_json)
            m_jsonLine.Begin(out, m_number, text);
        m_runner.EnterLine(text, m_decimals, [&](const LineOutput& output) {
            if (!output.fault.empty()) {
                m_fault = output.fault;
                err += "Zeile " + std::to_string(m_number) + ": ";
                AppendUtf8(err, m_fault);
                err += '\n';
            }
            failed = failed || !output.ok || !output.fault.empty();
            if (m_json)
                m_jsonLine.Output(out, output);
            else
                AppendRendered(out, output, m_colour);
        });
        if (m_json) {
            const ResultNumbers* result = nullptr;
            if (!failed && m_runner.Result()) {
                // The unit the result text was written in, as the evaluation chose it: choosing
                // it again walked the unit table a second time for every line.
                const LineEvaluator::EnterOutcome& outcome = m_runner.Outcome();
                m_resultNumbers.si = *outcome.result;
                m_resultNumbers.shown = outcome.result->Value / outcome.divisor;
                m_resultNumbers.unit.assign(outcome.unit);
                result = &m_resultNumbers;
            }
            m_jsonLine.End(out, m_jsonLine.Marked() ? m_parser.ErrMsg : m_fault, result);
            out += '\n';
        }
    } catch (...) {
        out.resize(before);
        throw;
    }
    if (failed)
        m_status = ExitLineFailed;
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
