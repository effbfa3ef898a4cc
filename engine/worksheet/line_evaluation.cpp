// SPDX-License-Identifier: GPL-3.0-or-later
// Deciding what a worksheet line is and writing its result.
#include "engine/worksheet/line_evaluation.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/vector_steps.h"
#include "engine/formula/number_literal.h"
#include "engine/formula/scanner.h"
#include "engine/quantity/quantity_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel {
namespace {

constexpr std::u16string_view kSeparator = u" = ";

enum class LineKind { Unchanged, Prose, Expression, Assignment };

// What one pass over a line finds; most lines hold none of these characters.
enum LineMarks : std::uint16_t { kBlank = 1, kEquals = 2, kColon = 4 };

LineMarks marksOf(std::u16string_view line)
{
    const std::size_t n = line.size();
    const char16_t* in = line.data();
    std::uint16_t found = 0;
#if defined(__SSE2__)
    // Eight characters a step for all three at once.
    if (n >= 8) {
        __m128i blank = _mm_setzero_si128();
        __m128i equals = blank;
        __m128i colon = blank;
        const auto step = [&](std::size_t i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            blank = _mm_or_si128(blank, _mm_cmpeq_epi16(v, _mm_set1_epi16(u' ')));
            equals = _mm_or_si128(equals, _mm_cmpeq_epi16(v, _mm_set1_epi16(u'=')));
            colon = _mm_or_si128(colon, _mm_cmpeq_epi16(v, _mm_set1_epi16(u':')));
        };
        InStepsOfEight(n, step);
        found = static_cast<std::uint16_t>((_mm_movemask_epi8(blank) != 0 ? kBlank : 0) |
                                           (_mm_movemask_epi8(equals) != 0 ? kEquals : 0) |
                                           (_mm_movemask_epi8(colon) != 0 ? kColon : 0));
        return static_cast<LineMarks>(found);
    }
#endif
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t ch = in[i];
        found |= static_cast<std::uint16_t>((ch == u' ') | (ch == u'=') << 1 | (ch == u':') << 2);
    }
    return static_cast<LineMarks>(found);
}

bool isPlain(LineMarks marks)
{
    return (marks & (kBlank | kEquals)) == 0;
}

// What a line is whose text without blanks (blankFree) split at "=" into a parts (p0, p1 the
// first two). aux is scratch.
LineKind classifyLine(std::u16string_view line, std::u16string_view blankFree, std::int32_t a,
                      std::u16string_view p0, std::u16string_view p1, TStrArray& aux)
{
    if (a == 0)
        return LineKind::Unchanged;
    if (a == 1) {
        // A line without a blank inside is one word; most formulas are, and most have no blank
        // at all, which the lengths tell without a search.
        const std::u16string_view trimmed = Trim(line);
        const bool oneWord =
            blankFree.size() == line.size() || trimmed.find(u' ') == std::u16string_view::npos;
        const std::int32_t w = oneWord ? 1 : SplitLine(trimmed, u" ", aux);
        return w > 1 && aux.getitem(1) != u"=" ? LineKind::Prose : LineKind::Expression;
    }
    const bool expression = ContainsAnyOf(kOperatorChars, p0) || NumberLength(p0) > 0 ||
                            Trim(p1) == u"Variablenotfound";
    return expression ? LineKind::Expression : LineKind::Assignment;
}

} // namespace

namespace {

// SplitLabel for a line of which the caller knows whether it holds a ":".
LabelSplit splitLabel(std::u16string_view line, bool hasColon)
{
    std::size_t p = hasColon ? line.find(u':') : std::u16string_view::npos;
    if (p == std::u16string_view::npos) {
        if (line.empty() || (line.front() != u'\t' && line.front() != u' '))
            return {{}, line};
        p = 0;
    }
    // p is the 0-based index of the last character that belongs to the prefix.
    while (p + 1 < line.size() && (line[p + 1] == u'\t' || line[p + 1] == u' '))
        ++p;
    // The whole rest is evaluated: cutting long lines would lose what the user typed.
    return {line.substr(0, p + 1), line.substr(p + 1)};
}

} // namespace

LabelSplit SplitLabel(std::u16string_view line)
{
    return splitLabel(line, Contains(line, u':'));
}

ListCommand ListCommandOf(std::u16string_view line)
{
    const std::u16string_view t = Trim(line);
    const auto is = [t](std::u16string_view word) {
        return t.size() == word.size() &&
               std::equal(t.begin(), t.end(), word.begin(),
                          [](char16_t a, char16_t b) { return UpperAscii(a) == b; });
    };
    if (is(u"VARS"))
        return ListCommand::Vars;
    if (is(u"UNITS"))
        return ListCommand::Units;
    return ListCommand::None;
}

std::vector<std::u16string> ListQuantities(const TSIVarList& list)
{
    std::vector<std::u16string> lines;
    lines.reserve(static_cast<std::size_t>(list.Count));
    for (std::int32_t k = 0; k < list.Count; ++k) {
        const TSIVar& entry = list.at(k);
        lines.push_back(entry.Name + std::u16string(kSeparator) + RealToText(entry.Quantity.Value) +
                        SiUnitToStr(entry.Quantity));
    }
    return lines;
}

std::int32_t RoundDecimals(double decimals)
{
    const double rounded = std::nearbyint(decimals);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw QuorvelError(u"Range check error");
    return static_cast<std::int32_t>(rounded);
}

LineFormula FormulaOfLine(const TEFParser& parser, std::u16string_view line)
{
    if (Trim(line).empty() || ListCommandOf(line) != ListCommand::None)
        return {};
    const std::u16string_view rest = SplitLabel(line).rest;
    TStrArray eqTokens{50};
    TStrArray auxTokens{50};
    try {
        const std::u16string blankFree = RemoveChar(rest, u' ');
        const std::int32_t a = SplitLine(blankFree, u"=", eqTokens);
        const std::u16string& p0 = eqTokens.getitem(0);
        const std::u16string& p1 = eqTokens.getitem(1);
        switch (classifyLine(rest, blankFree, a, p0, p1, auxTokens)) {
        case LineKind::Unchanged:
        case LineKind::Prose:
            return {};
        case LineKind::Expression:
            return {p0, a == 2 ? p1 : std::u16string(), {}};
        case LineKind::Assignment:
            if (parser.FindFunction(p0) >= 0 || parser.FindUnit(p0) >= 0)
                return {}; // refused as a name: the line evaluates nothing
            return {p1, a == 3 ? eqTokens.getitem(2) : std::u16string(), p0};
        }
    } catch (const QuorvelError&) {
        // More parts between "=" than a line may have: Enter leaves such a line as typed.
    }
    return {};
}

LineEvaluator::LineEvaluator(TEFParser& parser) : m_parser(parser) {}

bool LineEvaluator::evalLine(std::u16string_view line, bool plain, double decimals,
                             std::u16string& output)
{
    bool ok = true;
    m_fault.clear();
    m_result.reset();
    try {
        if (evalLineSteps(line, plain, decimals, output, ok))
            return ok;
    } catch (const QuorvelError& fault) {
        // Faults leave the line as the user typed it.
        m_fault = fault.message();
        m_result.reset();
    }
    output.assign(line);
    return ok;
}

// Returns false when the line stays as typed.
bool LineEvaluator::evalLineSteps(std::u16string_view line, bool plain, double decimals,
                                  std::u16string& output, bool& ok)
{
    TEFParser& p = m_parser;
    p.Units.ClearUsed();
    // Most formulas hold neither a blank nor "=": such a line is its own one part, trimmed,
    // read where it lies. Any other is split as the line without its blanks.
    std::u16string_view blankFree = line;
    std::int32_t a = 0;
    std::u16string_view p0;
    std::u16string_view p1;
    std::u16string_view p2;
    if (plain) {
        p0 = Trim(line);
        a = p0.empty() ? 0 : 1;
    } else {
        RemoveCharInto(m_blankFree, line, u' ');
        blankFree = m_blankFree;
        a = SplitLine(m_blankFree, u"=", m_eqTokens);
        p0 = m_eqTokens.getitem(0);
        p1 = m_eqTokens.getitem(1);
        p2 = m_eqTokens.getitem(2);
    }

    const LineKind kind = classifyLine(line, blankFree, a, p0, p1, m_auxTokens);
    if (kind == LineKind::Unchanged || kind == LineKind::Prose)
        return false;
    const bool expression = kind == LineKind::Expression;

    // The parts are trimmed and blank-free already: read where they lie.
    const auto evaluate = [&](TSINumber& x, std::u16string_view part) {
        return p.EvaluatePrepared(x, part);
    };
    // The parts joined by " = ", written into one resize: output keeps its room from line to
    // line.
    const auto join = [&output](std::initializer_list<std::u16string_view> parts) {
        std::size_t size = kSeparator.size() * (parts.size() - 1);
        for (const std::u16string_view part : parts)
            size += part.size();
        output.resize(size);
        auto at = output.begin();
        bool first = true;
        for (const std::u16string_view part : parts) {
            if (!first)
                at = std::copy(kSeparator.begin(), kSeparator.end(), at);
            at = std::copy(part.begin(), part.end(), at);
            first = false;
        }
    };

    TSINumber result;
    TSINumber scratch;
    if (expression) {
        ok = evaluate(result, p0);
        if (ok) {
            if (a == 2) {
                p.Units.ClearUsed();
                evaluate(scratch, p1); // only the Used marks it leaves count
            }
            Strwandeln(p.Units, result, RoundDecimals(decimals), LastResult, m_shown);
            m_result = result;
            join({p0, LastResult});
        } else {
            join({p0, p.ErrMsg});
        }
        return true;
    }

    if (p.FindFunction(p0) >= 0 || p.FindUnit(p0) >= 0) {
        ok = p.SetError(u"illegal variable name");
        p.ErrPos = 1;
        p.ErrLen = Length32(p0);
        join({p0, p1, p.ErrMsg});
        return true;
    }
    ok = evaluate(result, p1);
    if (ok) {
        if (a == 3) {
            p.Units.ClearUsed();
            evaluate(scratch, p2);
        }
        Strwandeln(p.Units, result, RoundDecimals(decimals), LastResult, m_shown);
        p.SetVar(p0, result);
        m_result = result;
        const std::int32_t n = SplitLine(p1, kOperatorChars, m_auxTokens);
        if (n > 1 && Trim(p1) != Trim(LastResult))
            join({p0, p1, LastResult});
        else
            join({p0, LastResult});
    } else {
        join({p0, p1, p.ErrMsg});
    }
    p.ErrPos += Length32(p0) + Length32(kSeparator);
    return true;
}

LineOutput LineEvaluator::EvalSheetLine(std::u16string_view line, double decimals)
{
    LineOutput out;
    EvalSheetLine(line, decimals, out);
    return out;
}

void LineEvaluator::EvalSheetLine(std::u16string_view line, double decimals, LineOutput& out)
{
    out.ok = true;
    out.markStart = 0;
    out.markLength = 0;
    out.fault.clear();
    if (Trim(line).empty()) {
        out.text.assign(line);
        return;
    }
    // One pass finds the label's ":" and the blanks and "=" of a line without a label.
    const LineMarks marks = marksOf(line);
    const LabelSplit split = splitLabel(line, (marks & kColon) != 0);
    if (split.prefix.empty()) {
        out.ok = evalLine(split.rest, isPlain(marks), decimals, out.text);
    } else {
        out.ok = evalLine(split.rest, isPlain(marksOf(split.rest)), decimals, m_evaluated);
        out.text.assign(split.prefix);
        out.text += m_evaluated;
    }
    out.fault = m_fault;
    if (!out.ok) {
        const TEFParser::Span mark = m_parser.ErrorSpan(out.text.size() - split.prefix.size());
        out.markStart = Length32(split.prefix) + mark.start;
        out.markLength = mark.length;
    }
}

LineEvaluator::EnterOutcome LineEvaluator::Enter(std::u16string_view line, double decimals)
{
    EnterOutcome outcome;
    Enter(line, decimals, outcome);
    return outcome;
}

void LineEvaluator::Enter(std::u16string_view line, double decimals, EnterOutcome& outcome)
{
    outcome.listing = ListCommandOf(line);
    outcome.entries.clear();
    outcome.result.reset();
    switch (outcome.listing) {
    case ListCommand::None:
        m_result.reset(); // a blank line is not evaluated
        EvalSheetLine(line, decimals, outcome.line);
        outcome.result = m_result;
        if (m_result) {
            outcome.divisor = m_shown.divisor;
            outcome.unit = std::u16string_view(LastResult).substr(m_shown.unitStart);
        }
        break;
    case ListCommand::Vars:
        outcome.entries = ListQuantities(m_parser.Vars);
        break;
    case ListCommand::Units:
        outcome.entries = ListQuantities(m_parser.Units);
        break;
    }
}

} // namespace quorvel
