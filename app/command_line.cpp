// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_start.h"

#include "base/file_writer.h"
#include "base/licence_notice.h"
#include "base/system_messages.h"
#include "worksheet/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

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

bool isSet(const char* value)
{
    return value != nullptr && value[0] != '\0';
}

// What the toolkit said while the application object was made, held back until it is known
// whether there is a display at all.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> g_held;
// The watch on the display's answer: ended when the application object exists.
std::mutex g_watchMutex;
std::condition_variable g_watchEnd;
bool g_connected = false;
QtMessageHandler g_previousHandler = nullptr;

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // The toolkit ends a start without any platform it can connect to with this message and
    // abort(); the user is told in German what to do instead. What the toolkit said before
    // follows, as it tells a display that is not there from a plugin that lacks a library.
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        std::string message =
            "quorvel: " + NoDisplayText(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")) +
            "\n";
        for (const HeldMessage& held : g_held)
            message += "  " + held.text.toStdString() + "\n";
        WriteAll(STDERR_FILENO, message);
        _exit(1);
    }
    if (type == QtFatalMsg) {
        g_previousHandler(type, context, text);
        return;
    }
    g_held.push_back({type, context.category != nullptr ? context.category : "", text});
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

bool DisplayNamed(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        if (singleDash(argv[i]) == "-platform")
            return true;
    }
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return isSet(std::getenv("QT_QPA_PLATFORM")) || isSet(std::getenv("DISPLAY")) ||
           isSet(std::getenv("WAYLAND_DISPLAY")) ||
           (session != nullptr && std::string_view(session) == "wayland");
}

std::string NoDisplayText(const char* display, const char* waylandDisplay, bool silent)
{
    std::string named;
    if (isSet(display))
        named += std::string("DISPLAY=") + display;
    if (isSet(waylandDisplay))
        named += (named.empty() ? "" : ", ") + std::string("WAYLAND_DISPLAY=") + waylandDisplay;
    const std::string what =
        named.empty() ? "Keine grafische Anzeige gefunden: weder DISPLAY (X11) noch "
                        "WAYLAND_DISPLAY (Wayland) ist gesetzt."
        : silent      ? "Die grafische Anzeige antwortet seit " +
                       std::to_string(DisplayConnectionGuard::kDisplayAnswerSeconds) +
                       " s nicht (" + named + ")."
                 : "Die grafische Anzeige ist nicht erreichbar (" + named + ").";
    return what + " Starten Sie Quorvel in einer Desktop-Sitzung, oder nennen Sie eine "
                  "laufende Anzeige, etwa mit \u201EDISPLAY=:0 quorvel\u201C oder "
                  "\u201EWAYLAND_DISPLAY=wayland-0 quorvel\u201C. Ohne Anzeige rechnet "
                  "quorvel-calc.";
}

DisplayConnectionGuard::DisplayConnectionGuard()
{
    g_previousHandler = qInstallMessageHandler(holdOrEnd);
    g_connected = false;
    m_watch = std::thread([] {
        std::unique_lock lock(g_watchMutex);
        if (g_watchEnd.wait_for(lock, std::chrono::seconds(kDisplayAnswerSeconds),
                                [] { return g_connected; }))
            return;
        WriteAll(STDERR_FILENO,
                 "quorvel: " +
                     NoDisplayText(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), true) +
                     "\n");
        _exit(1);
    });
}

DisplayConnectionGuard::~DisplayConnectionGuard()
{
    {
        const std::lock_guard lock(g_watchMutex);
        g_connected = true;
    }
    g_watchEnd.notify_all();
    m_watch.join();
    qInstallMessageHandler(g_previousHandler);
    std::vector<HeldMessage> held = std::exchange(g_held, {});
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        g_previousHandler(message.type, context, message.text);
    }
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
