// SPDX-License-Identifier: GPL-3.0-or-later
// The options of quorvel-calc: `quorvel-calc [OPTION...] [FILE]` or `quorvel-calc [OPTION...]
// -e FORMULA...`.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::calc {

// When the red mark is written as a terminal colour.
enum class ColourMode { Auto, Always, Never };

// The diagram mode's options as given; checked by DiagramUsageError (diagram_command.h).
struct DiagramOptions
{
    std::optional<std::string> formula; // --diagramm
    std::optional<std::string> variable;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::int32_t> points;
    std::optional<std::string> output;
    bool logX = false; // --x-logarithmisch
    bool logY = false; // --y-logarithmisch
};

struct CalcOptions
{
    // The keypad's decimal-places value: a real number, rounded by the engine.
    double decimals = 0.0;
    // Unit definition lines instead of the default ones.
    std::optional<std::string> unitsFile;
    // The worksheet; standard input when absent or "-".
    std::optional<std::string> sheetFile;
    // Lines given with -e/--ausdruck, in order; they stand in for the file.
    std::vector<std::string> expressions;
    bool json = false;
    DiagramOptions diagram;
    ColourMode colour = ColourMode::Auto;
    bool help = false;
    bool version = false;
};

// Whether the red mark is coloured: Auto colours only a terminal, only when NO_COLOR is unset
// or empty, and not when TERM is unset, empty or "dumb" (a terminal that knows no colours).
bool UseColour(ColourMode mode, bool terminal, const char* noColor, const char* term);

struct ParsedCommandLine
{
    std::optional<CalcOptions> options;
    // Why the arguments were refused (German, one line), when options is empty.
    std::string error;
};

// args without the program name. Options may stand before or after the file; "--" ends them.
ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args);

// A real number as the keypad field takes it ("2", "-2", "1.5", "1e1"), independent of the
// locale; nothing for anything else, for non-finite values and for values whose rounding lies
// beyond the 32-bit range.
std::optional<double> ParseDecimals(std::string_view text);

// The German usage text for --help.
std::string_view UsageText();

// "quorvel-calc" and the version, for --version.
std::string VersionText();

} // namespace quorvel::calc
