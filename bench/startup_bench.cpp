// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and exit of the whole program with a long page file: the real program life
// (RunQuorvel) runs in a child process against a prepared folder, so every figure includes
// loading the libraries, the settings file, the RTF page and the first paint.
//
//   startup_bench [--runs N]        the 10,000-line worked sheet: start, then the window closes
//   startup_bench --big [--runs N]  pages of 1,000,000 short lines and of 1,000,000 empty lines:
//                                   start, then Ctrl+End, a typed character and closing, the way
//                                   a user reaches the end of a long page and leaves
//   startup_bench --line [--runs N] the same with a page that is one line of 50,000,000 characters
//   startup_bench --diagrams [--runs N]  a report of 20 diagrams of 1,000 points each, and the
//                                   same lines without the diagrams: start, then closing
//   startup_bench --child FOLDER [--end]   one program life; prints its time stamps
//   startup_bench --prepare FOLDER [short|empty|line]   only writes the folder, e.g. to profile
//                                   a child
//
// Figures (milliseconds, wall clock, realtime clock shared by parent and child):
//   launch → shown   from starting the process to the first paint of the page
//   main → shown     the same from the child's main(), without process creation
//   exit → saved     from the end of the message loop to the files written (SaveSettings)
//   exit → gone      the same to the end of the process
//   end → gone       (--big, --line) from Ctrl+End, 3 s after the first paint, to the end of the
//                    process
//   peak MB          (--big, --line) the child's peak resident memory
#include "app/program_life.h"
#include "app/program_windows.h"
#include "app/settings_load_save.h"
#include "bench/bench_diagrams.h"
#include "bench/bench_sheet.h"
#include "bench/qt_bench_main.h"
#include "gui/files/atomic_file.h"
#include "gui/files/program_dir.h"
#include "gui/rtf/writer.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

long long nowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

// How long the user looks at a big page before Ctrl+End: long enough for a background layout of
// the page to get far into it, which is where the page once stopped answering.
constexpr int kLookAtThePageMs = 3000;

// Once the page has been painted for the first time: ends the message loop, or (goToEnd)
// sends Ctrl+End and a character to the page and closes the window, as posted events that
// wait their turn in the message loop like a user's keys do.
class FirstPaintWatch : public QObject
{
public:
    bool goToEnd = false;
    long long shown = 0;
    long long quit = 0;
    long long end = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (shown == 0 && event->type() == QEvent::Paint && watched->parent() != nullptr &&
            watched->parent()->objectName() == QLatin1String("Memo1")) {
            shown = -1;
            QObject* page = watched->parent();
            // After the paint itself and whatever the first showing queued before it.
            QTimer::singleShot(0, this, [this, page] {
                shown = nowNs();
                if (!goToEnd) {
                    quit = nowNs();
                    QCoreApplication::quit();
                    return;
                }
                QTimer::singleShot(kLookAtThePageMs, this, [this, page] { goToTheEnd(page); });
            });
        }
        return false;
    }

private:
    void goToTheEnd(QObject* page)
    {
        end = nowNs();
        QCoreApplication::postEvent(
            page, new QKeyEvent(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier));
        QCoreApplication::postEvent(
            page, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
        QWidget* window = qobject_cast<QWidget*>(page)->window();
        QMetaObject::invokeMethod(
            window,
            [this, window] {
                quit = nowNs();
                window->close();
            },
            Qt::QueuedConnection);
    }
};

int runChild(int argc, char** argv, const QString& folder, bool goToEnd)
{
    const long long mainEntry = nowNs();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    FirstPaintWatch watch;
    watch.goToEnd = goToEnd;
    app.installEventFilter(&watch);
    quorvel::RunQuorvel(app, folder);
    const long long saved = nowNs();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("main %lld\nshown %lld\nquit %lld\nsaved %lld\nend %lld\npeakkb %ld\n", mainEntry,
                watch.shown, watch.quit, saved, watch.end, usage.ru_maxrss);
    return watch.shown > 0 ? 0 : 1;
}

enum class Page { Sheet, Short, Empty, Line, Diagrams, DiagramLines };
constexpr int kBigLines = 1000000;
constexpr int kLineChars = 50000000;
constexpr int kDiagrams = 20;

// The settings and both pages as the program leaves them. A big page is written straight as
// RTF, in the page's default font, so that preparing it lays nothing out.
bool prepareFolder(const QString& folder, Page kind)
{
    QApplication::setApplicationName(QStringLiteral("Quorvel")); // the child's settings file
    quorvel::SetProgramDir(folder);
    bool ok = false;
    {
        quorvel::ProgramWindows windows;
        if (kind == Page::Diagrams || kind == Page::DiagramLines) {
            windows.mainWindow.CurrentEditor()->setPlainText(
                quorvel::bench::diagramSheetText(kDiagrams));
            if (kind == Page::Diagrams)
                quorvel::bench::insertDiagrams(windows.mainWindow, kDiagrams, 1000);
            else
                windows.mainWindow.RecalcSheet();
        } else {
            windows.mainWindow.CurrentEditor()->setPlainText(quorvel::bench::sheetText(10000));
            windows.mainWindow.RecalcSheet(); // results and red marks, as a worked sheet has them
        }
        ok = quorvel::SaveSettings(windows).isEmpty();
        if (ok && (kind == Page::Short || kind == Page::Empty || kind == Page::Line)) {
            QTextDocument big;
            big.setDefaultFont(windows.mainWindow.page(0)->document()->defaultFont());
            if (kind == Page::Line) {
                // Digits and letters without a paragraph break: one line in the page.
                const QString piece = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz");
                QString line;
                line.reserve(kLineChars);
                while (line.size() < kLineChars)
                    line += piece;
                line.truncate(kLineChars);
                big.setPlainText(line);
            } else {
                QStringList lines;
                lines.reserve(kBigLines);
                for (int i = 0; i < kBigLines; ++i)
                    lines << (kind == Page::Empty
                                  ? QString()
                                  : QStringLiteral("x%1 = %2m").arg(i % 100).arg(i));
                big.setPlainText(lines.join(QLatin1Char('\n')));
            }
            ok = quorvel::WriteFileReason(folder + QLatin1Char('/') + quorvel::PageFileName(0),
                                          quorvel::WriteRtf(big), quorvel::FileOwner::Program)
                     .isEmpty();
        }
    }
    quorvel::SetProgramDir(QString());
    return ok;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the children on one prepared folder and prints the medians of their figures.
bool runSeries(const QString& title, Page kind, int runs)
{
    QTemporaryDir folder;
    // Prepared in a process of its own: a child's peak memory counts its parent's from before
    // the exec, and the parent stays small.
    const char* kinds[] = {"sheet", "short", "empty", "line", "diagrams", "diagramlines"};
    if (!folder.isValid() ||
        QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--prepare"), folder.path(),
                           QString::fromLatin1(kinds[static_cast<int>(kind)])}) != 0) {
        std::fprintf(stderr, "cannot prepare the program folder\n");
        return false;
    }
    const bool goToEnd = kind == Page::Short || kind == Page::Empty || kind == Page::Line;
    std::printf("\n%s: QV1.rtf %lld bytes; %d runs\n", title.toLocal8Bit().constData(),
                static_cast<long long>(QFileInfo(folder.filePath(quorvel::PageFileName(0))).size()),
                runs);

    std::map<std::string, std::vector<double>> figures;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const long long launch = nowNs();
        QStringList arguments{QStringLiteral("--child"), folder.path()};
        if (goToEnd)
            arguments << QStringLiteral("--end");
        child.start(QCoreApplication::applicationFilePath(), arguments);
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed\n", run);
            return false;
        }
        const long long gone = nowNs();
        std::map<QString, long long> stamp;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                stamp[QString::fromLatin1(parts[0])] = parts[1].toLongLong();
        }
        const auto ms = [](long long from, long long to) {
            return static_cast<double>(to - from) / 1e6;
        };
        figures["launch -> shown"].push_back(ms(launch, stamp["shown"]));
        figures["main -> shown"].push_back(ms(stamp["main"], stamp["shown"]));
        figures["exit -> saved"].push_back(ms(stamp["quit"], stamp["saved"]));
        figures["exit -> gone"].push_back(ms(stamp["quit"], gone));
        if (goToEnd) {
            figures["end -> gone"].push_back(ms(stamp["end"], gone));
            figures["peak MB"].push_back(static_cast<double>(stamp["peakkb"]) / 1024.0);
        }
    }
    std::printf("%-16s %9s %9s %9s\n", "ms", "min", "median", "max");
    for (const auto& [name, values] : figures)
        std::printf("%-16s %9.1f %9.1f %9.1f\n", name.c_str(),
                    *std::min_element(values.begin(), values.end()), median(values),
                    *std::max_element(values.begin(), values.end()));
    return true;
}

int runParent(int argc, char** argv, Page kind, int runs)
{
    QApplication app(argc, argv);
    bool ok = false;
    if (kind == Page::Short)
        ok = runSeries(QStringLiteral("1,000,000 short lines"), Page::Short, runs) &&
             runSeries(QStringLiteral("1,000,000 empty lines"), Page::Empty, runs);
    else if (kind == Page::Line)
        ok = runSeries(QStringLiteral("one line of 50,000,000 characters"), Page::Line, runs);
    else if (kind == Page::Diagrams)
        ok = runSeries(QStringLiteral("20 diagrams of 1,000 points"), Page::Diagrams, runs) &&
             runSeries(QStringLiteral("their lines alone"), Page::DiagramLines, runs);
    else
        ok = runSeries(QStringLiteral("10,000-line sheet"), Page::Sheet, runs);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    quorvel::bench::UseOffscreenUnlessChosen();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto has = [&args](std::size_t k, const char* word) {
        return args.size() > k && args[k] == word;
    };
    if (has(0, "--child") && args.size() >= 2)
        return runChild(argc, argv, QString::fromLocal8Bit(argv[2]), has(2, "--end"));
    if (has(0, "--prepare") && args.size() >= 2) {
        QApplication app(argc, argv);
        const Page kind = has(2, "short")          ? Page::Short
                          : has(2, "empty")        ? Page::Empty
                          : has(2, "line")         ? Page::Line
                          : has(2, "diagrams")     ? Page::Diagrams
                          : has(2, "diagramlines") ? Page::DiagramLines
                                                   : Page::Sheet;
        return prepareFolder(QString::fromLocal8Bit(argv[2]), kind) ? 0 : 1;
    }
    const Page kind = has(0, "--big")        ? Page::Short
                      : has(0, "--line")     ? Page::Line
                      : has(0, "--diagrams") ? Page::Diagrams
                                             : Page::Sheet;
    const std::size_t at = kind == Page::Sheet ? 0 : 1;
    int runs = kind == Page::Sheet || kind == Page::Diagrams ? 15 : 3;
    if (has(at, "--runs") && args.size() > at + 1)
        runs = std::max(1, std::atoi(args[at + 1].c_str()));
    return runParent(argc, argv, kind, runs);
}
