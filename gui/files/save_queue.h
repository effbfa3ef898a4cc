// SPDX-License-Identifier: GPL-3.0-or-later
// The one thread that writes while the user works: the pages' journal records, fresh page files
// and the settings file. The window thread only hands over bytes it has made and never waits
// for the disk. Records are written and synced in batches about once a second (group commit),
// so a crash or a power cut loses at most the last batch; an exit hook or a fatal message can
// have the made bytes written at once (flushNow).
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvel {

class SaveQueue
{
public:
    // What went wrong with a channel (a page index, or a file job's channel), or an empty text
    // once it works again. Called on the writer thread.
    using Report = std::function<void(int channel, const QString& problem)>;

    explicit SaveQueue(Report report,
                       std::chrono::milliseconds commitInterval = std::chrono::seconds(1));
    ~SaveQueue(); // finish()
    SaveQueue(const SaveQueue&) = delete;
    SaveQueue& operator=(const SaveQueue&) = delete;

    // The journal of page `page` from now on: its base is the page file as it is on the disk.
    // A journal that belongs to that page file keeps its records (they are not in the page
    // file yet) and is continued; any other journal is started afresh. A page file that is not
    // a regular file gets no journal.
    void startJournal(int page, const QString& pagePath, const QString& journalPath);
    // A record (EncodeJournalRecord) for the journal of the page.
    void append(int page, QByteArray record);
    // A fresh page file with this RTF; once it is on the disk the journal starts again from it.
    // Records appended before it are part of it.
    void replacePage(int page, QByteArray rtf);
    // Runs a file write on the writer thread; it returns the problem or an empty text. A job
    // not yet started is dropped for a newer one of the same channel.
    void writeFile(int channel, std::function<QString()> job);

    // Writes whatever was handed over, from any thread but the writer's, and waits for it at
    // most `limit`. For exit hooks and fatal messages: touches nothing but this queue.
    void flushNow(std::chrono::milliseconds limit) noexcept;
    // flushNow without a limit that matters, then the thread ends. Nothing is queued after it.
    void finish();

private:
    struct Job
    {
        enum class Kind { Start, Append, Replace, File } kind;
        int channel = 0;
        QByteArray bytes;
        QString pagePath;
        QString journalPath;
        std::function<QString()> file;
    };
    struct Journal
    {
        enum class State { None, Open, Retry } state = State::None;
        QString pagePath;
        QString journalPath;
        int fd = -1;
        qint64 goodLength = 0;  // bytes of the journal known to be on the disk
        QByteArray unwritten;   // records handed over and not yet on the disk
        QByteArray pendingPage; // a page file still to be written
        bool pageWanted = false;
        QString reported;
    };

    void push(Job job);
    void run();
    void process(std::vector<Job>& jobs);
    void start(Journal& journal);
    void writePage(int page, Journal& journal);
    void writeRecords(int page, Journal& journal);
    void closeJournal(Journal& journal);
    void report(int channel, QString& reported, const QString& problem);

    Report m_report;
    const std::chrono::milliseconds m_interval;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_flush = false;
    bool m_stop = false;
    std::vector<QString> m_fileReported;
    Journal m_journals[2];
    std::thread m_thread;
};

} // namespace quorvel
