// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' journals: every kind of change a page goes through, recorded by PageWatcher and
// replayed on the page file it started from, gives the page as it is, formats and red marks
// included; and a journal cut short or damaged keeps exactly its whole records.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/files/page_files.h"
#include "gui/files/page_journal.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QtTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Records a page's changes from the moment it is created, on top of the page as it is then.
struct Recording
{
    explicit Recording(QTextEdit& page)
        : base(WriteRtf(*page.document())),
          watcher(page, [this](const QByteArray& record) { journal += record; })
    {
        journal = JournalHeader(JournalBaseOf(base));
    }

    // The page as the next start makes it: the base read, the records applied.
    QByteArray replayed()
    {
        watcher.flush();
        const ParsedJournal parsed = ParseJournal(journal);
        if (!parsed.valid || parsed.goodEnd != journal.size())
            return "journal damaged";
        QTextDocument doc;
        doc.setDefaultFont(font);
        ReadRtf(base, doc);
        for (std::size_t k = 0; k < parsed.records.size(); ++k) {
            if (!ApplyJournalRecord(doc, parsed.records[k]))
                return "record " + QByteArray::number(static_cast<qulonglong>(k)) + " does not fit";
        }
        return WriteRtf(doc);
    }

    QByteArray base;
    QByteArray journal;
    QFont font;
    PageWatcher watcher;
};

QTextCharFormat randomFormat(QRandomGenerator& random)
{
    QTextCharFormat format;
    const std::uint32_t pick = random.bounded(6u);
    if (pick == 1)
        format.setFontWeight(QFont::Bold);
    if (pick == 2)
        format.setForeground(QColor(255, 0, 0));
    if (pick == 3)
        format.setFontPointSize(18);
    if (pick == 4)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (pick == 5)
        format.setFontFamilies({QStringLiteral("Arial")});
    return format;
}

QString randomText(QRandomGenerator& random)
{
    static const QString pieces[] = {QStringLiteral("x"),    QStringLiteral("3m+2s"),
                                     QStringLiteral("\n"),   QStringLiteral("\u00E4\u03A9\u00B2"),
                                     QStringLiteral("\n\n"), QStringLiteral("{\\}"),
                                     QStringLiteral("a\tb"), QStringLiteral("a\u2028b")};
    QString text;
    const int count = static_cast<int>(random.bounded(1u, 4u));
    for (int k = 0; k < count; ++k)
        text += pieces[random.bounded(static_cast<quint32>(std::size(pieces)))];
    return text;
}

} // namespace

class PageJournalTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Quorvel")); }

    // The changes a user makes with the keys and commands of the real window.
    void aReplayGivesThePageAsTheUserLeftIt()
    {
        Windows w;
        QTextEdit& page = *w.memo1();
        setPageLines(page, {QStringLiteral("Statik"), QString(), QStringLiteral("a = 2m")});
        Recording recording(page);
        recording.font = page.document()->defaultFont();
        setCaret(page, 2, 6);
        QTest::keyClick(&page, Qt::Key_Return); // the line rewritten with its result
        page.textCursor().insertText(QStringLiteral("3m+2s"));
        QTest::keyClick(&page, Qt::Key_Return); // and a red mark
        QTest::keyClick(&page, Qt::Key_B, Qt::ControlModifier);
        page.textCursor().insertText(QStringLiteral("fett \u03A9"));
        QCoreApplication::processEvents(); // records made between the keys
        setCaret(page, 0, 3);
        QTest::keyClicks(&page, QStringLiteral("ik-"));
        QTest::keyClick(&page, Qt::Key_Return);
        setCaret(page, 1, 0);
        QTest::keyClick(&page, Qt::Key_Insert); // an empty line above
        QTest::keyClick(&page, Qt::Key_Z, Qt::ControlModifier);
        QTextCursor selection = page.textCursor();
        selection.setPosition(2);
        selection.setPosition(page.document()->findBlockByNumber(3).position() + 2,
                              QTextCursor::KeepAnchor);
        page.setTextCursor(selection);
        QTest::keyClick(&page, Qt::Key_Backspace);
        QCOMPARE(recording.replayed(), WriteRtf(*page.document()));

        w.mainWindow.onRecalculateSheet(); // F9: every line rewritten
        page.moveCursor(QTextCursor::End);
        QTest::keyClick(&page, Qt::Key_Return);
        QTest::keyClick(&page, Qt::Key_Return);
        QCOMPARE(recording.replayed(), WriteRtf(*page.document()));

        // Far apart in one go: two records, each small.
        const qsizetype before = recording.journal.size();
        setPageLines(page, QStringList(3000, QStringLiteral("l = 1m")));
        recording.watcher.flush();
        const qsizetype afterWhole = recording.journal.size();
        QTextCursor far(page.document());
        far.insertText(QStringLiteral("A"));
        far.movePosition(QTextCursor::End);
        far.insertText(QStringLiteral("Z"));
        recording.watcher.flush();
        QVERIFY(afterWhole > before);
        QVERIFY2(recording.journal.size() - afterWhole < 2000,
                 qPrintable(QString::number(recording.journal.size() - afterWhole)));
        QCOMPARE(recording.replayed(), WriteRtf(*page.document()));

        // "Text laden" gives the page a document of its own.
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("geladen.rtf"));
        QTextDocument loaded;
        loaded.setPlainText(QStringLiteral("geladen\n\nEnde"));
        QVERIFY(WriteDocumentFile(path, WriteRtf(loaded)).isEmpty());
        QString error;
        QVERIFY(LoadDocument(page, path, &error));
        QCoreApplication::processEvents();
        page.moveCursor(QTextCursor::End);
        page.textCursor().insertText(QStringLiteral("!"));
        QCOMPARE(recording.replayed(), WriteRtf(*page.document()));
    }

    // Many small edits of every kind at random places, some recorded one by one, some together.
    void randomEditsReplayExactly()
    {
        QTextEdit page;
        QFont font(QStringLiteral("Courier New"), 11);
        font.setBold(true);
        page.document()->setDefaultFont(font);
        page.setPlainText(QStringLiteral("erste\n\nzweite Zeile\ndritte"));
        Recording recording(page);
        recording.font = font;
        QRandomGenerator random(19);
        for (int step = 0; step < 600; ++step) {
            QTextDocument& doc = *page.document();
            const int length = JournalLength(doc);
            QTextCursor cursor(&doc);
            const int at = static_cast<int>(random.bounded(static_cast<quint32>(length + 1)));
            const int to = std::min(length, at + static_cast<int>(random.bounded(12u)));
            switch (random.bounded(6u)) {
            case 0:
            case 1:
                cursor.setPosition(at);
                cursor.insertText(randomText(random), randomFormat(random));
                break;
            case 2:
                cursor.setPosition(at);
                cursor.setPosition(to, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            case 3:
                cursor.setPosition(at);
                cursor.setPosition(to, QTextCursor::KeepAnchor);
                cursor.mergeCharFormat(randomFormat(random));
                break;
            case 4:
                cursor.setPosition(at);
                cursor.insertBlock(QTextBlockFormat(), randomFormat(random));
                break;
            case 5:
                doc.undo();
                break;
            }
            if (random.bounded(3u) == 0)
                recording.watcher.flush();
            if (step % 100 == 99)
                QCOMPARE(recording.replayed(), WriteRtf(doc));
        }
        page.clear();
        page.textCursor().insertText(QStringLiteral("neu"));
        QCOMPARE(recording.replayed(), WriteRtf(*page.document()));
    }

    // A power cut may leave any prefix of the last batch: the whole records count, the rest
    // does not, and a record with a wrong byte ends the journal there.
    void aJournalCutShortOrDamagedKeepsItsWholeRecords()
    {
        const JournalBase base = JournalBaseOf("{\\rtf1 a\\par}");
        QCOMPARE(base, JournalBaseOf("{\\rtf1 a\\par}"));
        QVERIFY(!(base == JournalBaseOf("{\\rtf1 b\\par}")));
        const QByteArray header = JournalHeader(base);
        QList<QByteArray> records;
        for (int k = 0; k < 3; ++k)
            records << EncodeJournalRecord({k, 0, k + 1, "{\\rtf1 x\\par}"});
        const QByteArray whole = header + records.join();

        ParsedJournal parsed = ParseJournal(whole);
        QVERIFY(parsed.valid);
        QCOMPARE(parsed.base, base);
        QCOMPARE(parsed.records.size(), std::size_t{3});
        QCOMPARE(parsed.records[2].position, 2);
        QCOMPARE(parsed.records[2].lengthAfter, 3);
        QCOMPARE(parsed.records[2].rtf, QByteArray("{\\rtf1 x\\par}"));
        QCOMPARE(parsed.goodEnd, whole.size());

        const qsizetype twoRecords = header.size() + records[0].size() + records[1].size();
        for (qsizetype cut = twoRecords; cut < whole.size(); ++cut) {
            parsed = ParseJournal(whole.left(cut));
            QCOMPARE(parsed.records.size(), std::size_t{2});
            QCOMPARE(parsed.goodEnd, twoRecords);
        }
        QByteArray damaged = whole;
        damaged[header.size() + records[0].size() + 20] ^= 0x01;
        QCOMPARE(ParseJournal(damaged).records.size(), std::size_t{1});
        for (const qsizetype cut : {qsizetype{0}, qsizetype{5}, header.size() - 1}) {
            QVERIFY(!ParseJournal(whole.left(cut)).valid);
        }
        damaged = whole;
        damaged[9] ^= 0x01; // the base's size
        QVERIFY(!ParseJournal(damaged).valid);
    }
};

QTEST_MAIN(PageJournalTest)
#include "page_journal_test.moc"
