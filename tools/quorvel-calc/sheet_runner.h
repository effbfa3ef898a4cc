// SPDX-License-Identifier: GPL-3.0-or-later
// Running a whole worksheet as Enter on every line from top to bottom would, and writing the
// result as text: the core of quorvel-calc, shared with its tests.
//
// bytes -> DecodeTextFile -> SplitSheetLines -> SheetRunner (VARS/UNITS listing, or
// LineEvaluator::EvalSheetLine) -> RenderLine (UTF-8, red mark on a terminal)
#pragma once

#include "formula/ef_parser.h"
#include "worksheet/line_evaluation.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::calc {

// The lines of a text: split at LF, a CR before the LF dropped. The last line counts even
// without a newline behind it; a final newline does not start another line.
template <typename LineFunction> void ForEachSheetLine(std::u16string_view text, LineFunction&& f)
{
    while (!text.empty()) {
        const std::size_t lf = text.find(u'\n');
        std::u16string_view line = text.substr(0, lf);
        if (lf != std::u16string_view::npos && line.ends_with(u'\r'))
            line.remove_suffix(1);
        f(line);
        text.remove_prefix(lf == std::u16string_view::npos ? text.size() : lf + 1);
    }
}
std::vector<std::u16string> SplitSheetLines(std::u16string_view text);

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

    std::vector<LineOutput> Run(const std::vector<std::u16string>& lines, double decimals);

private:
    LineEvaluator m_evaluator;
    LineEvaluator::EnterOutcome m_outcome; // reused, so that its texts keep their room
};

// "\x1b[31m" and "\x1b[0m" around the marked span when colour is on.
inline constexpr std::u16string_view kRedOn = u"\x1b[31m";
inline constexpr std::u16string_view kRedOff = u"\x1b[0m";

// One output line with its "\n" appended to out; the marked span of a failed line in red when
// asked. The whole output is encoded to UTF-8 once, at the end.
void AppendRendered(std::u16string& out, const LineOutput& line, bool colour);
// The same for a single line, in UTF-8.
std::string RenderLine(const LineOutput& line, bool colour);

// Exit statuses of quorvel-calc.
enum ExitStatus : int { ExitOk = 0, ExitLineFailed = 1, ExitFailure = 2 };

struct CalcResult
{
    int status = ExitOk;
    std::string out; // UTF-8, for standard output
    std::string err; // UTF-8, for standard error
};

// The program after its arguments and files are read: a fresh evaluator, the unit lines
// compiled (on failure the rewritten lines, or "Zeile N: message" for the unit line whose
// evaluation raised, and "Fehler bei Einheitendefinition", status 2), then the sheet given as
// bytes (UTF-16 by its mark, UTF-8, else Windows-1252) evaluated line by line. A line whose
// evaluation raised is reported on err as "Zeile N: message" and makes the status 1, as a line
// showing an error does. With json, out holds one JSON object per input line instead of the text.
CalcResult RunCalc(std::string_view sheetBytes, std::vector<std::u16string> unitLines,
                   double decimals, bool colour, bool json = false);

// The JSON line (without "\n") for input line number of the sheet: what it read, what Enter
// made of it (several lines joined by "\n" for a listing), whether it succeeded, the engine's
// message, and the red mark in characters from 0.
std::string JsonLine(std::size_t number, std::u16string_view input,
                     const std::vector<LineOutput>& outputs, std::u16string_view message);

} // namespace quorvel::calc
