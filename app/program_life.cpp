// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program_life.h"

#include "app/continuous_saving.h"
#include "app/exit_saving.h"
#include "app/leftovers.h"
#include "app/page_preread.h"
#include "app/page_recovery.h"
#include "app/program_windows.h"
#include "app/settings_load_save.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "gui/files/program_dir.h"
#include "gui/platform/message_boxes.h"
#include "gui/platform/note_board.h"
#include "gui/platform/window_system.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace quorvel {

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

int RunQuorvel(QApplication& app, const QString& folder, const ActivationToken& token)
{
    if (!folder.isEmpty())
        SetProgramDir(folder);
    SingleInstance instance(ProgramDir());
    switch (instance.claim(token)) {
    case SingleInstance::Claim::Claimed:
        break;
    case SingleInstance::Claim::HandedOver:
        // The user asked for the window; where it cannot come, the user hears why.
        if (const QString obstacle = ActivationObstacle(token); !obstacle.isEmpty())
            std::fputs((obstacle + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        return 0;
    case SingleInstance::Claim::Unreachable:
        std::fputs("Quorvel l\u00E4uft bereits mit diesem Programmordner, antwortet aber nicht.\n",
                   stderr);
        return 1;
    }
    // Only the copy that holds the folder may clear away what killed saves left there.
    if (ProgramDirProblem().isEmpty())
        RemoveLeftovers(ProgramDir());
    // While the windows are built, the pages are read.
    PagePreread preread;
    InstallGermanTranslations(app);
    ProgramWindows windows;
    NoteBoard notes(&windows.mainWindow);
    std::vector<std::unique_ptr<JournalReplay>> replays;
    const QStringList startNotes = LoadSettings(windows, &replays, &preread);
    QList<int> replayedPages;
    for (const auto& replay : replays) {
        if (replay->target() == JournalReplay::Target::Page)
            replayedPages << replay->page();
    }
    ContinuousSaving saving(windows, &notes);
    saving.start(replayedPages);
    LateReplays late(windows, std::move(replays),
                     [&saving, &notes](int page, bool ontoPage, const QStringList& found) {
                         if (ontoPage)
                             saving.startPage(page);
                         notes.addNotes(found);
                     });

    // "Ende" writes everything before the window goes; a signal from the desktop ends the
    // session without asking anything.
    ExitSaving exit(windows, saving);
    bool mayAsk = true;
    windows.mainWindow.setCloseGuard([&exit, &mayAsk] { return exit.mayEnd(mayAsk); });
    EndOnTerminationSignals(windows.mainWindow, [&windows, &mayAsk] {
        mayAsk = false;
        windows.mainWindow.close();
        QCoreApplication::exit(0);
    });

    // Closing the main window ends the program, whatever other window is open. The toolkit's own
    // way asks every open window to close first, and the unit definitions window refuses while
    // a line fails: the program went on without any window, holding the folder.
    const bool quitOnLastWindow = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const QMetaObject::Connection ending = QObject::connect(
        &app, &QGuiApplication::lastWindowClosed, &app, [] { QCoreApplication::exit(0); });

    windows.mainWindow.show();
    instance.setFrontRequestHandler(
        [&windows](const ActivationToken& later) { BringToFront(windows.mainWindow, later); });
    QTimer::singleShot(0, &windows.mainWindow, [&notes, &late, &instance, startNotes] {
        if (!instance.note().isEmpty())
            notes.addNotes({instance.note()});
        notes.addNotes(startNotes);
        late.start();
    });
    const int result = QApplication::exec();
    QObject::disconnect(ending);
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
    windows.mainWindow.setCloseGuard({});
    // A loop ended without the window's close (a signal during a modal box) writes here.
    if (windows.mainWindow.isVisible())
        exit.mayEnd(false);
    saving.finish();
    return result;
}

} // namespace quorvel
