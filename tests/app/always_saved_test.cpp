// SPDX-License-Identifier: GPL-3.0-or-later
// Always saved, in one process on the real windows: the work of a session that ends without its
// exit comes back at the next start; the settings follow the windows while the user works, with
// one backup per session; the start reads and replaces only regular files, keeps a page file it
// cannot read, clears away killed saves' temporary files and says what it found; and closing the
// main window ends the program even while the unit definitions window refuses to close.
#include "tests/gui/worksheet/gui_test_support.h"

#include "app/continuous_saving.h"
#include "app/exit_saving.h"
#include "app/page_preread.h"
#include "app/page_recovery.h"
#include "app/program_life.h"
#include "app/settings_load_save.h"
#include "gui/files/atomic_file.h"
#include "gui/files/page_journal.h"
#include "gui/files/program_dir.h"
#include "gui/platform/note_board.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <sys/stat.h>
#include <utility>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The program's windows of the running RunQuorvel, found by their object names.
template <typename T = QWidget> T* topLevel(const char* objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(objectName))
            return qobject_cast<T*>(widget);
    }
    return nullptr;
}

// The visible top-level windows of a kind with that object name.
template <typename T> QList<T*> topLevels(const char* objectName)
{
    QList<T*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(objectName) && widget->isVisible())
            if (auto* typed = qobject_cast<T*>(widget))
                found << typed;
    }
    return found;
}

} // namespace

class AlwaysSavedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        // The trash of this test, not the user's, in a home on the program folder's file system.
        QVERIFY(m_dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
        qputenv("HOME", QFile::encodeName(m_dataHome.path()));
    }

    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        QVERIFY(m_folder->isValid());
    }

    void cleanup() { m_folder.reset(); }

    // What is on the disk a moment after typing, as a kill or a power cut would leave it.
    void aSessionThatEndsWithoutItsExitComesBackAtTheNextStart()
    {
        writeFile(QStringLiteral("QV1.rtf"), "{\\rtf1\\ansi Statik\\par\\par}");
        QTemporaryDir crash;
        {
            Windows w;
            QVERIFY(LoadSettings(w).isEmpty());
            ContinuousSaving saving(w);
            saving.start();
            w.memo1()->moveCursor(QTextCursor::End);
            typeLine(*w.memo1(), QStringLiteral("a = 2m"));
            typeLine(*w.memo1(), QStringLiteral("3m+2s"));
            w.memo2()->textCursor().insertText(QStringLiteral("Notiz \u03A9"));
            QCoreApplication::processEvents(); // the records are made after the event
            saving.flushMadeBytes();
            copyFolder(m_folder->path(), crash.path());
        }
        SetProgramDir(crash.path());
        Windows w;
        const QStringList notes = LoadSettings(w);
        QVERIFY2(notes.value(0).startsWith(QStringLiteral(
                     "Quorvel wurde beim letzten Mal nicht ordnungsgem\u00E4\u00DF")),
                 qPrintable(notes.join(u'|')));
        QCOMPARE(markedPage(*w.memo1()),
                 QStringList({QStringLiteral("Statik"), QStringLiteral("a = 2m"),
                              QStringLiteral("3m[+]2s = unit confilct"), QString()}));
        QCOMPARE(pageLines(*w.memo2()), QStringList{QStringLiteral("Notiz \u03A9")});
        // The journal goes on until the page is written whole: a second start without an exit
        // replays it once more, not twice. That start reads its pages as the program does,
        // on a thread while the windows are built.
        PagePreread early;
        Windows again;
        LoadSettings(again, nullptr, &early);
        QCOMPARE(pageLines(*again.memo1()), pageLines(*w.memo1()));
    }

    // A small page left alone for a moment is written whole, which empties its journal; the
    // normal exit leaves no journal behind.
    void aSmallPageIsWrittenWholeWhenIdleAndTheExitRemovesTheJournals()
    {
        Windows w;
        LoadSettings(w);
        ContinuousSaving saving(w);
        saving.start();
        typeLine(*w.memo1(), QStringLiteral("b = 3m"));
        QTRY_VERIFY_WITH_TIMEOUT(
            readFile(m_folder->filePath(QStringLiteral("QV1.rtf"))).contains("b = 3m\\par"),
            ContinuousSaving::kIdleMs + 4000);
        saving.flushMadeBytes();
        // The journal holds the page file alone, as its first record.
        JournalReader journal(m_folder->filePath(QStringLiteral("QV1.journal")));
        JournalRecord first;
        QVERIFY(journal.next(first));
        QCOMPARE(first.position, kWholePage);
        QCOMPARE(first.rtf, readFile(m_folder->filePath(QStringLiteral("QV1.rtf"))));
        QVERIFY(!journal.next(first));
        saving.finish();
        QVERIFY(SaveSettings(w, !saving.settingsBackupDone()).isEmpty());
        QVERIFY(!QFile::exists(m_folder->filePath(QStringLiteral("QV1.journal"))));
        QVERIFY(!QFile::exists(m_folder->filePath(QStringLiteral("QV2.journal"))));
    }

    void theSettingsFollowTheWindowsWithOneBackupPerSession()
    {
        const QByteArray old = "[Form1]\r\ntop=100\r\nleft=100\r\n\r\n";
        writeFile(QStringLiteral("Quorvel.ini"), old);
        Windows w;
        LoadSettings(w);
        ContinuousSaving saving(w);
        saving.start();
        w.mainWindow.move(150, 120);
        QTRY_VERIFY_WITH_TIMEOUT(settings().contains("left=150"), 5000);
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("Quorvel.b01"))), old);
        w.mainWindow.move(170, 120);
        QTRY_VERIFY_WITH_TIMEOUT(settings().contains("left=170"), 5000);
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("Quorvel.b01"))), old);
        saving.finish();
        QVERIFY(saving.settingsBackupDone());
        w.mainWindow.move(190, 120);
        QVERIFY(SaveSettings(w, !saving.settingsBackupDone()).isEmpty());
        QVERIFY(settings().contains("left=190"));
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("Quorvel.b01"))), old);
    }

    // A FIFO, a folder: named at the start, not opened (a FIFO would wait for a writer without
    // end), and still there after the exit, which names what it did not save.
    void onlyRegularFilesAreReadOrReplaced()
    {
        for (const char* name : {"Quorvel.ini", "QV1.rtf"})
            QCOMPARE(::mkfifo(QFile::encodeName(m_folder->filePath(QLatin1String(name))), 0600), 0);
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("QV2.rtf")));
        Windows w;
        const QString notes = LoadSettings(w).join(u'\n');
        for (const char* name : {"Quorvel.ini", "QV1.rtf", "QV2.rtf"})
            QVERIFY2(notes.contains(QLatin1String(name)), qPrintable(notes));
        QVERIFY(notes.contains(QStringLiteral("FIFO")));
        QVERIFY(notes.contains(QStringLiteral("Dort liegt ein Ordner")));
        w.memo1()->setPlainText(QStringLiteral("x"));
        QCOMPARE(SaveSettings(w).size(), 3);
        QVERIFY(isFifo(QStringLiteral("Quorvel.ini")) && isFifo(QStringLiteral("QV1.rtf")));
        QVERIFY(QFileInfo(m_folder->filePath(QStringLiteral("QV2.rtf"))).isDir());
        QVERIFY(!QFile::exists(m_folder->filePath(QStringLiteral("Quorvel.b01"))));
    }

    void aPageFileThatIsNotRtfIsKeptUnderANewName()
    {
        const QByteArray garbage("\x00\x01\xff\xfe Kraft\x00 = 3N\n\x80", 17);
        writeFile(QStringLiteral("QV1.rtf"), garbage);
        writeFile(QStringLiteral("QV1.rtf.unlesbar"), "von fr\xfcher");
        Windows w;
        const QString notes = LoadSettings(w).join(u'\n');
        QVERIFY2(notes.contains(QStringLiteral("«QV1.rtf.unlesbar2»")), qPrintable(notes));
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("QV1.rtf.unlesbar2"))), garbage);
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("QV1.rtf.unlesbar"))),
                 QByteArray("von fr\xfcher"));
        QVERIFY(pageLines(*w.memo1()).join(u'\n').contains(QStringLiteral("Kraft")));
        QVERIFY(readFile(m_folder->filePath(QStringLiteral("QV1.rtf"))).startsWith("{\\rtf1"));
    }

    // The start says at once that nothing will be kept when nothing can be written.
    void aProgramFolderThatCannotBeWrittenIsNamedAtTheStart()
    {
        SetProgramDir(ProgramDirChoice{m_folder->path(), QStringLiteral("Quorvel kann nichts")});
        Windows w;
        QCOMPARE(LoadSettings(w).value(0), QStringLiteral("Quorvel kann nichts"));
    }

    // The whole program life: what killed saves left goes, everything else stays.
    void leftoverTemporaryFilesGoAtTheStart()
    {
        const QStringList leftovers{"Quorvel.ini.tmLihS",          "QV1.rtf.backup",
                                    "QV1.rtf.Ab12Cd.neu",          "QV2.journal.x1Y2z3.neu",
                                    "Quorvel.b01.neu/Quorvel.b01", "quorvel-probe.AbCdEf"};
        const QStringList others{"Quorvel.ini.keep", "QV1.rtf.unlesbar", "Statik.rtf.AbCdEf",
                                 "QV1.rtf.Ab12C"};
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Quorvel.b01.neu")));
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("QV2.rtf.abcdef")));
        for (const QString& name : leftovers + others)
            writeFile(name, "x");
        QTimer::singleShot(300, [] { topLevel("Form1")->close(); });
        QCOMPARE(RunQuorvel(*qApp, m_folder->path()), 0);
        for (const QString& name : leftovers)
            QVERIFY2(!QFile::exists(m_folder->filePath(name)), qPrintable(name));
        QVERIFY(!QFileInfo::exists(m_folder->filePath(QStringLiteral("Quorvel.b01.neu"))));
        for (const QString& name : others + QStringList{"QV2.rtf.abcdef"})
            QVERIFY2(QFileInfo::exists(m_folder->filePath(name)), qPrintable(name));
        // Without the program's own ending the name could be the user's: kept in the trash.
        for (const char* name : {"Quorvel.ini.tmLihS", "QV1.rtf.backup"})
            QVERIFY2(QFileInfo::exists(m_dataHome.filePath(QStringLiteral("Trash/files/")) + name),
                     qPrintable(name));
    }

    // Ctrl+E, a definition that fails, then "Ende" on the main window: the program ends and
    // keeps the lines as they are, where it went on without any window before.
    void closingTheMainWindowEndsTheProgramWhileAUnitDefinitionFails()
    {
        bool hung = false;
        ModalDriver driver;
        for (int box = 0; box < 3; ++box)
            driver.thenPressOk();
        QTimer::singleShot(300, [] {
            auto* main = topLevel<MainWindow>("Form1");
            main->ShowUnitDefinitions();
            auto* units = topLevel<UnitDefinitionsWindow>("Form4");
            units->setLines(QStringList{QStringLiteral("zz = 1qq")} + units->lines());
            main->close();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&hung] {
            hung = true;
            for (QWidget* window : QApplication::topLevelWidgets())
                window->hide();
            QCoreApplication::exit(99);
        });
        watchdog.start(15000);
        const int result = RunQuorvel(*qApp, m_folder->path());
        QVERIFY2(!hung, "the program went on after its main window closed");
        QCOMPARE(result, 0);
        QVERIFY(settings().contains("SiListBox.line0=zz = 1qq"));
    }

    // Links and things that are no files under the program's own names: read through where
    // they lead to a file, put aside, and never written through.
    void linksAndOtherThingsAreNeverWrittenThrough()
    {
        writeFile(QStringLiteral("notizen.txt"), "meins");
        writeFile(QStringLiteral("mein.rtf"), "{\\rtf1\\ansi Seite\\par}");
        QVERIFY(QFile::link(m_folder->filePath(QStringLiteral("notizen.txt")),
                            m_folder->filePath(QStringLiteral("QV1.journal"))));
        QVERIFY(QFile::link(m_folder->filePath(QStringLiteral("mein.rtf")),
                            m_folder->filePath(QStringLiteral("QV1.rtf"))));
        writeFile(QStringLiteral("fremd.txt"), "fremd");
        QVERIFY(QFile::link(m_folder->filePath(QStringLiteral("fremd.txt")),
                            m_folder->filePath(QStringLiteral("QV2.rtf"))));
        QCOMPARE(
            ::mkfifo(QFile::encodeName(m_folder->filePath(QStringLiteral("QV2.journal"))), 0600),
            0);
        {
            Windows w;
            const QString notes = LoadSettings(w).join(u'\n');
            QVERIFY2(notes.contains(QStringLiteral("«QV1.rtf.unlesbar»")), qPrintable(notes));
            QVERIFY2(notes.contains(QStringLiteral("«QV1.journal.unlesbar»")), qPrintable(notes));
            QVERIFY2(notes.contains(QStringLiteral("«QV2.journal.unlesbar»")), qPrintable(notes));
            QVERIFY2(notes.contains(QStringLiteral("«QV2.rtf.unlesbar»")), qPrintable(notes));
            // Things put aside are no sign of a session that ended badly.
            QVERIFY2(!notes.contains(QStringLiteral("nicht ordnungsgem")), qPrintable(notes));
            QVERIFY2(!notes.contains(QStringLiteral("nicht dorthin")), qPrintable(notes));
            QCOMPARE(pageLines(*w.memo1()).value(0), QStringLiteral("Seite"));
            QCOMPARE(pageLines(*w.memo2()).value(0), QStringLiteral("fremd"));
            ContinuousSaving saving(w);
            saving.start();
            w.memo1()->moveCursor(QTextCursor::End);
            typeLine(*w.memo1(), QStringLiteral("neu = 1m"));
            saving.flushMadeBytes();
            QVERIFY(QFileInfo(m_folder->filePath(QStringLiteral("QV1.journal"))).isFile());
            QVERIFY(!QFileInfo(m_folder->filePath(QStringLiteral("QV1.journal"))).isSymLink());
            saving.finish();
            QVERIFY(SaveSettings(w).isEmpty());
        }
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("notizen.txt"))), QByteArray("meins"));
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("mein.rtf"))),
                 QByteArray("{\\rtf1\\ansi Seite\\par}"));
        QVERIFY(!QFileInfo(m_folder->filePath(QStringLiteral("QV1.rtf"))).isSymLink());
        QVERIFY(readFile(m_folder->filePath(QStringLiteral("QV1.rtf"))).contains("neu = 1m"));
        QVERIFY(!QFileInfo(m_folder->filePath(QStringLiteral("QV2.rtf"))).isSymLink());
        QVERIFY(readFile(m_folder->filePath(QStringLiteral("QV2.rtf"))).contains("fremd"));
        QCOMPARE(readFile(m_folder->filePath(QStringLiteral("fremd.txt"))), QByteArray("fremd"));
        QVERIFY(QFileInfo(m_folder->filePath(QStringLiteral("QV1.journal.unlesbar"))).isSymLink());
        QVERIFY(isFifo(QStringLiteral("QV2.journal.unlesbar")));
    }

    // An older page file put back after a crash stays as the user put it; the journal's work
    // goes into a file of its own, and the note says where, not that the page shows it.
    void anOlderPageFilePutBackKeepsTheJournalsWorkBesideIt()
    {
        writeFile(QStringLiteral("QV1.rtf"), "{\\rtf1\\ansi Statik\\par\\par}");
        QTemporaryDir crash;
        {
            Windows w;
            LoadSettings(w);
            ContinuousSaving saving(w);
            saving.start();
            w.memo1()->moveCursor(QTextCursor::End);
            typeLine(*w.memo1(), QStringLiteral("a = 2m"));
            saving.flushMadeBytes();
            copyFolder(m_folder->path(), crash.path());
        }
        SetProgramDir(crash.path());
        {
            QFile older(crash.filePath(QStringLiteral("QV1.rtf")));
            QVERIFY(older.open(QIODevice::WriteOnly | QIODevice::Truncate));
            older.write("{\\rtf1\\ansi Alt\\par}");
        }
        Windows w;
        const QString notes = LoadSettings(w).join(u'\n');
        QVERIFY2(!notes.contains(QStringLiteral("zuletzt gesicherten Stand")), qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("QV1-wiederhergestellt.rtf")), qPrintable(notes));
        QCOMPARE(pageLines(*w.memo1()).value(0), QStringLiteral("Alt"));
        const QByteArray recovered =
            readFile(crash.filePath(QStringLiteral("QV1-wiederhergestellt.rtf")));
        QVERIFY(recovered.contains("Statik") && recovered.contains("a = 2m"));
        QVERIFY(!QFile::exists(crash.filePath(QStringLiteral("QV1.journal"))));
    }

    // "Ende" with the program folder gone (a full or pulled disk): the window stays while the
    // user tries again, and a page that could not be written keeps its journal.
    void anExitThatCannotWriteAsksAndKeepsTheJournal()
    {
        const QString folder = m_folder->path();
        const QString away = folder + QStringLiteral("-weg");
        {
            Windows w;
            LoadSettings(w);
            ContinuousSaving saving(w);
            saving.start();
            typeLine(*w.memo1(), QStringLiteral("c = 4m"));
            saving.flushMadeBytes();
            QVERIFY(QDir().rename(folder, away));
            ExitSaving exit(w, saving);
            QStringList asked;
            QList<ExitChoice> answers{ExitChoice::KeepWorking, ExitChoice::Retry,
                                      ExitChoice::EndAnyway};
            exit.ask = [&](const WriteProblems& problems) {
                for (const WriteProblem& problem : problems)
                    asked << QFileInfo(problem.file).fileName();
                return answers.takeFirst();
            };
            QVERIFY(!exit.mayEnd(true));
            QVERIFY(asked.contains(QStringLiteral("QV1.rtf")));
            QVERIFY(asked.contains(QStringLiteral("Quorvel.ini")));
            QVERIFY(exit.mayEnd(true));
            QVERIFY(answers.isEmpty());
            saving.finish();
        }
        QVERIFY(QDir().rename(away, folder));
        Windows w;
        LoadSettings(w);
        QVERIFY(pageLines(*w.memo1()).contains(QStringLiteral("c = 4m")));
    }

    // One slot per file: a page file that cannot be written and its journal that can never take
    // turns in one note; a problem that clears leaves the box, and the last one closes it. What
    // the user closed comes back only when it changes.
    void eachFileHasOneSlotInOneNote()
    {
        QWidget parent;
        NoteBoard board(&parent);
        board.setProblem(QStringLiteral("QV1.rtf"), QStringLiteral("Seite kaputt"));
        board.setProblem(QStringLiteral("QV1.journal"), QStringLiteral("Journal kaputt"));
        board.setProblem(QStringLiteral("QV1.journal"), QString());
        board.setProblem(QStringLiteral("QV1.journal"), QString());
        auto boxes = [] { return topLevels<QMessageBox>("Hinweis"); };
        QCOMPARE(boxes().size(), 1);
        QVERIFY(board.text().contains(QStringLiteral("Seite kaputt")));
        QVERIFY(!board.text().contains(QStringLiteral("Journal")));
        boxes().value(0)->button(QMessageBox::Ok)->click();
        QTRY_COMPARE(boxes().size(), 0);
        board.setProblem(QStringLiteral("QV1.rtf"), QStringLiteral("Seite kaputt"));
        QCOMPARE(boxes().size(), 0);
        board.setProblem(QStringLiteral("QV1.rtf"), QStringLiteral("Seite anders kaputt"));
        QCOMPARE(boxes().size(), 1);
        board.setProblem(QStringLiteral("QV1.rtf"), QString());
        QTRY_COMPARE(boxes().size(), 0);
    }

    // Idle costs nothing: once the page is written and the settings compared, the clock stops;
    // typing starts it again.
    void theClockStopsWhenNothingNeedsSaving()
    {
        Windows w;
        LoadSettings(w);
        ContinuousSaving saving(w);
        saving.start();
        QTRY_VERIFY_WITH_TIMEOUT(!saving.isTicking(), ContinuousSaving::kSettingsWatchMs + 3000);
        typeLine(*w.memo1(), QStringLiteral("d = 5m"));
        QVERIFY(saving.isTicking());
        QTRY_VERIFY_WITH_TIMEOUT(
            readFile(m_folder->filePath(QStringLiteral("QV1.rtf"))).contains("d = 5m"),
            ContinuousSaving::kIdleMs + 4000);
        QTRY_VERIFY_WITH_TIMEOUT(!saving.isTicking(), ContinuousSaving::kSettingsWatchMs + 3000);
    }

    // A long journal waits for the window: the page stays empty and read-only meanwhile, then
    // shows the work, and its journal goes on.
    void aLongJournalIsReplayedAfterTheWindowIsShown()
    {
        LineJournal lines = startLineJournal();
        QByteArray journal = lines.header;
        while (journal.size() <= kReplayAtOnceBytes)
            journal += lines.next();
        writeFile(QStringLiteral("QV1.journal"), journal);
        Windows w;
        std::vector<std::unique_ptr<JournalReplay>> later;
        LoadSettings(w, &later);
        QCOMPARE(later.size(), std::size_t{1});
        QVERIFY(w.memo1()->isReadOnly());
        ContinuousSaving saving(w);
        saving.start({0});
        bool done = false;
        LateReplays replays(w, std::move(later), [&](int index, bool ontoPage, const QStringList&) {
            QCOMPARE(index, 0);
            QVERIFY(ontoPage);
            saving.startPage(index);
            done = true;
        });
        replays.start();
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        QVERIFY(!w.memo1()->isReadOnly());
        QCOMPARE(JournalLength(*w.memo1()->document()), lines.length);
        saving.finish();
        QVERIFY(SaveSettings(w).isEmpty());
    }

    // A journal that cannot be taken over whole is kept as it was, under a dated name, before
    // the session's own journal takes its place; so is one that cannot be read at all.
    void aDamagedJournalIsKeptBesideTheNewOne()
    {
        LineJournal lines = startLineJournal();
        QByteArray journal = lines.header;
        for (int i = 0; i < 10; ++i) {
            QByteArray record = lines.next();
            if (i == 5)
                record[4] = static_cast<char>(record[4] ^ 1); // its check sum
            journal += record;
        }
        writeFile(QStringLiteral("QV1.journal"), journal);
        const QByteArray garbage(4096, '\xAB');
        writeFile(QStringLiteral("QV2.journal"), garbage);

        Windows w;
        const QString notes = LoadSettings(w).join(u'\n');
        QVERIFY2(notes.contains(QStringLiteral("wurden 5 \u00FCbernommen")), qPrintable(notes));
        const QDir folder(m_folder->path());
        for (const auto& [pattern, bytes] : {std::pair{QStringLiteral("QV1-*.journal"), journal},
                                             {QStringLiteral("QV2-*.journal"), garbage}}) {
            const QStringList kept = folder.entryList({pattern});
            QCOMPARE(kept.size(), 1);
            QVERIFY2(notes.contains(QStringLiteral("«%1»").arg(kept[0])), qPrintable(notes));
            QCOMPARE(readFile(folder.filePath(kept[0])), bytes);
        }
    }

private:
    // A journal whose every record types the line "x = 1m" at the end of its page.
    struct LineJournal
    {
        QByteArray header;
        QByteArray rtf;
        std::int64_t length = 0; // the page's length after the records so far

        QByteArray next()
        {
            const QByteArray record = EncodeJournalRecord({length, 0, length + 7, rtf});
            length += 7;
            return record;
        }
    };

    // Writes the page file "Start" and begins a journal for it.
    LineJournal startLineJournal()
    {
        writeFile(QStringLiteral("QV1.rtf"), "{\\rtf1\\ansi Start\\par}");
        const QByteArray page = readFile(m_folder->filePath(QStringLiteral("QV1.rtf")));
        QTextDocument line;
        line.setPlainText(QStringLiteral("x = 1m\n"));
        QTextDocument start;
        ReadRtf(page, start);
        return {JournalHeader(JournalBaseOf(page)), WriteRtfRange(line, 0, 7),
                JournalLength(start)};
    }

    QByteArray settings() { return readFile(m_folder->filePath(QStringLiteral("Quorvel.ini"))); }

    bool isFifo(const QString& name)
    {
        struct stat info
        {
        };
        return ::lstat(QFile::encodeName(m_folder->filePath(name)).constData(), &info) == 0 &&
               S_ISFIFO(info.st_mode);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QString& name, const QByteArray& data)
    {
        QFile file(m_folder->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    static void copyFolder(const QString& from, const QString& to)
    {
        for (const QString& name : QDir(from).entryList(QDir::Files))
            QVERIFY(QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name));
    }

    std::unique_ptr<ProgramFolder> m_folder;
    QTemporaryDir m_dataHome;
};

QTEST_MAIN(AlwaysSavedTest)
#include "always_saved_test.moc"
