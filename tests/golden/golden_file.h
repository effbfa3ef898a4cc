// SPDX-License-Identifier: GPL-3.0-or-later
// Reading tests/golden/*.sheet: worksheet cases with the lines quorvel-calc must print.
//
//   # a comment (only at the start of a line; blank lines between cases are ignored)
//   === name of the case          starts a case: a fresh program run
//   @ --decimals 2                 arguments for quorvel-calc (split at blanks), optional
//   u N = kg*m/s²                  unit definition lines instead of the default ones, optional
//   > a = 3                        a line of the worksheet (">" alone: an empty line)
//   < a = 3                        an expected output line that evaluated without failure
//   ! 3m[+]2s = unit confilct      an expected failed line; "[...]" encloses the span shown in
//                                  red and is not part of the text; "[]" when nothing is marked
//   x Division by zero in SiDiv    the fault the last ">" line raised: the line stays as typed,
//                                  quorvel-calc reports "Zeile N: <message>" on stderr
//
// Input and expected lines may be interleaved for readability; the expected lines of a case,
// in order, are the whole output of its run. Every text starts after "> ", "< " or "! ".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::testing {

struct GoldenLine
{
    std::u16string text;
    bool ok = true;
    // Only for failed lines; when markLength is 0 the start is not compared.
    std::int32_t markStart = 0;
    std::int32_t markLength = 0;
    int fileLine = 0;
};

struct GoldenCase
{
    std::string name;
    int fileLine = 0;
    std::vector<std::string> args;
    bool customUnits = false;
    std::vector<std::u16string> units;
    std::vector<std::u16string> input;
    std::vector<GoldenLine> expected;
    // The expected standard error: "Zeile N: <message>" lines for the raised faults.
    std::string faults;
};

struct GoldenFile
{
    std::vector<GoldenCase> cases;
    std::string error; // the first format error, with its line number; empty when none
};

GoldenFile ReadGoldenFile(const std::string& path);

// The golden files of a folder, sorted by name.
std::vector<std::string> GoldenFilesIn(const std::string& folder);

} // namespace quorvel::testing
