// SPDX-License-Identifier: GPL-3.0-or-later
// The program's life across runs: settings and page files written at exit and read at start,
// the backup of the previous settings file, and "Text laden" / "Text speichern".
#include "tests/gui/worksheet/gui_test_support.h"

#include "app/leftovers.h"
#include "app/program_life.h"
#include "app/settings_load_save.h"
#include "gui/files/page_files.h"
#include "gui/files/program_dir.h"
#include "gui/keypad/real_edit.h"
#include "gui/settings_store/settings_file.h"
#include "gui/worksheet/documents.h"
#include "gui/worksheet/font_dialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

class ProgramLifeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        // The trash of this test, not the user's, in a home on the program folder's file system.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("share"))));
    }

    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        QVERIFY(m_folder->isValid());
    }

    void cleanup() { m_folder.reset(); }

    void firstRunWritesSettingsAndPagesAndTheSecondRunRestoresThem()
    {
        {
            Windows w;
            LoadSettings(w);
            w.mainWindow.page(0)->setFocus();
            typeLine(*w.memo1(), QStringLiteral("kraft = 2kg*9.81m/s\u00B2"));
            typeLine(*w.memo1(), QStringLiteral("3m+2s"));
            w.mainWindow.pageControl()->setCurrentIndex(1);
            typeLine(*w.memo2(), QStringLiteral("Notiz \u03A9 \u2264 3"));
            w.mainWindow.move(120, 90);
            w.diagram.show(); // a diagram window never shown keeps no place
            w.diagram.move(130, 70);
            w.diagram.resize(600, 420);
            w.keypad.findChild<TRealSpinEdit*>(QStringLiteral("Komma"))
                ->setText(QStringLiteral("2"));
            w.keypad.findChild<QCheckBox*>(QStringLiteral("CBOnTop"))->setChecked(true);
            w.keypad.show();
            QStringList units = w.unitDefinitions.lines();
            units << QStringLiteral("kN\u03A9 = 1000N");
            w.unitDefinitions.setLines(units);
            w.formulaLibrary.setFormulas(
                {QStringLiteral("Kreis"), QStringLiteral("\u03B1-Formel")},
                {QStringLiteral("A = Pi*r\u00B2\u008D\u0160U = 2Pi*r"), QStringLiteral("x = 1")});
            QVERIFY(SaveSettings(w).isEmpty());
        }
        for (const char* name : {"Quorvel.ini", "QV1.rtf", "QV2.rtf"})
            QVERIFY2(QFile::exists(m_folder->filePath(QString::fromLatin1(name))), name);
        QVERIFY(!QFile::exists(m_folder->filePath(QStringLiteral("Quorvel.b01"))));
        const QByteArray firstIni = readFile(QStringLiteral("Quorvel.ini"));
        QVERIFY(firstIni.contains("[Form1]"));
        QVERIFY(firstIni.contains("[Formel]"));
        QVERIFY(firstIni.contains("[Diagramm]"));
        QVERIFY(firstIni.contains("count=2"));

        {
            Windows w;
            LoadSettings(w);
            QCOMPARE(pageLines(*w.memo1()).value(0),
                     QStringLiteral("kraft = 2kg*9.81m/s\u00B2 = 19.62N"));
            QCOMPARE(describe(lineRuns(*w.memo1(), 1)),
                     describe({{QStringLiteral("3m"), kBlack},
                               {QStringLiteral("+"), kRed},
                               {QStringLiteral("2s = unit confilct"), kBlack}}));
            QCOMPARE(pageLines(*w.memo2()).value(0), QStringLiteral("Notiz \u03A9 \u2264 3"));
            QCOMPARE(w.mainWindow.pos(), QPoint(120, 90));
            QCOMPARE(w.diagram.pos(), QPoint(130, 70));
            QCOMPARE(w.diagram.size(), QSize(600, 420));
            QVERIFY(w.mainWindow.keypadVisible());
            QVERIFY(w.keypad.findChild<QCheckBox*>(QStringLiteral("CBOnTop"))->isChecked());
            QCOMPARE(w.keypad.KommaValue(), 2.0);
            QVERIFY(w.unitDefinitions.lines().contains(QStringLiteral("kN\u03A9 = 1000N")));
            QCOMPARE(w.formulaLibrary.titles(),
                     QStringList({QStringLiteral("Kreis"), QStringLiteral("\u03B1-Formel")}));
            QCOMPARE(w.formulaLibrary.encodedTexts().value(0),
                     QStringLiteral("A = Pi*r\u00B2\u008D\u0160U = 2Pi*r"));

            // The new unit and the decimals act on a line after the unit check has run.
            QVERIFY(w.unitDefinitions.CompileUnitDefinitions());
            w.mainWindow.pageControl()->setCurrentIndex(0);
            setPageLines(*w.memo1(), {QStringLiteral("1/3*1kN\u03A9")});
            setCaret(*w.memo1(), 0, 0);
            QTest::keyClick(w.memo1(), Qt::Key_Return);
            QCOMPARE(pageLines(*w.memo1()).value(0),
                     QStringLiteral("1/3*1kN\u03A9 = 0.33kN\u03A9"));
            QVERIFY(SaveSettings(w).isEmpty());
        }
        QCOMPARE(readFile(QStringLiteral("Quorvel.b01")), firstIni);
    }

    // The character set chosen in the font dialog reaches the page file at exit, and the next
    // start shows it preloaded in the dialog.
    void aCharacterSetChosenInTheFontDialogComesBackAtTheNextStart()
    {
        const auto selectFirstLine = [](QTextEdit& memo) {
            QTextCursor cursor(memo.document());
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            memo.setTextCursor(cursor);
        };
        {
            Windows w;
            LoadSettings(w);
            setPageLines(*w.memo1(), {QStringLiteral("Winkel")});
            selectFirstLine(*w.memo1());
            ModalDriver driver;
            driver.then([](QWidget* window) {
                auto* dialog = qobject_cast<SheetFontDialog*>(window);
                QVERIFY(dialog);
                QComboBox& charsets = *dialog->charsetBox();
                charsets.setCurrentIndex(charsets.findData(161)); // "Griechisch"
                dialog->accept();
            });
            w.mainWindow.FontDialog();
            QVERIFY(driver.waitDone());
            QVERIFY(SaveSettings(w).isEmpty());
        }
        QVERIFY(readFile(QStringLiteral("QV1.rtf")).contains("\\fcharset161"));
        {
            Windows w;
            LoadSettings(w);
            selectFirstLine(*w.memo1());
            int preloaded = -1;
            ModalDriver driver;
            driver.then([&preloaded](QWidget* window) {
                auto* dialog = qobject_cast<SheetFontDialog*>(window);
                QVERIFY(dialog);
                preloaded = dialog->charsetBox()->currentData().toInt();
                dialog->reject();
            });
            w.mainWindow.FontDialog();
            QVERIFY(driver.waitDone());
            QCOMPARE(preloaded, 161);
        }
    }

    // A file as the original program wrote it (Windows-1252, CR LF, "€" in a unit, a formula with
    // the line break bytes 141 and 138) starts the real windows as it was meant, and an exit
    // without changes writes it back unchanged.
    void legacySettingsFileStartsTheProgramAndComesBackUnchanged()
    {
        QFile source(QStringLiteral(QUORVEL_SETTINGS_TEST_DATA "/legacy_quorvel.ini"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray legacy = source.readAll();
        writeFile(QStringLiteral("Quorvel.ini"), legacy);

        ProgramWindows w;
        LoadSettings(w);
        w.mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.mainWindow));
        QCoreApplication::processEvents();       // the first showing: keypad, unit check
        QVERIFY(!w.unitDefinitions.isVisible()); // the units compiled, no error window

        QCOMPARE(w.mainWindow.pos(), QPoint(141, 177));
        QCOMPARE(w.mainWindow.size(), QSize(525, 437));
        QTRY_VERIFY(w.keypad.isVisible());
        QCOMPARE(w.keypad.pos(), QPoint(409, 290));
        QVERIFY(w.keypad.findChild<QCheckBox*>(QStringLiteral("CBOnTop"))->isChecked());
        QVERIFY(w.keypad.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.keypad.KommaValue(), 2.0);
        const auto* functions = w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        QCOMPARE(functions->count(), 3);
        QCOMPARE(functions->currentText(), QStringLiteral("sin()"));

        QTextEdit& memo = *w.mainWindow.page(0);
        memo.setFocus();
        setPageLines(memo, {QStringLiteral("3\u20AC*2+1St\u00FCck"), QStringLiteral("1l/3")});
        for (int row : {0, 1}) {
            setCaret(memo, row, 0);
            QTest::keyClick(&memo, Qt::Key_Return);
        }
        QCOMPARE(pageLines(memo).mid(0, 2),
                 QStringList({QStringLiteral("3\u20AC*2+1St\u00FCck = 7\u20AC"),
                              QStringLiteral("1l/3 = 0.33l")}));

        setPageLines(memo, {QString()});
        w.formulaLibrary.onFormulaEntry(
            findAction(w.mainWindow, QStringLiteral("Kreisfl\u00E4che")));
        QCOMPARE(pageLines(memo),
                 QStringList({QStringLiteral("A = Pi*r\u00B2"), QStringLiteral("U = 2*Pi*r")}));

        memo.clear(); // the pages are not part of the settings file
        QVERIFY(SaveSettings(w).isEmpty());
        QCOMPARE(readFile(QStringLiteral("Quorvel.ini")), legacy);
        QCOMPARE(readFile(QStringLiteral("Quorvel.b01")), legacy);
        w.keypad.hide();
    }

    // Ending the program closes every window before the settings are written; a keypad that
    // was open at that moment is open again at the next start.
    void aKeypadOpenWhenTheProgramEndsIsOpenAtTheNextStart()
    {
        {
            Windows w;
            LoadSettings(w);
            w.keypad.show();
            QVERIFY(w.mainWindow.close());
            w.keypad.close(); // what the application does once its main window has closed
            QVERIFY(SaveSettings(w).isEmpty());
        }
        QVERIFY(readFile(QStringLiteral("Quorvel.ini")).contains("visible=1"));
        {
            Windows w;
            LoadSettings(w);
            QVERIFY(w.mainWindow.keypadVisible());
            QVERIFY(w.mainWindow.close()); // the keypad not shown at the end: it stays closed
            QVERIFY(SaveSettings(w).isEmpty());
        }
        QVERIFY(readFile(QStringLiteral("Quorvel.ini")).contains("visible=0"));
    }

    void brokenSettingsStartWithDefaultsAndTheNextExitWritesACleanFile()
    {
        writeFile(QStringLiteral("Quorvel.ini"), "[Formel]\r\ncount=2000000000\r\ntitel0=A\r\n["
                                                 "Form1]\r\ntop=abc\r\n\xff\xfe\x00garbage");
        Windows w;
        LoadSettings(w);
        QCOMPARE(w.formulaLibrary.titles().value(0), QStringLiteral("A"));
        QVERIFY(w.formulaLibrary.titles().size() <= 3);
        QVERIFY(SaveSettings(w).isEmpty());
        QVERIFY(readFile(QStringLiteral("Quorvel.ini")).contains("count="));
        QVERIFY(readFile(QStringLiteral("Quorvel.b01")).contains("count=2000000000"));
    }

    void documentsLoadAndSaveTheBerechnungPage()
    {
        Windows w;
        DocumentCommands& docs = w.documents;
        const QString statik = m_folder->filePath(QStringLiteral("Statik.rtf"));
        setPageLines(*w.memo1(), {QStringLiteral("a = 3"), QStringLiteral("b = \u00E4")});
        w.mainWindow.pageControl()->setCurrentIndex(1);
        QString presetSeen = QStringLiteral("(none)");
        docs.runSaveDialog = [&](const QString& preset) {
            presetSeen = preset;
            return statik;
        };
        docs.onSaveText();
        QCOMPARE(w.mainWindow.pageControl()->currentIndex(), 0);
        QCOMPARE(w.mainWindow.pageControl()->tabText(0), QStringLiteral("Statik"));
        // A screen reader names the page as its tab reads.
        QCOMPARE(QAccessible::queryAccessibleInterface(w.memo1())->text(QAccessible::Name),
                 QStringLiteral("Statik"));
        QVERIFY(QFile::exists(statik));

        setPageLines(*w.memo1(), {QStringLiteral("leer")});
        docs.runOpenDialog = [&](const QString& preset) {
            presetSeen = preset;
            return statik;
        };
        docs.onLoadText();
        QCOMPARE(presetSeen, statik); // the save dialog's name presets the open dialog
        QCOMPARE(pageLines(*w.memo1()),
                 QStringList({QStringLiteral("a = 3"), QStringLiteral("b = \u00E4")}));
        // The loaded page is a page like before: its font, no undo back to the old text, Enter
        // evaluates, and the replaced text is not kept anywhere.
        QCOMPARE(w.memo1()->document()->defaultFont().family(), QStringLiteral("Courier New"));
        QVERIFY(w.memo1()->document()->defaultFont().bold());
        QVERIFY(!w.memo1()->document()->isUndoAvailable());
        QCOMPARE(w.memo1()->findChildren<QTextDocument*>().size(), 1);
        setCaret(*w.memo1(), 0, 0);
        QTest::keyClick(w.memo1(), Qt::Key_Return);
        QCOMPARE(pageLines(*w.memo1()).value(0), QStringLiteral("a = 3"));
        QCOMPARE(caretRow(*w.memo1()), 1);

        // Plain text files load as text, in Windows-1252 when they are not UTF-8.
        const QString plain = m_folder->filePath(QStringLiteral("alt.txt"));
        writeFile(QStringLiteral("alt.txt"), "x = 5 \x80");
        docs.runOpenDialog = [&](const QString&) { return plain; };
        docs.onLoadText();
        QCOMPARE(pageLines(*w.memo1()).value(0), QStringLiteral("x = 5 \u20AC"));
        QCOMPARE(w.mainWindow.pageControl()->tabText(0), QStringLiteral("alt"));

        // A file that cannot be read changes nothing (the box is answered by the driver).
        QString error;
        QVERIFY(!LoadDocument(*w.memo1(), m_folder->filePath(QStringLiteral("fehlt.rtf")), &error));
        QVERIFY(error.contains(QStringLiteral("fehlt.rtf")));
        QCOMPARE(pageLines(*w.memo1()).value(0), QStringLiteral("x = 5 \u20AC"));
    }

    void aFailedPageWriteKeepsTheOldFile()
    {
        Windows w;
        const QString target = m_folder->filePath(QStringLiteral("sub/QV1.rtf"));
        QVERIFY(!SaveDocument(*w.memo1(), target).isEmpty()); // no such folder
        writeFile(QStringLiteral("QV1.rtf"), "{\\rtf1 alt\\par}");
        QFile::setPermissions(m_folder->path(), QFile::ReadOwner | QFile::ExeOwner);
        const QString error =
            SaveDocument(*w.memo1(), m_folder->filePath(QStringLiteral("QV1.rtf")));
        QFile::setPermissions(m_folder->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (error.isEmpty())
            QSKIP("running as a user who may write anywhere");
        QCOMPARE(readFile(QStringLiteral("QV1.rtf")), QByteArray("{\\rtf1 alt\\par}"));
    }

    void programFolderChoice_data()
    {
        QTest::addColumn<bool>("exeWritable");
        QTest::addColumn<bool>("userWritable");
        QTest::addColumn<bool>("userHasFiles");
        QTest::addColumn<bool>("installed"); // help files in ../share/quorvel
        QTest::addColumn<QString>("chosen");
        QTest::newRow("own folder writable") << true << true << false << false << "exe";
        QTest::newRow("read-only folder, first start") << false << true << false << false << "user";
        QTest::newRow("read-only folder, later start") << false << true << true << false << "user";
        QTest::newRow("nothing writable") << false << false << false << false << "exe";
        QTest::newRow("installed, bin writable, first start")
            << true << true << false << true << "user";
        QTest::newRow("installed, bin writable, later start")
            << true << true << true << true << "user";
        QTest::newRow("installed, no per-user folder") << true << false << false << true << "exe";
    }

    void programFolderChoice()
    {
        QFETCH(bool, exeWritable);
        QFETCH(bool, userWritable);
        QFETCH(bool, userHasFiles);
        QFETCH(bool, installed);
        QFETCH(QString, chosen);
        const QString exe = m_folder->filePath(QStringLiteral("bin/"));
        const QString user = m_folder->filePath(QStringLiteral("user/"));
        QDir().mkpath(exe);
        if (installed) {
            QDir().mkpath(m_folder->filePath(QStringLiteral("share/quorvel")));
            writeFile(QStringLiteral("share/quorvel/ZIV.hlp"), "{\\rtf1 Hilfe}");
        }
        writeFile(QStringLiteral("bin/Quorvel.ini"), "[Form1]\r\ntop=5\r\n");
        writeFile(QStringLiteral("bin/QV1.rtf"), "alt");
        // Only regular files are copied: reading a FIFO would wait for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(exe + QStringLiteral("QV2.rtf")).constData(), 0600), 0);
        if (userHasFiles) {
            QDir().mkpath(user);
            writeFile(QStringLiteral("user/QV2.rtf"), "eigen");
        }
        const ProgramDirChoice choice = ChooseProgramDir(exe, user, [&](const QString& folder) {
            return folder == exe ? exeWritable : userWritable;
        });
        QCOMPARE(choice.folder, chosen == QLatin1String("exe") ? exe : user);
        // Copied once, never moved, never over the user's own files.
        QCOMPARE(readFile(QStringLiteral("bin/QV1.rtf")), QByteArray("alt"));
        const bool copied = (!exeWritable || installed) && userWritable && !userHasFiles;
        QCOMPARE(readFile(QStringLiteral("user/QV1.rtf")),
                 copied ? QByteArray("alt") : QByteArray());
        QCOMPARE(QFile::exists(user + QStringLiteral("Quorvel.ini")), copied);
        QCOMPARE(readFile(QStringLiteral("user/QV2.rtf")),
                 userHasFiles ? QByteArray("eigen") : QByteArray());
        if (exeWritable || userWritable) {
            QVERIFY(choice.problem.isEmpty());
        } else {
            QVERIFY2(choice.problem.startsWith(
                         QStringLiteral("Quorvel kann nichts speichern: Der Programmordner «")),
                     qPrintable(choice.problem));
            QVERIFY(choice.problem.contains(QStringLiteral("ist nicht beschreibbar")));
            QVERIFY(choice.problem.contains(QStringLiteral("«QV1.rtf»")));
        }
    }

    // The settings behind a link are read, but the program's own file is never written
    // through a link: the link is put aside, the file it leads to stays as it was.
    void aLinkedSettingsFileIsReadButNotWrittenThrough()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("meine.ini"));
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Form1]\r\nleft=7\r\n");
        }
        QVERIFY(QFile::link(target, m_folder->filePath(QStringLiteral("Quorvel.ini"))));
        for (const int left : {33, 34}) {
            Windows w;
            const QString notes = LoadSettings(w).join(u'\n');
            QCOMPARE(notes.contains(QStringLiteral("«Quorvel.ini.unlesbar»")), left == 33);
            QCOMPARE(w.mainWindow.x(), left == 33 ? 7 : 33);
            w.mainWindow.move(left, 44);
            QVERIFY(SaveSettings(w).isEmpty());
        }
        QVERIFY(!QFileInfo(m_folder->filePath(QStringLiteral("Quorvel.ini"))).isSymLink());
        QVERIFY(readFile(QStringLiteral("Quorvel.ini")).contains("left=34"));
        QVERIFY(QFileInfo(m_folder->filePath(QStringLiteral("Quorvel.ini.unlesbar"))).isSymLink());
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("[Form1]\r\nleft=7\r\n"));

        // A link that leads nowhere readable (here, to itself) is put aside all the same, and
        // the settings get a file of their own with one note, not two that disagree.
        QVERIFY(QFile::remove(m_folder->filePath(QStringLiteral("Quorvel.ini"))));
        QVERIFY(QFile::link(QStringLiteral("Quorvel.ini"),
                            m_folder->filePath(QStringLiteral("Quorvel.ini"))));
        Windows w;
        const QString notes = LoadSettings(w).join(u'\n');
        QVERIFY2(notes.contains(QStringLiteral("«Quorvel.ini.unlesbar2»")), qPrintable(notes));
        QVERIFY2(!notes.contains(QStringLiteral("nicht dorthin")), qPrintable(notes));
        QVERIFY(SaveSettings(w).isEmpty());
        QVERIFY(!QFileInfo(m_folder->filePath(QStringLiteral("Quorvel.ini"))).isSymLink());
    }

    // "Restore" in the desktop's trash puts the backup the exit replaced back beside the settings
    // file, where the next start leaves it; what a kill during the exit left beside it goes.
    void aTrashedBackupIsRestoredBesideTheSettingsFile()
    {
        QDir trash(m_home.filePath(QStringLiteral("share/Trash")));
        QVERIFY(trash.removeRecursively()); // what earlier exits of this test put there
        for (const char* content : {"eins", "zwei", "drei"})
            QCOMPARE(ReplaceFileKeepingBackup(ProgramIniName(), content), QString());
        const QStringList infos =
            QDir(trash.filePath(QStringLiteral("info"))).entryList({"*.trashinfo"}, QDir::Files);
        QCOMPARE(infos.size(), 1);
        QFile info(trash.filePath(QStringLiteral("info/") + infos[0]));
        QVERIFY(info.open(QIODevice::ReadOnly));
        QString path;
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("Path="))
                path = QUrl::fromPercentEncoding(line.mid(5));
        }
        const QString backup = m_folder->filePath(QStringLiteral("Quorvel.b01"));
        QCOMPARE(path, backup);

        // The user moves the newer backup away and restores the older one.
        QVERIFY(QFile::remove(backup));
        QVERIFY(
            QFile::rename(trash.filePath(QStringLiteral("files/") + infos[0].chopped(10)), path));
        writeFile(QStringLiteral("Quorvel.b01.Ab12Cd.neu"), "zwei");
        RemoveLeftovers(m_folder->path());
        QCOMPARE(readFile(QStringLiteral("Quorvel.b01")), QByteArray("eins"));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"Quorvel.b01", "Quorvel.ini"}));
    }

    void terminationSignalsEndTheProgramLikeEnde_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void terminationSignalsEndTheProgramLikeEnde()
    {
        QFETCH(int, signal);
        writeFile(QStringLiteral("QV1.rtf"), "x = 5\n");
        QTimer::singleShot(300, [signal] { std::raise(signal); });
        const int result = RunQuorvel(*qApp, m_folder->path());
        QCOMPARE(result, 0);
        QVERIFY(readFile(QStringLiteral("QV1.rtf")).startsWith("{\\rtf1"));
        QVERIFY(readFile(QStringLiteral("Quorvel.ini")).contains("[Form1]"));
    }

private:
    QByteArray readFile(const QString& name)
    {
        QFile file(m_folder->filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QString& name, const QByteArray& data)
    {
        QFile file(m_folder->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    QTemporaryDir m_home;
    std::unique_ptr<ProgramFolder> m_folder;
};

QTEST_MAIN(ProgramLifeTest)
#include "program_life_test.moc"
