// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-calc: evaluates a worksheet given as text, as Enter on each line from top to bottom
// would, and prints the result. Reads the arguments and files; sheet_runner does the rest.
#include "command_line.h"
#include "diagram_command.h"
#include "sheet_runner.h"

#include "base/text_encoding.h"
#include "unit_definitions/unit_compiler.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace {

using namespace quorvel;
using namespace quorvel::calc;

void write(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

// The whole content of a file (or of standard input for "-"); nothing when it cannot be read.
std::optional<std::string> readAll(const std::string& path)
{
    const bool standardInput = path == "-";
    std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    if (!standardInput)
        std::fclose(file);
    if (failed)
        return std::nullopt;
    return bytes;
}

int refuse(const std::string& message)
{
    write(stderr, "quorvel-calc: " + message + "\n");
    return ExitFailure;
}

int run(const std::vector<std::string_view>& args)
{
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.options) {
        write(stderr, "quorvel-calc: " + parsed.error + "\n");
        write(stderr, "Hilfe: quorvel-calc --help\n");
        return ExitFailure;
    }
    const CalcOptions& options = *parsed.options;
    if (options.help) {
        write(stdout, UsageText());
        return ExitOk;
    }
    if (options.version) {
        write(stdout, VersionText());
        return ExitOk;
    }

    std::vector<std::u16string> unitLines = DefaultUnitDefinitions();
    if (options.unitsFile) {
        const std::optional<std::string> bytes = readAll(*options.unitsFile);
        if (!bytes)
            return refuse("Einheitendatei nicht lesbar: " + *options.unitsFile);
        unitLines = SplitSheetLines(DecodeTextFile(*bytes));
    }
    std::optional<std::string> sheet;
    if (options.expressions.empty()) {
        const std::string sheetPath = options.sheetFile.value_or("-");
        sheet = readAll(sheetPath);
        if (!sheet)
            return refuse("Datei nicht lesbar: " + sheetPath);
    } else {
        sheet.emplace();
        for (const std::string& line : options.expressions)
            *sheet += line + '\n';
    }

    if (options.diagram.formula) {
        const CalcResult result =
            RunDiagram(*sheet, std::move(unitLines), options.decimals, options.diagram);
        write(stderr, result.err);
        return result.status;
    }

    const bool colour =
        UseColour(options.colour, isatty(STDOUT_FILENO) == 1, std::getenv("NO_COLOR"));
    const CalcResult result =
        RunCalc(*sheet, std::move(unitLines), options.decimals, colour, options.json);
    write(stdout, result.out);
    write(stderr, result.err);
    if (std::fflush(stdout) != 0)
        return ExitFailure;
    return result.status;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(std::vector<std::string_view>(argv + 1, argv + argc));
    } catch (const std::exception& fault) {
        write(stderr, std::string("quorvel-calc: ") + fault.what() + "\n");
        return ExitFailure;
    }
}
