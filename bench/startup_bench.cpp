// Start-up and exit of the whole program with a 10,000-line page file: the real program life
// (RunQuorvel) runs in a child process against a prepared folder, so every figure includes
// loading the libraries, the settings file, the RTF page and the first paint.
//
//   startup_bench [--runs N]        prepares the folder, starts N children, prints the figures
//   startup_bench --child FOLDER    one program life; prints its time stamps
//   startup_bench --prepare FOLDER  only writes the folder, e.g. to profile one child
//
// Figures (milliseconds, wall clock, realtime clock shared by parent and child):
//   launch → shown   from starting the process to the first paint of the page
//   main → shown     the same from the child's main(), without process creation
//   exit → saved     from the end of the message loop to the files written (SaveSettings)
//   exit → gone      the same to the end of the process
#include "bench_sheet.h"
#include "platform/program_dir.h"
#include "program_settings.h"
#include "program_windows.h"
#include "qt_bench_main.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

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

// Ends the message loop once the page has been painted for the first time.
class FirstPaintWatch : public QObject
{
public:
    long long shown = 0;
    long long quit = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (shown == 0 && event->type() == QEvent::Paint && watched->parent() != nullptr &&
            watched->parent()->objectName() == QLatin1String("Memo1")) {
            shown = -1;
            // After the paint itself and whatever the first showing queued before it.
            QTimer::singleShot(0, this, [this] {
                shown = nowNs();
                quit = nowNs();
                QCoreApplication::quit();
            });
        }
        return false;
    }
};

int runChild(int argc, char** argv, const QString& folder)
{
    const long long mainEntry = nowNs();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    FirstPaintWatch watch;
    app.installEventFilter(&watch);
    quorvel::RunQuorvel(app, folder);
    const long long saved = nowNs();
    std::printf("main %lld\nshown %lld\nquit %lld\nsaved %lld\n", mainEntry, watch.shown,
                watch.quit, saved);
    return watch.shown > 0 ? 0 : 1;
}

bool prepareFolder(const QString& folder)
{
    quorvel::SetProgramDir(folder);
    quorvel::ProgramWindows windows;
    windows.form1.CurrentEditor()->setPlainText(quorvel::bench::sheetText(10000));
    windows.form1.RecalcSheet(); // results and red marks, as a worked sheet has them
    const bool ok = quorvel::SaveSettings(windows);
    quorvel::SetProgramDir(QString());
    return ok;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int runParent(int argc, char** argv, int runs)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() || !prepareFolder(folder.path())) {
        std::fprintf(stderr, "cannot prepare the program folder\n");
        return 1;
    }
    std::printf(
        "QV1.rtf: %lld bytes, 10000 lines; %d runs\n",
        static_cast<long long>(QFileInfo(folder.filePath(QStringLiteral("QV1.rtf"))).size()), runs);

    std::map<std::string, std::vector<double>> figures;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const long long launch = nowNs();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), folder.path()});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed\n", run);
            return 1;
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
    }
    std::printf("%-16s %9s %9s %9s\n", "ms", "min", "median", "max");
    for (const auto& [name, values] : figures)
        std::printf("%-16s %9.1f %9.1f %9.1f\n", name.c_str(),
                    *std::min_element(values.begin(), values.end()), median(values),
                    *std::max_element(values.begin(), values.end()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    quorvel::bench::UseOffscreenUnlessChosen();
    if (argc == 3 && std::string(argv[1]) == "--child")
        return runChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::string(argv[1]) == "--prepare") {
        QApplication app(argc, argv);
        return prepareFolder(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    int runs = 15;
    if (argc == 3 && std::string(argv[1]) == "--runs")
        runs = std::max(1, std::atoi(argv[2]));
    return runParent(argc, argv, runs);
}
