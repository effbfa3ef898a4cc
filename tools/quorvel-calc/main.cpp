// SPDX-License-Identifier: GPL-3.0-or-later
// quorvel-calc: evaluates a worksheet given as text, as Enter on each line from top to bottom
// would, and prints the result. A filter: lines are read, evaluated and written one after the
// other, so memory does not grow with the sheet and each answer comes as soon as its line.
// This file reads the arguments and moves the bytes; sheet_runner does the rest.
#include "tools/quorvel-calc/command_line.h"
#include "tools/quorvel-calc/diagram_command.h"
#include "tools/quorvel-calc/file_streams.h"
#include "tools/quorvel-calc/sheet_runner.h"
#include "tools/quorvel-calc/terminal_session.h"

#include "engine/base/system_messages.h"
#include "engine/unit_definitions/unit_compiler.h"

#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace quorvel;
using namespace quorvel::calc;

// Enough lines at a time that the system calls cost little beside the evaluation, few enough
// that the buffers stay within a few pages: every page a process touches first costs a fault,
// and at 64 KiB those faults took a tenth of a short sheet's time.
constexpr std::size_t kChunk = std::size_t{8} * 1024;

// Standard output and error; standard error is written after standard output, so that a
// terminal shows a line's result before what went wrong with it.
struct Outputs
{
    OutputFile out{STDOUT_FILENO};
    OutputFile err{STDERR_FILENO};

    void flush()
    {
        out.Flush();
        err.Flush();
    }
};

// "quorvel-calc: " message to standard error, and the status for a failure.
int refuse(Outputs& outputs, const std::string& message)
{
    outputs.err.Buffer() += "quorvel-calc: " + message + "\n";
    outputs.flush();
    return ExitFailure;
}

// The whole content of a small file (unit definitions, a diagram's sheet), or the reason it
// cannot be read.
std::optional<std::string> readAll(const std::string& path, int& error)
{
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[kChunk];
    ssize_t n = 0;
    while ((n = ReadSome(fd, buffer, sizeof buffer, error)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(n));
    if (!standardInput)
        close(fd);
    if (n < 0)
        return std::nullopt;
    return bytes;
}

// The sheet from fd through session to the outputs, as it comes. What has been evaluated is
// written before each read, since the next read may wait for a person or a program that waits
// for this answer. Returns the errno of a failed read, 0 when the sheet was read to its end.
int streamSheet(int fd, CalcSession& session, Outputs& outputs)
{
    // Not cleared first: only what a read brings is ever looked at.
    const std::unique_ptr<char[]> buffer(new char[kChunk]);
    // Room for what a chunk of formulas gives (each line comes back with " = " and its result)
    // at once: grown step by step, the text would touch each step's fresh pages, at a fault
    // each.
    outputs.out.Buffer().reserve(3 * kChunk);
    for (;;) {
        outputs.flush();
        if (outputs.out.Error() != 0)
            return 0; // nobody takes the results any more: stop reading
        int error = 0;
        const ssize_t n = ReadSome(fd, buffer.get(), kChunk, error);
        if (n < 0)
            return error;
        if (n == 0)
            break;
        session.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(n)),
                     outputs.out.Buffer(), outputs.err.Buffer());
    }
    session.Finish(outputs.out.Buffer(), outputs.err.Buffer());
    return 0;
}

int run(const std::vector<std::string_view>& args, Outputs& outputs)
{
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.options)
        return refuse(outputs, parsed.error + "\nHilfe: quorvel-calc --help");
    const CalcOptions& options = *parsed.options;
    if (options.help || options.version) {
        outputs.out.Buffer() += options.help ? std::string(UsageText()) : VersionText();
        return ExitOk;
    }

    TEFParser parser;
    if (options.unitsFile) {
        int error = 0;
        const std::optional<std::string> bytes = readAll(*options.unitsFile, error);
        if (!bytes)
            return refuse(outputs, "Einheitendatei nicht lesbar: " + *options.unitsFile + ": " +
                                       SystemErrorText(error));
        if (!CompileUnitFile(parser, *bytes, *options.unitsFile, outputs.err.Buffer()))
            return ExitFailure;
    } else {
        std::vector<std::u16string> defaults = DefaultUnitDefinitions();
        CompileUnitDefinitions(parser, defaults);
    }

    if (options.diagram.formula) {
        // A diagram's sheet only sets the scene (variables, units): small, read whole.
        std::string sheet;
        for (const std::string& line : options.expressions)
            sheet += line + '\n';
        if (options.expressions.empty()) {
            const std::string path = options.sheetFile.value_or("-");
            int error = 0;
            const std::optional<std::string> bytes = readAll(path, error);
            if (!bytes)
                return refuse(outputs,
                              "Datei nicht lesbar: " + path + ": " + SystemErrorText(error));
            sheet = *bytes;
        }
        const CalcResult result = RunDiagram(parser, sheet, options.decimals, options.diagram);
        outputs.out.Buffer() += result.out;
        outputs.err.Buffer() += result.err;
        return result.status;
    }

    const bool colour = UseColour(options.colour, isatty(STDOUT_FILENO) == 1,
                                  std::getenv("NO_COLOR"), std::getenv("TERM"));
    CalcSession session(parser, options.decimals, colour, options.json);
    if (!options.expressions.empty()) {
        for (const std::string& line : options.expressions)
            session.Feed(line + '\n', outputs.out.Buffer(), outputs.err.Buffer());
        session.Finish(outputs.out.Buffer(), outputs.err.Buffer());
        return session.Status();
    }

    const std::string path = options.sheetFile.value_or("-");
    const bool standardInput = path == "-";
    if (standardInput && TerminalAtHand()) {
        // A person at a terminal: a line that shows an error is part of the conversation, not
        // a verdict on a sheet, so the session ends with status 0.
        RunTerminalSession(parser, session, outputs.out, outputs.err);
        return ExitOk;
    }
    const int fd = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return refuse(outputs, "Datei nicht lesbar: " + path + ": " + SystemErrorText(errno));
    const int readError = streamSheet(fd, session, outputs);
    if (!standardInput)
        close(fd);
    if (readError != 0)
        return refuse(outputs, "Datei nicht lesbar: " + path + ": " + SystemErrorText(readError));
    return session.Status();
}

} // namespace

int main(int argc, char** argv)
{
    Outputs outputs;
    int status = ExitFailure;
    try {
        status = run(std::vector<std::string_view>(argv + 1, argv + argc), outputs);
    } catch (const std::exception& fault) {
        outputs.err.Buffer() += std::string("quorvel-calc: ") + fault.what() + "\n";
    }
    // A result that did not reach its file is no result: the script calling us must know.
    if (!outputs.out.Close()) {
        outputs.err.Buffer() +=
            "quorvel-calc: Schreibfehler: " + SystemErrorText(outputs.out.Error()) + "\n";
        status = ExitFailure;
    }
    outputs.err.Flush();
    return status;
}
