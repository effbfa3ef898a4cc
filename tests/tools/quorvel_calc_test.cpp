// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-calc: line splitting, options, rendering, and the program's behaviour at its edges
// (encodings, standard input, exit statuses, unit definition files). What the lines evaluate
// to is pinned by the golden files.
#include "tests/tools/process_runner.h"

#include "engine/base/text_encoding.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "tools/quorvel-calc/command_line.h"
#include "tools/quorvel-calc/name_completion.h"
#include "tools/quorvel-calc/sheet_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

using calc::ExitFailure;
using calc::ExitLineFailed;
using calc::ExitOk;

const std::string kCalc = QUORVEL_CALC_PATH;

ProcessResult calc(std::vector<std::string> args, const std::string& input = {})
{
    args.insert(args.begin(), kCalc);
    return RunProcess(args, input);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

calc::ParsedCommandLine parse(std::vector<std::string_view> args)
{
    return calc::ParseCommandLine(args);
}

// The lines a decoder hands out when the bytes arrive in pieces of the given size.
std::vector<std::u16string> decodeInPieces(std::string_view bytes, std::size_t piece)
{
    std::vector<std::u16string> lines;
    const auto keep = [&lines](std::u16string_view line) { lines.emplace_back(line); };
    calc::SheetDecoder decoder;
    for (std::size_t i = 0; i < bytes.size(); i += piece)
        decoder.Feed(bytes.substr(i, piece), keep);
    decoder.Finish(keep);
    return lines;
}

TEST(SheetDecoder, SameLinesWhateverPiecesTheBytesComeIn)
{
    using namespace std::string_literals;
    using Lines = std::vector<std::u16string>;
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"a", {u"a"}},   // the last line without a line feed
        {"a\n", {u"a"}}, // no empty line after the last
        {"a\n\nb", {u"a", u"", u"b"}},
        {"\n", {u""}},
        {"a\r\nb\r\n", {u"a", u"b"}},
        {"a\rb\r", {u"a\rb\r"}}, // a lone CR is text
        {"a\r\r\n", {u"a\r"}},   // only the CR before LF goes
        {"\xEF\xBB\xBF"
         "1+1\n",
         {u"1+1"}}, // UTF-8 mark dropped
        {"Fl\xC3\xA4"
         "che\n\xF0\x9F\x98\x80",
         {u"Fl\u00E4che", u"\U0001F600"}},
        {"\xEF\xBB", {u"\u00EF\u00BB"}}, // only the start of a mark: no UTF-8 either
        {"\xFF\xFE"
         "1\0\r\0\n\0\xE4\0\n\0\n\0"
         "x"s,
         {u"1", u"\u00E4", u""}}, // UTF-16 little endian; a last odd byte is dropped
        {"\xFE\xFF\0a\0\n\0b"s, {u"a", u"b"}},
    };
    for (const auto& [bytes, lines] : cases) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, bytes.size() + 1})
            EXPECT_EQ(decodeInPieces(bytes, piece), lines) << bytes << " in pieces of " << piece;
    }
}

TEST(SheetDecoder, Windows1252FromTheFirstLineThatIsNoUtf8)
{
    calc::SheetDecoder decoder;
    std::vector<std::u16string> lines;
    const auto keep = [&lines](std::u16string_view line) { lines.emplace_back(line); };
    decoder.Feed("\xC3\xA4\n1\n", keep);
    EXPECT_EQ(decoder.Windows1252From(), 0u);
    decoder.Feed("\xE4\n\xC3\xA4\n\x80", keep);
    decoder.Finish(keep);
    EXPECT_EQ(lines,
              (std::vector<std::u16string>{u"\u00E4", u"1", u"\u00E4", u"\u00C3\u00A4", u"\u20AC"}))
        << "lines before it stay UTF-8; from it on every byte is a character";
    EXPECT_EQ(decoder.Windows1252From(), 3u);
}

TEST(CommandLine, DecimalsAreRealNumbersWithoutLocale)
{
    EXPECT_EQ(calc::ParseDecimals("2"), 2.0);
    EXPECT_EQ(calc::ParseDecimals("-2"), -2.0);
    EXPECT_EQ(calc::ParseDecimals("1.5"), 1.5);
    EXPECT_EQ(calc::ParseDecimals("+3"), 3.0);
    EXPECT_EQ(calc::ParseDecimals("1e1"), 10.0);
    EXPECT_EQ(calc::ParseDecimals("0"), 0.0);
    for (const char* bad : {"", "abc", "1,5", "2x", " 2", "2 ", "nan", "inf", "-", "+", "1e10",
                            "-3000000000", "0x10"})
        EXPECT_FALSE(calc::ParseDecimals(bad)) << bad;
}

TEST(CommandLine, OptionsAndFile)
{
    auto p = parse({});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->decimals, 0.0);
    EXPECT_FALSE(p.options->sheetFile);
    EXPECT_FALSE(p.options->unitsFile);
    EXPECT_FALSE(p.options->help);

    p = parse({"--decimals", "-2", "--units", "u.txt", "blatt.txt"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->decimals, -2.0);
    EXPECT_EQ(p.options->unitsFile, "u.txt");
    EXPECT_EQ(p.options->sheetFile, "blatt.txt");

    p = parse({"blatt.txt", "--decimals=1.5", "--units=e.txt"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->decimals, 1.5);
    EXPECT_EQ(p.options->unitsFile, "e.txt");
    EXPECT_EQ(p.options->sheetFile, "blatt.txt");

    p = parse({"-"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->sheetFile, "-") << "standard input";

    p = parse({"--", "--decimals"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->sheetFile, "--decimals") << "a file after --";

    p = parse({"--help"});
    ASSERT_TRUE(p.options);
    EXPECT_TRUE(p.options->help);
}

TEST(CommandLine, BadUsageIsRefusedWithAReason)
{
    const std::vector<std::vector<std::string_view>> bad = {
        {"--decimals"},        {"--decimals", "zwei"},
        {"--decimals=1,5"},    {"--units"},
        {"--frobnicate"},      {"-x"},
        {"a.txt", "b.txt"},    {"--decimalsX=2"},
        {"--decimals", "nan"}, {"-e"},
        {"--farbe=bunt"},      {"-e", "1+1", "blatt.txt"},
        {"--json=ja"}};
    for (const auto& args : bad) {
        const auto p = parse(args);
        EXPECT_FALSE(p.options) << args.front();
        EXPECT_FALSE(p.error.empty()) << args.front();
    }
}

TEST(RenderLine, MarksTheSpanInRedOnlyWhenAsked)
{
    const LineOutput failed{false, u"Fl\u00E4che: 3m+2s = unit confilct", 10, 1, {}};
    EXPECT_EQ(calc::RenderLine(failed, false), "Fl\xC3\xA4"
                                               "che: 3m+2s = unit confilct\n");
    EXPECT_EQ(calc::RenderLine(failed, true), "Fl\xC3\xA4"
                                              "che: 3m\x1b[31m+\x1b[0m"
                                              "2s = unit confilct\n");

    const LineOutput unmarked{false, u"2+ = OK!", 3, 0, {}};
    EXPECT_EQ(calc::RenderLine(unmarked, true), "2+ = OK!\n") << "nothing to colour";
    const LineOutput ok{true, u"a = 3", 0, 0, {}};
    EXPECT_EQ(calc::RenderLine(ok, true), "a = 3\n");
}

TEST(Program, HelpIsGermanAndFitsATerminal)
{
    const ProcessResult r = calc({"--help"});
    EXPECT_EQ(r.status, ExitOk);
    EXPECT_TRUE(r.out.starts_with("Aufruf: quorvel-calc [OPTION...] [DATEI]")) << r.out;
    for (const char* option :
         {"--ausdruck", "-e,", "--decimals", "--units", "--json", "--farbe", "NO_COLOR", "--help",
          "--version", "Rückgabewert", "ergebnis", "Schreibfehler", "Windows-1252"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const auto columns = std::count_if(line.begin(), line.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80; // one per character
        });
        EXPECT_LE(columns, 80) << line;
    }
    EXPECT_EQ(r.err, "");
}

TEST(Program, BadUsageExitsWithTwo)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--decimals", "x"}, {"--bogus"}, {"a", "b"}, {"--units"}}) {
        const ProcessResult r = calc(args, "1+1\n");
        EXPECT_EQ(r.status, ExitFailure) << args.front();
        EXPECT_EQ(r.out, "") << args.front();
        EXPECT_TRUE(r.err.starts_with("quorvel-calc: ")) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
}

TEST(Program, UnreadableFilesExitWithTwo)
{
    ProcessResult r = calc({"/nonexistent/blatt.txt"});
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorvel-calc: Datei nicht lesbar: /nonexistent/blatt.txt: Die Datei oder "
                     "ihr Ordner ist nicht vorhanden\n");

    r = calc({"/tmp"});
    EXPECT_EQ(r.status, ExitFailure) << "a folder is no sheet";
    EXPECT_EQ(r.err, "quorvel-calc: Datei nicht lesbar: /tmp: Dort liegt ein Ordner\n");

    r = calc({"--units", "/nonexistent/einheiten.txt"}, "1+1\n");
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorvel-calc: Einheitendatei nicht lesbar: /nonexistent/einheiten.txt: "
                     "Die Datei oder ihr Ordner ist nicht vorhanden\n");
}

TEST(Program, ReadsStandardInputWithoutFileOrWithDash)
{
    EXPECT_EQ(calc({}, "a = 3\nb = a * 2\n").out, "a = 3\nb = a*2 = 6\n");
    EXPECT_EQ(calc({"-"}, "2+3*4\n").out, "2+3*4 = 14\n");
    const ProcessResult empty = calc({});
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.status, ExitOk);
}

TEST(Program, LinesAsInTheFile)
{
    EXPECT_EQ(calc({}, "1+1\r\n2+2\r\n").out, "1+1 = 2\n2+2 = 4\n") << "CR LF";
    EXPECT_EQ(calc({}, "1+1\n2+2").out, "1+1 = 2\n2+2 = 4\n") << "no final newline";
    EXPECT_EQ(calc({}, "\n\n1+1\n\n").out, "\n\n1+1 = 2\n\n") << "empty lines stay";
    EXPECT_EQ(calc({}, "  \t\n").out, "  \t\n") << "blank lines stay as typed";
}

TEST(Program, DecodesTextFilesAndWritesUtf8)
{
    // UTF-16 by its byte-order mark, as "Text laden" reads it.
    EXPECT_EQ(calc({}, std::string("\xFF\xFE"
                                   "1\0+\0"
                                   "1\0\n\0",
                                   10))
                  .out,
              "1+1 = 2\n");
    // "Fläche: 5€" in Windows-1252 (ä = E4, € = 80) comes out in UTF-8.
    EXPECT_EQ(calc({}, "Fl\xE4"
                       "che: 5\x80\n")
                  .out,
              "Fl\xC3\xA4"
              "che: 5\xE2\x82\xAC = 5\xE2\x82\xAC\n");
    EXPECT_EQ(calc({}, "Fl\xC3\xA4"
                       "che: 5\xE2\x82\xAC\n")
                  .out,
              "Fl\xC3\xA4"
              "che: 5\xE2\x82\xAC = 5\xE2\x82\xAC\n");
    EXPECT_EQ(calc({}, "\xEF\xBB\xBF"
                       "1+1\n")
                  .out,
              "1+1 = 2\n")
        << "byte-order mark dropped";
    // "²" as the single byte B2 is the square operator.
    EXPECT_EQ(calc({}, "(3m)\xB2\n").out, "(3m)\xC2\xB2 = 9m\xC2\xB2\n");

    // From the first line that is no UTF-8 on, Windows-1252; said once.
    const ProcessResult mixed = calc({}, "1+1\nFl\xE4"
                                         "che: 2\x80\nL\xE4nge: 3m\n");
    EXPECT_EQ(mixed.out, "1+1 = 2\nFl\xC3\xA4"
                         "che: 2\xE2\x82\xAC = 2\xE2\x82\xAC\nL\xC3\xA4nge: 3m = 3m\n");
    EXPECT_EQ(mixed.err, "quorvel-calc: Zeile 2 ist kein g\xC3\xBCltiges UTF-8; ab hier wird die "
                         "Eingabe als Windows-1252 gelesen\n");
    EXPECT_EQ(mixed.status, ExitOk) << "a notice, no failure";
}

TEST(Program, AnswersEachLineBeforeTheNextArrives)
{
    for (const char* mode : {"--farbe=nie", "--json"}) {
        Conversation conversation({kCalc, mode});
        conversation.send("a = 3m\n");
        const std::string first = conversation.readUntil("\n", 60);
        EXPECT_TRUE(first.starts_with(std::string(mode) == "--json" ? "{\"zeile\":1," : "a = 3m"))
            << mode << ": " << first;
        conversation.send("a*2\n");
        EXPECT_NE(conversation.readUntil("\n", 60), "") << mode << ": the second answer";
        EXPECT_EQ(conversation.finish().status, ExitOk) << mode;
    }
}

TEST(Program, WriteErrorsAreToldAndFail)
{
    // 300 lines and more once went out in pieces whose failure nobody checked.
    std::string many;
    for (int i = 0; i < 400; ++i)
        many += "1+1\n";
    const TempFile sheet(many);
    const std::string full = "quorvel-calc: Schreibfehler: Der Datentr\xC3\xA4ger ist voll\n";
    for (const std::string& args :
         {std::string("-e 1+1"), sheet.path(), "--json " + sheet.path(), std::string("--help")}) {
        const ProcessResult r =
            RunProcess({"/bin/sh", "-c", "exec \"$0\" " + args + " >/dev/full", kCalc});
        EXPECT_EQ(r.status, ExitFailure) << args;
        EXPECT_EQ(r.err, full) << args;
    }

    // A reader that goes away: with SIGPIPE ignored (as here) the write fails with EPIPE.
    std::string lots;
    for (int i = 0; i < 100000; ++i)
        lots += "1+1\n";
    const TempFile big(lots);
    const ProcessResult r =
        RunProcess({"/bin/sh", "-c", "\"$0\" \"$1\" | head -n 1", kCalc, big.path()});
    EXPECT_EQ(r.out, "1+1 = 2\n");
    EXPECT_EQ(r.err, "quorvel-calc: Schreibfehler: Der Empf\xC3\xA4nger hat die Pipe "
                     "geschlossen\n");
}

TEST(Program, ExitStatusTellsWhetherALineFailed)
{
    EXPECT_EQ(calc({}, "1+1\nText mit Worten\n").status, ExitOk);
    const ProcessResult r = calc({}, "3m+2s\n1+1\n");
    EXPECT_EQ(r.status, ExitLineFailed);
    EXPECT_EQ(r.out, "3m+2s = unit confilct\n1+1 = 2\n") << "plain text when not a terminal";
    EXPECT_EQ(r.err, "");
}

TEST(Program, FaultsLeaveTheLineAndAreReportedOnStandardError)
{
    std::string deep = "1";
    for (int i = 0; i < 1000; ++i)
        deep = '(' + deep + ')';
    deep = "1+" + deep;
    const ProcessResult r = calc({}, "x = 1/0\n1+1\n" + deep + "\nVARS\n");
    EXPECT_EQ(r.status, ExitLineFailed);
    EXPECT_EQ(r.out,
              "x = 1/0\n1+1 = 2\n" + deep + "\nVARS\nPi = 3.1415926536\nPU = 101300kg/(ms\u00B2)\n")
        << "stdout as it always was";
    EXPECT_EQ(r.err, "Zeile 1: Division by zero in SiDiv\n"
                     "Zeile 3: Stack overflow\n")
        << "the listing after a fault carries no old fault";
}

TEST(Program, ExpressionsOnTheCommandLine)
{
    ProcessResult r = calc({"-e", "a = 3", "--ausdruck", "b = a * 2", "--ausdruck=b/a", "-e3m+2s"});
    EXPECT_EQ(r.out, "a = 3\nb = a*2 = 6\nb/a = 2\n3m+2s = unit confilct\n");
    EXPECT_EQ(r.status, ExitLineFailed);
    r = calc({"-e", "1+1"}, "2+2\n");
    EXPECT_EQ(r.out, "1+1 = 2\n") << "standard input is not read";
}

TEST(Program, JsonOneObjectPerInputLine)
{
    const ProcessResult r =
        calc({"--json"}, "Fl\u00E4che: a = 3m*4m\n\u03A9x\n1/0\nVARS\nText mit Worten\n");
    EXPECT_EQ(r.status, ExitLineFailed);
    std::vector<nlohmann::json> objects;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        objects.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(objects.size(), 5u) << r.out;

    EXPECT_EQ(objects[0], nlohmann::json::parse(R"({"zeile": 1, "eingabe": "Fläche: a = 3m*4m",
        "ausgabe": "Fläche: a = 3m*4m = 12m²", "erfolg": true, "meldung": "",
        "markierung": {"position": 0, "laenge": 0}, "ergebnis": {"zahl": 12, "einheit": "m²",
        "si": {"zahl": 12, "kg": 0, "m": 2, "s": 0, "K": 0, "A": 0, "mol": 0, "cd": 0}}})"));
    // The mark counts characters: the Greek capital is one, as "Ωx" has two.
    EXPECT_EQ(objects[1]["ausgabe"], "\u03A9x = Variable not found");
    EXPECT_EQ(objects[1]["erfolg"], false);
    EXPECT_EQ(objects[1]["meldung"], "Variable not found");
    EXPECT_EQ(objects[1]["markierung"], nlohmann::json::parse(R"({"position": 0, "laenge": 2})"));
    EXPECT_EQ(objects[2]["ausgabe"], "1/0");
    EXPECT_EQ(objects[2]["erfolg"], false);
    EXPECT_EQ(objects[2]["meldung"], "Division by zero in SiDiv");
    EXPECT_EQ(objects[3]["ausgabe"],
              "VARS\nPi = 3.1415926536\nPU = 101300kg/(ms\u00B2)\na = 12m\u00B2")
        << "the listing joined";
    EXPECT_EQ(objects[3]["erfolg"], true);
    EXPECT_EQ(objects[4]["zeile"], 5);
    for (std::size_t i : {1u, 2u, 3u, 4u})
        EXPECT_FALSE(objects[i].contains("ergebnis")) << "no result: " << objects[i]["ausgabe"];
    EXPECT_EQ(r.err, "Zeile 3: Division by zero in SiDiv\n");
}

TEST(Program, JsonResultsAsNumbers)
{
    // The number as the line shows it, in full: in its unit, and in SI base units.
    EXPECT_EQ(calc({"--json", "-e", "3km+0.5km"}).out,
              R"({"zeile":1,"eingabe":"3km+0.5km","ausgabe":"3km+0.5km = 3.5km","erfolg":true,)"
              R"("meldung":"","markierung":{"position":0,"laenge":0},"ergebnis":{"zahl":3.5,)"
              R"("einheit":"km","si":{"zahl":3500,"kg":0,"m":1,"s":0,"K":0,"A":0,"mol":0,"cd":0}}})"
              "\n");
    const auto result = [](std::vector<std::string> args) {
        args.insert(args.begin(), "--json");
        return nlohmann::json::parse(calc(args).out)["ergebnis"];
    };
    const nlohmann::json third = result({"--decimals", "2", "-e", "1/3"});
    EXPECT_EQ(third["zahl"].get<double>(), 1.0 / 3.0) << "full precision, not the 0.33 shown";
    EXPECT_EQ(third["einheit"], "");
    const nlohmann::json density = result({"-e", "1500kg/m\xC2\xB3 = g"});
    EXPECT_EQ(density["zahl"], 1500000);
    EXPECT_EQ(density["einheit"], "g/m\xC2\xB3");
    EXPECT_EQ(
        density["si"],
        nlohmann::json::parse(R"({"zahl":1500,"kg":1,"m":-3,"s":0,"K":0,"A":0,"mol":0,"cd":0})"));
    EXPECT_EQ(result({"-e", "F = 80kg*9.81m/s\xC2\xB2"})["einheit"], "N") << "an assignment";
    EXPECT_EQ(result({"-e", "x = 0.1m*3"})["zahl"].get<double>(), 0.1 * 3);
    EXPECT_TRUE(result({"-e", "sin = 3"}).is_null()) << "a refused name has no result";
}

// The object as the JSON library builds and writes it: the JSON lines have always been written
// so, and scripts that compare them byte by byte must not see a difference.
std::string libraryJsonLine(std::size_t number, std::u16string_view input,
                            const std::vector<LineOutput>& outputs, std::u16string_view message,
                            const std::optional<calc::ResultNumbers>& result)
{
    const auto jsonNumber = [](double value) -> nlohmann::ordered_json {
        if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value))
            return static_cast<std::int64_t>(value);
        return value;
    };
    const auto characters = [](std::u16string_view text, std::size_t position) {
        const std::u16string_view before = text.substr(0, std::min(position, text.size()));
        return static_cast<std::int64_t>(before.size()) -
               std::count_if(before.begin(), before.end(),
                             [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; });
    };
    std::u16string joined;
    bool marked = false;
    std::int64_t position = 0;
    std::int64_t length = 0;
    for (const LineOutput& line : outputs) {
        if (&line != &outputs.front())
            joined += u'\n';
        if (!line.ok && !marked) {
            const auto start = static_cast<std::size_t>(std::max(0, line.markStart));
            const std::size_t end = start + static_cast<std::size_t>(std::max(0, line.markLength));
            position = characters(line.text, start);
            length = characters(line.text, end) - position;
            marked = true;
        }
        joined += line.text;
    }
    const bool ok = !marked && message.empty();
    nlohmann::ordered_json object = {{"zeile", number},
                                     {"eingabe", EncodeUtf8(input)},
                                     {"ausgabe", EncodeUtf8(joined)},
                                     {"erfolg", ok},
                                     {"meldung", ok ? std::string() : EncodeUtf8(message)},
                                     {"markierung", {{"position", position}, {"laenge", length}}}};
    if (ok && result) {
        const auto& e = result->si.Exponents;
        object["ergebnis"] = {{"zahl", jsonNumber(result->shown)},
                              {"einheit", EncodeUtf8(result->unit)},
                              {"si",
                               {{"zahl", jsonNumber(result->si.Value)},
                                {"kg", e[KG]},
                                {"m", e[M]},
                                {"s", e[S]},
                                {"K", e[KELVIN]},
                                {"A", e[AMPERE]},
                                {"mol", e[MOL]},
                                {"cd", e[CD]}}}};
    }
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

TEST(JsonLine, SameBytesAsTheJsonLibrary)
{
    // Texts with every kind of character a JSON string treats apart: control characters (with
    // and without a short escape), quotes, backslashes, DEL, two- and three-byte characters, a
    // pair of surrogates, lone surrogates; of every length around the eight bytes read at once.
    const std::vector<std::u16string> pieces = {u"",       u"a",      u"3km+0.5km = 3.5km",
                                                u"\"",     u"\\",     u"\n",
                                                u"\t",     u"\r",     u"\b",
                                                u"\f",     u"\x01",   u"\x1b",
                                                u"\x1f",   u"\x7f",   u"\u00E4",
                                                u"\u00B2", u"\u20AC", u"\U0001D538",
                                                u"\xD800", u"\xDC00", u" ",
                                                u"/"};
    // Numbers: whole ones on either side of 2^53 and of the signs, fractions near the switch to
    // exponents, the extremes, NaN and the infinities.
    const std::vector<double> numbers = {0.0,
                                         -0.0,
                                         1.0,
                                         -3500.0,
                                         0.1,
                                         1.0 / 3.0,
                                         3.5,
                                         1e-5,
                                         1.5e-4,
                                         0.001,
                                         123456789012345.6,
                                         9007199254740991.0,
                                         9007199254740992.0,
                                         -9007199254740994.0,
                                         1e16,
                                         1e21,
                                         1.7976931348623157e308,
                                         4.9406564584124654e-324,
                                         2.2250738585072014e-308,
                                         std::nan(""),
                                         HUGE_VAL,
                                         -HUGE_VAL};
    std::uint64_t state = 38;
    const auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 33;
    };
    const auto text = [&] {
        std::u16string t;
        for (std::uint64_t n = next() % 12; n > 0; --n)
            t += pieces[next() % pieces.size()];
        return t;
    };
    const auto anyNumber = [&] {
        if (next() % 2 == 0)
            return numbers[next() % numbers.size()];
        // Any bit pattern: every kind of double the evaluator might end with.
        return std::bit_cast<double>((next() << 32) ^ next());
    };
    for (int round = 0; round < 20000; ++round) {
        std::vector<LineOutput> outputs(1 + next() % 3);
        for (LineOutput& output : outputs) {
            output.ok = next() % 3 != 0;
            output.text = text();
            output.markStart = static_cast<std::int32_t>(next() % 40) - 4;
            output.markLength = static_cast<std::int32_t>(next() % 12) - 2;
        }
        std::optional<calc::ResultNumbers> result;
        if (next() % 4 != 0) {
            result.emplace();
            result->shown = anyNumber();
            result->unit = text();
            // Often the same number, as in a unit of value 1.
            result->si.Value = next() % 3 == 0 ? result->shown : anyNumber();
            for (auto& exponent : result->si.Exponents)
                exponent = static_cast<std::int32_t>(next() % 7 == 0 ? next() : next() % 5) - 2;
        }
        const std::size_t number = next() % 3 == 0 ? next() * next() : next() % 100;
        const std::u16string input = text();
        const std::u16string message = next() % 2 == 0 ? std::u16string() : text();
        ASSERT_EQ(calc::JsonLine(number, input, outputs, message, result),
                  libraryJsonLine(number, input, outputs, message, result))
            << "round " << round;
    }
}

TEST(Program, ColourOnTerminalsUnlessRefused)
{
    const std::string red = "3m\x1b[31m+\x1b[0m2s = unit confilct\n";
    EXPECT_EQ(calc({"--farbe=immer", "-e", "3m+2s"}).out, red) << "through a pipe";
    EXPECT_EQ(calc({"--farbe", "nie", "-e", "3m+2s"}).out, "3m+2s = unit confilct\n");
    if (!TerminalAvailable())
        GTEST_SKIP() << "no pseudo-terminal here";
    // The terminal this test runs in (a build daemon's may be "dumb") must not decide.
    const char* term = std::getenv("TERM");
    const std::string savedTerm = term != nullptr ? term : "";
    ::setenv("TERM", "xterm", 1);
    auto terminal = [](std::vector<std::string> args) {
        args.insert(args.begin(), kCalc);
        return RunInTerminal(args).out;
    };
    EXPECT_EQ(terminal({"-e", "3m+2s"}), red);
    EXPECT_EQ(terminal({"--farbe=nie", "-e", "3m+2s"}), "3m+2s = unit confilct\n");
    ::setenv("NO_COLOR", "1", 1);
    const std::string noColor = terminal({"-e", "3m+2s"});
    const std::string forced = terminal({"--farbe=immer", "-e", "3m+2s"});
    ::unsetenv("NO_COLOR");
    EXPECT_EQ(noColor, "3m+2s = unit confilct\n") << "NO_COLOR";
    EXPECT_EQ(forced, red) << "an explicit --farbe wins over NO_COLOR";
    ::setenv("TERM", "dumb", 1);
    const std::string dumb = terminal({"-e", "3m+2s"});
    term != nullptr ? ::setenv("TERM", savedTerm.c_str(), 1) : ::unsetenv("TERM");
    EXPECT_EQ(dumb, "3m+2s = unit confilct\n") << "a terminal that knows no colours";
    EXPECT_FALSE(calc::UseColour(calc::ColourMode::Auto, true, nullptr, nullptr)) << "no TERM";
    EXPECT_FALSE(calc::UseColour(calc::ColourMode::Auto, true, nullptr, ""));
}

TEST(NameCompletion, FunctionsUnitsAndTheSessionsVariables)
{
    TEFParser parser;
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    CompileUnitDefinitions(parser, units);
    parser.SetVar(u"Fl\u00E4che", TSINumber{});
    parser.SetVar(u"kraft", TSINumber{});
    using List = std::vector<std::string>;
    EXPECT_EQ(calc::NameCompletions(parser, "SQ"), List{"SQRT("});
    EXPECT_EQ(calc::NameCompletions(parser, "sq"), List{"SQRT("}) << "functions in any case";
    EXPECT_EQ(calc::NameCompletions(parser, "Fl"), List{"Fl\u00E4che"});
    EXPECT_EQ(calc::NameCompletions(parser, "fl"), List{}) << "variables in their own case";
    const List glued = calc::NameCompletions(parser, "3k");
    for (const char* name : {"3kg", "3km", "3kW", "3kraft"})
        EXPECT_NE(std::find(glued.begin(), glued.end(), name), glued.end()) << name;
    EXPECT_TRUE(std::all_of(glued.begin(), glued.end(),
                            [](const std::string& c) { return c.starts_with("3k"); }));
    EXPECT_EQ(calc::NameCompletions(parser, "m\u00B2kr"), List{"m\u00B2kraft"});
    EXPECT_EQ(calc::NameCompletions(parser, "2.5"), List{}) << "a number alone";
    EXPECT_EQ(calc::NameCompletions(parser, ""), List{});

    EXPECT_EQ(calc::CommonStart({"SIN(", "SINH("}), "SIN");
    EXPECT_EQ(calc::CommonStart({"Fl\u00E4che", "Fl\u00F6he"}), "Fl") << "never half a character";
    EXPECT_EQ(calc::CommonStart({}), "");
}

// A person at a terminal: the prompt, a result, the Up arrow, Tab completion, a failing line,
// Ctrl+C on a half-typed line, Ctrl+D; the history in $XDG_STATE_HOME for the next session.
TEST(Terminal, PromptLineEditingCompletionAndHistory)
{
    if (!TerminalAvailable())
        GTEST_SKIP() << "no pseudo-terminal here";
    const TempFile marker("", "marker");
    const std::string stateHome = marker.path().substr(0, marker.path().rfind('/'));
    const std::vector<std::string> environment = {"TERM=xterm", "LC_ALL=C.UTF-8",
                                                  "XDG_STATE_HOME=" + stateHome};
    {
        TerminalSession session({kCalc}, environment);
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("1m+1m\r");
        EXPECT_TRUE(session.waitFor("1m+1m = 2m")) << session.shown();
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("\x1b[A");
        EXPECT_TRUE(session.waitFor("1m+1m")) << "Up brings the line back: " << session.shown();
        session.type("\r");
        EXPECT_TRUE(session.waitFor("1m+1m = 2m")) << session.shown();
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("SQ\t");
        EXPECT_TRUE(session.waitFor("RT(")) << session.shown();
        session.type("9)\r");
        EXPECT_TRUE(session.waitFor("SQRT(9) = 3")) << session.shown();
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("3m+2s\r");
        EXPECT_TRUE(session.waitFor("3m\x1b[31m+\x1b[0m2s = unit confilct")) << session.shown();
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("1+");
        session.type("\x03");
        ASSERT_TRUE(session.waitFor("> ")) << "Ctrl+C: a fresh prompt: " << session.shown();
        session.type("2+2\r");
        EXPECT_TRUE(session.waitFor("2+2 = 4")) << "not 1+2+2: " << session.shown();
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("\x04");
        EXPECT_EQ(session.finish(), ExitOk) << "a line failed, but a session is no sheet";
    }
    EXPECT_EQ(readFile(stateHome + "/quorvel/quorvel-calc-verlauf"), "1m+1m\nSQRT(9)\n3m+2s\n2+2\n")
        << "each line once, the dropped one not";
    const std::string history = stateHome + "/quorvel/quorvel-calc-verlauf";
    ::chmod(history.c_str(), 0644);
    {
        TerminalSession session({kCalc}, environment);
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("\x1b[A\r");
        EXPECT_TRUE(session.waitFor("2+2 = 4")) << "the last session's line: " << session.shown();
        ASSERT_TRUE(session.waitFor("> ")) << session.shown();
        session.type("ende\r");
        EXPECT_EQ(session.finish(), ExitOk) << session.shown();
    }
    struct stat info
    {
    };
    ASSERT_EQ(::stat(history.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "a history others could read is made private";

    // A FIFO in the history's place is not read: the prompt comes at once.
    ASSERT_EQ(::unlink(history.c_str()), 0);
    ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0);
    {
        TerminalSession session({kCalc}, environment);
        ASSERT_TRUE(session.waitFor("> ", 10)) << session.shown();
        session.type("\x04");
        EXPECT_EQ(session.finish(), ExitOk) << session.shown();
        EXPECT_NE(session.shown().find("Verlauf nicht gespeichert"), std::string::npos)
            << session.shown();
    }
    ::unlink(history.c_str());
}

TEST(Program, Version)
{
    const ProcessResult r = calc({"--version"});
    EXPECT_EQ(r.status, ExitOk);
    EXPECT_TRUE(r.out.starts_with("quorvel-calc ")) << r.out;
    EXPECT_NE(r.out.find(QUORVEL_VERSION), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nLizenz: GPL-3.0-or-later"), std::string::npos) << r.out;
}

TEST(Program, DecimalsFollowTheKeypadRule)
{
    EXPECT_EQ(calc({"--decimals", "2"}, "1/3\n2.5m\n").out, "1/3 = 0.33\n2.5m = 2.5m\n");
    EXPECT_EQ(calc({"--decimals", "-2"}, "2.5m\n").out, "2.5m = 2.50m\n");
    EXPECT_EQ(calc({"--decimals", "1.6"}, "1/3\n").out, "1/3 = 0.33\n") << "rounded to 2";
    EXPECT_EQ(calc({"--decimals=-1.6"}, "2.5m\n").out, "2.5m = 2.50m\n") << "rounded to -2";
}

TEST(Program, UnitDefinitionsFromAFile)
{
    const TempFile units("N = kg*m/s\xC2\xB2\n\n  \nkp = 9.81N ; Kilopond\n", "einheiten.txt");
    ProcessResult r = calc({"--units", units.path()}, "2kp\n3km\n");
    EXPECT_EQ(r.out, "2kp = 2kp\n3km = Variable not found\n") << "only the file's units";
    EXPECT_EQ(r.status, ExitLineFailed);

    // Windows-1252 unit file: "Stück = 1".
    const TempFile legacy("St\xFC"
                          "ck = 1\n",
                          "einheiten.txt");
    r = calc({"--units", legacy.path()}, "5St\xC3\xBC"
                                         "ck\n");
    EXPECT_EQ(r.out, "5St\xC3\xBC"
                     "ck = 5St\xC3\xBC"
                     "ck\n");
    EXPECT_EQ(r.err, "quorvel-calc: " + legacy.path() +
                         ":1: kein g\xC3\xBCltiges UTF-8; ab hier als Windows-1252 gelesen\n");
}

TEST(Program, FailingUnitDefinitionsExitWithTwo)
{
    const TempFile units("W = J/s ; zu fr\xC3\xBCh\nJ = kg*m\xC2\xB2/s\xC2\xB2\nabc\n",
                         "einheiten.txt");
    const ProcessResult r = calc({"--units", units.path()}, "1+1\n");
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_EQ(r.out, "") << "no sheet output";
    EXPECT_EQ(r.err, "W = J/s; Variable not found\n"
                     "J = kg*m\xC2\xB2/s\xC2\xB2\n"
                     "abc = ; OK!\n"
                     "quorvel-calc: " +
                         units.path() +
                         ":1: Variable not found\n"
                         "quorvel-calc: " +
                         units.path() +
                         ":3: Formel fehlt oder ist unvollst\xC3\xA4ndig\n"
                         "Fehler bei Einheitendefinition\n");
}

TEST(Program, FaultInAUnitDefinitionExitsWithTwo)
{
    const TempFile units("km = 1000m\n\nz = 1m/0\n", "einheiten.txt");
    const ProcessResult r = calc({"--units", units.path()}, "1+1\n");
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorvel-calc: " + units.path() +
                         ":3: Division by zero in SiDiv\nFehler bei Einheitendefinition\n");
}

TEST(Program, ExampleSheet)
{
    const ProcessResult r = calc({std::string(QUORVEL_SOURCE_DIR) + "/examples/beispiel.txt"});
    EXPECT_EQ(r.status, ExitLineFailed) << "the example shows one error";
    EXPECT_EQ(r.out, readFile(std::string(QUORVEL_TEST_DIR) + "/beispiel.expected"));
    EXPECT_EQ(r.err, "");
}

} // namespace
} // namespace quorvel::testing
