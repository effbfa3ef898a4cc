// SPDX-License-Identifier: GPL-3.0-or-later
// The writer thread alone, with a disk that fails on demand: what failed is reported once per
// file and tried again, nothing is appended behind a torn record, a long journal is rewritten
// from a whole page, and a program's file is never written through a link.
#include "gui/files/page_journal.h"
#include "gui/files/save_queue.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace quorvel;

namespace {

// The disk: fails writes, syncs and truncations while told to, as a full disk does.
std::atomic<bool> g_writeFails{false};
std::atomic<bool> g_truncateFails{false};

ssize_t failingWrite(int fd, const void* data, size_t size)
{
    if (g_writeFails) {
        // Half a record reaches the file before the disk is full: a torn record.
        if (size > 4)
            (void)!::write(fd, data, size / 2);
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, data, size);
}

int failingTruncate(int fd, off_t length)
{
    if (g_truncateFails) {
        errno = EIO;
        return -1;
    }
    return ::ftruncate(fd, length);
}

const SaveQueue::SystemCalls kFailingCalls{failingWrite, failingTruncate, ::fdatasync};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The reports in the order they came.
struct Reports
{
    SaveQueue::Report sink()
    {
        return [this](const QString& file, const QString& problem) {
            const std::lock_guard lock(mutex);
            seen << QFileInfo(file).fileName() + QLatin1Char(':') +
                        (problem.isEmpty() ? QStringLiteral("ok") : QStringLiteral("problem"));
        };
    }
    QStringList taken()
    {
        const std::lock_guard lock(mutex);
        return std::exchange(seen, {});
    }
    std::mutex mutex;
    QStringList seen;
};

QByteArray record(std::int64_t position, const QString& text, std::int64_t lengthAfter)
{
    QTextDocument doc;
    doc.setPlainText(text);
    return EncodeJournalRecord(
        {position, 0, lengthAfter, WriteRtfRange(doc, 0, static_cast<int>(text.size()))});
}

// The page a journal leads to from its page file.
QString replayed(const QString& pagePath, const QString& journalPath)
{
    QTextDocument doc;
    const QByteArray page = readFile(pagePath);
    JournalReader reader(journalPath);
    if (!reader.valid() || !(reader.base() == JournalBaseOf(page)))
        return QStringLiteral("journal does not fit");
    JournalRecord next;
    while (reader.next(next)) {
        if (!ApplyJournalRecord(doc, next))
            return QStringLiteral("record does not fit");
    }
    return doc.toPlainText();
}

} // namespace

class SaveQueueTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        g_writeFails = false;
        g_truncateFails = false;
        QVERIFY(m_dir.isValid());
        m_page = m_dir.filePath(QStringLiteral("QV1.rtf"));
        m_journal = m_dir.filePath(QStringLiteral("QV1.journal"));
        QFile::remove(m_page);
        QFile::remove(m_journal);
    }

    // A full disk: the records wait in memory, the journal is cut back to its last whole record
    // (or, where even that fails, opened anew, which finds it), and once there is room every
    // record is on the disk exactly once, in order. The problem is reported when it starts and
    // when it ends, not with every try.
    void recordsSurviveAFailingDiskAndAreReportedOnce_data()
    {
        QTest::addColumn<bool>("truncateFails");
        QTest::newRow("the journal can be cut back") << false;
        QTest::newRow("even cutting back fails") << true;
    }
    void recordsSurviveAFailingDiskAndAreReportedOnce()
    {
        QFETCH(bool, truncateFails);
        Reports reports;
        SaveQueue queue(reports.sink(), std::chrono::milliseconds(10), kFailingCalls);
        queue.startJournal(PageSlot::Calculation, m_page, m_journal, -1, QFont());
        queue.append(PageSlot::Calculation, record(0, QStringLiteral("a"), 1));
        queue.flushNow(std::chrono::seconds(5));
        QCOMPARE(reports.taken(), QStringList());

        g_writeFails = true;
        g_truncateFails = truncateFails;
        queue.append(PageSlot::Calculation, record(1, QStringLiteral("b"), 2));
        queue.flushNow(std::chrono::seconds(5));
        queue.append(PageSlot::Calculation, record(2, QStringLiteral("c"), 3));
        queue.flushNow(std::chrono::seconds(5));
        QVERIFY(!queue.problems().empty());
        const QStringList whileFull = reports.taken();
        // Where the journal must be opened anew, that attempt's own reason may follow; never a
        // report that all is well while it is not.
        QVERIFY(!whileFull.isEmpty() && !whileFull.contains(QStringLiteral("QV1.journal:ok")));
        if (!truncateFails)
            QCOMPARE(whileFull, QStringList{"QV1.journal:problem"});

        g_writeFails = false;
        g_truncateFails = false;
        queue.flushNow(std::chrono::seconds(5));
        QTRY_VERIFY(queue.problems().empty());
        QCOMPARE(reports.taken(), QStringList{"QV1.journal:ok"});
        QCOMPARE(replayed(m_page, m_journal), QStringLiteral("abc"));
    }

    // A page file that cannot be written is its own problem: the journal beside it goes on and
    // keeps every change, and neither report hides the other.
    void aPageThatCannotBeWrittenKeepsItsJournal()
    {
        Reports reports;
        SaveQueue queue(reports.sink(), std::chrono::milliseconds(10));
        queue.startJournal(PageSlot::Calculation, m_page, m_journal, -1, QFont());
        queue.append(PageSlot::Calculation, record(0, QStringLiteral("a"), 1));
        queue.flushNow(std::chrono::seconds(5));
        // A folder where the temporary page file would go makes the write fail for anyone,
        // root included.
        QVERIFY(QDir().mkdir(m_page));
        queue.replacePage(PageSlot::Calculation, "{\\rtf1 a\\par}", 1);
        queue.append(PageSlot::Calculation, record(1, QStringLiteral("b"), 2));
        queue.flushNow(std::chrono::seconds(5));
        const auto problems = queue.problems();
        QCOMPARE(problems.size(), std::size_t{1});
        QCOMPARE(problems.begin()->first, m_page);
        QVERIFY(QFileInfo(m_page).isDir());
        QVERIFY(QDir().rmdir(m_page));
        QCOMPARE(replayed(m_page, m_journal), QStringLiteral("ab"));
        QCOMPARE(reports.taken(), QStringList{"QV1.rtf:problem"});
    }

    // Of two writes of one file that wait, only the newer runs; a failed one is tried again by
    // the writer itself, after a pause.
    void fileWritesCoalesceAndFailedOnesAreTriedAgain()
    {
        Reports reports;
        SaveQueue queue(reports.sink(), std::chrono::milliseconds(10));
        std::atomic<int> runs{0};
        std::atomic<bool> fail{true};
        const QString file = m_dir.filePath(QStringLiteral("Quorvel.ini"));
        // The writer is kept busy with another file, so that both writes wait.
        std::atomic<bool> busy{false};
        std::atomic<bool> release{false};
        queue.writeFile(m_dir.filePath(QStringLiteral("andere")), [&] {
            busy = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return QString();
        });
        QTRY_VERIFY(busy);
        queue.writeFile(file, [&] {
            runs += 100;
            return QString();
        });
        queue.writeFile(file, [&] {
            ++runs;
            return fail ? QStringLiteral("voll") : QString();
        });
        release = true;
        queue.flushNow(std::chrono::seconds(5));
        QVERIFY(runs < 100);
        QCOMPARE(reports.taken(), QStringList{"Quorvel.ini:problem"});
        fail = false;
        QTRY_VERIFY(queue.problems().empty());
        QCOMPARE(reports.taken(), QStringList{"Quorvel.ini:ok"});
    }

    // A journal that outgrows its page is rewritten from a whole page in the background, and
    // stays what it was worth: the same page after replay.
    void aLongJournalIsRewrittenFromAWholePage()
    {
        writeFile(m_page, "{\\rtf1 x\\par}");
        SaveQueue queue({}, std::chrono::milliseconds(1));
        queue.startJournal(PageSlot::Calculation, m_page, m_journal, -1, QFont());
        QTextDocument base;
        ReadRtf(readFile(m_page), base);
        QString expected = base.toPlainText();
        // Lines as typing makes them, each with its paragraph end.
        const QString chunk = QString(200, QLatin1Char('y')) + QLatin1Char('\n');
        auto length = static_cast<std::int64_t>(JournalLength(base));
        for (qint64 appended = 0, k = 1; appended < SaveQueue::kCompactMinimum + (1 << 20); ++k) {
            const QByteArray line = record(length, chunk, length + chunk.size());
            queue.append(PageSlot::Calculation, line);
            appended += line.size();
            length += chunk.size();
            expected += chunk;
            if (k % 500 == 0)
                queue.flushNow(std::chrono::seconds(5));
        }
        queue.flushNow(std::chrono::seconds(5));
        // Rewritten: its first record is the whole page.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                JournalReader reader(m_journal);
                JournalRecord first;
                return reader.next(first) && first.position == kWholePage;
            }(),
            20000);
        queue.finish();
        QCOMPARE(replayed(m_page, m_journal).size(), expected.size());
    }

    // A link a stranger put under the journal's name is never written through.
    void aJournalLinkIsNotWrittenThrough()
    {
        const QString victim = m_dir.filePath(QStringLiteral("notizen.txt"));
        writeFile(victim, "meins");
        QVERIFY(QFile::link(victim, m_journal));
        Reports reports;
        SaveQueue queue(reports.sink(), std::chrono::milliseconds(10));
        queue.startJournal(PageSlot::Calculation, m_page, m_journal, -1, QFont());
        queue.append(PageSlot::Calculation, record(0, QStringLiteral("a"), 1));
        queue.flushNow(std::chrono::seconds(5));
        QCOMPARE(readFile(victim), QByteArray("meins"));
        QVERIFY(QFileInfo(m_journal).isSymLink());
        QCOMPARE(reports.taken(), QStringList{"QV1.journal:problem"});
        QFile::remove(m_journal);
    }

private:
    QTemporaryDir m_dir;
    QString m_page;
    QString m_journal;
};

QTEST_MAIN(SaveQueueTest)
#include "save_queue_test.moc"
