// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_start.h"

#include "base/licence_notice.h"
#include "worksheet/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <algorithm>
#include <string_view>

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

void PrepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // Lets the desktop match the windows with quorvel.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    // An installed icon theme may offer its own rendition; the program carries its own.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("quorvel"), QIcon(QStringLiteral(":/quorvel.svg"))));
    // Numbers read "." whatever the regional settings say.
    QLocale::setDefault(QLocale::c());
}

} // namespace quorvel
