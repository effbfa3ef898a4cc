// SPDX-License-Identifier: GPL-3.0-or-later
// Running a worksheet as Enter on every line from top to bottom would, and writing the result
// as text or JSON: the core of quorvel-calc, shared with its tests (its road in
// docs/architecture.md).
#pragma once

#include "engine/formula/evaluator.h"
#include "engine/worksheet/line_evaluation.h"
#include "tools/quorvel-calc/sheet_decoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::calc {

// Enter on each line in turn, with one evaluator whose variables carry from line to line.
class SheetRunner
{
public:
    explicit SheetRunner(TEFParser& parser);

    // Hands sink, in order, what the worksheet holds after Enter on line: the evaluated line,
    // or for "VARS"/"UNITS" the line as typed followed by one line per table entry.
    template <typename Sink> void EnterLine(std::u16string_view line, double decimals, Sink&& sink)
    {
        m_evaluator.Enter(line, decimals, m_outcome);
        if (m_outcome.listing == ListCommand::None) {
            sink(m_outcome.line);
            return;
        }
        // On the page the listing goes below the line as typed; here it follows it.
        sink(LineOutput{true, std::u16string(line), 0, 0, {}});
        for (const std::u16string& text : m_outcome.entries)
            sink(LineOutput{true, text, 0, 0, {}});
    }

    // The quantity the last line's result shows, when it has one (see EnterOutcome::result).
    const std::optional<TSINumber>& Result() const { return m_outcome.result; }
    // The last line's outcome, with the unit its result text shows.
    const LineEvaluator::EnterOutcome& Outcome() const { return m_outcome; }

    std::vector<LineOutput> Run(const std::vector<std::u16string>& lines, double decimals);

private:
    LineEvaluator m_evaluator;
    LineEvaluator::EnterOutcome m_outcome; // reused, so that its texts keep their room
};

// "\x1b[31m" and "\x1b[0m" around the marked span when colour is on.
inline constexpr std::string_view kRedOn = "\x1b[31m";
inline constexpr std::string_view kRedOff = "\x1b[0m";

// One output line in UTF-8 with its "\n" appended to out; the marked span of a failed line in
// red when asked.
void AppendRendered(std::string& out, const LineOutput& line, bool colour);
// The same for a single line.
std::string RenderLine(const LineOutput& line, bool colour);

// Exit statuses of quorvel-calc.
enum ExitStatus : int { ExitOk = 0, ExitLineFailed = 1, ExitFailure = 2 };

// A line's result as numbers, for the JSON object's "ergebnis": the number shown and its unit
// text, and the value in SI base units with the seven exponents.
struct ResultNumbers
{
    double shown = 0.0;
    std::u16string unit;
    TSINumber si;
};
// The JSON line (without "\n") for input line number of the sheet: what it read, what Enter
// made of it (several lines joined by "\n" for a listing), whether it succeeded, the engine's
// message, the red mark in characters from 0, and for a successful line that has a result,
// "ergebnis" with its numbers.
std::string JsonLine(std::size_t number, std::u16string_view input,
                     const std::vector<LineOutput>& outputs, std::u16string_view message,
                     const std::optional<ResultNumbers>& result = std::nullopt);

// JsonLine's object written piece by piece straight into the output, as Enter hands out the
// line's outputs: a sheet of a million lines in JSON costs no more allocations than as text.
// Begin, Output for each output in turn, then End.
class JsonLineWriter
{
public:
    void Begin(std::string& out, std::size_t number, std::u16string_view input);
    void Output(std::string& out, const LineOutput& line);
    // True once an output failed with a mark; its message is then the one to give End.
    bool Marked() const { return m_marked; }
    void End(std::string& out, std::u16string_view message, const ResultNumbers* result);

private:
    bool m_first = true;
    bool m_marked = false;
    std::int64_t m_markPosition = 0;
    std::int64_t m_markLength = 0;
};

// The sheet's lines as they arrive, each evaluated and written at once: its output (text or
// JSON) is appended to out, faults ("Zeile N: <message>") and notices to err. The evaluator
// must have its units compiled.
class CalcSession
{
public:
    CalcSession(TEFParser& parser, double decimals, bool colour, bool json);

    // The next bytes of the sheet; lines they complete are evaluated.
    void Feed(std::string_view bytes, std::string& out, std::string& err);
    // The end of the sheet: a last line without a line feed is evaluated.
    void Finish(std::string& out, std::string& err);
    // ExitOk, or ExitLineFailed once a line showed an error or broke off.
    int Status() const { return m_status; }

private:
    void line(std::u16string_view text, std::string& out, std::string& err);

    TEFParser& m_parser;
    SheetRunner m_runner;
    SheetDecoder m_decoder;
    double m_decimals;
    bool m_colour;
    bool m_json;
    int m_status = ExitOk;
    std::size_t m_number = 0;
    bool m_toldEncoding = false;
    JsonLineWriter m_jsonLine;
    ResultNumbers m_resultNumbers; // reused, so that its unit text keeps its room
    std::u16string m_fault;
};

// Compiles the unit definition lines of a file (bytes) into the parser. On failure err gets
// the rewritten lines (as the unit definitions window shows them), one "quorvel-calc:
// <file>:<line>: <message>" per failing line, and "Fehler bei Einheitendefinition"; false.
bool CompileUnitFile(TEFParser& parser, std::string_view bytes, const std::string& fileName,
                     std::string& err);

struct CalcResult
{
    int status = ExitOk;
    std::string out; // UTF-8, for standard output
    std::string err; // UTF-8, for standard error
};

// The whole program on a sheet given as bytes, with the default unit definitions: what
// quorvel-calc writes and its exit status.
CalcResult RunCalc(std::string_view sheetBytes, double decimals, bool colour, bool json = false);

} // namespace quorvel::calc
