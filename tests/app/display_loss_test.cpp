// SPDX-License-Identifier: GPL-3.0-or-later
// The display killed under the program: the whole program life (RunQuorvel) runs in a child
// process on a display server of this test's own, X11 (Xvfb) or Wayland (weston, headless), and
// types into its page; right after the typing, within the second in which the records wait for
// the writer's next batch, the server is killed. The toolkit then ends the child without
// returning to it (exit(1) on X11, _exit(1) or abort() on Wayland); the next start must
// show every typed line. (The X11 case with real keys and a window manager is also in
// tests/e2e/abrupt_endings.sh.)
#include "tests/gui/worksheet/gui_test_support.h"

#include "app/program_life.h"
#include "app/settings_load_save.h"
#include "gui/files/program_dir.h"
#include "gui/worksheet/main_window.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <csignal>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QStringList kLines{QStringLiteral("d1 = 4m"), QStringLiteral("d2 = d1*3")};

// The child: the program on the display its environment names, typing once its window is up.
int runChild(int argc, char** argv, const QString& folder)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QTimer::singleShot(500, [folder] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* main = qobject_cast<MainWindow*>(window);
            if (!main)
                continue;
            // Enter as the keypad's "=" gives it: a headless compositor has no keyboard, and
            // the toolkit's Wayland input code does not expect key events without one.
            for (const QString& line : kLines) {
                main->CurrentEditor()->textCursor().insertText(line);
                main->MemoKeyPress(QLatin1Char('\r'));
            }
            QCoreApplication::processEvents(); // the records are made
            QFile marker(folder + QStringLiteral("/getippt"));
            marker.open(QIODevice::WriteOnly);
        }
    });
    return RunQuorvel(app, folder);
}

} // namespace

class DisplayLossTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Quorvel")); }

    void theTypedLinesSurviveTheDisplay_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::newRow("X11") << QStringLiteral("xcb");
        QTest::newRow("Wayland") << QStringLiteral("wayland");
    }

    void theTypedLinesSurviveTheDisplay()
    {
        QFETCH(QString, platform);
        const bool x11 = platform == QLatin1String("xcb");
        const QString server = QStandardPaths::findExecutable(x11 ? "Xvfb" : "weston");
        if (server.isEmpty())
            QSKIP("the display server is not installed");
        QTemporaryDir runtime;
        QTemporaryDir folder;
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("HOME"), runtime.path());
        QProcess display;
        display.setProcessEnvironment(environment);
        display.setProcessChannelMode(QProcess::MergedChannels);
        if (x11) {
            // A number away from the low ones that other servers on the machine take.
            QString number;
            do {
                number = QString::number(300 + QRandomGenerator::global()->bounded(600));
            } while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X") + number) ||
                     QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)));
            display.start(server, {QLatin1Char(':') + number, QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp")});
            environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + number);
            environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        } else {
            display.start(server, {QStringLiteral("--backend=headless-backend.so"),
                                   QStringLiteral("--socket=quorvel-test"),
                                   QStringLiteral("--idle-time=0")});
            environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("quorvel-test"));
            environment.remove(QStringLiteral("DISPLAY"));
        }
        QVERIFY(display.waitForStarted());
        const QString socket = x11 ? QStringLiteral("/tmp/.X11-unix/X") +
                                         environment.value(QStringLiteral("DISPLAY")).mid(1)
                                   : runtime.filePath(QStringLiteral("quorvel-test"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 30000);

        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), folder.path()});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath(QStringLiteral("getippt"))) ||
                                     child.state() == QProcess::NotRunning,
                                 60000);
        QVERIFY2(child.state() == QProcess::Running, "the program did not run on the display");
        ::kill(static_cast<pid_t>(display.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(30000));
        // Ended by the toolkit, not by an exit of its own: exit(1) on X11; on Wayland _exit(1)
        // or, in other versions of the toolkit, abort().
        QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() == 1);
        display.waitForFinished(5000);

        SetProgramDir(folder.path());
        {
            Windows w;
            const QStringList notes = LoadSettings(w);
            QVERIFY2(notes.value(0).contains(QStringLiteral("nicht ordnungsgem\u00E4\u00DF")),
                     qPrintable(notes.join(u'|')));
            QCOMPARE(pageLines(*w.memo1()).mid(0, 2),
                     QStringList({QStringLiteral("d1 = 4m"), QStringLiteral("d2 = d1*3 = 12m")}));
        }
        SetProgramDir(QString());
    }
};

int main(int argc, char** argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    DisplayLossTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "display_loss_test.moc"
