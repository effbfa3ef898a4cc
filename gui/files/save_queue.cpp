// SPDX-License-Identifier: GPL-3.0-or-later
// The writer thread. It owns the journals' file descriptors; everything else it gets as bytes
// through the queue, so it never touches a document or a window. A long journal is rewritten
// from a whole-page record that a thread of its own makes from the page file and the journal.
#include "gui/files/save_queue.h"

#include "gui/files/atomic_file.h"
#include "gui/files/page_journal.h"
#include "gui/files/regular_file.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel {
namespace {

// The longest pause between two tries of what failed: a full disk is not freed in a second,
// and a minute is as long as an unsaved change should wait once it is.
constexpr std::chrono::milliseconds kLongestBackoff{64000};

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

int openJournal(const QString& path)
{
    // Never through a link a stranger put under the journal's name.
    return ::open(QFile::encodeName(path).constData(),
                  O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
}

QString journalProblem(const QString& path, const QString& reason)
{
    return QStringLiteral("Das Journal «%1» der Seite kann nicht angelegt werden: %2")
        .arg(shown(path), reason);
}

} // namespace

const SaveQueue::SystemCalls SaveQueue::kRealCalls{::write, ::ftruncate, ::fdatasync};

SaveQueue::SaveQueue(Report report, std::chrono::milliseconds commitInterval,
                     const SystemCalls& calls)
    : m_report(std::move(report)), m_interval(commitInterval), m_calls(calls)
{
    m_thread = std::thread([this] { run(); });
}

SaveQueue::~SaveQueue()
{
    finish();
}

void SaveQueue::startJournal(PageSlot page, const QString& pagePath, const QString& journalPath,
                             std::int64_t baseLength, const QFont& font)
{
    Job job{Job::Kind::Start, page};
    job.pagePath = pagePath;
    job.journalPath = journalPath;
    job.length = baseLength;
    job.font = font;
    push(std::move(job));
}

void SaveQueue::append(PageSlot page, QByteArray record)
{
    Job job{Job::Kind::Append, page};
    job.bytes = std::move(record);
    push(std::move(job));
}

void SaveQueue::replacePage(PageSlot page, QByteArray rtf, std::int64_t baseLength)
{
    Job job{Job::Kind::Replace, page};
    job.bytes = std::move(rtf);
    job.length = baseLength;
    push(std::move(job));
}

void SaveQueue::writeFile(const QString& file, std::function<QString()> write)
{
    Job job{Job::Kind::File};
    job.pagePath = file;
    job.file = std::move(write);
    push(std::move(job));
}

void SaveQueue::push(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        if (job.kind == Job::Kind::File) {
            std::erase_if(m_jobs, [&](const Job& queued) {
                return queued.kind == Job::Kind::File && queued.pagePath == job.pagePath;
            });
        }
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void SaveQueue::flushNow(std::chrono::milliseconds limit) noexcept
{
    try {
        if (std::this_thread::get_id() == m_thread.get_id() || !m_thread.joinable())
            return;
        std::unique_lock lock(m_mutex);
        m_flush = true;
        m_wake.notify_all();
        m_done.wait_for(lock, limit, [this] { return !m_flush && m_jobs.empty() && !m_busy; });
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

std::map<QString, QString> SaveQueue::problems() const
{
    const std::lock_guard lock(m_mutex);
    return m_problems;
}

bool SaveQueue::allWritten() const
{
    const std::lock_guard lock(m_mutex);
    return m_jobs.empty() && !m_busy && !m_pendingRetry;
}

void SaveQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto ready = [this] { return !m_jobs.empty() || m_stop || m_flush; };
        if (m_pendingRetry)
            m_wake.wait_until(lock, m_nextRetry, ready);
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
        m_busy = true;
        lock.unlock();
        process(jobs);
        lock.lock();
        m_busy = false;
        m_pendingRetry = needsRetry();
        // A flush is done once a pass has run after it was asked for: what failed in it stays
        // failed until the next try, and the caller reads the problems.
        m_flush = false;
        m_done.notify_all();
    }
    lock.unlock();
    m_cancelCompaction = true;
    for (Journal& journal : m_journals) {
        if (journal.compactor.joinable())
            journal.compactor.join();
        closeJournal(journal);
        removeIfHeldByPage(journal);
    }
}

bool SaveQueue::needsRetry() const
{
    if (!m_failedFiles.empty())
        return true;
    return std::any_of(std::begin(m_journals), std::end(m_journals), [](const Journal& journal) {
        return journal.state == Journal::State::Retry || !journal.unwritten.isEmpty();
    });
}

void SaveQueue::process(std::vector<Job>& jobs)
{
    bool flushing = false;
    {
        const std::lock_guard lock(m_mutex);
        flushing = m_flush;
    }
    // What failed is tried again only when its pause is over, or when the caller must know now.
    const bool retryDue = !m_failing || flushing || Clock::now() >= m_nextRetry;
    bool failure = false;
    for (Job& job : jobs) {
        Journal& journal = journalOf(job.page);
        switch (job.kind) {
        case Job::Kind::Start:
            closeJournal(journal);
            ++journal.generation;
            journal.pagePath = job.pagePath;
            journal.journalPath = job.journalPath;
            journal.baseLength = job.length;
            journal.font = job.font;
            journal.unwritten.clear();
            start(journal);
            failure = failure || journal.state == Journal::State::Retry;
            break;
        case Job::Kind::Append:
            if (journal.state != Journal::State::None)
                journal.unwritten.append(job.bytes);
            break;
        case Job::Kind::Replace:
            if (journal.state != Journal::State::None)
                failure = !writePage(journal, job.bytes, job.length) || failure;
            break;
        case Job::Kind::File: {
            const QString problem = job.file();
            report(job.pagePath, problem);
            if (problem.isEmpty()) {
                m_failedFiles.erase(job.pagePath);
            } else {
                m_failedFiles[job.pagePath] = std::move(job.file);
                failure = true;
            }
            break;
        }
        case Job::Kind::Compacted:
            takeCompacted(journal, job);
            break;
        }
    }
    if (retryDue) {
        for (auto it = m_failedFiles.begin(); it != m_failedFiles.end();) {
            const QString problem = it->second();
            report(it->first, problem);
            failure = failure || !problem.isEmpty();
            it = problem.isEmpty() ? m_failedFiles.erase(it) : std::next(it);
        }
    }
    for (Journal& journal : m_journals) {
        if (journal.state == Journal::State::Retry && retryDue)
            start(journal);
        if (journal.state == Journal::State::Retry)
            failure = true;
        // Records of a journal that failed wait for the pause too, so a full disk is not hit
        // with every batch; they are safe in memory meanwhile.
        if (journal.state == Journal::State::Open && !journal.unwritten.isEmpty() &&
            (retryDue || !journal.writeFailed))
            failure = !writeRecords(journal) || failure;
        if (journal.state == Journal::State::Open)
            compactIfLong(journal);
    }
    if (failure) {
        m_backoff = std::min(std::max(m_backoff * 2, m_interval), kLongestBackoff);
        m_nextRetry = Clock::now() + m_backoff;
        m_failing = true;
    } else if (retryDue) {
        m_backoff = std::chrono::milliseconds{0};
        m_failing = false;
    }
}

void SaveQueue::start(Journal& journal)
{
    closeJournal(journal);
    journal.state = Journal::State::None;
    journal.writeFailed = false;
    const FileRead pageFile = ReadRegularFile(journal.pagePath);
    if (!OwnFileProblem(QFile::encodeName(journal.pagePath).toStdString()).empty() ||
        pageFile.state == FileRead::State::NotRegular ||
        pageFile.state == FileRead::State::Unreadable) {
        // The start has named it; this page is not kept in this session.
        return;
    }
    const JournalBase base = JournalBaseOf(pageFile.bytes);
    journal.base = base;
    journal.pageSize = pageFile.bytes.size();
    QString problem = QString::fromStdString(
        OwnFileProblem(QFile::encodeName(journal.journalPath).toStdString()));
    if (problem.isEmpty()) {
        JournalReader old(journal.journalPath);
        // Records of this page file that it does not hold yet (its last write failed): they
        // stay, and the new ones follow them.
        if (old.startedOn(base)) {
            qint64 baseEnd = old.offset();
            JournalRecord record;
            bool first = true;
            while (old.next(record)) {
                // A first record that is the page file itself adds nothing to it.
                if (first && record.position == kWholePage && record.rtf == pageFile.bytes)
                    baseEnd = old.offset();
                first = false;
            }
            journal.fd = openJournal(journal.journalPath);
            if (journal.fd >= 0 && m_calls.ftruncate(journal.fd, old.offset()) == 0) {
                journal.goodLength = old.offset();
                journal.baseEnd = baseEnd;
                journal.baseIsPageFile = true;
                journal.state = Journal::State::Open;
                report(journal.journalPath, {});
                return;
            }
            problem = SystemReason(errno);
            closeJournal(journal);
        }
        // Any other journal, or one that cannot be read, is replaced by a fresh one below.
    }
    QByteArray fresh = JournalHeader(base);
    if (journal.baseLength >= 0 && !pageFile.bytes.isEmpty())
        fresh += WholePageRecord(pageFile.bytes, journal.baseLength);
    if (problem.isEmpty())
        problem = WriteFileReason(journal.journalPath, fresh, FileOwner::Program);
    if (problem.isEmpty()) {
        journal.fd = openJournal(journal.journalPath);
        if (journal.fd < 0)
            problem = SystemReason(errno);
    }
    if (!problem.isEmpty()) {
        journal.state = Journal::State::Retry;
        report(journal.journalPath, journalProblem(journal.journalPath, problem));
        return;
    }
    journal.goodLength = journal.baseEnd = fresh.size();
    journal.baseIsPageFile = true;
    journal.state = Journal::State::Open;
    report(journal.journalPath, {});
}

bool SaveQueue::writePage(Journal& journal, const QByteArray& rtf, std::int64_t length)
{
    const QString reason = WriteFileReason(journal.pagePath, rtf, FileOwner::Program);
    if (!reason.isEmpty()) {
        // The journal still holds every change; it goes on.
        report(journal.pagePath, NotWrittenText(journal.pagePath, reason));
        return false;
    }
    report(journal.pagePath, {});
    // The page file holds every record so far; the journal starts again from it.
    ++journal.generation;
    journal.unwritten.clear();
    journal.baseLength = length;
    start(journal);
    return journal.state != Journal::State::Retry;
}

bool SaveQueue::writeRecords(Journal& journal)
{
    const QByteArray& bytes = journal.unwritten;
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t written = m_calls.write(journal.fd, bytes.constData() + done,
                                              static_cast<std::size_t>(bytes.size() - done));
        if (written >= 0)
            done += written;
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && m_calls.fdatasync(journal.fd) != 0)
        error = errno;
    if (error == 0) {
        journal.goodLength += bytes.size();
        journal.unwritten.clear();
        journal.writeFailed = false;
        report(journal.journalPath, {});
        return true;
    }
    journal.writeFailed = true;
    QString problem =
        QStringLiteral("Die \u00C4nderungen der Seite konnten nicht in «%1» gesichert werden: %2")
            .arg(shown(journal.journalPath), SystemReason(error));
    // A record cut short would hide all that follow it: the journal goes back to its last
    // whole record, and the records are written again with a later try. Where even that fails,
    // the journal is opened anew, which finds its last whole record itself.
    if (m_calls.ftruncate(journal.fd, journal.goodLength) != 0) {
        problem +=
            QStringLiteral("; das Journal l\u00E4sst sich auch nicht auf seinen letzten ganzen "
                           "Eintrag k\u00FCrzen: %1")
                .arg(SystemReason(errno));
        closeJournal(journal);
    }
    report(journal.journalPath, problem);
    return false;
}

void SaveQueue::compactIfLong(Journal& journal)
{
    const qint64 page = std::max<qint64>(journal.pageSize, 1);
    if (journal.compacting || journal.goodLength < kCompactMinimum ||
        journal.goodLength < journal.compactAfter ||
        journal.goodLength - journal.baseEnd <= kCompactFactor * page)
        return;
    if (journal.compactor.joinable())
        journal.compactor.join();
    journal.compacting = true;
    Job job{Job::Kind::Compacted, static_cast<PageSlot>(&journal - m_journals)};
    job.generation = journal.generation;
    job.upTo = journal.goodLength;
    journal.compactor =
        std::thread([this, job = std::move(job), pagePath = journal.pagePath,
                     journalPath = journal.journalPath, font = journal.font]() mutable {
            const FileRead pageFile = ReadRegularFile(pagePath);
            if (pageFile.state == FileRead::State::Regular ||
                pageFile.state == FileRead::State::Missing)
                job.bytes = PageAfterJournal(pageFile.bytes, journalPath, job.upTo, font,
                                             &job.length, m_cancelCompaction);
            push(std::move(job));
        });
}

void SaveQueue::takeCompacted(Journal& journal, const Job& job)
{
    journal.compacting = false;
    if (job.generation != journal.generation || journal.state != Journal::State::Open)
        return;
    // A journal that cannot be replayed (it does not fit its page file) is not tried again
    // until it has grown by as much once more.
    if (job.bytes.isEmpty()) {
        journal.compactAfter = 2 * journal.goodLength;
        return;
    }
    // The records after the rewritten part stay, behind the page as a whole-page record.
    QByteArray tail;
    if (!JournalReader(journal.journalPath).read(job.upTo, journal.goodLength, tail))
        return;
    QByteArray bytes = JournalHeader(journal.base) + WholePageRecord(job.bytes, job.length);
    const qint64 baseEnd = bytes.size();
    bytes += tail;
    if (!WriteFileReason(journal.journalPath, bytes, FileOwner::Program).isEmpty()) {
        // The long journal is still whole; the rewrite waits until it has grown a page more.
        journal.compactAfter = journal.goodLength + std::max<qint64>(journal.pageSize, 1);
        return;
    }
    closeJournal(journal);
    journal.fd = openJournal(journal.journalPath);
    if (journal.fd < 0) {
        journal.state = Journal::State::Retry;
        return;
    }
    journal.state = Journal::State::Open;
    journal.goodLength = bytes.size();
    journal.baseEnd = baseEnd;
    journal.baseIsPageFile = false;
    journal.pageSize = job.bytes.size();
    journal.compactAfter = 0;
}

void SaveQueue::closeJournal(Journal& journal)
{
    if (journal.fd >= 0)
        ::close(journal.fd);
    journal.fd = -1;
    if (journal.state == Journal::State::Open)
        journal.state = Journal::State::Retry;
}

void SaveQueue::removeIfHeldByPage(Journal& journal)
{
    // Retry is what closeJournal leaves of an open journal at the end.
    if (journal.state != Journal::State::Retry || !journal.unwritten.isEmpty() ||
        !journal.baseIsPageFile || journal.goodLength != journal.baseEnd || journal.writeFailed)
        return;
    const QByteArray path = QFile::encodeName(journal.journalPath);
    if (OwnFileProblem(path.toStdString()).empty() && ::unlink(path.constData()) == 0)
        SyncFolderOf(journal.journalPath);
    journal.state = Journal::State::None;
}

void SaveQueue::report(const QString& file, const QString& problem)
{
    {
        const std::lock_guard lock(m_mutex);
        const auto known = m_problems.find(file);
        const QString& before = known == m_problems.end() ? QString() : known->second;
        if (before == problem)
            return;
        if (problem.isEmpty())
            m_problems.erase(file);
        else
            m_problems[file] = problem;
    }
    if (m_report)
        m_report(file, problem);
}

} // namespace quorvel
