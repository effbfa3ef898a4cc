// The options of quorvel-calc: `quorvel-calc [--decimals N] [--units FILE] [FILE]`.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvel::calc {

struct CalcOptions
{
    // The keypad's decimal-places value: a real number, rounded by the engine.
    double decimals = 0.0;
    // Unit definition lines instead of the default ones.
    std::optional<std::string> unitsFile;
    // The worksheet; standard input when absent or "-".
    std::optional<std::string> sheetFile;
    bool help = false;
};

struct ParsedCommandLine
{
    std::optional<CalcOptions> options;
    // Why the arguments were refused (German, one line), when options is empty.
    std::string error;
};

// args without the program name.
ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args);

// A real number as the keypad field takes it ("2", "-2", "1.5", "1e1"), independent of the
// locale; nothing for anything else, for non-finite values and for values whose rounding lies
// beyond the 32-bit range.
std::optional<double> ParseDecimals(std::string_view text);

// The German usage text for --help.
std::string_view UsageText();

} // namespace quorvel::calc
