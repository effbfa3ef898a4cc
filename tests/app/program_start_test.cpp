// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start before its windows: the answers to --help and --version, the
// application's icon and number format, and the one running copy per program folder.
#include "program_start.h"
#include "single_instance.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace quorvel;

class ProgramStartTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void applicationIconAndNumbers();
    void aSecondClaimHandsOverAndBringsTheWindowToTheFront();
    void aLockOfACopyThatNoLongerRunsIsTakenOver();
};

void ProgramStartTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine"); // empty: the program starts
    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("--version") << QStringList{"--version"}
                               << QStringLiteral("Quorvel V" QUORVEL_VERSION);
    QTest::newRow("--help") << QStringList{"--help"}
                            << QStringLiteral("Quorvel V" QUORVEL_VERSION
                                              ", ein Rechenblatt f\u00FCr Formeln mit "
                                              "physikalischen Einheiten.");
    QTest::newRow("-h after a toolkit option")
        << QStringList{"-platform", "xcb", "-h"}
        << QStringLiteral("Quorvel V" QUORVEL_VERSION ", ein Rechenblatt "
                          "f\u00FCr Formeln mit "
                          "physikalischen Einheiten.");
}

void ProgramStartTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    QList<QByteArray> bytes{"quorvel"};
    for (const QString& a : arguments)
        bytes << a.toUtf8();
    QList<const char*> argv;
    for (const QByteArray& b : bytes)
        argv << b.constData();
    const auto answer = AnswerCommandLine(static_cast<int>(argv.size()), argv.constData());
    QCOMPARE(answer.has_value(), !firstLine.isEmpty());
    if (answer) {
        QCOMPARE(answer->exitCode, 0);
        QCOMPARE(QString::fromStdString(answer->text).section(QLatin1Char('\n'), 0, 0), firstLine);
        if (arguments.contains(QStringLiteral("--version")))
            QVERIFY(answer->text.find("\nLizenz: GPL-3.0-or-later") != std::string::npos);
        for (const QString& line : QString::fromStdString(answer->text).split(QLatin1Char('\n')))
            QVERIFY2(line.size() <= 80, qPrintable(line)); // a terminal's width
    }
}

void ProgramStartTest::applicationIconAndNumbers()
{
    PrepareApplication();
    QVERIFY(!QApplication::windowIcon().isNull());
    QWidget window;
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("quorvel"));
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral("."));
}

void ProgramStartTest::aSecondClaimHandsOverAndBringsTheWindowToTheFront()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    {
        SingleInstance first(folder.path());
        QCOMPARE(first.claim(), SingleInstance::Claim::Claimed);
        first.setWindow(&window);

        // The second start blocks while it asks, as a process of its own would; the first copy
        // answers from its event loop.
        SingleInstance second(folder.path() + QStringLiteral("/."));
        std::atomic<int> result{-1};
        std::thread start([&] { result = static_cast<int>(second.claim()); });
        QTRY_VERIFY_WITH_TIMEOUT(result >= 0, 15000);
        start.join();
        QCOMPARE(SingleInstance::Claim(result.load()), SingleInstance::Claim::HandedOver);
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }
    SingleInstance next(folder.path()); // the first copy has ended
    QCOMPARE(next.claim(), SingleInstance::Claim::Claimed);
}

void ProgramStartTest::aLockOfACopyThatNoLongerRunsIsTakenOver()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // A killed copy leaves its lock file behind, naming a process that is gone.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    QFile lock(folder.filePath(QStringLiteral("Quorvel.lock")));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\nquorvel\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    SingleInstance start(folder.path());
    QCOMPARE(start.claim(), SingleInstance::Claim::Claimed);
}

QTEST_MAIN(ProgramStartTest)
#include "program_start_test.moc"
