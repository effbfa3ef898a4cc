// SPDX-License-Identifier: GPL-3.0-or-later
// Golden files: every tests/golden/<name>.sheet is run three ways, case by case:
//   LineEvaluator  in-process through SheetRunner and LineEvaluator (text, success, red span);
//   Program        the built quorvel-calc with pipes (exact bytes, exit status, no stderr);
//   Terminal       quorvel-calc on a pseudo-terminal (the red span as ANSI colour).
#include "tests/golden/golden_file.h"
#include "tests/tools/process_runner.h"

#include "engine/base/text_encoding.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "tools/quorvel-calc/command_line.h"
#include "tools/quorvel-calc/sheet_runner.h"

#include <gtest/gtest.h>

#include <span>

namespace quorvel::testing {
namespace {

const std::string kGoldenDir = QUORVEL_GOLDEN_DIR;
const std::string kCalc = QUORVEL_CALC_PATH;

GoldenFile load(const std::string& name)
{
    return ReadGoldenFile(kGoldenDir + "/" + name + ".sheet");
}

std::string trace(const std::string& file, const GoldenCase& c)
{
    return file + ".sheet:" + std::to_string(c.fileLine) + " \"" + c.name + "\"";
}

// A line in the notation of the golden files; an empty mark is always written at the end,
// since its position means nothing.
std::string notation(const std::u16string& text, bool ok, std::int32_t start, std::int32_t length)
{
    if (ok)
        return "< " + EncodeUtf8(text);
    if (length <= 0)
        return "! " + EncodeUtf8(text) + "[]";
    const auto s = static_cast<std::size_t>(start);
    const auto n = static_cast<std::size_t>(length);
    return "! " + EncodeUtf8(text.substr(0, s)) + "[" + EncodeUtf8(text.substr(s, n)) + "]" +
           EncodeUtf8(text.substr(std::min(s + n, text.size())));
}

std::string joinedInput(const GoldenCase& c)
{
    std::string bytes;
    for (const std::u16string& line : c.input)
        bytes += EncodeUtf8(line) + "\n";
    return bytes;
}

int expectedStatus(const GoldenCase& c)
{
    if (!c.faults.empty())
        return calc::ExitLineFailed;
    for (const GoldenLine& line : c.expected) {
        if (!line.ok)
            return calc::ExitLineFailed;
    }
    return calc::ExitOk;
}

// The program's command line for a case; units holds the case's unit file, if any.
std::vector<std::string> commandFor(const GoldenCase& c, const TempFile& sheet,
                                    const std::unique_ptr<TempFile>& units)
{
    std::vector<std::string> argv = {kCalc};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    if (units) {
        argv.push_back("--units");
        argv.push_back(units->path());
    }
    argv.push_back(sheet.path());
    return argv;
}

std::unique_ptr<TempFile> unitFileFor(const GoldenCase& c)
{
    if (!c.customUnits)
        return nullptr;
    std::string bytes;
    for (const std::u16string& line : c.units)
        bytes += EncodeUtf8(line) + "\n";
    return std::make_unique<TempFile>(bytes, "units.txt");
}

class GoldenSheet : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        file = load(GetParam());
        ASSERT_TRUE(file.error.empty()) << GetParam() << ".sheet: " << file.error;
        ASSERT_FALSE(file.cases.empty()) << GetParam() << ".sheet has no case";
    }
    GoldenFile file;
};

TEST_P(GoldenSheet, LineEvaluator)
{
    for (const GoldenCase& c : file.cases) {
        SCOPED_TRACE(trace(GetParam(), c));
        const std::vector<std::string_view> args(c.args.begin(), c.args.end());
        const calc::ParsedCommandLine parsed = calc::ParseCommandLine(args);
        ASSERT_TRUE(parsed.options) << parsed.error;

        TEFParser parser;
        std::vector<std::u16string> units = c.customUnits ? c.units : DefaultUnitDefinitions();
        ASSERT_TRUE(CompileUnitDefinitions(parser, units));
        calc::SheetRunner runner(parser);
        const std::vector<LineOutput> actual = runner.Run(c.input, parsed.options->decimals);

        const std::size_t n = std::max(actual.size(), c.expected.size());
        for (std::size_t i = 0; i < n; ++i) {
            const std::string want =
                i < c.expected.size() ? notation(c.expected[i].text, c.expected[i].ok,
                                                 c.expected[i].markStart, c.expected[i].markLength)
                                      : "(no line)";
            const std::string got = i < actual.size()
                                        ? notation(actual[i].text, actual[i].ok,
                                                   actual[i].markStart, actual[i].markLength)
                                        : "(no line)";
            EXPECT_EQ(want, got) << "output line " << i + 1 << ", golden line "
                                 << (i < c.expected.size() ? c.expected[i].fileLine : 0);
        }
    }
}

TEST_P(GoldenSheet, Program)
{
    for (const GoldenCase& c : file.cases) {
        SCOPED_TRACE(trace(GetParam(), c));
        const TempFile sheet(joinedInput(c));
        const std::unique_ptr<TempFile> units = unitFileFor(c);
        const ProcessResult run = RunProcess(commandFor(c, sheet, units));

        std::string expected;
        for (const GoldenLine& line : c.expected)
            expected += EncodeUtf8(line.text) + "\n";
        EXPECT_EQ(expected, run.out);
        EXPECT_EQ(c.faults, run.err);
        EXPECT_EQ(expectedStatus(c), run.status);
    }
}

TEST_P(GoldenSheet, Terminal)
{
    if (!TerminalAvailable())
        GTEST_SKIP() << "no pseudo-terminal on this machine";
    for (const GoldenCase& c : file.cases) {
        SCOPED_TRACE(trace(GetParam(), c));
        const TempFile sheet(joinedInput(c));
        const std::unique_ptr<TempFile> units = unitFileFor(c);
        const ProcessResult run = RunInTerminal(commandFor(c, sheet, units));

        std::string expected;
        for (const GoldenLine& line : c.expected) {
            const std::u16string& t = line.text;
            if (line.ok || line.markLength == 0) {
                expected += EncodeUtf8(t);
            } else {
                const auto s = static_cast<std::size_t>(line.markStart);
                const auto n = static_cast<std::size_t>(line.markLength);
                expected += EncodeUtf8(t.substr(0, s)) + "\x1b[31m" + EncodeUtf8(t.substr(s, n)) +
                            "\x1b[0m" + EncodeUtf8(t.substr(s + n));
            }
            expected += "\n";
        }
        expected += c.faults; // standard error shares the terminal, written after the sheet
        EXPECT_EQ(expected, run.out);
        EXPECT_EQ(expectedStatus(c), run.status);
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenSheet, ::testing::ValuesIn(GoldenFilesIn(kGoldenDir)),
                         [](const ::testing::TestParamInfo<std::string>& sheet) {
                             return sheet.param;
                         });

} // namespace
} // namespace quorvel::testing
