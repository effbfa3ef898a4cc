// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_check.h"

#include "engine/base/file_writer.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

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

bool DisplayNamed(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-platform" || arg == "--platform")
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

} // namespace quorvel
