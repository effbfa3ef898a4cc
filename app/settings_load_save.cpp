// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings_load_save.h"

#include "app/page_recovery.h"
#include "app/program_windows.h"
#include "app/window_places.h"
#include "gui/files/atomic_file.h"
#include "gui/files/page_files.h"
#include "gui/files/page_journal.h"
#include "gui/files/program_dir.h"
#include "gui/files/regular_file.h"
#include "gui/platform/window_system.h"
#include "gui/rtf/reader.h"
#include "gui/settings_store/component_store.h"
#include "gui/settings_store/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cerrno>
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
                         std::vector<std::unique_ptr<JournalReplay>>* later, PagePreread* preread)
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
        windows.mainWindow.setKeypadVisible(ini.ReadBool(kForm2, QStringLiteral("visible"), false));

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
        const FoundJournal journal =
            LoadPage(windows, index, notes, later ? &replay : nullptr, preread);
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
                                                            : windows.mainWindow.keypadVisible();
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

} // namespace quorvel
