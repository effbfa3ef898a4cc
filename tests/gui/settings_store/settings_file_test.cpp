// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: its name in the program folder, its backup and atomic write, and the texts
// of numbers and dates in it.
#include "gui/settings_store/component_store.h"
#include "gui/settings_store/setting_texts.h"
#include "gui/settings_store/settings_file.h"

#include "gui/files/program_dir.h"
#include "tests/gui/settings_store/test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace quorvel {

class SettingsFileTest : public QObject
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

QTEST_MAIN(quorvel::SettingsFileTest)
#include "settings_file_test.moc"
