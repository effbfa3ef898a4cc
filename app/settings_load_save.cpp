// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_settings.h"

#include "continuous_saving.h"
#include "exit_saving.h"
#include "files/atomic_file.h"
#include "files/page_files.h"
#include "files/page_journal.h"
#include "files/program_dir.h"
#include "files/regular_file.h"
#include "page_recovery.h"
#include "platform/message_boxes.h"
#include "platform/note_board.h"
#include "platform/window_system.h"
#include "program_windows.h"
#include "rtf/reader.h"
#include "settings_store/component_store.h"
#include "settings_store/settings_file.h"
#include "settings_store/store_routines.h"
#include "single_instance.h"
#include "termination_signals.h"
#include "window_places.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

const QString kForm1 = QStringLiteral("Form1");
const QString kForm2 = QStringLiteral("Form2");
const QString kFormel = QStringLiteral("Formel");

QString pageFile(int index)
{
    return ProgramDir() + PageFileName(index);
}

QString journalFile(int index)
{
    return ProgramDir() + JournalFileName(index);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString pageName(const ProgramWindows& windows, int index)
{
    return windows.mainWindow.pageControl()->tabText(index);
}

} // namespace

QStringList LoadSettings(ProgramWindows& windows,
                         std::vector<std::unique_ptr<JournalReplay>>* later)
{
    QStringList notes;
    if (const QString problem = ProgramDirProblem(); !problem.isEmpty())
        notes << problem;
    const QString iniPath = ProgramIniName();
    const FileRead iniFile = ReadRegularFile(iniPath, ComponentStore::kMaxFileSize);
    // Read through a link, but never written through one: the link is put aside once read.
    const bool linked =
        OwnFileProblem(QFile::encodeName(iniPath).toStdString()) == NotRegularFileText(S_IFLNK);
    // A link is put aside below, whatever it leads to, and the settings get a file of their own.
    if (!linked && (iniFile.state == FileRead::State::NotRegular ||
                    iniFile.state == FileRead::State::Unreadable)) {
        LeaveFileAlone(SettingsFileName());
        notes << QStringLiteral("Die Einstellungen werden nicht aus %1 gelesen und in dieser "
                                "Sitzung nicht dorthin gespeichert: %2.")
                     .arg(shown(iniPath), iniFile.reason);
    }
    if (iniFile.state == FileRead::State::Regular) {
        ComponentStore ini;
        ini.SaveMemos = false;
        const bool placesKnown = PlatformKnowsWindowPlaces();
        ini.LoadForm(&windows.mainWindow);
        LoadWindowPlace(ini, windows.mainWindow, {kForm1, true}, placesKnown);

        ini.LoadForm(&windows.keypad);
        LoadWindowPlace(ini, windows.keypad, {kForm2, false}, placesKnown);
        windows.mainWindow.KeypadVisible = ini.ReadBool(kForm2, QStringLiteral("visible"), false);

        ini.SaveMemos = true;
        ini.LoadForm(&windows.unitDefinitions);
        ini.SaveMemos = false;

        // The count comes from a file anyone may have edited; no more formulas are read than
        // the section has keys, so an absurd count cannot make the start hang.
        const auto keys = ini.IniFile().keyCount(kFormel.toStdU16String());
        const int available = static_cast<int>(std::min<std::size_t>(keys, 1u << 30));
        const int count = std::min(ini.ReadInteger(kFormel, QStringLiteral("count"), 0), available);
        QStringList titles;
        QStringList texts;
        for (int k = 0; k < count; ++k) {
            const QString index = QString::number(k);
            titles << ini.ReadString(kFormel, QStringLiteral("titel") + index, QString());
            texts << ini.ReadString(kFormel, QStringLiteral("text") + index, QString());
        }
        windows.formulaLibrary.setFormulas(titles, texts);
        if (ini.IniFile().sectionExists(windows.diagram.objectName().toStdU16String())) {
            LoadWindowPlace(ini, windows.diagram, {windows.diagram.objectName(), true},
                            placesKnown);
            windows.diagram.setHasPlace();
        }
    }

    if (linked) {
        QString reason;
        const QString kept = PutAside(iniPath, &reason);
        if (kept.isEmpty()) {
            LeaveFileAlone(SettingsFileName());
            notes << QStringLiteral(
                         "Die Einstellungen %1 sind eine symbolische Verkn\u00FCpfung, "
                         "die sich nicht beiseitelegen lie\u00DF: %2. Quorvel schreibt "
                         "nicht durch Verkn\u00FCpfungen und speichert die Einstellungen "
                         "in dieser Sitzung nicht.")
                         .arg(shown(iniPath), reason);
        } else {
            notes << QStringLiteral("Die Einstellungen %1 waren eine symbolische Verkn\u00FCpfung. "
                                    "Quorvel schreibt nicht durch Verkn\u00FCpfungen: Sie ist "
                                    "unver\u00E4ndert als «%2» erhalten, und die Einstellungen "
                                    "werden ab jetzt in einer eigenen Datei gespeichert.")
                         .arg(shown(iniPath), QFileInfo(kept).fileName());
        }
    }

    bool found = false;
    bool elsewhere = false;
    for (int index : {0, 1}) {
        std::unique_ptr<JournalReplay> replay;
        const FoundJournal journal = LoadPage(windows, index, notes, later ? &replay : nullptr);
        found = found || journal != FoundJournal::None;
        elsewhere = elsewhere || journal == FoundJournal::Elsewhere;
        if (replay)
            later->push_back(std::move(replay));
    }
    // Where a journal's work went into a file of its own, its note says so; the pages then show
    // what lies in the program folder, not what was last saved.
    if (found)
        notes.prepend(QStringLiteral("Quorvel wurde beim letzten Mal nicht ordnungsgem\u00E4\u00DF "
                                     "beendet.") +
                      (elsewhere ? QString()
                                 : QStringLiteral(" Die Seiten zeigen den zuletzt gesicherten "
                                                  "Stand.")));
    return notes;
}

QByteArray SettingsBytes(ProgramWindows& windows, const ComponentStore* earlier)
{
    ComponentStore ini(QString(), ComponentStore::Start::Empty);
    // The places the platform cannot report are kept as the file has them.
    const bool placesKnown = PlatformKnowsWindowPlaces();
    std::optional<ComponentStore> fromFile;
    if (!earlier) {
        fromFile.emplace(QString(), placesKnown ? ComponentStore::Start::Empty
                                                : ComponentStore::Start::FromFile);
        earlier = &*fromFile;
    }
    ini.SaveMemos = false;
    ini.SaveForm(&windows.mainWindow);
    SaveWindowPlace(ini, *earlier, windows.mainWindow, {kForm1, true}, placesKnown);

    ini.SaveForm(&windows.keypad);
    SaveWindowPlace(ini, *earlier, windows.keypad, {kForm2, false}, placesKnown);
    // Once the main window has closed, the keypad is closed as well; its state from just
    // before counts.
    const bool keypadShown = windows.mainWindow.isVisible() ? windows.keypad.isVisible()
                                                            : windows.mainWindow.KeypadVisible;
    ini.WriteBool(kForm2, QStringLiteral("visible"), keypadShown);

    ini.SaveMemos = true;
    ini.SaveForm(&windows.unitDefinitions);
    ini.SaveMemos = false;

    const QStringList titles = windows.formulaLibrary.titles();
    const QStringList texts = windows.formulaLibrary.encodedTexts();
    ini.WriteInteger(kFormel, QStringLiteral("count"), static_cast<int>(titles.size()));
    for (qsizetype k = 0; k < titles.size(); ++k) {
        const QString index = QString::number(k);
        ini.WriteString(kFormel, QStringLiteral("titel") + index, titles[k]);
        ini.WriteString(kFormel, QStringLiteral("text") + index, texts.value(k));
    }
    if (windows.diagram.hasPlace())
        SaveWindowPlace(ini, *earlier, windows.diagram, {windows.diagram.objectName(), true},
                        placesKnown);
    return ini.FileBytes();
}

WriteProblems SaveSettings(ProgramWindows& windows, bool keepBackup)
{
    if (const QString problem = ProgramDirProblem(); !problem.isEmpty())
        return {{ProgramIniName(), problem}};
    WriteProblems problems;
    if (const QString problem = SettingsProblem(); !problem.isEmpty()) {
        problems.push_back({ProgramIniName(), problem});
    } else {
        const QByteArray settings = SettingsBytes(windows);
        const QString error = keepBackup ? ReplaceFileKeepingBackup(ProgramIniName(), settings)
                                         : WriteFileAtomically(ProgramIniName(), settings);
        if (!error.isEmpty())
            problems.push_back({ProgramIniName(), error});
    }
    for (int index : {0, 1}) {
        if (const QString problem = PageProblem(windows, index); !problem.isEmpty()) {
            problems.push_back({pageFile(index), problem});
            continue;
        }
        const QString pageError =
            SaveDocument(*windows.mainWindow.page(index), pageFile(index), FileOwner::Program);
        if (!pageError.isEmpty()) {
            // The journal stays: the next start finds the changes there.
            problems.push_back({pageFile(index), pageError});
        } else if (OwnFileProblem(QFile::encodeName(journalFile(index)).toStdString()).empty()) {
            // The page file holds everything now.
            QFile::remove(journalFile(index));
        }
    }
    return problems;
}

QString SettingsProblem()
{
    if (!IsFileLeftAlone(SettingsFileName()))
        return {};
    return QStringLiteral("Die Einstellungen wurden nicht in %1 gespeichert: Quorvel "
                          "\u00FCberschreibt nur, was es lesen konnte.")
        .arg(shown(ProgramIniName()));
}

QString PageProblem(const ProgramWindows& windows, int index)
{
    if (!IsFileLeftAlone(PageFileName(index)))
        return {};
    return QStringLiteral("Die Seite «%1» wurde nicht in %2 gespeichert: Quorvel "
                          "\u00FCberschreibt nur, was es lesen konnte.")
        .arg(pageName(windows, index), shown(pageFile(index)));
}

void RemoveLeftovers(const QString& folder)
{
    QStringList names = ProgramFileNames();
    // The probe is the test whether the folder can be written (files/program_dir.cpp).
    names << JournalFileName(0) << JournalFileName(1)
          << QFileInfo(BackupFileName(ProgramIniName())).fileName()
          << QStringLiteral("quorvel-probe");
    RemoveLeftoverTemporaryFiles(folder, names);
    RemoveLeftoverBackupSide(ProgramIniName());
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
    InstallGermanTranslations(app);
    ProgramWindows windows;
    NoteBoard notes(&windows.mainWindow);
    std::vector<std::unique_ptr<JournalReplay>> replays;
    const QStringList startNotes = LoadSettings(windows, &replays);
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
    QTimer::singleShot(0, &windows.mainWindow, [&notes, &late, startNotes] {
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
