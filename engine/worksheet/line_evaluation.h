// SPDX-License-Identifier: GPL-3.0-or-later
// Worksheet lines as text: what a line is (prose, expression, assignment), its evaluation, and
// the text that replaces it. Shared by the main window and quorvel-calc; docs/architecture.md
// follows one line from the key to the page.
#pragma once

#include "engine/base/text_helpers.h"
#include "engine/formula/evaluator.h"
#include "engine/quantity/quantity_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The new text of a line; when ok is false, [markStart, markStart + markLength) is the span to
// show in red (0-based, possibly empty).
struct LineOutput
{
    bool ok = true;
    std::u16string text;
    std::int32_t markStart = 0;
    std::int32_t markLength = 0;
    // The engine's message when a fault ("Stack overflow", "Floating point division by zero",
    // ...) left the line as typed; empty otherwise.
    std::u16string fault;
};

// A label before the first ":" (with the blanks and tabs behind it), or the indentation of a
// line that starts with a blank or tab, stays in front of the evaluated rest.
struct LabelSplit
{
    std::u16string_view prefix;
    std::u16string_view rest;
};
LabelSplit SplitLabel(std::u16string_view line);

// "VARS" or "UNITS" in any letter case, blanks around allowed.
enum class ListCommand { None, Vars, Units };
ListCommand ListCommandOf(std::u16string_view line);

// One line per entry: name " = " value in SI base units and the unit in base units.
std::vector<std::u16string> ListQuantities(const TSIVarList& list);

// The decimal-places setting as the keypad field holds it (a real number), rounded to the
// nearest integer; raises when it is no number or lies beyond the 32-bit range.
std::int32_t RoundDecimals(double decimals);

// The formula a worksheet line evaluates, read as Enter reads the line (label skipped, blanks
// removed): for «formula» and «formula = result» the formula, for «name = formula» and
// «name = formula = result» the part behind the name. shownIn is the old result behind it,
// whose units choose how the result is shown («3km+500m = 0mm»); empty when there is none. name
// is the variable an assignment gives the result («weg» for «weg = v*t»), empty otherwise. All
// are empty for a line that evaluates nothing: blank, prose, "VARS", "UNITS", a name refused
// for an assignment, too many "=".
struct LineFormula
{
    std::u16string formula;
    std::u16string shownIn;
    std::u16string name;
};
LineFormula FormulaOfLine(const TEFParser& parser, std::u16string_view line);

class LineEvaluator
{
public:
    explicit LineEvaluator(TEFParser& parser);

    // Result text of the last successful evaluation; Esc inserts it.
    std::u16string LastResult;

    // A whole line as Enter treats it (label kept, rest evaluated). Lines that are empty or
    // blank come back unchanged with ok true.
    LineOutput EvalSheetLine(std::u16string_view line, double decimals);
    // The same into out, whose text keeps its room from line to line; line must not lie in it.
    void EvalSheetLine(std::u16string_view line, double decimals, LineOutput& out);

    // What Enter does with a line: "VARS" and "UNITS" list a table, every other line is
    // evaluated. Where the listing goes is the front end's business.
    struct EnterOutcome
    {
        ListCommand listing = ListCommand::None;
        LineOutput line;                     // the evaluated line, when listing is None
        std::vector<std::u16string> entries; // the table's lines otherwise
        // The quantity the line's result text shows, when the line evaluated to one and ended
        // without failing; nothing for prose, listings, failed lines and faults.
        std::optional<TSINumber> result;
        // With a result: the SI value of the unit its text shows and that unit's text, read in
        // the evaluator's LastResult (valid until the next line).
        double divisor = 1.0;
        std::u16string_view unit;
    };
    EnterOutcome Enter(std::u16string_view line, double decimals);
    void Enter(std::u16string_view line, double decimals, EnterOutcome& outcome);

    TEFParser& parser() { return m_parser; }

private:
    // One worksheet line without its label; plain: it holds neither a blank nor "=". output is
    // what replaces it; on failure the parser's ErrPos/ErrLen mark the span in output; line
    // must not lie in output. Never raises.
    bool evalLine(std::u16string_view line, bool plain, double decimals, std::u16string& output);
    bool evalLineSteps(std::u16string_view line, bool plain, double decimals,
                       std::u16string& output, bool& ok);

    TEFParser& m_parser;
    TStrArray m_eqTokens{50};
    TStrArray m_auxTokens{50};
    std::u16string m_blankFree; // the line without blanks
    std::u16string m_evaluated; // the output of a labelled line before its label goes in front
    std::u16string m_fault;     // the message of the fault that left the last line as typed
    std::optional<TSINumber> m_result; // the quantity behind the last line's result text
    ShownParts m_shown;                // and how LastResult shows it
};

} // namespace quorvel
