// SPDX-License-Identifier: GPL-3.0-or-later
// The writer thread. It owns the journals' file descriptors; everything else it gets as bytes
// through the queue, so it never touches a document or a window.
#include "files/save_queue.h"

#include "files/atomic_file.h"
#include "files/page_journal.h"
#include "files/regular_file.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel {
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

SaveQueue::SaveQueue(Report report, std::chrono::milliseconds commitInterval)
    : m_report(std::move(report)), m_interval(commitInterval)
{
    m_thread = std::thread([this] { run(); });
}

SaveQueue::~SaveQueue()
{
    finish();
}

void SaveQueue::startJournal(int page, const QString& pagePath, const QString& journalPath)
{
    push({Job::Kind::Start, page, {}, pagePath, journalPath, {}});
}

void SaveQueue::append(int page, QByteArray record)
{
    push({Job::Kind::Append, page, std::move(record), {}, {}, {}});
}

void SaveQueue::replacePage(int page, QByteArray rtf)
{
    push({Job::Kind::Replace, page, std::move(rtf), {}, {}, {}});
}

void SaveQueue::writeFile(int channel, std::function<QString()> job)
{
    push({Job::Kind::File, channel, {}, {}, {}, std::move(job)});
}

void SaveQueue::push(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        if (job.kind == Job::Kind::File) {
            std::erase_if(m_jobs, [&](const Job& queued) {
                return queued.kind == Job::Kind::File && queued.channel == job.channel;
            });
        }
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void SaveQueue::flushNow(std::chrono::milliseconds limit) noexcept
{
    try {
        if (std::this_thread::get_id() == m_thread.get_id())
            return;
        std::unique_lock lock(m_mutex);
        m_flush = true;
        m_wake.notify_all();
        m_done.wait_for(lock, limit, [this] { return m_jobs.empty() && !m_busy; });
    } catch (...) {
        // An exit hook has nothing better to do than to let the exit go on.
    }
}

void SaveQueue::finish()
{
    if (!m_thread.joinable())
        return;
    flushNow(std::chrono::hours(1));
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SaveQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        const bool retry =
            std::any_of(std::begin(m_journals), std::end(m_journals), [](const Journal& journal) {
                return journal.state == Journal::State::Retry || !journal.unwritten.isEmpty();
            });
        const auto ready = [this] { return !m_jobs.empty() || m_stop || m_flush; };
        if (retry)
            m_wake.wait_for(lock, m_interval, ready);
        else
            m_wake.wait(lock, ready);
        if (m_stop && m_jobs.empty())
            break;
        // Group commit: the records that arrive within the interval go to the disk in one batch.
        // Anything else (a journal to start, a whole file) goes at once, with what waits.
        const auto onlyRecords = [this] {
            return std::all_of(m_jobs.begin(), m_jobs.end(),
                               [](const Job& job) { return job.kind == Job::Kind::Append; });
        };
        if (!m_jobs.empty() && !m_flush && !m_stop && onlyRecords())
            m_wake.wait_for(lock, m_interval,
                            [this, &onlyRecords] { return m_flush || m_stop || !onlyRecords(); });
        std::vector<Job> jobs(std::make_move_iterator(m_jobs.begin()),
                              std::make_move_iterator(m_jobs.end()));
        m_jobs.clear();
        m_flush = false;
        m_busy = true;
        lock.unlock();
        process(jobs);
        lock.lock();
        m_busy = false;
        m_done.notify_all();
    }
    lock.unlock();
    for (Journal& journal : m_journals)
        closeJournal(journal);
}

void SaveQueue::process(std::vector<Job>& jobs)
{
    for (Job& job : jobs) {
        const bool isPage = job.channel == 0 || job.channel == 1;
        Journal* journal = isPage ? &m_journals[job.channel] : nullptr;
        switch (job.kind) {
        case Job::Kind::Start:
            if (!journal)
                break;
            closeJournal(*journal);
            journal->pagePath = job.pagePath;
            journal->journalPath = job.journalPath;
            journal->unwritten.clear();
            start(*journal);
            break;
        case Job::Kind::Append:
            if (journal && journal->state != Journal::State::None)
                journal->unwritten.append(job.bytes);
            break;
        case Job::Kind::Replace:
            if (journal && journal->state != Journal::State::None) {
                journal->pendingPage = std::move(job.bytes);
                writePage(job.channel, *journal);
            }
            break;
        case Job::Kind::File: {
            const QString problem = job.file();
            if (job.channel >= static_cast<int>(m_fileReported.size()))
                m_fileReported.resize(static_cast<std::size_t>(job.channel) + 1);
            report(job.channel, m_fileReported[static_cast<std::size_t>(job.channel)], problem);
            break;
        }
        }
    }
    for (int page : {0, 1}) {
        Journal& journal = m_journals[page];
        if (journal.state == Journal::State::Retry)
            start(journal);
        if (journal.state == Journal::State::Open && !journal.unwritten.isEmpty())
            writeRecords(page, journal);
    }
}

void SaveQueue::start(Journal& journal)
{
    const int page = static_cast<int>(&journal - m_journals);
    const FileRead pageFile = ReadRegularFile(journal.pagePath);
    if (pageFile.state == FileRead::State::NotRegular ||
        pageFile.state == FileRead::State::Unreadable) {
        // The start has named it; this page is not kept in this session.
        journal.state = Journal::State::None;
        return;
    }
    const JournalBase base = JournalBaseOf(pageFile.bytes);
    const FileRead old = ReadRegularFile(journal.journalPath);
    QString problem;
    if (old.state == FileRead::State::Regular) {
        const ParsedJournal parsed = ParseJournal(old.bytes);
        // Records of this page file that it does not hold yet (its last write failed): they
        // stay, and the new ones follow them.
        if (parsed.valid && parsed.base == base) {
            journal.fd = ::open(QFile::encodeName(journal.journalPath).constData(),
                                O_WRONLY | O_APPEND | O_CLOEXEC);
            if (journal.fd >= 0 && ::ftruncate(journal.fd, parsed.goodEnd) == 0) {
                journal.goodLength = parsed.goodEnd;
                journal.state = Journal::State::Open;
                report(page, journal.reported, {});
                return;
            }
            problem = SystemReason(errno);
            closeJournal(journal);
        }
    } else if (old.state != FileRead::State::Missing) {
        problem = old.reason;
    }
    if (problem.isEmpty())
        problem = WriteFileReason(journal.journalPath, JournalHeader(base));
    if (problem.isEmpty()) {
        journal.fd = ::open(QFile::encodeName(journal.journalPath).constData(),
                            O_WRONLY | O_APPEND | O_CLOEXEC);
        if (journal.fd < 0)
            problem = SystemReason(errno);
    }
    if (!problem.isEmpty()) {
        journal.state = Journal::State::Retry;
        report(page, journal.reported,
               QStringLiteral("Das Journal «%1» der Seite kann nicht angelegt werden: %2")
                   .arg(shown(journal.journalPath), problem));
        return;
    }
    journal.goodLength = JournalHeader(base).size();
    journal.state = Journal::State::Open;
    report(page, journal.reported, {});
}

void SaveQueue::writePage(int page, Journal& journal)
{
    const QByteArray bytes = std::move(journal.pendingPage);
    journal.pendingPage.clear();
    const QString reason = WriteFileReason(journal.pagePath, bytes);
    if (!reason.isEmpty()) {
        // The journal still holds every change; it goes on.
        report(page, journal.reported,
               QStringLiteral("Die Datei %1 konnte nicht geschrieben werden: %2")
                   .arg(shown(journal.pagePath), reason));
        return;
    }
    // The page file holds every record so far; the journal starts again from it.
    journal.unwritten.clear();
    closeJournal(journal);
    start(journal);
}

void SaveQueue::writeRecords(int page, Journal& journal)
{
    if (WriteAll(journal.fd, journal.unwritten.constData(), journal.unwritten.size()) &&
        ::fdatasync(journal.fd) == 0) {
        journal.goodLength += journal.unwritten.size();
        journal.unwritten.clear();
        report(page, journal.reported, {});
        return;
    }
    const int error = errno;
    // A record cut short would hide all that follow it: the journal goes back to its last
    // whole record, and the records are written again with the next batch.
    [[maybe_unused]] const int truncated = ::ftruncate(journal.fd, journal.goodLength);
    report(
        page, journal.reported,
        QStringLiteral("Die \u00C4nderungen der Seite konnten nicht in «%1» gesichert werden: %2")
            .arg(shown(journal.journalPath), SystemReason(error)));
}

void SaveQueue::closeJournal(Journal& journal)
{
    if (journal.fd >= 0)
        ::close(journal.fd);
    journal.fd = -1;
    if (journal.state == Journal::State::Open)
        journal.state = Journal::State::Retry;
}

void SaveQueue::report(int channel, QString& reported, const QString& problem)
{
    if (problem == reported)
        return;
    reported = problem;
    if (m_report)
        m_report(channel, problem);
}

} // namespace quorvel
