// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a whole worksheet with its own unit definitions, run as
// quorvel-calc runs a file: the lines above a line "%%" (if there is one) are the unit
// definitions, compiled into a fresh evaluator; every line below goes through Enter's dispatch
// (VARS/UNITS listing or evaluation) with one evaluator, so variables, the units defined above
// and the last result carry from line to line.
// Findings: a crash, an escaping exception, a mark outside its line, a failed line without
// text, a listing whose length differs from its table, a hang, a leak or undefined behaviour.
#include "fuzz/fuzz_checks.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/text_encoding.h"
#include "engine/formula/evaluator.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace quorvel;

using fuzz::check;

// The decimal places rotate through the keypad's rules: general, at most n, exactly n, a value
// beyond the fixed-point limit, and a real number that is rounded.
constexpr double kDecimals[] = {0, 3, -2, 0, 12, -25, 1.5};

std::vector<std::u16string_view> splitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find(u'\n');
        lines.push_back(text.substr(0, lf));
        text.remove_prefix(lf == std::u16string_view::npos ? text.size() : lf + 1);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text =
        DecodeUtf8OrWindows1252(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<std::u16string_view> all = splitLines(text);

    std::size_t first = 0;
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] == u"%%") {
            units.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(i));
            first = i + 1;
            break;
        }
    }

    TEFParser parser;
    try {
        if (!CompileUnitDefinitions(parser, units))
            return 0; // quorvel-calc stops here too
    } catch (const QuorvelError&) {
        return 0;
    }

    LineEvaluator lines(parser);
    for (std::size_t i = first; i < all.size(); ++i) {
        const LineEvaluator::EnterOutcome outcome =
            lines.Enter(all[i], kDecimals[i % std::size(kDecimals)]);
        switch (outcome.listing) {
        case ListCommand::Vars:
            check(outcome.entries.size() == static_cast<std::size_t>(parser.Vars.Count));
            continue;
        case ListCommand::Units:
            check(outcome.entries.size() == static_cast<std::size_t>(parser.Units.Count));
            continue;
        case ListCommand::None:
            break;
        }
        const LineOutput& out = outcome.line;
        fuzz::checkLineOutput(out);
    }
    return 0;
}
