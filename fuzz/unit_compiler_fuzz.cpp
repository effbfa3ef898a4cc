// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as the unit definition lines of the settings editor. They are
// compiled twice, into a fresh evaluator and into one that has compiled other lines before, and
// both must agree (the compile starts from the base units every time). Every unit that came out
// is then written as a result (Strwandeln with several decimal settings, marked and unmarked) and
// listed the way "UNITS" lists it, since user units with odd values (0, 1E-300, negative) reach
// the text routines only through here.
// Findings: a crash, an exception other than the engine's own, two compiles that differ, a line
// count that changed, a hang, a leak or undefined behaviour.
#include "fuzz/fuzz_checks.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/text_encoding.h"
#include "engine/formula/evaluator.h"
#include "engine/quantity/quantity_text.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace quorvel;

using fuzz::check;

struct Compiled
{
    bool ok = false;
    bool raised = false;
    std::u16string message;
    std::vector<std::u16string> lines;
};

Compiled compile(TEFParser& parser, std::vector<std::u16string> lines)
{
    Compiled c;
    try {
        c.ok = CompileUnitDefinitions(parser, lines);
    } catch (const QuorvelError& fault) {
        c.raised = true;
        c.message = fault.message();
    }
    c.lines = std::move(lines);
    return c;
}

// A parser that has compiled the default units and evaluated with them, as in a running program.
TEFParser& usedParser()
{
    static TEFParser parser = [] {
        TEFParser p;
        std::vector<std::u16string> units = DefaultUnitDefinitions();
        if (!CompileUnitDefinitions(p, units))
            __builtin_trap();
        std::u16string formula = u"3km/h+MAX(2;1)*1m/s";
        TSINumber x;
        p.Evaluate(x, formula);
        return p;
    }();
    return parser;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text =
        DecodeUtf8OrWindows1252(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::u16string> lines;
    std::u16string_view rest = text;
    while (!rest.empty()) {
        const std::size_t lf = rest.find(u'\n');
        lines.emplace_back(rest.substr(0, lf));
        rest.remove_prefix(lf == std::u16string_view::npos ? rest.size() : lf + 1);
    }

    TEFParser fresh;
    const Compiled a = compile(fresh, lines);
    TEFParser& used = usedParser();
    const Compiled b = compile(used, lines);
    check(a.ok == b.ok && a.raised == b.raised && a.message == b.message && a.lines == b.lines);
    check(a.lines.size() == lines.size());
    check(fresh.Units.Count == used.Units.Count);
    if (a.ok)
        check(!a.raised);

    // Each text scans the whole table: a bound keeps long inputs from being slow for no gain.
    const std::int32_t written = std::min<std::int32_t>(fresh.Units.Count, 64);
    for (std::int32_t i = 0; i < written; ++i) {
        const TSIVar& unit = fresh.Units.at(i);
        check(unit.Name == used.Units.at(i).Name);
        for (const std::int32_t digits : {0, 4, -3}) {
            for (const bool marked : {false, true}) {
                fresh.Units.ClearUsed();
                if (marked)
                    fresh.Units.SetUsed(i);
                try {
                    EncodeUtf8(
                        Strwandeln(fresh.Units, TSINumber{2.5, unit.Quantity.Exponents}, digits));
                } catch (const QuorvelError&) {
                }
            }
        }
    }
    for (const std::u16string& line : ListQuantities(fresh.Units))
        EncodeUtf8(line);
    return 0;
}
