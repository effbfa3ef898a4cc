// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/unit_definitions/unit_compiler.h"

#include "engine/base/text_helpers.h"

namespace quorvel {

const std::vector<std::u16string>& DefaultUnitDefinitions()
{
    static const std::vector<std::u16string> lines = {
        u"N = kg*m/s\u00B2", u"Pa = N/m\u00B2",   u"J = kg*m\u00B2/s\u00B2",
        u"W = J/s",          u"kW = 1000W",       u"g = 0.001kg",
        u"h = 3600s",        u"min = 60s",        u"mm = 0.001m",
        u"km = 1000m",       u"l = m\u00B3/1000", u"ml = l/1000",
        u"\u20AC = 1",       u"St\u00FCck = 1"};
    return lines;
}

bool CompileUnitDefinitions(TEFParser& parser, std::vector<std::u16string>& lines,
                            std::size_t* raisingLine, std::vector<UnitLineFailure>* failures)
{
    bool ok = true;
    parser.Units.SetBaseUnits();
    const std::size_t n = lines.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::u16string_view line = Trim(lines[i]);
        if (line.empty())
            continue;
        tokenObj tokens(line);
        const std::u16string name(Trim(tokens.FetchToken(u"=")));
        const std::u16string formula = RemoveChar(tokens.FetchToken(u";"), u' ');
        std::u16string consumed = formula;
        TSINumber x;
        if (raisingLine)
            *raisingLine = i;
        if (parser.Evaluate(x, consumed)) {
            parser.Units.AddOrReplace(SiVarSet(name, x));
            lines[i] = name + u" = " + formula;
        } else {
            lines[i] = name + u" = " + formula + u"; " + parser.ErrMsg;
            ok = false;
            if (failures)
                failures->push_back({i, parser.ErrMsg});
        }
    }
    return ok;
}

} // namespace quorvel
