// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a worksheet. The bytes are decoded as the program and
// quorvel-calc decode files (UTF-8, else Windows-1252), split into lines, and every line goes
// through Enter's path (label split, EvalLine, VARS/UNITS listing) with the default units,
// with one evaluator for the whole input so that assignments feed later lines.
// Every line must end in an output line (the engine catches its own exceptions inside
// EvalLine); anything else - a crash, an escaping exception, a mark outside the line, a hang,
// a leak or undefined behaviour - is a finding.
#include "fuzz/fuzz_checks.h"

#include "engine/base/text_encoding.h"
#include "engine/formula/evaluator.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace quorvel;

// Start-up once: the evaluator with the default units compiled. Lines never change the unit
// table (only its Used marks, which every line clears first), so each input starts from it
// with the variables reset to those of a fresh evaluator, "Pi" and "PU". Copying the whole
// evaluator per input would cost more than most inputs.
TEFParser& sharedParser()
{
    static TEFParser parser = [] {
        TEFParser p;
        std::vector<std::u16string> units = DefaultUnitDefinitions();
        if (!CompileUnitDefinitions(p, units))
            std::abort();
        return p;
    }();
    return parser;
}

void resetVariables(TEFParser& parser)
{
    static const std::vector<TSIVar> fresh = [] {
        const TEFParser p;
        std::vector<TSIVar> vars;
        for (std::int32_t i = 0; i < p.Vars.Count; ++i)
            vars.push_back(p.Vars.at(i));
        return vars;
    }();
    parser.Vars.Clear();
    for (const TSIVar& var : fresh)
        parser.Vars.Add(var);
}

using fuzz::check;

// The decimal places rotate through the keypad's rules: general, at most n, exactly n, a
// value beyond the fixed-point limit, and a real number that is rounded.
constexpr double kDecimals[] = {0, 2, -2, 7, -25, 1.5, 30};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TEFParser& parser = sharedParser();
    resetVariables(parser);
    LineEvaluator lines(parser);
    const std::u16string text =
        DecodeUtf8OrWindows1252(std::string_view(reinterpret_cast<const char*>(data), size));

    std::u16string_view rest = text;
    std::size_t index = 0;
    while (!rest.empty()) {
        const std::size_t lf = rest.find(u'\n');
        const std::u16string_view line = rest.substr(0, lf);
        rest.remove_prefix(lf == std::u16string_view::npos ? rest.size() : lf + 1);

        switch (ListCommandOf(line)) {
        case ListCommand::Vars:
            check(ListQuantities(parser.Vars).size() ==
                  static_cast<std::size_t>(parser.Vars.Count));
            continue;
        case ListCommand::Units:
            check(ListQuantities(parser.Units).size() ==
                  static_cast<std::size_t>(parser.Units.Count));
            continue;
        case ListCommand::None:
            break;
        }
        const LineOutput out = lines.EvalSheetLine(line, kDecimals[index++ % std::size(kDecimals)]);
        fuzz::checkLineOutput(out);
    }
    return 0;
}
