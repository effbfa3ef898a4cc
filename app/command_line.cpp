// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "engine/base/file_writer.h"
#include "engine/base/licence_notice.h"
#include "engine/base/system_messages.h"
#include "gui/worksheet/main_window.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include <unistd.h>

namespace quorvel {
namespace {

// The toolkit's own options, which QApplication takes out of the arguments; the first group
// takes the next argument as its value. Qt also accepts them with two dashes.
constexpr std::string_view kToolkitOptionsWithValue[] = {"-platform",
                                                         "-platformpluginpath",
                                                         "-platformtheme",
                                                         "-plugin",
                                                         "-qwindowgeometry",
                                                         "-geometry",
                                                         "-qwindowicon",
                                                         "-icon",
                                                         "-qwindowtitle",
                                                         "-title",
                                                         "-session",
                                                         "-style",
                                                         "-stylesheet",
                                                         "-display",
                                                         "-name",
                                                         "-visual"};
constexpr std::string_view kToolkitFlags[] = {"-reverse", "-widgetcount", "-nograb",
                                              "-dograb",  "-sync",        "-testability"};
// Given as "-style=fusion" and the like.
constexpr std::string_view kToolkitOptionsWithEquals[] = {
    "-style=", "-stylesheet=", "-qmljsdebugger="};

std::string_view singleDash(std::string_view arg)
{
    return arg.starts_with("--") ? arg.substr(1) : arg;
}

template <std::size_t N> bool isOneOf(std::string_view arg, const std::string_view (&names)[N])
{
    return std::find(std::begin(names), std::end(names), arg) != std::end(names);
}

} // namespace

int GiveAnswer(const CommandLineAnswer& answer)
{
    if (!WriteAll(STDOUT_FILENO, answer.text)) {
        const int error = errno;
        WriteAll(STDERR_FILENO, "quorvel: Schreibfehler: " + SystemErrorText(error) + "\n");
        return 1;
    }
    WriteAll(STDERR_FILENO, answer.errorText);
    return answer.exitCode;
}

std::optional<CommandLineAnswer> AnswerCommandLine(int argc, const char* const* argv)
{
    const std::string caption = MainWindow::kCaption;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const std::string_view option = singleDash(arg);
        if (isOneOf(option, kToolkitOptionsWithValue)) {
            ++i;
            continue;
        }
        if (isOneOf(option, kToolkitFlags) ||
            std::any_of(std::begin(kToolkitOptionsWithEquals), std::end(kToolkitOptionsWithEquals),
                        [option](std::string_view name) { return option.starts_with(name); }))
            continue;
        if (arg == "--version")
            return CommandLineAnswer{caption + "\n" + std::string(kLicenceNotice), {}, 0};
        if (arg == "--help" || arg == "-h") {
            return CommandLineAnswer{
                caption + ", ein Rechenblatt f\u00FCr Formeln mit physikalischen Einheiten.\n"
                          "\n"
                          "Aufruf: quorvel [Option]\n"
                          "\n"
                          "Ohne Option \u00F6ffnet Quorvel sein Fenster. L\u00E4uft Quorvel mit "
                          "demselben\nProgrammordner schon, kommt dessen Fenster nach vorn.\n"
                          "\n"
                          "Optionen:\n"
                          "  -h, --help   diese Hilfe zeigen und beenden\n"
                          "  --version    die Versionsnummer zeigen und beenden\n",
                {},
                0};
        }
        // Quorvel takes no file or other argument; what it does not know is named, as
        // quorvel-calc does, rather than silently passed over.
        const std::string what =
            arg.starts_with("-") ? "unbekannte Option " : "unerwartetes Argument ";
        return CommandLineAnswer{{},
                                 "quorvel: " + what + "\u201E" + std::string(arg) +
                                     "\u201C\nHilfe: quorvel --help\n",
                                 2};
    }
    return std::nullopt;
}

} // namespace quorvel
