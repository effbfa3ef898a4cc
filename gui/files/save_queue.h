// SPDX-License-Identifier: GPL-3.0-or-later
// The one thread that writes while the user works: the pages' journal records, fresh page files
// and the settings file. The window thread only hands over bytes it has made and never waits
// for the disk. Records are written and synced in batches about once a second (group commit),
// so a crash or a power cut loses at most the last batch; an exit hook or a fatal message can
// have the made bytes written at once (flushNow).
//
// Nothing to write means no wake-up: the thread sleeps until a job comes. What failed is tried
// again after a pause that doubles up to a minute, and each file's problem is reported once,
// when it starts and when it ends.
#pragma once

#include "gui/files/page_journal.h"

#include <QByteArray>
#include <QFont>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace quorvel {

// The two pages, as the journals know them.
enum class PageSlot : int { Calculation = 0, Notes = 1 };
inline constexpr PageSlot kPageSlots[] = {PageSlot::Calculation, PageSlot::Notes};

class SaveQueue
{
public:
    // What went wrong with a file (its path), or an empty text once it works again. Called on
    // the writer thread.
    using Report = std::function<void(const QString& file, const QString& problem)>;

    // The system calls that can fail under a full or failing disk, replaceable in tests.
    struct SystemCalls
    {
        ssize_t (*write)(int, const void*, size_t);
        int (*ftruncate)(int, off_t);
        int (*fdatasync)(int);
    };
    static const SystemCalls kRealCalls;

    explicit SaveQueue(Report report,
                       std::chrono::milliseconds commitInterval = std::chrono::seconds(1),
                       const SystemCalls& calls = kRealCalls);
    ~SaveQueue(); // finish()
    SaveQueue(const SaveQueue&) = delete;
    SaveQueue& operator=(const SaveQueue&) = delete;

    // The journal of the page from now on: its base is the page file as it is on the disk. A
    // journal that belongs to that page file keeps its records (they are not in the page file
    // yet) and is continued; any other journal is started afresh. When baseLength is not
    // negative (the page's length as the journal counts it), a fresh journal begins with the
    // page file as a whole-page record, so that it can be replayed without its page file.
    // The page's font is what its RTF is written with when a long journal is rewritten.
    void startJournal(PageSlot page, const QString& pagePath, const QString& journalPath,
                      std::int64_t baseLength, const QFont& font);
    // A record (EncodeJournalRecord) for the journal of the page.
    void append(PageSlot page, QByteArray record);
    // A fresh page file with this RTF; once it is on the disk the journal starts again from it,
    // with the page as its first record when baseLength is not negative. Records appended before
    // it are part of it.
    void replacePage(PageSlot page, QByteArray rtf, std::int64_t baseLength);
    // Runs a file write on the writer thread; it returns the problem or an empty text, which is
    // reported for `file`. A job not yet started is dropped for a newer one of the same file.
    void writeFile(const QString& file, std::function<QString()> job);

    // Writes whatever was handed over, from any thread but the writer's, failed writes included,
    // and waits for it at most `limit`. For exit hooks and fatal messages: touches nothing but
    // this queue.
    void flushNow(std::chrono::milliseconds limit) noexcept;
    // flushNow without a limit that matters, then the thread ends; a journal whose page file
    // holds all of it is removed. Nothing is queued after it.
    void finish();

    // The problems as they stand, by file; empty when everything is on the disk.
    std::map<QString, QString> problems() const;
    // Whether every record handed over is on the disk (and nothing waits to be tried again).
    bool allWritten() const;

    // A long page's journal is rewritten from a whole-page record once it grows past this many
    // times its page file (and past kCompactMinimum bytes), so that it stays a few times the
    // page's size however long the session.
    static constexpr int kCompactFactor = 3;
    static constexpr qint64 kCompactMinimum = qint64{4} << 20;

private:
    struct Job
    {
        enum class Kind { Start, Append, Replace, File, Compacted };
        explicit Job(Kind k, PageSlot p = PageSlot::Calculation) : kind(k), page(p) {}
        Kind kind;
        PageSlot page;
        QByteArray bytes;
        QString pagePath;
        QString journalPath;
        std::int64_t length = -1;
        std::uint64_t generation = 0;
        qint64 upTo = 0;
        std::function<QString()> file;
        QFont font;
    };
    struct Journal
    {
        enum class State { None, Open, Retry } state = State::None;
        QString pagePath;
        QString journalPath;
        int fd = -1;
        qint64 goodLength = 0; // bytes of the journal known to be on the disk
        qint64 baseEnd = 0;    // the header and the page's own first record, if any
        qint64 pageSize = 0;   // of the page file that is the base
        QByteArray unwritten;  // records handed over and not yet on the disk
        std::int64_t baseLength = -1;
        QFont font;
        JournalBase base;
        // Whether everything up to baseEnd is the page file itself: then a journal with nothing
        // after it is not needed once the session ends.
        bool baseIsPageFile = false;
        bool writeFailed = false;
        std::uint64_t generation = 0; // counts the starts, so that a late rewrite is dropped
        bool compacting = false;
        qint64 compactAfter = 0;
        std::thread compactor;
    };
    using Clock = std::chrono::steady_clock;

    void push(Job job);
    void run();
    void process(std::vector<Job>& jobs);
    bool needsRetry() const;
    void start(Journal& journal);
    bool writePage(Journal& journal, const QByteArray& rtf, std::int64_t length);
    bool writeRecords(Journal& journal);
    void compactIfLong(Journal& journal);
    void takeCompacted(Journal& journal, const Job& job);
    void closeJournal(Journal& journal);
    void removeIfHeldByPage(Journal& journal);
    void report(const QString& file, const QString& problem);
    Journal& journalOf(PageSlot page) { return m_journals[static_cast<int>(page)]; }

    Report m_report;
    const std::chrono::milliseconds m_interval;
    const SystemCalls m_calls;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_flush = false;
    bool m_stop = false;
    // Shared with the window thread under m_mutex.
    std::map<QString, QString> m_problems;
    bool m_pendingRetry = false;
    // The writer thread's own.
    std::chrono::milliseconds m_backoff{0};
    bool m_failing = false;
    Clock::time_point m_nextRetry;
    std::map<QString, std::function<QString()>> m_failedFiles;
    Journal m_journals[2];
    std::atomic<bool> m_cancelCompaction{false};
    std::thread m_thread;
};

} // namespace quorvel
