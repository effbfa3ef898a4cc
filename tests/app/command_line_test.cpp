// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start before its windows: the answers to --help and --version, the
// application's icon and number format, and the one running copy per program folder.
#include "app/command_line.h"
#include "app/program_life.h"
#include "app/single_instance.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <sys/stat.h>

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
    void aSecondClaimHandsOverItsToken();
    void bringToFrontShowsAHiddenOrMinimisedWindow();
    void tokenLine_data();
    void tokenLine();
    void aLockOfACopyThatNoLongerRunsIsTakenOver();
    void aFifoUnderTheLocksNameIsPutAside();
    void aLockThatNamesNoOwnerIsTakenOver();
};

void ProgramStartTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine"); // empty: the program starts
    QTest::addColumn<int>("exitCode");
    QTest::newRow("none") << QStringList{} << QString() << 0;
    QTest::newRow("toolkit options")
        << QStringList{"-platform", "xcb", "-style=fusion", "--reverse"} << QString() << 0;
    QTest::newRow("--version") << QStringList{"--version"}
                               << QStringLiteral("Quorvel V" QUORVEL_VERSION) << 0;
    QTest::newRow("--help") << QStringList{"--help"}
                            << QStringLiteral("Quorvel V" QUORVEL_VERSION
                                              ", ein Rechenblatt f\u00FCr Formeln mit "
                                              "physikalischen Einheiten.")
                            << 0;
    QTest::newRow("-h after a toolkit option")
        << QStringList{"-platform", "xcb", "-h"}
        << QStringLiteral("Quorvel V" QUORVEL_VERSION ", ein Rechenblatt "
                          "f\u00FCr Formeln mit "
                          "physikalischen Einheiten.")
        << 0;
    // Usage errors, on standard error, as quorvel-calc answers them.
    QTest::newRow("--bogus") << QStringList{"--bogus"}
                             << QStringLiteral("quorvel: unbekannte Option \u201E--bogus\u201C")
                             << 2;
    QTest::newRow("-v after a toolkit option")
        << QStringList{"-platform", "offscreen", "-v"}
        << QStringLiteral("quorvel: unbekannte Option \u201E-v\u201C") << 2;
    QTest::newRow("a file") << QStringList{"statik.rtf"}
                            << QStringLiteral(
                                   "quorvel: unerwartetes Argument \u201Estatik.rtf\u201C")
                            << 2;
}

void ProgramStartTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    QFETCH(int, exitCode);
    QList<QByteArray> bytes{"quorvel"};
    for (const QString& a : arguments)
        bytes << a.toUtf8();
    QList<const char*> argv;
    for (const QByteArray& b : bytes)
        argv << b.constData();
    const auto answer = AnswerCommandLine(static_cast<int>(argv.size()), argv.constData());
    QCOMPARE(answer.has_value(), !firstLine.isEmpty());
    if (answer) {
        QCOMPARE(answer->exitCode, exitCode);
        // An answer goes to standard output, a usage error to standard error.
        const std::string& text = exitCode == 0 ? answer->text : answer->errorText;
        QVERIFY((exitCode == 0 ? answer->errorText : answer->text).empty());
        QCOMPARE(QString::fromStdString(text).section(QLatin1Char('\n'), 0, 0), firstLine);
        if (arguments.contains(QStringLiteral("--version")))
            QVERIFY(answer->text.find("\nLizenz: GPL-3.0-or-later") != std::string::npos);
        for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n')))
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

void ProgramStartTest::aSecondClaimHandsOverItsToken()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    {
        SingleInstance first(folder.path());
        QCOMPARE(first.claim(), SingleInstance::Claim::Claimed);
        QList<ActivationToken> requests;
        first.setFrontRequestHandler([&](const ActivationToken& token) { requests << token; });

        // The second start blocks while it asks, as a process of its own would; the first copy
        // answers from its event loop.
        SingleInstance second(folder.path() + QStringLiteral("/."));
        std::atomic<int> result{-1};
        std::thread start([&] {
            result = static_cast<int>(second.claim({"wl-token 1", "id_TIME42"}));
        });
        QTRY_VERIFY_WITH_TIMEOUT(result >= 0, 15000);
        start.join();
        QCOMPARE(SingleInstance::Claim(result.load()), SingleInstance::Claim::HandedOver);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].xdgActivationToken, QByteArray("wl-token 1"));
        QCOMPARE(requests[0].startupId, QByteArray("id_TIME42"));
    }
    SingleInstance next(folder.path()); // the first copy has ended
    QCOMPARE(next.claim(), SingleInstance::Claim::Claimed);
}

void ProgramStartTest::bringToFrontShowsAHiddenOrMinimisedWindow()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    BringToFront(window, {});
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
    window.hide();
    BringToFront(window, {});
    QVERIFY(window.isVisible());
}

void ProgramStartTest::tokenLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<QByteArray>("startup");
    const ActivationToken both{"a b\n", "x_TIME1"};
    QTest::newRow("both tokens") << both.toLine() << both.xdgActivationToken << both.startupId;
    QTest::newRow("none") << ActivationToken{}.toLine() << QByteArray() << QByteArray();
    QTest::newRow("an older start's empty line") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("damaged") << QByteArray("vorn !!! x") << QByteArray() << QByteArray();
}

void ProgramStartTest::tokenLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, xdg);
    QFETCH(QByteArray, startup);
    QVERIFY(!line.contains('\n'));
    const ActivationToken token = ActivationToken::fromLine(line);
    QCOMPARE(token.xdgActivationToken, xdg);
    QCOMPARE(token.startupId, startup);
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

// The lock reads what stands under its name; a FIFO there held the start for ever.
void ProgramStartTest::aFifoUnderTheLocksNameIsPutAside()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString lock = folder.filePath(QStringLiteral("Quorvel.lock"));
    QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
    SingleInstance start(folder.path());
    QCOMPARE(start.claim(), SingleInstance::Claim::Claimed);
    QVERIFY2(start.note().contains(QStringLiteral("«Quorvel.lock.unlesbar»")),
             qPrintable(start.note()));
    struct stat kept
    {
    };
    QCOMPARE(::lstat(QFile::encodeName(lock + QStringLiteral(".unlesbar")).constData(), &kept), 0);
    QVERIFY(S_ISFIFO(kept.st_mode));
    QVERIFY(QFileInfo(lock).isFile()); // the lock of this copy
}

// A crash or a full disk can leave the lock empty: it kept every later start out.
void ProgramStartTest::aLockThatNamesNoOwnerIsTakenOver()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QByteArray& bytes : {QByteArray(), QByteArray("hello\n")}) {
        QFile lock(folder.filePath(QStringLiteral("Quorvel.lock")));
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(bytes);
        lock.close();
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
        lock.close();
        SingleInstance start(folder.path());
        QCOMPARE(start.claim(), SingleInstance::Claim::Claimed);
    }
}

QTEST_MAIN(ProgramStartTest)
#include "command_line_test.moc"
