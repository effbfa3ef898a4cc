// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_settings.h"

#include "continuous_saving.h"
#include "files/atomic_file.h"
#include "files/page_files.h"
#include "files/page_journal.h"
#include "files/program_dir.h"
#include "files/regular_file.h"
#include "platform/message_boxes.h"
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

bool holdsText(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
}

// Gives a page file that is not RTF a name of its own ("QV1.rtf.unlesbar", then
// "QV1.rtf.unlesbar2", ...), so that the page written over it cannot take it away. A second name
// costs no space, and the page file stays where it is until the page replaces it; where the
// file system has no second names, the file is renamed. Never over anything: both fail where
// the name is taken. Returns the new name, or the reason it could not be given.
QString keepUnderNewName(const QString& path, QString* reason)
{
    const QByteArray from = QFile::encodeName(path);
    for (int number = 1; number < 1000; ++number) {
        const QString kept =
            path + QStringLiteral(".unlesbar") + (number > 1 ? QString::number(number) : QString());
        const QByteArray to = QFile::encodeName(kept);
        // A link at the page file's name: the file it leads to is what the page replaces.
        int done =
            ::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW);
        if (done != 0 && errno != EEXIST)
            done =
                ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (done == 0) {
            SyncFolderOf(path);
            return kept;
        }
        if (errno != EEXIST) {
            *reason = SystemReason(errno);
            return {};
        }
    }
    *reason = SystemReason(EEXIST);
    return {};
}

// Reads page file `index` into its page, with the changes its journal holds; notes what the
// user should know. Returns whether a journal was found, which only a session that did not end
// normally leaves.
bool loadPage(ProgramWindows& windows, int index, QStringList& notes)
{
    QTextEdit& page = *windows.mainWindow.page(index);
    const QString path = pageFile(index);
    const FileRead file = ReadRegularFile(path);
    if (file.state == FileRead::State::NotRegular || file.state == FileRead::State::Unreadable) {
        LeaveFileAlone(PageFileName(index));
        notes << QStringLiteral("Die Seite «%1» wird nicht aus %2 gelesen und in dieser Sitzung "
                                "nicht dorthin gespeichert: %3.")
                     .arg(pageName(windows, index), shown(path), file.reason);
        return false;
    }
    const FileRead journal = ReadRegularFile(journalFile(index));
    const bool journalFound = journal.state != FileRead::State::Missing;
    ParsedJournal parsed;
    if (journal.state == FileRead::State::Regular) {
        parsed = ParseJournal(journal.bytes);
        // A journal of another page file (the page file was written after it was started)
        // holds nothing that the page file lacks.
        if (!parsed.valid || !(parsed.base == JournalBaseOf(file.bytes)))
            parsed.records.clear();
    }
    // Nothing to read: the page stays as the window made it, with the format typing gets there.
    if (file.state == FileRead::State::Missing && parsed.records.empty())
        return journalFound;

    std::unique_ptr<QTextDocument> doc = NewPageDocument(page);
    bool writeNow = false;
    if (file.state == FileRead::State::Regular && !IsRtf(file.bytes) && holdsText(file.bytes)) {
        // Not a file the program wrote: it stays, under a name of its own, before anything is
        // written over it; the page shows what can be read of it as text.
        QString reason;
        const QString kept = keepUnderNewName(path, &reason);
        if (kept.isEmpty()) {
            LeaveFileAlone(PageFileName(index));
            notes << QStringLiteral("Die Datei %1 ist keine RTF-Datei und konnte nicht umbenannt "
                                    "werden: %2. Die Seite «%3» wird in dieser Sitzung nicht "
                                    "dorthin gespeichert.")
                         .arg(shown(path), reason, pageName(windows, index));
        } else {
            notes << QStringLiteral(
                         "Die Datei %1 ist keine RTF-Datei. Sie ist unver\u00E4ndert als "
                         "«%2» erhalten; die Seite «%3» zeigt ihren Inhalt als Text.")
                         .arg(shown(path), QFileInfo(kept).fileName(), pageName(windows, index));
            writeNow = true;
        }
    }
    ReadPageBytes(file.bytes, *doc);
    if (!parsed.records.empty()) {
        doc->setUndoRedoEnabled(false);
        for (const JournalRecord& record : parsed.records) {
            if (!ApplyJournalRecord(*doc, record))
                break;
        }
        doc->setUndoRedoEnabled(true);
        writeNow = true;
    }
    ShowDocument(page, std::move(doc));
    // The page as it is now becomes the page file, the base of the next journal.
    if (writeNow) {
        if (const QString error = SaveDocument(page, path); !error.isEmpty())
            notes << error;
    }
    return journalFound;
}

} // namespace

QStringList LoadSettings(ProgramWindows& windows)
{
    QStringList notes;
    if (const QString problem = ProgramDirProblem(); !problem.isEmpty())
        notes << problem;
    const QString iniPath = ProgramIniName();
    const FileRead iniFile = ReadRegularFile(iniPath, ComponentStore::kMaxFileSize);
    if (iniFile.state == FileRead::State::NotRegular ||
        iniFile.state == FileRead::State::Unreadable) {
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

    bool journalFound = false;
    for (int index : {0, 1})
        journalFound = loadPage(windows, index, notes) || journalFound;
    if (journalFound)
        notes.prepend(QStringLiteral("Quorvel wurde beim letzten Mal nicht ordnungsgem\u00E4\u00DF "
                                     "beendet. Die Seiten zeigen den zuletzt gesicherten Stand."));
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

bool SaveSettings(ProgramWindows& windows, bool keepBackup)
{
    if (const QString problem = ProgramDirProblem(); !problem.isEmpty()) {
        ShowInfo(problem, &windows.mainWindow);
        return false;
    }
    bool ok = true;
    if (IsFileLeftAlone(SettingsFileName())) {
        ShowInfo(QStringLiteral("Die Einstellungen wurden nicht in %1 gespeichert: Quorvel "
                                "\u00FCberschreibt nur, was es lesen konnte.")
                     .arg(shown(ProgramIniName())),
                 &windows.mainWindow);
        ok = false;
    } else {
        const QByteArray settings = SettingsBytes(windows);
        const QString error = keepBackup ? ReplaceFileKeepingBackup(ProgramIniName(), settings)
                                         : WriteFileAtomically(ProgramIniName(), settings);
        if (!error.isEmpty()) {
            ShowInfo(error, &windows.mainWindow);
            ok = false;
        }
    }
    for (int index : {0, 1}) {
        if (IsFileLeftAlone(PageFileName(index))) {
            ShowInfo(QStringLiteral("Die Seite «%1» wurde nicht in %2 gespeichert: Quorvel "
                                    "\u00FCberschreibt nur, was es lesen konnte.")
                         .arg(pageName(windows, index), shown(pageFile(index))),
                     &windows.mainWindow);
            ok = false;
            continue;
        }
        const QString pageError = SaveDocument(*windows.mainWindow.page(index), pageFile(index));
        if (!pageError.isEmpty()) {
            // The journal stays: the next start finds the changes there.
            ShowInfo(pageError, &windows.mainWindow);
            ok = false;
        } else if (NotRegularReason(journalFile(index)).isEmpty()) {
            // The page file holds everything now.
            QFile::remove(journalFile(index));
        }
    }
    return ok;
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
    EndOnTerminationSignals(windows.mainWindow);
    const QStringList notes = LoadSettings(windows);
    ContinuousSaving saving(windows);
    saving.start();

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
    if (!notes.isEmpty()) {
        QTimer::singleShot(0, &windows.mainWindow, [&windows, notes] {
            ShowNote(notes.join(QStringLiteral("\n\n")), &windows.mainWindow);
        });
    }
    const int result = QApplication::exec();
    QObject::disconnect(ending);
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
    saving.finish();
    SaveSettings(windows, !saving.settingsBackupDone());
    return result;
}

} // namespace quorvel
