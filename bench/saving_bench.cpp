// SPDX-License-Identifier: GPL-3.0-or-later
// The event loop while the program saves continuously: worked sheets of 1,000 lines (small enough
// to be written whole when idle) and 10,000 lines, and a page of 1,000,000 short lines (the last
// two kept by their journals until the exit), each loaded as the program loads it, then typed
// into for 15 s as a user types: bursts of keys with Enter, and pauses in which the idle saves
// run. A 1 ms timer measures how long the event loop
// was kept from running; each key's delay from being sent to being handled is measured too. The
// same typing without continuous saving gives the baseline.
//
//   saving_bench            all three pages, with and without continuous saving
//   saving_bench --small    only the two sheets
//
// Figures: the window thread's part of each save step timed alone (µs, ms); then, while typing
// (ms), the longest pause of the event loop beyond its 1 ms timer, the 99.9th
// percentile of those pauses, and the longest delay of a key; the journal's size at the end (small
// when the idle saves wrote the page whole).
#include "app/continuous_saving.h"
#include "app/program_windows.h"
#include "app/settings_load_save.h"
#include "bench/bench_sheet.h"
#include "bench/qt_bench_main.h"
#include "gui/files/atomic_file.h"
#include "gui/files/page_journal.h"
#include "gui/files/program_dir.h"
#include "gui/rtf/writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QInputDevice>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int kTypingMs = 15000;
constexpr int kBurstMs = 2000;
constexpr int kPauseMs = 3000;
constexpr int kKeyMs = 60;

struct Figures
{
    double longestPause = 0;
    double pause999 = 0;
    double longestKey = 0;
    int keys = 0;
};

// Times how long each key waited before the page got it. The keys come from a thread of their
// own at the moments a user would press them, so a key that arrives while the window thread is
// busy waits, as a real one would.
class KeyClock : public QObject
{
public:
    std::vector<double> delays;
    std::mutex mutex;
    std::deque<qint64> sent; // when each key not yet handled was sent
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const std::lock_guard lock(mutex);
            if (!sent.empty()) {
                delays.push_back(static_cast<double>(clock.nsecsElapsed() - sent.front()) / 1e6);
                sent.pop_front();
            }
        }
        return false;
    }
};

Figures typeInto(quorvel::ProgramWindows& windows)
{
    QTextEdit& page = *windows.mainWindow.page(0);
    page.setFocus();
    page.moveCursor(QTextCursor::End);
    KeyClock keys;
    keys.clock.start();
    page.installEventFilter(&keys);

    std::vector<double> pauses;
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        pauses.push_back(std::max(0.0, static_cast<double>(now - last) / 1e6 - 1.0));
        last = now;
    });
    beat.start();

    // The keyboard device the key events name is made here, on the window thread it belongs to.
    (void)QInputDevice::primaryKeyboard();
    std::atomic<bool> typing{true};
    std::unique_ptr<QThread> typist(QThread::create([&] {
        const QString typed = QStringLiteral("y=2m*3");
        int k = 0;
        for (int slot = 0; typing; ++slot) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kKeyMs));
            if (slot * kKeyMs % (kBurstMs + kPauseMs) >= kBurstMs)
                continue; // a pause: the idle saves have their turn
            const bool enter = k % (typed.size() + 1) == typed.size();
            {
                const std::lock_guard lock(keys.mutex);
                keys.sent.push_back(keys.clock.nsecsElapsed());
            }
            QCoreApplication::postEvent(
                &page, enter ? new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier,
                                             QStringLiteral("\r"))
                             : new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier,
                                             QString(typed[k % (typed.size() + 1)])));
            ++k;
        }
    }));
    typist->start();
    QTimer::singleShot(kTypingMs, [] { QCoreApplication::quit(); });
    QApplication::exec();
    typing = false;
    typist->wait();
    QCoreApplication::processEvents();
    page.removeEventFilter(&keys);

    Figures figures;
    std::sort(pauses.begin(), pauses.end());
    figures.longestPause = pauses.empty() ? 0 : pauses.back();
    figures.pause999 = pauses.empty() ? 0 : pauses[pauses.size() * 999 / 1000];
    figures.longestKey =
        keys.delays.empty() ? 0 : *std::max_element(keys.delays.begin(), keys.delays.end());
    figures.keys = static_cast<int>(keys.delays.size());
    return figures;
}

bool preparePage(const QString& folder, int lines)
{
    QTextDocument doc;
    quorvel::ProgramWindows windows;
    doc.setDefaultFont(windows.mainWindow.page(0)->document()->defaultFont());
    if (lines <= 10000) {
        windows.mainWindow.page(0)->setPlainText(quorvel::bench::sheetText(lines));
        windows.mainWindow.RecalcSheet(); // results and red marks, as a worked sheet has them
        return quorvel::WriteFileReason(folder + QStringLiteral("/QV1.rtf"),
                                        quorvel::WriteRtf(*windows.mainWindow.page(0)->document()),
                                        quorvel::FileOwner::Program)
            .isEmpty();
    }
    QStringList text;
    text.reserve(lines);
    for (int i = 0; i < lines; ++i)
        text << QStringLiteral("x%1 = %2m").arg(i % 100).arg(i);
    doc.setPlainText(text.join(QLatin1Char('\n')));
    return quorvel::WriteFileReason(folder + QStringLiteral("/QV1.rtf"), quorvel::WriteRtf(doc),
                                    quorvel::FileOwner::Program)
        .isEmpty();
}

// The window thread's part of each save step, timed alone: a record of the line Enter rewrites
// (the last one), the settings' bytes, and a whole page (only pages that are written whole when
// idle). Median and longest of many runs, so that the machine's noise shows apart from the work.
void timeSteps(const QString& title, quorvel::ProgramWindows& windows)
{
    const QTextDocument& doc = *windows.mainWindow.page(0)->document();
    const auto time = [](int runs, const std::function<void()>& step) {
        std::vector<double> ms;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            step();
            ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        return std::make_pair(ms[ms.size() / 2], ms.back());
    };
    const QTextBlock last =
        doc.lastBlock().previous().isValid() ? doc.lastBlock().previous() : doc.lastBlock();
    const auto record = time(200, [&] {
        quorvel::JournalRecord r{
            last.position(), last.length(), quorvel::JournalLength(doc),
            quorvel::WriteRtfRange(doc, last.position(), last.position() + last.length())};
        (void)quorvel::EncodeJournalRecord(r);
    });
    const auto settings = time(200, [&] { (void)quorvel::SettingsBytes(windows); });
    std::printf("%-24s steps    record of a line %.0f \u00B5s (longest %.0f), settings %.0f "
                "\u00B5s (longest %.0f)",
                title.toLocal8Bit().constData(), record.first * 1000, record.second * 1000,
                settings.first * 1000, settings.second * 1000);
    if (quorvel::JournalLength(doc) <= quorvel::ContinuousSaving::kSnapshotChars) {
        const auto whole = time(20, [&] { (void)quorvel::WriteRtf(doc); });
        std::printf(", whole page %.1f ms (longest %.1f)", whole.first, whole.second);
    } else {
        std::printf(", whole page only at the exit (%d characters)", quorvel::JournalLength(doc));
    }
    std::printf("\n");
}

bool runPage(const QString& title, int lines)
{
    for (const bool saving : {true, false}) {
        QTemporaryDir folder;
        if (!folder.isValid() || !preparePage(folder.path(), lines)) {
            std::fprintf(stderr, "cannot prepare the page\n");
            return false;
        }
        quorvel::SetProgramDir(folder.path());
        Figures figures;
        qint64 journalBytes = 0;
        {
            quorvel::ProgramWindows windows;
            quorvel::LoadSettings(windows);
            windows.mainWindow.show();
            QCoreApplication::processEvents();
            quorvel::ContinuousSaving continuous(windows);
            if (saving)
                continuous.start();
            if (saving)
                timeSteps(title, windows);
            figures = typeInto(windows);
            continuous.flushMadeBytes();
            journalBytes = QFileInfo(folder.filePath(quorvel::JournalFileName(0))).size();
            continuous.finish();
        }
        quorvel::SetProgramDir(QString());
        std::printf("%-24s %-8s longest pause %7.1f ms, 99.9%% %6.1f ms, longest key %7.1f ms "
                    "(%d keys), journal %lld bytes at the end\n",
                    title.toLocal8Bit().constData(), saving ? "saving" : "off",
                    figures.longestPause, figures.pause999, figures.longestKey, figures.keys,
                    static_cast<long long>(journalBytes));
        std::fflush(stdout);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    quorvel::bench::UseOffscreenUnlessChosen();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    const bool smallOnly = argc > 1 && std::strcmp(argv[1], "--small") == 0;
    bool ok = runPage(QStringLiteral("1,000-line sheet"), 1000) &&
              runPage(QStringLiteral("10,000-line sheet"), 10000);
    if (ok && !smallOnly)
        ok = runPage(QStringLiteral("1,000,000 short lines"), 1000000);
    return ok ? 0 : 1;
}
