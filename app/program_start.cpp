// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_start.h"

#include "base/licence_notice.h"
#include "worksheet/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <string_view>

namespace quorvel {

std::optional<CommandLineAnswer> AnswerCommandLine(int argc, const char* const* argv)
{
    const std::string caption = MainWindow::kCaption;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version")
            return CommandLineAnswer{caption + "\n" + std::string(kLicenceNotice), 0};
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
                0};
        }
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
