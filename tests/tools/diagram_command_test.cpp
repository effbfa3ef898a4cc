// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-calc --diagramm: its options, and the program writing SVG and CSV files as a script
// would call it.
#include "tests/tools/process_runner.h"

#include "tools/quorvel-calc/command_line.h"
#include "tools/quorvel-calc/sheet_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/stat.h>

#include <stdlib.h>

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;

using calc::ExitFailure;
using calc::ExitLineFailed;
using calc::ExitOk;

ProcessResult calc(std::vector<std::string> args)
{
    args.insert(args.begin(), QUORVEL_CALC_PATH);
    return RunProcess(args);
}

// A fresh folder for output files, removed with everything in it.
class Folder
{
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "quorvel-diagram-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~Folder() { fs::remove_all(m_path); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path m_path;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const std::vector<std::string> kWay = {"-e",         "v = 3m/s", "--diagramm", "v*t",
                                       "--variable", "t",        "--von",      "0s",
                                       "--bis",      "10s",      "--punkte",   "11"};

std::vector<std::string> wayTo(const std::string& output)
{
    std::vector<std::string> args = kWay;
    args.insert(args.end(), {"--ausgabe", output});
    return args;
}

TEST(DiagramCommandLine, DiagramOptionsGoTogether)
{
    const auto error = [](std::vector<std::string_view> args) {
        return calc::ParseCommandLine(args).error;
    };
    const auto parsed = calc::ParseCommandLine(
        std::vector<std::string_view>{"--diagramm", "v*t", "--variable", "t", "--von=0s", "--bis",
                                      "10s", "--punkte", "11", "--ausgabe", "weg.CSV"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const calc::DiagramOptions& d = parsed.options->diagram;
    EXPECT_EQ(d.formula, "v*t");
    EXPECT_EQ(d.variable, "t");
    EXPECT_EQ(d.from, "0s");
    EXPECT_EQ(d.to, "10s");
    EXPECT_EQ(d.points, 11);
    EXPECT_EQ(d.output, "weg.CSV") << "the suffix in any case";

    EXPECT_EQ(error({"--von", "0s"}), "--von gilt nur zusammen mit --diagramm");
    EXPECT_EQ(error({"--diagramm", "x", "--von", "0", "--ausgabe", "a.svg"}),
              "--diagramm braucht auch --variable, --bis");
    EXPECT_EQ(error({"--diagramm", "x", "--variable", "x", "--von", "0", "--bis", "1", "--ausgabe",
                     "a.png"}),
              "--ausgabe: die Endung wählt das Format, .svg oder .csv: „a.png“");
    EXPECT_EQ(error({"--json", "--diagramm", "x", "--variable", "x", "--von", "0", "--bis", "1",
                     "--ausgabe", "a.svg"}),
              "--json und --diagramm schließen einander aus");
    EXPECT_EQ(error({"--y-logarithmisch"}), "--y-logarithmisch gilt nur zusammen mit --diagramm");
    const auto logarithmic = calc::ParseCommandLine(
        std::vector<std::string_view>{"--diagramm", "x", "--variable", "x", "--von", "1", "--bis",
                                      "2", "--ausgabe", "a.svg", "--x-log", "--y-logarithmisch"});
    ASSERT_TRUE(logarithmic.options) << logarithmic.error;
    EXPECT_TRUE(logarithmic.options->diagram.logX) << "an abbreviation, as getopt takes it";
    EXPECT_TRUE(logarithmic.options->diagram.logY);
    for (const char* points : {"", "zehn", "1.5", "11x", "99999999999"})
        EXPECT_FALSE(
            calc::ParseCommandLine(std::vector<std::string_view>{"--punkte", points}).options)
            << points;
}

TEST(DiagramProgram, TheWayOfAMovingBodyAsCsv)
{
    const Folder folder;
    const ProcessResult r = calc(wayTo(folder / "weg.csv"));
    EXPECT_EQ(r.status, ExitOk);
    EXPECT_EQ(r.out, "") << "the sheet's results are not printed";
    EXPECT_EQ(r.err, "");
    const std::string csv = readFile(folder / "weg.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 12);
    EXPECT_TRUE(csv.starts_with("t [s];v*t [m]\n0;0\n1;3\n")) << csv;
    EXPECT_TRUE(csv.ends_with("\n10;30\n")) << csv;
    EXPECT_EQ(folder.files(), std::vector<std::string>{"weg.csv"}) << "no temporary file left";
}

TEST(DiagramProgram, SvgIsTheLaidOutPicture)
{
    const Folder folder;
    std::vector<std::string> args = wayTo(folder / "weg.svg");
    args[3] = "v*t = km"; // as on a line, the old result's unit chooses
    const ProcessResult r = calc(args);
    EXPECT_EQ(r.status, ExitOk) << r.err;
    const std::string svg = readFile(folder / "weg.svg");
    EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 100);
    EXPECT_NE(svg.find(" width=\"800\""), std::string::npos);
    EXPECT_NE(svg.find("<title>v*t [km] \xC3\xBC"
                       "ber t [s]</title>"),
              std::string::npos);
    EXPECT_NE(svg.find(">t [s]</text>"), std::string::npos);
    EXPECT_NE(svg.find("<polyline class=\"curve\""), std::string::npos);
}

TEST(DiagramProgram, ExitStatusSaysWhetherAPointHasAValue)
{
    const Folder folder;
    ProcessResult r = calc({"-e", "3m+2s", "--diagramm", "x/0", "--variable", "x", "--von", "0",
                            "--bis", "1", "--punkte", "3", "--ausgabe", folder / "null.csv"});
    EXPECT_EQ(r.status, ExitLineFailed);
    EXPECT_EQ(r.err, "Zeile 1: 3m+2s = unit confilct\n"
                     "quorvel-calc: 3 von 3 Punkten ohne Wert; der erste bei x = 0: Division by "
                     "zero in SiDiv\n")
        << "the sheet's failing lines and the points without value";
    EXPECT_EQ(readFile(folder / "null.csv"), "x;x/0\n0;\n0.5;\n1;\n") << "written all the same";

    r = calc({"--diagramm", "1/x", "--variable", "x", "--von", "-1", "--bis", "1", "--punkte", "3",
              "--ausgabe", folder / "pol.csv"});
    EXPECT_EQ(r.status, ExitOk) << "one gap, two values";
    EXPECT_EQ(r.err, "quorvel-calc: 1 von 3 Punkten ohne Wert; bei x = 0: Division by zero in "
                     "SiDiv\n");
}

TEST(DiagramProgram, RefusedRequestsAndWriteErrorsExitWithTwoAndWriteNothing)
{
    const Folder folder;
    const std::string keep = folder / "alt.csv";
    std::ofstream(keep) << "alt\n";
    std::vector<std::string> args = wayTo(keep);
    args[5] = "T";
    ProcessResult r = calc(args);
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_EQ(r.err, "quorvel-calc: „T“ ist keine Variable der Formel „v*t“ (Variablen: v, t).\n");
    EXPECT_EQ(readFile(keep), "alt\n") << "the old file stays";

    args = wayTo(keep);
    args[9] = "10m";
    EXPECT_EQ(calc(args).status, ExitFailure) << "dimensions of --von and --bis";
    EXPECT_EQ(readFile(keep), "alt\n");
    EXPECT_EQ(calc({"--diagramm", "VARS", "--variable", "x", "--von", "0", "--bis", "1",
                    "--ausgabe", keep})
                  .err,
              "quorvel-calc: --diagramm: keine Formel: „VARS“\n");

    r = calc(wayTo(folder / "fehlt/weg.csv"));
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_EQ(r.err, "quorvel-calc: „" + (folder / "fehlt/weg.csv") +
                         "“ nicht geschrieben: Die Datei oder ihr Ordner ist nicht vorhanden\n");
    fs::create_directory(folder / "ordner.svg");
    r = calc(wayTo(folder / "ordner.svg"));
    EXPECT_EQ(r.status, ExitFailure);
    EXPECT_TRUE(r.err.ends_with("nicht geschrieben: Dort liegt ein Ordner, keine gewöhnliche "
                                "Datei\n"))
        << r.err;

    r = calc(wayTo(keep));
    EXPECT_EQ(r.status, ExitOk) << "an existing file is replaced whole";
    EXPECT_TRUE(readFile(keep).ends_with("10;30\n"));
    fs::create_symlink("alt.csv", folder / "link.csv");
    EXPECT_EQ(calc(wayTo(folder / "link.csv")).status, ExitOk);
    EXPECT_TRUE(fs::is_symlink(folder / "link.csv")) << "the link stays, its file is replaced";
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"alt.csv", "link.csv", "ordner.svg"}));
}

// A FIFO or a device takes the bytes as a stream and stays what it is; "-" is standard output.
TEST(DiagramProgram, StreamsTakeTheBytesAndDashIsStandardOutput)
{
    const Folder folder;
    const std::string fifo = folder / "rohr.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });
    const ProcessResult r = calc(wayTo(fifo));
    reader.join();
    EXPECT_EQ(r.status, ExitOk) << r.err;
    EXPECT_TRUE(received.ends_with("10;30\n")) << received;
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A link to a device: the name's ending picks the format, the device takes the bytes.
    fs::create_symlink("/dev/null", folder / "nichts.csv");
    EXPECT_EQ(calc(wayTo(folder / "nichts.csv")).status, ExitOk);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const ProcessResult out = calc(wayTo("-"));
    EXPECT_EQ(out.status, ExitOk);
    EXPECT_TRUE(out.out.starts_with("t [s];v*t [m]\n")) << out.out;
    EXPECT_TRUE(out.out.ends_with("10;30\n"));
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"nichts.csv", "rohr.csv"}));

    // A device named without an ending takes the points, as "-" does.
    EXPECT_EQ(calc(wayTo("/dev/null")).status, ExitOk);
    const ProcessResult full = calc(wayTo("/dev/full"));
    EXPECT_EQ(full.status, ExitFailure);
    EXPECT_NE(full.err.find("voll"), std::string::npos) << full.err;

    // A reader that goes away early is a failed write, told as one, not a silent death.
    std::thread leaver([&] {
        std::ifstream in(fifo);
        char start[10];
        in.read(start, sizeof start);
    });
    std::vector<std::string> many = wayTo(fifo);
    many[11] = "1000000"; // the points: more than the pipe holds
    const ProcessResult broken = calc(many);
    leaver.join();
    EXPECT_EQ(broken.status, ExitFailure) << broken.err;
    EXPECT_NE(broken.err.find("quorvel-calc: "), std::string::npos) << broken.err;
}

TEST(DiagramProgram, NamesAndLogarithmicAxesReachTheFile)
{
    const Folder folder;
    std::vector<std::string> args = wayTo(folder / "weg.csv");
    args[3] = "y = v*t";
    EXPECT_EQ(calc(args).status, ExitOk);
    EXPECT_TRUE(readFile(folder / "weg.csv").starts_with("t [s];y [m]\n"));

    const ProcessResult r =
        calc({"--diagramm", "1/f", "--variable", "f", "--von", "1", "--bis", "1000", "--punkte",
              "4", "--x-logarithmisch", "--ausgabe", folder / "bode.csv"});
    EXPECT_EQ(r.status, ExitOk) << r.err;
    EXPECT_EQ(readFile(folder / "bode.csv"), "f;1/f\n1;1\n10;0.1\n100;0.01\n1000;0.001\n");
}

// The calls that never ended: values constant but for rounding, a range a few units in the last
// place wide. The program must write them at once (timeout ends a hang with status 124).
TEST(DiagramProgram, EveryRangeIsDrawnAtOnce)
{
    const Folder folder;
    const std::vector<std::vector<std::string>> calls = {
        {"-e", "L = 2.5m", "--diagramm", "(x+L)-x", "--variable", "x", "--von", "0m", "--bis",
         "10m"},
        {"--diagramm", "SIN(x)^2+COS(x)^2", "--variable", "x", "--von", "0", "--bis", "10"},
        {"--diagramm", "x", "--variable", "x", "--von", "1s", "--bis", "1.000000000000001s"}};
    for (std::vector<std::string> args : calls) {
        args.insert(args.begin(), {TIMEOUT_PATH, "60", QUORVEL_CALC_PATH});
        args.insert(args.end(), {"--ausgabe", folder / "d.svg"});
        const ProcessResult r = RunProcess(args);
        EXPECT_EQ(r.status, ExitOk) << args[args.size() - 7] << ": " << r.err;
        EXPECT_NE(readFile(folder / "d.svg").find("<polyline class=\"curve\""), std::string::npos);
        fs::remove(folder / "d.svg");
    }
}

// A million points, the most a diagram takes: an SVG that programs which refuse attribute
// values beyond 10 MB open, and a CSV with every point.
TEST(DiagramProgram, AMillionPointsGiveFilesEveryToolOpens)
{
    const Folder folder;
    const std::vector<std::string> args = {"--diagramm", "SIN(x)*x", "--variable", "x",
                                           "--von",      "0",        "--bis",      "1000",
                                           "--punkte",   "1000000",  "--ausgabe"};
    std::vector<std::string> svg = args;
    svg.push_back(folder / "gross.svg");
    ASSERT_EQ(calc(svg).status, ExitOk);
    EXPECT_LT(fs::file_size(folder / "gross.svg"), 1000000u);
#ifdef RSVG_CONVERT
    EXPECT_EQ(RunProcess({RSVG_CONVERT, "-o", folder / "gross.png", folder / "gross.svg"}).status,
              0);
    EXPECT_GT(fs::file_size(folder / "gross.png"), 1000u);
#endif
#ifdef XMLLINT
    EXPECT_EQ(RunProcess({XMLLINT, "--noout", folder / "gross.svg"}).status, 0);
#endif
    std::vector<std::string> csv = args;
    csv.push_back(folder / "gross.csv");
    ASSERT_EQ(calc(csv).status, ExitOk);
    const std::string values = readFile(folder / "gross.csv");
    EXPECT_EQ(std::count(values.begin(), values.end(), '\n'), 1000001);
}

TEST(DiagramProgram, HelpExplainsTheDiagramMode)
{
    const ProcessResult r = calc({"--help"});
    for (const char* part : {"--diagramm FORMEL", "--variable NAME", "--von GRÖSSE", "--punkte N",
                             "--ausgabe DATEI", ".svg", ".csv", "ohne dessen\nErgebnisse",
                             "--x-logarithmisch", "--y-logarithmisch", "Pole", "Pixelspalte"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
}

} // namespace
} // namespace quorvel::testing
