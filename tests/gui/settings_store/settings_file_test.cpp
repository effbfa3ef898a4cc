// SPDX-License-Identifier: GPL-3.0-or-later
// The module routines beside ComponentStore: default file name, fitting onto the screen, date and
// real texts; and the settings file's backup and atomic write.
#include "gui/platform/screen_fitting.h"
#include "gui/settings_store/component_store.h"
#include "gui/settings_store/setting_texts.h"
#include "gui/settings_store/settings_file.h"

#include "gui/files/program_dir.h"
#include "tests/gui/settings_store/test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>

namespace quorvel {

class StoreRoutinesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(test::useTrashIn(m_dir.path()));
    }

    void programIniNameIsTheProgramsNameInTheProgramFolder()
    {
        SetProgramDir(m_dir.path());
        // Without a name set by the program: the program file's name.
        const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        QCOMPARE(ProgramIniName(), m_dir.path() + QLatin1Char('/') + exe + ".ini");
        QCOMPARE(ComponentStore().FileName(), ProgramIniName());
        // With the name Quorvel's entry sets.
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        QCOMPARE(ProgramIniName(), m_dir.path() + QStringLiteral("/Quorvel.ini"));
        QCoreApplication::setApplicationName(exe);
        SetProgramDir(QString());
    }

    void fitRectToScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("fitted");
        QTest::newRow("fits") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
        // 10 pixels taller: the height stays, the bottom edge meets the screen's, the top is
        // then above the screen.
        QTest::newRow("10 taller") << QRect(10, 50, 300, 610) << QRect(10, -10, 300, 610);
        // 30 pixels taller: 20 pixels shorter than the screen, then moved up to fit.
        QTest::newRow("30 taller") << QRect(10, 50, 300, 630) << QRect(10, 20, 300, 580);
        QTest::newRow("10 wider") << QRect(40, 0, 810, 100) << QRect(-10, 0, 810, 100);
        QTest::newRow("30 wider") << QRect(40, 0, 830, 100) << QRect(20, 0, 780, 100);
        QTest::newRow("below and right") << QRect(700, 550, 200, 100) << QRect(600, 500, 200, 100);
        QTest::newRow("negative stays") << QRect(-50, -40, 200, 100) << QRect(-50, -40, 200, 100);
    }

    void fitRectToScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, fitted);
        QCOMPARE(FitRectToScreen(frame, QRect(0, 0, 800, 600)), fitted);
    }

    void fitRectToAnAreaBesideATaskbar()
    {
        // Available area below a 40-pixel panel at the top.
        const QRect area(0, 40, 800, 560);
        QCOMPARE(FitRectToScreen(QRect(0, 500, 100, 200), area), QRect(0, 400, 100, 200));
        // Shortened, but a top above the area is left where it is.
        QCOMPARE(FitRectToScreen(QRect(0, 0, 100, 600), area), QRect(0, 0, 100, 540));
    }

    // Screens left of or above the main one have negative places; a window there stays. Only a
    // title bar that no screen shows is pulled onto the nearest screen.
    void pullTitleBarOntoScreens_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QRect>("pulled");
        const QRect main(0, 0, 1280, 1024);
        const QRect left(-1280, 0, 1280, 1024);
        QTest::newRow("negative place on the screen left of the main one")
            << QRect(-900, 100, 185, 247) << QList<QRect>{main, left} << QRect(-900, 100, 185, 247);
        QTest::newRow("the same place with no screen there")
            << QRect(-900, 100, 185, 247) << QList<QRect>{main} << QRect(0, 100, 185, 247);
        QTest::newRow("18 pixels of the title bar on the screen")
            << QRect(-167, 100, 185, 247) << QList<QRect>{main} << QRect(0, 100, 185, 247);
        QTest::newRow("title bar above the screen")
            << QRect(100, -300, 525, 437) << QList<QRect>{main} << QRect(100, 0, 525, 437);
        QTest::newRow("title bar half above the screen stays")
            << QRect(100, -10, 525, 437) << QList<QRect>{main} << QRect(100, -10, 525, 437);
        QTest::newRow("right of the screen")
            << QRect(1270, 100, 300, 200) << QList<QRect>{main} << QRect(980, 100, 300, 200);
        // A shorter screen on the left: the place above it shows on no screen.
        QTest::newRow("above a shorter screen beside the main one")
            << QRect(-900, 50, 185, 247) << QList<QRect>{main, QRect(-1280, 200, 1280, 824)}
            << QRect(-900, 200, 185, 247);
        QTest::newRow("larger than the screen")
            << QRect(-2000, -500, 3000, 1400) << QList<QRect>{main} << QRect(0, 0, 3000, 1400);
    }

    void pullTitleBarOntoScreens()
    {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, areas);
        QFETCH(QRect, pulled);
        QCOMPARE(PullTitleBarOntoScreens(frame, areas), pulled);
    }

    // A window not yet shown has no frame; fitted, the frame it will get fits the area (with
    // the frame left out, a place stored at 1x and read at 2x ended with its status line below
    // the screen).
    void fitFormToScreenUsesTheAvailableArea()
    {
        QWidget window;
        const QRect area = window.screen()->availableGeometry();
        window.setGeometry(area.x() + 5, area.y() + 5, area.width() + 10, area.height() + 30);
        FitFormToScreen(&window);
        const QSize framed = window.size().grownBy(kAssumedFrame);
        QCOMPARE(QRect(window.pos(), framed),
                 QRect(area.x() + area.width() - framed.width(), area.y() + 5,
                       area.width() + 10 + kAssumedFrame.left() + kAssumedFrame.right(),
                       area.height() - 20));

        // A window that cannot be as narrow as the area wants keeps its minimum width, and its
        // right edge comes back onto the area.
        QWidget wide;
        wide.setMinimumWidth(area.width() - 12);
        wide.setGeometry(area.x() + 300, area.y() + 5, area.width() + 40, 200);
        FitFormToScreen(&wide);
        QCOMPARE(wide.width(), area.width() - 12);
        QCOMPARE(wide.x() + wide.width() + kAssumedFrame.left() + kAssumedFrame.right(),
                 area.x() + area.width());
    }

    void textToReal()
    {
        QCOMPARE(TextToReal(QStringLiteral("  2.5")), 2.5);
        QCOMPARE(TextToReal(QStringLiteral("-1E3")), -1000.0);
        QCOMPARE(TextToReal(QStringLiteral("2,5")), 0.0);
        QCOMPARE(TextToReal(QStringLiteral("NAN")), 0.0);
        QCOMPARE(TextToReal(QString()), 0.0);
    }

    void dateTimeTexts()
    {
        const QDateTime afternoon(QDate(2024, 2, 29), QTime(13, 5, 0));
        QCOMPARE(DateTimeToText(afternoon), QStringLiteral("29.02.2024 13:05:00"));
        QCOMPARE(DateTimeToText(QDateTime(QDate(2024, 3, 1), QTime(0, 0))),
                 QStringLiteral("01.03.2024"));
        QCOMPARE(TextToDateTime(QStringLiteral("29.02.2024 13:05:00")), afternoon);
        QCOMPARE(TextToDateTime(QStringLiteral("29.2.2024 13:05")), afternoon);
        QCOMPARE(TextToDateTime(QStringLiteral("1.3.2024")),
                 QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
        for (const char* text : {"", "gestern", "30.02.2024", "2024-03-01"}) {
            const QDateTime now = TextToDateTime(QLatin1String(text));
            QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) < 120);
        }
    }

    void backupFileName()
    {
        QCOMPARE(BackupFileName("/p/Quorvel.ini"), QStringLiteral("/p/Quorvel.b01"));
        QCOMPARE(BackupFileName("/p.d/Quorvel"), QStringLiteral("/p.d/Quorvel.b01"));
        QCOMPARE(BackupFileName("a.b.ini"), QStringLiteral("a.b.b01"));
    }

    void exitWriteKeepsThePreviousFileAsBackup()
    {
        const QString folder = m_dir.filePath(QStringLiteral("backup"));
        QVERIFY(QDir().mkpath(folder));
        const QString ini = folder + "/Quorvel.ini";
        const QString b01 = folder + "/Quorvel.b01";

        // First exit: no settings file yet, so no backup either.
        QCOMPARE(ReplaceFileKeepingBackup(ini, "first"), QString());
        QCOMPARE(test::readAll(ini), QByteArray("first"));
        QVERIFY(!QFile::exists(b01));
        // Second exit: the first file is the backup now.
        QCOMPARE(ReplaceFileKeepingBackup(ini, "second"), QString());
        QCOMPARE(test::readAll(ini), QByteArray("second"));
        QCOMPARE(test::readAll(b01), QByteArray("first"));
        // Third exit: the older backup has gone to the trash.
        QCOMPARE(ReplaceFileKeepingBackup(ini, "third"), QString());
        QCOMPARE(test::readAll(ini), QByteArray("third"));
        QCOMPARE(test::readAll(b01), QByteArray("second"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"Quorvel.b01", "Quorvel.ini"}));
        const QString trash = m_dir.filePath(QStringLiteral("xdg/Trash/files"));
        if (QDir(trash).exists()) // where the system has no trash, the file was deleted
            QVERIFY(!QDir(trash).entryList({"Quorvel*.b01"}, QDir::Files).isEmpty());
    }

    // A home without its data folder (fresh accounts, build machines) must not get trash
    // folders in whatever directory the program was started from.
    void aMissingDataFolderPutsNoTrashIntoTheWorkingDirectory()
    {
        const QString folder = m_dir.filePath(QStringLiteral("nodata"));
        const QString work = m_dir.filePath(QStringLiteral("work"));
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(work));
        const QByteArray xdg = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("home/.local/share")).toLocal8Bit());
        const QString started = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work));
        const QString ini = folder + "/Quorvel.ini";
        for (const char* content : {"1", "2", "3"})
            QCOMPARE(ReplaceFileKeepingBackup(ini, content), QString());
        QDir::setCurrent(started);
        qputenv("XDG_DATA_HOME", xdg);
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(test::readAll(folder + "/Quorvel.b01"), QByteArray("2"));
    }

    void aFailedWriteMovesNothing()
    {
        const QString folder = m_dir.filePath(QStringLiteral("failing"));
        QVERIFY(QDir().mkpath(folder));
        const QString ini = folder + "/Quorvel.ini";
        QCOMPARE(ReplaceFileKeepingBackup(ini, "old"), QString());
        // A folder where the new file's temporary file cannot be created.
        const QString missing = folder + "/no such folder/Quorvel.ini";
        const QString error = ReplaceFileKeepingBackup(missing, "new");
        QVERIFY(error.startsWith(QStringLiteral("Die Einstellungen konnten nicht in «")));
        QVERIFY(error.contains(QStringLiteral("no such folder")));
        QCOMPARE(WriteFileAtomically(missing, "new").isEmpty(), false);
        QCOMPARE(test::readAll(ini), QByteArray("old"));
        QVERIFY(!QFile::exists(folder + "/Quorvel.b01"));
    }

    // A FIFO or a folder under the backup's name stays as it is; the settings are written.
    void aBackupThatIsNoRegularFileIsLeftAlone()
    {
        for (const char* kind : {"fifo", "folder"}) {
            const QString folder = m_dir.filePath(QLatin1String(kind));
            const QString b01 = folder + "/Quorvel.b01";
            QVERIFY(QDir().mkpath(kind == QLatin1String("fifo") ? folder : b01));
            if (kind == QLatin1String("fifo"))
                QCOMPARE(::mkfifo(QFile::encodeName(b01).constData(), 0600), 0);
            QVERIFY(test::writeAll(folder + "/Quorvel.ini", "old"));
            bool written = false;
            const QString error =
                ReplaceFileKeepingBackup(folder + "/Quorvel.ini", "new", &written);
            QVERIFY2(error.startsWith(QStringLiteral("Die Sicherung «")), qPrintable(error));
            QVERIFY(written);
            QCOMPARE(test::readAll(folder + "/Quorvel.ini"), QByteArray("new"));
            QCOMPARE(QFileInfo(b01).isDir(), kind == QLatin1String("folder"));
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                     QStringList({"Quorvel.b01", "Quorvel.ini"}));
        }
    }

    void updateFileWritesAtomically()
    {
        const QString path = m_dir.filePath(QStringLiteral("update.ini"));
        ComponentStore ini(path, ComponentStore::Start::Empty);
        ini.WriteString("Form1", "top", "1");
        QCOMPARE(ini.UpdateFile(), QString());
        QCOMPARE(test::readAll(path), QByteArray("[Form1]\r\ntop=1\r\n\r\n"));
        ini.WriteString("Form1", "top", "2");
        QCOMPARE(ini.UpdateFile(), QString());
        QCOMPARE(test::readAll(path), QByteArray("[Form1]\r\ntop=2\r\n\r\n"));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("update.b01"))));
        // Creating a store reads the file but never writes it.
        {
            ComponentStore reader(path);
            reader.WriteString("Form1", "top", "3");
        }
        QCOMPARE(test::readAll(path), QByteArray("[Form1]\r\ntop=2\r\n\r\n"));
    }

private:
    QTemporaryDir m_dir;
};

} // namespace quorvel

QTEST_MAIN(quorvel::StoreRoutinesTest)
#include "store_routines_test.moc"
