// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the options of quorvel-calc with getopt_long, which the shell user knows: options
// before or after the file, "--name=value" or "--name value", unambiguous abbreviations.
// Numbers go through std::from_chars, never through the C locale.
#include "command_line.h"

#include "diagram_command.h"

#include "base/licence_notice.h"
#include "base/quorvel_error.h"
#include "worksheet/line_evaluation.h"

#include <charconv>
#include <cmath>

#include <getopt.h>

namespace quorvel::calc {
namespace {

enum LongOnly : int {
    OptDecimals = 256,
    OptUnits,
    OptJson,
    OptColour,
    OptHelp,
    OptVersion,
    OptDiagram,
    OptVariable,
    OptFrom,
    OptTo,
    OptPoints,
    OptOutput
};

constexpr option kOptions[] = {
    {"decimals", required_argument, nullptr, OptDecimals},
    {"units", required_argument, nullptr, OptUnits},
    {"ausdruck", required_argument, nullptr, 'e'},
    {"json", no_argument, nullptr, OptJson},
    {"farbe", required_argument, nullptr, OptColour},
    {"help", no_argument, nullptr, OptHelp},
    {"version", no_argument, nullptr, OptVersion},
    {"diagramm", required_argument, nullptr, OptDiagram},
    {"variable", required_argument, nullptr, OptVariable},
    {"von", required_argument, nullptr, OptFrom},
    {"bis", required_argument, nullptr, OptTo},
    {"punkte", required_argument, nullptr, OptPoints},
    {"ausgabe", required_argument, nullptr, OptOutput},
    {nullptr, 0, nullptr, 0},
};
// The leading ":" makes a missing value its own case; getopt's own (English) messages are off.
constexpr const char* kShortOptions = ":e:h";

std::string quoted(std::string_view text)
{
    return "\u201E" + std::string(text) + "\u201C";
}

std::optional<ColourMode> parseColour(std::string_view text)
{
    if (text == "auto")
        return ColourMode::Auto;
    if (text == "immer")
        return ColourMode::Always;
    if (text == "nie")
        return ColourMode::Never;
    return std::nullopt;
}

} // namespace

std::optional<double> ParseDecimals(std::string_view text)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    try {
        RoundDecimals(value);
    } catch (const QuorvelError&) {
        return std::nullopt;
    }
    return value;
}

bool UseColour(ColourMode mode, bool terminal, const char* noColor)
{
    switch (mode) {
    case ColourMode::Always:
        return true;
    case ColourMode::Never:
        return false;
    case ColourMode::Auto:
        break;
    }
    return terminal && (noColor == nullptr || *noColor == '\0');
}

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args)
{
    // getopt_long works on a C argument vector, which it reorders: give it copies.
    std::vector<std::string> storage{"quorvel-calc"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(storage.size() + 1);
    for (std::string& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    CalcOptions options;
    optind = 0; // 0, not 1: the GNU getopt then forgets the state of an earlier parse
    opterr = 0;
    int c = 0;
    while ((c = getopt_long(argc, argv.data(), kShortOptions, kOptions, nullptr)) != -1) {
        const std::string_view value = optarg != nullptr ? optarg : "";
        const std::string_view given = argv[static_cast<std::size_t>(optind - 1)];
        switch (c) {
        case OptDecimals: {
            const std::optional<double> decimals = ParseDecimals(value);
            if (!decimals)
                return {std::nullopt, "ungültige Zahl für --decimals: " + quoted(value)};
            options.decimals = *decimals;
            break;
        }
        case OptUnits:
            options.unitsFile = std::string(value);
            break;
        case 'e':
            options.expressions.emplace_back(value);
            break;
        case OptJson:
            options.json = true;
            break;
        case OptColour: {
            const std::optional<ColourMode> mode = parseColour(value);
            if (!mode)
                return {std::nullopt, "ungültiger Wert für --farbe: " + quoted(value) +
                                          " (auto, immer oder nie)"};
            options.colour = *mode;
            break;
        }
        case 'h':
        case OptHelp:
            options.help = true;
            break;
        case OptVersion:
            options.version = true;
            break;
        case OptDiagram:
            options.diagram.formula = std::string(value);
            break;
        case OptVariable:
            options.diagram.variable = std::string(value);
            break;
        case OptFrom:
            options.diagram.from = std::string(value);
            break;
        case OptTo:
            options.diagram.to = std::string(value);
            break;
        case OptPoints: {
            std::int32_t points = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), points);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size())
                return {std::nullopt, "ungültige Anzahl für --punkte: " + quoted(value)};
            options.diagram.points = points;
            break;
        }
        case OptOutput:
            options.diagram.output = std::string(value);
            break;
        case ':':
            return {std::nullopt, "Option " + quoted(given) + " ohne Wert"};
        default:
            // An unknown option, or a value given to one that takes none ("--json=1").
            if (optopt != 0 && !given.starts_with("--"))
                return {std::nullopt, "unbekannte Option " +
                                          quoted(std::string("-") + static_cast<char>(optopt))};
            return {std::nullopt, "unbekannte Option " + quoted(given)};
        }
    }
    for (int i = optind; i < argc; ++i) {
        const std::string_view arg = argv[static_cast<std::size_t>(i)];
        if (options.sheetFile)
            return {std::nullopt, "mehr als eine Datei angegeben: " + quoted(arg)};
        options.sheetFile = std::string(arg);
    }
    if (options.sheetFile && !options.expressions.empty())
        return {std::nullopt,
                "-e und eine Datei zugleich angegeben: " + quoted(*options.sheetFile)};
    if (std::string error = DiagramUsageError(options); !error.empty())
        return {std::nullopt, std::move(error)};
    return {options, {}};
}

std::string_view UsageText()
{
    return "Aufruf: quorvel-calc [OPTION...] [DATEI]\n"
           "        quorvel-calc [OPTION...] -e FORMEL [-e FORMEL...]\n"
           "        quorvel-calc [DATEI | -e FORMEL...] --diagramm FORMEL --variable NAME\n"
           "                     --von GRÖSSE --bis GRÖSSE [--punkte N] --ausgabe DATEI\n"
           "\n"
           "Berechnet ein Quorvel-Arbeitsblatt, das als Text vorliegt, Zeile für Zeile von oben\n"
           "nach unten, so wie die Eingabetaste im Programm jede Zeile auswertet, und gibt das\n"
           "Blatt mit den Ergebnissen aus (UTF-8).\n"
           "\n"
           "  DATEI                  das Arbeitsblatt (UTF-8, sonst Windows-1252); ohne DATEI\n"
           "                         oder mit \"-\" liest quorvel-calc die Standardeingabe\n"
           "  -e, --ausdruck FORMEL  FORMEL als Zeile des Blatts statt einer Datei; mehrfach\n"
           "                         angegeben, Zeile für Zeile in dieser Reihenfolge\n"
           "  --decimals N           Nachkommastellen wie im Feld der Tastatur (Standard 0):\n"
           "                         0 so viele wie nötig (höchstens zehn), -n genau n,\n"
           "                         n höchstens n; N darf eine Dezimalzahl sein (\"1.5\")\n"
           "  --units DATEI          Einheitendefinitionen (Zeilen \"Name = Formel\") aus DATEI\n"
           "                         statt der vorgegebenen (N, Pa, J, W, kW, g, h, min, mm,\n"
           "                         km, l, ml, €, Stück)\n"
           "  --json                 je Eingabezeile ein JSON-Objekt in einer Zeile: zeile,\n"
           "                         eingabe, ausgabe, erfolg, meldung und markierung\n"
           "                         (position, laenge; ab 0, in Zeichen)\n"
           "  --farbe=WANN           die fehlerhafte Stelle rot markieren: auto (Standard; nur\n"
           "                         auf einem Terminal und ohne NO_COLOR), immer oder nie\n"
           "  -h, --help             diese Hilfe\n"
           "  --version              Programmname und Version\n"
           "\n"
           "Zeilen \"VARS\" und \"UNITS\" werden von der Liste der Variablen bzw. Einheiten\n"
           "gefolgt. Bricht die Berechnung einer Zeile ab (etwa \"1/0\"), bleibt die Zeile\n"
           "unverändert, und auf der Standardfehlerausgabe steht \"Zeile N: Meldung\".\n"
           "\n"
           "Rückgabewert: 0, wenn keine Zeile einen Fehler zeigt; 1, wenn mindestens eine Zeile\n"
           "einen Fehler zeigt oder abbricht; 2 bei falschem Aufruf, unlesbarer Datei oder\n"
           "fehlerhaften Einheitendefinitionen.\n"
           "\n"
           "Diagramme: mit --diagramm berechnet quorvel-calc zuerst das Blatt (dessen Ergebnisse\n"
           "gibt es dann nicht aus; Zeilen mit Fehlern nennt es auf der Standardfehlerausgabe)\n"
           "und zeichnet dann FORMEL über der Variablen NAME.\n"
           "  --diagramm FORMEL      die Formel der y-Achse, gelesen wie eine Zeile des Blatts:\n"
           "                         \"v*t\"; mit \"v*t = km\" wählt, wie auf dem Blatt, die\n"
           "                         Einheit hinter \"=\" die Einheit der Achse\n"
           "  --variable NAME        die Variable der x-Achse; FORMEL muss sie verwenden\n"
           "  --von GRÖSSE           Anfang und Ende der x-Achse mit Einheit (\"0s\", \"10min\");\n"
           "  --bis GRÖSSE           ihre Einheit ist die der Achse\n"
           "  --punkte N             Anzahl der Punkte, gleichmäßig verteilt (Standard 201,\n"
           "                         2 bis 1000000)\n"
           "  --ausgabe DATEI        die Endung wählt das Format: .svg (das Bild) oder .csv\n"
           "                         (Kopfzeile \"NAME [Einheit];FORMEL [Einheit]\", je Punkt\n"
           "                         eine Zeile, \";\" zwischen den Spalten, Dezimalpunkt, leer\n"
           "                         wo die Formel keinen Wert hat); DATEI entsteht ganz oder\n"
           "                         gar nicht\n"
           "Punkte, an denen die Formel scheitert (etwa Division durch null), bleiben Lücken;\n"
           "ihre Anzahl steht auf der Standardfehlerausgabe. Rückgabewert im Diagrammodus: 0,\n"
           "wenn mindestens ein Punkt einen Wert hat; 1, wenn keiner; 2 bei falschem Aufruf\n"
           "(auch einer Variablen, die FORMEL nicht verwendet, oder Größen verschiedener\n"
           "Dimension), unlesbarer Datei, fehlerhaften Einheitendefinitionen oder wenn DATEI\n"
           "nicht geschrieben werden kann.\n";
}

std::string VersionText()
{
    return std::string("quorvel-calc ") + QUORVEL_VERSION + "\n" + std::string(kLicenceNotice);
}

} // namespace quorvel::calc
