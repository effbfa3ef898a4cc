// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF reader, one row per control word or rule: an RTF body and the lines and runs it gives.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/reader.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

// A rich-edit style head: fonts of several character sets and a colour table. \plain\fs22 makes
// the runs start as TextRun's defaults (Courier New 11 pt, plain).
constexpr const char* kHead =
    R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fnil\fcharset0 Courier New;})"
    R"({\f1\fswiss\fcharset161 Arial;}{\f2\froman\fcharset204 Times New Roman;})"
    R"({\f3\fnil\fcharset238 Tahoma;}{\f4\fnil\fcharset128 MS Mincho;}{\f5\fnil\cpg1253 Verdana;})"
    R"({\f6\fnil Georgia;}})"
    R"({\colortbl ;\red255\green0\blue0;\red0\green0\blue255;})"
    "\n\\viewkind4\\uc1\\pard\\plain\\fs22 ";

struct ReaderCase
{
    const char* name;
    // Put between kHead and "}"; a whole document when it starts with "{\rtf".
    const char* rtf;
    Page expected;
};

const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);
constexpr auto kSuper = QTextCharFormat::AlignSuperScript;
constexpr auto kSub = QTextCharFormat::AlignSubScript;

const ReaderCase kCases[] = {
    {"text", "Hello World", {{{"Hello World"}}}},
    {"bold", R"(a\b b\b0 c)", {{{"a"}, {.text = "b", .bold = true}, {"c"}}}},
    {"italic", R"(a\i b\i0 c)", {{{"a"}, {.text = "b", .italic = true}, {"c"}}}},
    {"underline",
     R"(a\ul b\ulnone c\ul d\ul0 e)",
     {{{"a"}, {.text = "b", .underline = true}, {"c"}, {.text = "d", .underline = true}, {"e"}}}},
    {"underline_kinds",
     R"(\uldb a\ulnone b\ulwave c)",
     {{{.text = "a", .underline = true}, {"b"}, {.text = "c", .underline = true}}}},
    {"colour",
     R"(\cf1 r\cf2 b\cf0 a\cf7 x)",
     {{{.text = "r", .colour = kRed}, {.text = "b", .colour = kBlue}, {"ax"}}}},
    {"font_size",
     R"(\fs30 a\fs17 b\fs c)",
     {{{.text = "a", .points = 15}, {.text = "b", .points = 8.5}, {.text = "c", .points = 12}}}},
    {"font",
     R"(\f1 a\f2 b\f6 c\f99 d)",
     {{{.text = "a", .family = "Arial", .charset = 161},
       {.text = "b", .family = "Times New Roman", .charset = 204},
       {.text = "c", .family = "Georgia"},
       {.text = "d", .family = ""}}}},
    {"super_and_subscript",
     R"(m\super 2\nosupersub x\sub 3\nosupersub y)",
     {{{"m"}, {.text = "2", .script = kSuper}, {"x"}, {.text = "3", .script = kSub}, {"y"}}}},
    {"up_and_dn",
     R"(a\up4 b\up0 c\dn2 d\dn0 e)",
     {{{"a"}, {.text = "b", .script = kSuper}, {"c"}, {.text = "d", .script = kSub}, {"e"}}}},
    {"plain_resets_characters",
     R"(\b\i\ul\cf1\super\f1\fs40 a\plain b)",
     {{{.text = "a",
        .family = "Arial",
        .points = 20,
        .bold = true,
        .italic = true,
        .underline = true,
        .colour = kRed,
        .charset = 161,
        .script = kSuper},
       {.text = "b", .points = 12}}}},
    {"pard_keeps_characters",
     R"(\b a\par\pard b)",
     {{{.text = "a", .bold = true}}, {{.text = "b", .bold = true}}}},
    {"par", R"(a\par b)", {{{"a"}}, {{"b"}}}},
    {"line_is_a_new_line", R"(a\line b)", {{{"a"}}, {{"b"}}}},
    {"backslash_line_end_is_par", "a\\\nb\\\r\nc", {{{"a"}}, {{"b"}}, {{"c"}}}},
    {"tab", R"(a\tab b\cell c)", {{{"a\tb\tc"}}}},
    {"special_characters",
     R"(\~\-\_\emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet)",
     {{{"\u00A0\u00AD\u2011\u2014\u2013\u2018\u2019\u201C\u201D\u2022"}}}},
    {"escaped_characters", R"(\\\{\})", {{{"\\{}"}}}},
    {"hex_windows1252", R"(\'e4\'f6\'FC\'df\'b2\'b3\'80\'81)", {{{"äöüß²³€\u0081"}}}},
    {"unicode", R"(\u937?\u945?\u8804?\u-10179?\u-8704?)", {{{"Ωα≤😀"}}}},
    {"uc0_has_no_fallback", R"(\uc0\u937 x)", {{{"Ωx"}}}},
    {"uc2_skips_two", R"(\uc2\u937 ab\u945\'3f\'3fc)", {{{"Ωαc"}}}},
    {"uc_counts_a_control_word_as_one", R"(\uc2\u937\'3f\tab x)", {{{"Ωx"}}}},
    {"uc_belongs_to_the_group", R"({\uc0\u937 a}\u945 bc)", {{{"Ωaαc"}}}},
    {"uc_fallback_ends_at_a_brace", R"(\uc3\u937 a{b}c)", {{{"Ωbc"}}}},
    {"nested_groups_restore_state",
     R"(a{\b b{\i\cf1 c}d}e)",
     {{{"a"},
       {.text = "b", .bold = true},
       {.text = "c", .bold = true, .italic = true, .colour = kRed},
       {.text = "d", .bold = true},
       {"e"}}}},
    {"greek_1253", R"(\f1\'e1\'e2\'c4)", {{{.text = "αβΔ", .family = "Arial", .charset = 161}}}},
    {"cyrillic_1251",
     R"(\f2\'c0\'e1\'e2)",
     {{{.text = "Абв", .family = "Times New Roman", .charset = 204}}}},
    {"central_european_1250",
     R"(\f3\'b9\'e6\'9e)",
     {{{.text = "ąćž", .family = "Tahoma", .charset = 238}}}},
    {"double_byte_charset",
     R"(\f4\'82\'a0\'83A\'93\'fa)", // a trail byte may be a plain character
     {{{.text = "あア日", .family = "MS Mincho", .charset = 128}}}},
    {"font_code_page", R"(\f5\'e1)", {{{.text = "α", .family = "Verdana"}}}},
    {"raw_8bit_text", "\\f2 \xC0", {{{.text = "А", .family = "Times New Roman", .charset = 204}}}},
    {"skipped_destinations",
     R"({\*\unknowndest secret}a{\stylesheet{\s0 Normal;}}b{\info{\title T}}c)"
     R"({\nonshppict{\pict\wmetafile8 0102}}d{\object{\*\objdata 00}}e{\header H}{\footer F}{\headerl x})"
     R"({\footerr y}f)",
     {{{"abcdef"}}}},
    {"field_result_is_kept",
     R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}} {\field{\fldinst PAGE}{\fldrslt\b 1}})",
     {{{"link "}, {.text = "1", .bold = true}}}},
    {"binary_data_is_skipped", R"(a{\*\blip\bin3 }}}}b\bin2 xyc)", {{{"abc"}}}},
    {"unknown_words_are_ignored", R"(\foo12 a\barbaz-3 b\zzz c)", {{{"abc"}}}},
    {"line_ends_in_text_are_ignored", "a\r\nb\nc", {{{"abc"}}}},
    {"final_par_ends_the_last_line", R"(a\par b\par)", {{{"a"}}, {{"b"}}}},
    {"empty_last_line", R"(a\par\par)", {{{"a"}}, {}}},
    {"empty_document", "", {{}}},
    {"soft_breaks", R"(a\sect b\par\page c\row)", {{{"a"}}, {{"b"}}, {{"c"}}}},
    {"ansicpg_is_the_default_code_page",
     R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0 Arial;}}\pard\plain\fs22 \'c0})",
     {{{.text = "А", .family = "Arial"}}}},
    {"ansicpg932",
     R"({\rtf1\ansi\ansicpg932{\fonttbl{\f0 Arial;}}\fs22 \'93\'fa\'96\'7b})",
     {{{.text = "日本", .family = "Arial"}}}},
    {"ansicpg932_lead_byte_alone_at_a_line_end",
     R"({\rtf1\ansi\ansicpg932{\fonttbl{\f0 Arial;}}\fs22 x\'82\par\'82\'a0 y})",
     {{{.text = "x", .family = "Arial"}}, {{.text = "あ y", .family = "Arial"}}}},
    {"ansicpg936",
     R"({\rtf1\ansi\ansicpg936{\fonttbl{\f0 Arial;}}\fs22 \'d6\'d0\'ce\'c4})",
     {{{.text = "中文", .family = "Arial"}}}},
    {"ansicpg949",
     R"({\rtf1\ansi\ansicpg949{\fonttbl{\f0 Arial;}}\fs22 \'c7\'d1\'b1\'db})",
     {{{.text = "한글", .family = "Arial"}}}},
    {"ansicpg950",
     R"({\rtf1\ansi\ansicpg950{\fonttbl{\f0 Arial;}}\fs22 \'a4\'a4\'a4\'e5})",
     {{{.text = "中文", .family = "Arial"}}}},
    {"unknown_ansicpg_is_1252",
     R"({\rtf1\ansi\ansicpg4711{\fonttbl{\f0 Arial;}}\fs22 \'e4})",
     {{{.text = "ä", .family = "Arial"}}}},
    {"charset1_uses_ansicpg",
     R"({\rtf1\ansi\ansicpg1253{\fonttbl{\f0\fcharset1 Arial;}}\fs22 \'e1})",
     {{{.text = "α", .family = "Arial", .charset = 1}}}},
    {"charset0_is_1252_whatever_ansicpg",
     R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 Arial;}}\fs22 \'e4})",
     {{{.text = "ä", .family = "Arial"}}}},
    {"font_table_without_groups",
     R"({\rtf1\ansi{\fonttbl\f0\fswiss Helvetica;\f1\froman Times;}\fs22\f1 x})",
     {{{.text = "x", .family = "Times"}}}},
    {"font_name_in_its_code_page",
     R"({\rtf1\ansi{\fonttbl{\f0\fcharset161 Schrift\'e1{\*\panose 0}\'e2 ;}}\fs22 x})",
     {{{.text = "x", .family = "Schriftαβ", .charset = 161}}}},
    {"explicit_black_and_automatic",
     R"({\rtf1{\fonttbl{\f0 Courier New;}}{\colortbl;\red0\green0\blue0;}\fs22\cf1 x\cf0 y})",
     {{{.text = "x", .colour = kBlack}, {"y"}}}},
};

void PrintTo(const ReaderCase& row, std::ostream* out)
{
    *out << row.name;
}

class RtfReaderTest : public testing::TestWithParam<ReaderCase>
{
};

TEST_P(RtfReaderTest, GivesLinesAndRuns)
{
    const ReaderCase& row = GetParam();
    const QByteArray body(row.rtf);
    const QByteArray rtf = body.startsWith("{\\rtf") ? body : kHead + body + "}";
    EXPECT_EQ(PageOf(*Read(rtf)), row.expected) << rtf.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ControlWords, RtfReaderTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ReaderCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(RtfReader, ReplacesTheDocumentAndKeepsItsSettings)
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old\ntext"));
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(11);
    doc.setDefaultFont(font);
    ASSERT_TRUE(ReadRtf(QByteArray(kHead) + "new}", doc));
    EXPECT_EQ(LinesOf(doc), QStringList{"new"});
    EXPECT_EQ(doc.defaultFont(), font);
    EXPECT_TRUE(doc.isUndoRedoEnabled());
    EXPECT_FALSE(doc.isUndoAvailable());
}

TEST(RtfReader, EmptyLinesKeepTheirFormat)
{
    const auto doc = Read(QByteArray(kHead) + R"(a\par\b\cf1\par b\par\i\par})");
    ASSERT_EQ(doc->blockCount(), 4);
    const QTextCharFormat second = doc->findBlockByNumber(1).charFormat();
    EXPECT_EQ(second.fontWeight(), QFont::Bold);
    EXPECT_EQ(second.foreground().color(), kRed);
    EXPECT_TRUE(doc->findBlockByNumber(3).charFormat().fontItalic());
}

TEST(RtfReader, RecognisesRtfByItsStart)
{
    EXPECT_TRUE(IsRtf("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(IsRtf("{\\rtf"));
    EXPECT_TRUE(IsRtf(" \r\n\t{\\rtf1}"));
    EXPECT_FALSE(IsRtf(""));
    EXPECT_FALSE(IsRtf("{\\rt"));
    EXPECT_FALSE(IsRtf("x{\\rtf1}"));
    EXPECT_FALSE(IsRtf("{\\RTF1}"));
    EXPECT_FALSE(IsRtf("\xEF\xBB\xBF{\\rtf1}"));
    EXPECT_FALSE(IsRtf("Hello"));
}

TEST(RtfReader, RefusesWhatIsNotRtfAndLeavesTheDocument)
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    QString error;
    EXPECT_FALSE(ReadRtf("plain text", doc, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("keep"));
    EXPECT_FALSE(ReadRtf("", doc));
    EXPECT_TRUE(ReadRtf("{\\rtf1 x}", doc, &error));
    EXPECT_TRUE(error.isEmpty());
}

} // namespace
} // namespace quorvel::test
