// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a diagram's points as semicolon-separated values.
#include "engine/diagram/csv_writer.h"

#include "engine/base/text_encoding.h"
#include "engine/diagram/axis_numbers.h"

namespace quorvel {
namespace {

void field(std::string& out, std::u16string_view text)
{
    const std::string bytes = EncodeUtf8(text);
    if (bytes.find_first_of(";\"\r\n") == std::string::npos) {
        out += bytes;
        return;
    }
    out += '"';
    for (const char c : bytes) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string WriteCsv(const DiagramData& data)
{
    std::string out;
    // About 12 characters a number: one allocation for the usual case.
    out.reserve(64 + data.x.size() * (1 + data.curves.size()) * 13);
    field(out, AxisTitle(data.variable, data.xUnit));
    for (const SampledCurve& curve : data.curves) {
        out += ';';
        field(out, AxisTitle(CurveName(curve), data.yUnit));
    }
    out += '\n';
    for (std::size_t i = 0; i < data.x.size(); ++i) {
        AppendShortest(out, data.x[i]);
        for (const SampledCurve& curve : data.curves) {
            out += ';';
            if (i < curve.values.size() && !IsGap(curve.values[i]))
                AppendShortest(out, curve.values[i]);
        }
        out += '\n';
    }
    return out;
}

} // namespace quorvel
