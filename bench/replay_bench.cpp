// SPDX-License-Identifier: GPL-3.0-or-later
// The start after an abnormal end with a long journal: a page of short lines typed one by one
// and never written whole (1,000,000 records, about 180 MB, by default), replayed as the program
// does it. Figures: the start until the window is shown, the replay in slices after it with the
// longest pause of the event loop meanwhile, and the peak memory against the journal's size.
//
//   replay_bench [RECORDS]
#include "app/page_recovery.h"
#include "app/program_windows.h"
#include "app/settings_load_save.h"
#include "bench/qt_bench_main.h"
#include "gui/files/page_journal.h"
#include "gui/files/program_dir.h"
#include "gui/rtf/writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The journal of a page that had `records` lines typed into it, each its own record.
bool writeJournal(const QString& path, long records, const QFont& font)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(quorvel::JournalHeader(quorvel::JournalBaseOf({})));
    QTextDocument line;
    line.setDefaultFont(font);
    line.setPlainText(QStringLiteral("x = 1m\n"));
    const QByteArray rtf = quorvel::WriteRtfRange(line, 0, 7);
    std::int64_t length = 0;
    for (long k = 0; k < records; ++k) {
        file.write(quorvel::EncodeJournalRecord({length, 0, length + 7, rtf}));
        length += 7;
    }
    return file.error() == QFile::NoError;
}

} // namespace

int main(int argc, char** argv)
{
    quorvel::bench::UseOffscreenUnlessChosen();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    QTemporaryDir folder;
    quorvel::SetProgramDir(folder.path());
    const QString journal = folder.filePath(quorvel::JournalFileName(0));
    {
        quorvel::ProgramWindows fonts;
        if (!writeJournal(journal, records, fonts.mainWindow.page(0)->document()->defaultFont()))
            return 1;
    }
    const long before = peakKilobytes();

    QElapsedTimer clock;
    clock.start();
    quorvel::ProgramWindows windows;
    std::vector<std::unique_ptr<quorvel::JournalReplay>> later;
    quorvel::LoadSettings(windows, &later);
    windows.mainWindow.show();
    QCoreApplication::processEvents();
    const double shown = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    double longestPause = 0;
    QElapsedTimer tick;
    tick.start();
    QTimer pulse;
    pulse.setInterval(1);
    QObject::connect(&pulse, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, static_cast<double>(tick.nsecsElapsed()) / 1e6 - 1);
        tick.restart();
    });
    pulse.start();
    bool done = false;
    quorvel::LateReplays replays(windows, std::move(later),
                                 [&](int, bool, const QStringList&) { done = true; });
    clock.restart();
    replays.start();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double replayed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const long chars = quorvel::JournalLength(*windows.mainWindow.page(0)->document());
    std::printf("%ld records, journal %.1f MB: window shown after %.1f ms, replay %.1f s "
                "(%ld characters), longest pause of the event loop %.1f ms; peak memory %.1f MB "
                "(%.1f MB before the start)\n",
                records, static_cast<double>(QFile(journal).size()) / 1e6, shown, replayed / 1e3,
                chars, longestPause, static_cast<double>(peakKilobytes()) / 1e3,
                static_cast<double>(before) / 1e3);
    quorvel::SetProgramDir(QString());
    return chars == records * 7 ? 0 : 1;
}
