// SPDX-License-Identifier: GPL-3.0-or-later
// The examples of the German help are promises to the user: every line written there with its
// result must come back exactly so when Enter evaluates it. They run in the order the help gives
// them, because later examples use variables that earlier ones define.
#include "engine/base/text_encoding.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace quorvel;

namespace {

std::u16string readHelp(const char* name)
{
    std::ifstream in(std::string(QUORVEL_HELP_DIR "/") + name, std::ios::binary);
    return DecodeUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The texts between pairs of backticks.
std::vector<std::u16string> codeSpans(const std::u16string& text)
{
    std::vector<std::u16string> spans;
    for (std::size_t open = text.find(u'`'); open != std::u16string::npos;) {
        const std::size_t close = text.find(u'`', open + 1);
        if (close == std::u16string::npos)
            break;
        spans.push_back(text.substr(open + 1, close - open - 1));
        open = text.find(u'`', close + 1);
    }
    return spans;
}

std::vector<std::u16string_view> splitAtEquals(std::u16string_view line)
{
    std::vector<std::u16string_view> parts;
    for (std::size_t at; (at = line.find(u" = ")) != std::u16string_view::npos;) {
        parts.push_back(line.substr(0, at));
        line.remove_prefix(at + 3);
    }
    parts.push_back(line);
    return parts;
}

bool isExpression(std::u16string_view first)
{
    return !first.empty() && (first.find_first_of(u"+-*/^();\u00B2\u00B3") != first.npos ||
                              (first[0] >= u'0' && first[0] <= u'9'));
}

} // namespace

TEST(HelpExamples, StatedResultsAndMessagesAreWhatEnterWrites)
{
    TEFParser parser;
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    CompileUnitDefinitions(parser, units);
    LineEvaluator evaluator(parser);

    int results = 0;
    int messages = 0;
    for (const std::u16string& span : codeSpans(readHelp("ZIV.md"))) {
        const std::vector<std::u16string_view> parts = splitAtEquals(SplitLabel(span).rest);
        const LineOutput out = evaluator.EvalSheetLine(span, 0);
        if (parts.size() < 2 || (parts.size() == 2 && !isExpression(parts[0])))
            continue; // a definition such as «a = 3», or no line at all
        const std::u16string_view last = parts.back();
        const bool statesResult =
            !last.empty() && (last[0] == u'-' || (last[0] >= u'0' && last[0] <= u'9'));
        const bool statesMessage = last.find(u' ') != last.npos;
        if (!statesResult && !statesMessage)
            continue; // a unit behind "=" that asks for a conversion
        EXPECT_EQ(EncodeUtf8(out.text), EncodeUtf8(span));
        EXPECT_EQ(out.ok, statesResult) << EncodeUtf8(span);
        ++(statesResult ? results : messages);
    }
    // Guards against the examples' notation changing under the test.
    EXPECT_GE(results, 35);
    EXPECT_GE(messages, 1);
}
