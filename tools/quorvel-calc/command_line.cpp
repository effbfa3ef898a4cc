// Reading the options of quorvel-calc. Numbers go through std::from_chars, never through the
// C locale.
#include "command_line.h"

#include "base/quorvel_error.h"
#include "worksheet/line_evaluation.h"

#include <charconv>
#include <cmath>

namespace quorvel::calc {
namespace {

constexpr std::string_view kDecimals = "--decimals";
constexpr std::string_view kUnits = "--units";

// The option with a value that arg names, as "--name" or "--name=value"; empty if none.
std::string_view optionName(std::string_view arg)
{
    for (const std::string_view name : {kDecimals, kUnits}) {
        if (arg.starts_with(name) && (arg.size() == name.size() || arg[name.size()] == '='))
            return name;
    }
    return {};
}

std::string quoted(std::string_view text)
{
    return "\u201E" + std::string(text) + "\u201C";
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

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args)
{
    CalcOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isOption = !optionsEnded && arg.size() > 1 && arg.front() == '-';
        if (!isOption) {
            if (options.sheetFile)
                return {std::nullopt, "mehr als eine Datei angegeben: " + quoted(arg)};
            options.sheetFile = std::string(arg);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        const std::string_view name = optionName(arg);
        if (name.empty())
            return {std::nullopt, "unbekannte Option " + quoted(arg)};
        std::string_view value;
        if (arg.size() > name.size())
            value = arg.substr(name.size() + 1); // "--name=value"
        else if (i + 1 < args.size())
            value = args[++i]; // may begin with "-": "--decimals -2"
        else
            return {std::nullopt, "Option " + std::string(name) + " ohne Wert"};
        if (name == kUnits) {
            options.unitsFile = std::string(value);
        } else {
            const std::optional<double> decimals = ParseDecimals(value);
            if (!decimals)
                return {std::nullopt, "ungültige Zahl für --decimals: " + quoted(value)};
            options.decimals = *decimals;
        }
    }
    return {options, {}};
}

std::string_view UsageText()
{
    return "Aufruf: quorvel-calc [--decimals N] [--units DATEI] [DATEI]\n"
           "\n"
           "Berechnet ein Quorvel-Arbeitsblatt, das als Text vorliegt, Zeile für Zeile von oben\n"
           "nach unten, so wie die Eingabetaste im Programm jede Zeile auswertet, und gibt das\n"
           "Blatt mit den Ergebnissen aus (UTF-8). Auf einem Terminal ist die fehlerhafte Stelle\n"
           "einer Zeile rot markiert.\n"
           "\n"
           "  DATEI           das Arbeitsblatt (UTF-8, sonst Windows-1252); ohne DATEI oder\n"
           "                  mit \"-\" liest quorvel-calc die Standardeingabe\n"
           "  --decimals N    Nachkommastellen wie im Feld der Tastatur (Standard 0):\n"
           "                  0 so viele wie nötig (höchstens zehn), -n genau n,\n"
           "                  n höchstens n; N darf eine Dezimalzahl sein (\"1.5\")\n"
           "  --units DATEI   Einheitendefinitionen (Zeilen \"Name = Formel\") aus DATEI statt\n"
           "                  der vorgegebenen (N, Pa, J, W, kW, g, h, min, mm, km, l, ml, €,\n"
           "                  Stück)\n"
           "  --help          diese Hilfe\n"
           "\n"
           "Zeilen \"VARS\" und \"UNITS\" werden von der Liste der Variablen bzw. Einheiten\n"
           "gefolgt.\n"
           "\n"
           "Rückgabewert: 0, wenn keine Zeile einen Fehler zeigt; 1, wenn mindestens eine Zeile\n"
           "einen Fehler zeigt; 2 bei falschem Aufruf, unlesbarer Datei oder fehlerhaften\n"
           "Einheitendefinitionen.\n";
}

} // namespace quorvel::calc
