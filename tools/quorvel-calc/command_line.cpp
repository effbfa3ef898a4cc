// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the options of quorvel-calc with getopt_long, which the shell user knows: options
// before or after the file, "--name=value" or "--name value", unambiguous abbreviations.
// Numbers go through std::from_chars, never through the C locale.
#include "tools/quorvel-calc/command_line.h"

#include "tools/quorvel-calc/diagram_command.h"

#include "engine/base/licence_notice.h"
#include "engine/base/quorvel_error.h"
#include "engine/worksheet/line_evaluation.h"

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
    OptOutput,
    OptLogX,
    OptLogY
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
    {"x-logarithmisch", no_argument, nullptr, OptLogX},
    {"y-logarithmisch", no_argument, nullptr, OptLogY},
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

bool UseColour(ColourMode mode, bool terminal, const char* noColor, const char* term)
{
    switch (mode) {
    case ColourMode::Always:
        return true;
    case ColourMode::Never:
        return false;
    case ColourMode::Auto:
        break;
    }
    return terminal && (noColor == nullptr || *noColor == '\0') &&
           (term != nullptr && *term != '\0' && std::string_view(term) != "dumb");
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
        case OptLogX:
            options.diagram.logX = true;
            break;
        case OptLogY:
            options.diagram.logY = true;
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
    // Every line within 80 columns.
    return "Aufruf: quorvel-calc [OPTION...] [DATEI]\n"
           "        quorvel-calc [OPTION...] -e FORMEL [-e FORMEL...]\n"
           "        quorvel-calc [DATEI | -e FORMEL...] --diagramm FORMEL --variable NAME\n"
           "                     --von GRÖSSE --bis GRÖSSE [--punkte N] --ausgabe DATEI\n"
           "                     [--x-logarithmisch] [--y-logarithmisch]\n"
           "\n"
           "Berechnet ein Quorvel-Arbeitsblatt, das als Text vorliegt, Zeile für Zeile von\n"
           "oben nach unten, so wie die Eingabetaste im Programm jede Zeile auswertet, und\n"
           "gibt das Blatt mit den Ergebnissen aus (UTF-8). quorvel-calc taugt als Filter\n"
           "in einer Pipe, für Eingaben jeder Länge: Es liest Zeile für Zeile, und was\n"
           "berechnet ist, gibt es aus, bevor es auf weitere Eingabe wartet.\n"
           "\n"
           "  DATEI                  das Arbeitsblatt; ohne DATEI oder mit \"-\" liest\n"
           "                         quorvel-calc die Standardeingabe\n"
           "  -e, --ausdruck FORMEL  FORMEL als Zeile des Blatts statt einer Datei;\n"
           "                         mehrfach angegeben, Zeile für Zeile in dieser Folge\n"
           "  --decimals N           Nachkommastellen wie im Feld der Tastatur (Standard\n"
           "                         0): 0 so viele wie nötig (höchstens zehn), -n genau\n"
           "                         n, n höchstens n; N darf eine Dezimalzahl sein (\"1.5\")\n"
           "  --units DATEI          Einheitendefinitionen (Zeilen \"Name = Formel\") aus\n"
           "                         DATEI statt der vorgegebenen (N, Pa, J, W, kW, g, h,\n"
           "                         min, mm, km, l, ml, €, Stück)\n"
           "  --json                 je Eingabezeile ein JSON-Objekt in einer Zeile\n"
           "                         (Felder unten)\n"
           "  --farbe=WANN           die fehlerhafte Stelle rot markieren: auto (Standard;\n"
           "                         nur auf einem Terminal und ohne NO_COLOR), immer, nie\n"
           "  -h, --help             diese Hilfe\n"
           "  --version              Programmname und Version\n"
           "\n"
           "Zeichensatz: UTF-16 und UTF-8 mit Byte-Order-Mark werden daran erkannt, sonst\n"
           "gilt UTF-8. Ab der ersten Zeile, die kein gültiges UTF-8 ist, wird die Eingabe\n"
           "als Windows-1252 gelesen; das steht dann einmal auf der Standardfehlerausgabe.\n"
           "\n"
           "Auf Zeilen \"VARS\" und \"UNITS\" folgt die Liste der Variablen bzw. Einheiten.\n"
           "Bricht die Berechnung einer Zeile ab (etwa \"1/0\"), bleibt die Zeile\n"
           "unverändert, und auf der Standardfehlerausgabe steht \"Zeile N: Meldung\".\n"
           "\n"
           "Felder der JSON-Objekte:\n"
           "  zeile       Nummer der Eingabezeile, ab 1\n"
           "  eingabe     die Zeile, wie sie gelesen wurde\n"
           "  ausgabe     was die Eingabetaste aus ihr macht (VARS, UNITS: mehrere Zeilen)\n"
           "  erfolg      true oder false\n"
           "  meldung     die Meldung des Rechenkerns; \"\" bei Erfolg\n"
           "  markierung  die rote Stelle in ausgabe: position und laenge, in Zeichen ab 0\n"
           "  ergebnis    nur bei Erfolg und nur, wenn die Zeile ein Ergebnis hat:\n"
           "                zahl     die angezeigte Zahl in voller Genauigkeit\n"
           "                einheit  die angezeigte Einheit, \"\" ohne Einheit\n"
           "                si       zahl (der Wert in SI-Basiseinheiten) und die\n"
           "                         Exponenten kg, m, s, K, A, mol und cd\n"
           "  Beispiel für 3km+0.5km: \"ergebnis\": {\"zahl\": 3.5, \"einheit\": \"km\",\n"
           "  \"si\": {\"zahl\": 3500, \"kg\": 0, \"m\": 1, \"s\": 0, \"K\": 0, \"A\": 0, \"mol\": "
           "0,\n"
           "  \"cd\": 0}}\n"
           "\n"
           "Rückgabewert: 0, wenn keine Zeile einen Fehler zeigt; 1, wenn mindestens eine\n"
           "Zeile einen Fehler zeigt oder abbricht; 2 bei falschem Aufruf, unlesbarer\n"
           "Datei, fehlerhaften Einheitendefinitionen oder einem Schreibfehler (etwa\n"
           "\"quorvel-calc: Schreibfehler: Der Datenträger ist voll\").\n"
           "\n"
           "Diagramme: mit --diagramm berechnet quorvel-calc zuerst das Blatt (ohne dessen\n"
           "Ergebnisse auszugeben; Zeilen mit Fehlern nennt es auf der\n"
           "Standardfehlerausgabe) und zeichnet dann FORMEL über der Variablen NAME.\n"
           "  --diagramm FORMEL      die Formel der y-Achse, gelesen wie eine Zeile des\n"
           "                         Blatts: \"v*t\"; mit \"v*t = km\" wählt, wie auf dem\n"
           "                         Blatt, die Einheit hinter \"=\" die der Achse\n"
           "  --variable NAME        die Variable der x-Achse; FORMEL muss sie verwenden\n"
           "  --von GRÖSSE           Anfang und Ende der x-Achse mit Einheit (\"0s\",\n"
           "  --bis GRÖSSE           \"10min\"); ihre Einheit ist die der Achse\n"
           "  --punkte N             Anzahl der Punkte, gleichmäßig verteilt (Standard\n"
           "                         201, 2 bis 1000000)\n"
           "  --ausgabe DATEI        die Endung wählt das Format: .svg (das Bild) oder\n"
           "                         .csv (Kopfzeile \"NAME [Einheit];FORMEL [Einheit]\",\n"
           "                         je Punkt eine Zeile, \";\" zwischen den Spalten,\n"
           "                         Dezimalpunkt, leer, wo die Formel keinen Wert hat);\n"
           "                         eine gewöhnliche DATEI entsteht ganz oder gar\n"
           "                         nicht; eine FIFO oder ein Gerät bekommt die Bytes\n"
           "                         als Strom; \"-\" schreibt die Werte (.csv) auf die\n"
           "                         Standardausgabe\n"
           "  --x-logarithmisch      x-Achse logarithmisch, Punkte geometrisch verteilt;\n"
           "                         --von und --bis größer als null\n"
           "  --y-logarithmisch      y-Achse logarithmisch; Werte bis null fehlen im Bild\n"
           "Weist die Zeile das Ergebnis zu (\"y = v0*t\"), heißt die Kurve wie die\n"
           "Variable. Wo die Kurve springt oder gegen unendlich geht (Pole), wird zwischen\n"
           "den Punkten nachgerechnet und die Linie unterbrochen statt verbunden; die\n"
           "y-Achse zeigt dann den Großteil der Werte. Das Bild zeichnet je Pixelspalte\n"
           "höchstens den ersten, letzten, kleinsten und größten Wert; die CSV-Datei\n"
           "enthält jeden Punkt.\n"
           "Punkte, an denen die Formel scheitert (etwa Division durch null), bleiben\n"
           "Lücken; ihre Anzahl steht auf der Standardfehlerausgabe. Rückgabewert im\n"
           "Diagrammmodus: 0, wenn mindestens ein Punkt einen Wert hat; 1, wenn keiner; 2\n"
           "bei falschem Aufruf (auch einer Variablen, die FORMEL nicht verwendet, oder\n"
           "Größen verschiedener Dimension), unlesbarer Datei, fehlerhaften\n"
           "Einheitendefinitionen oder wenn DATEI nicht geschrieben werden kann.\n";
}

std::string VersionText()
{
    return std::string("quorvel-calc ") + QUORVEL_VERSION + "\n" + std::string(kLicenceNotice);
}

} // namespace quorvel::calc
