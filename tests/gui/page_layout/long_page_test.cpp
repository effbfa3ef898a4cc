// SPDX-License-Identifier: GPL-3.0-or-later
// A page too long for the toolkit's own layout (its positions end near 8.4 million pixels, and it
// shapes a whole line at once) gets the long-page layout, whether it is loaded, pasted or typed:
// the caret, typing, clicks and painting reach its last line and the end of a very long line.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/files/page_files.h"
#include "gui/page_layout/long_lines.h"
#include "gui/page_layout/long_page_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Whether the page shows more than paper inside rect (viewport coordinates).
bool inked(QTextEdit& memo, const QRect& rect)
{
    const QImage picture = memo.viewport()->grab(rect).toImage();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y) != Qt::white)
                return true;
    return false;
}

// The caret's rectangle in the viewport, from the long-page layout, which knows it for a long
// line too.
QRect caretInView(const QTextEdit& memo)
{
    const auto& layout = *qobject_cast<LongPageLayout*>(memo.document()->documentLayout());
    return layout.caretRect(memo.textCursor().position())
        .translated(-memo.horizontalScrollBar()->value(), -memo.verticalScrollBar()->value())
        .toRect();
}

// Ctrl+End and typing reach the page's end, which is in view, painted, and found by a click.
void checkPageEnd(QTextEdit& memo, int lastRow)
{
    QVERIFY(qobject_cast<LongPageLayout*>(memo.document()->documentLayout()));
    bool answered = false;
    QMetaObject::invokeMethod(
        &memo, [&answered] { answered = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(answered);

    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&memo, QStringLiteral("x"));
    QCOMPARE(caretRow(memo), lastRow);
    QVERIFY(memo.document()->lastBlock().text().endsWith(QLatin1Char('x')));
    const int end = memo.textCursor().position();
    const int left = std::min(3, memo.textCursor().positionInBlock());

    QTRY_VERIFY(memo.viewport()->rect().contains(caretInView(memo)));
    const QRect caret = caretInView(memo);
    QTest::keyClick(&memo, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(memo.textCursor().position(), 0);
    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    QTRY_COMPARE(caretInView(memo), caret);
    // Three characters (of 9 pixels) to the left of the caret.
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, caret.center() - QPoint(3 * 9, 0));
    QCOMPARE(caretRow(memo), lastRow);
    QCOMPARE(memo.textCursor().position(), end - left);

    QVERIFY(inked(memo, caret.adjusted(-60, 0, 0, 0)));
}

} // namespace

class LongPageTest : public QObject
{
    Q_OBJECT

private slots:
    void loadedPageReachesItsEnd_data();
    void loadedPageReachesItsEnd();
    void editedPageBecomesLong_data();
    void editedPageBecomesLong();
    void longLineKeysActAsOnShortLines_data();
    void longLineKeysActAsOnShortLines();
    void linesFollowThePagesFont();
    void linesStackWithoutGaps();
};

void LongPageTest::loadedPageReachesItsEnd_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("lines");
    QTest::newRow("600,000 short lines") << QByteArray("a = 1\\par\n") << 600000;
    QTest::newRow("600,000 empty lines") << QByteArray("\\par\n") << 600000;
    QTest::newRow("one line of 3,000,000 characters") << QByteArray("0123456789") << 300000;
}

void LongPageTest::loadedPageReachesItsEnd()
{
    QFETCH(QByteArray, line);
    QFETCH(int, lines);
    const int rows = line.contains("\\par") ? lines : 0;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.rtf"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs22\\b ");
        for (int i = 0; i < lines; ++i)
            file.write(line);
        file.write("last}");
    }
    Windows windows;
    QTextEdit& memo = *windows.memo1();
    QString error;
    QVERIFY2(LoadDocument(memo, path, &error), qPrintable(error));
    QCOMPARE(memo.document()->blockCount(), rows + 1);
    // The last line lies beyond the ceiling of the toolkit layout's positions, or its end beyond
    // what it would shape without taking a gigabyte.
    const QAbstractTextDocumentLayout& layout = *memo.document()->documentLayout();
    const QRectF last = layout.blockBoundingRect(memo.document()->lastBlock());
    QVERIFY(last.top() > 8.4e6 || last.width() > 2e7);
    checkPageEnd(memo, rows);
}

// Lines that leave the font to the page grow with it; a new width (a resize) leaves them alone.
void LongPageTest::linesFollowThePagesFont()
{
    QTextDocument doc;
    QFont font(QStringLiteral("Courier New"), 10);
    doc.setDefaultFont(font);
    doc.setPlainText(QStringLiteral("a = 1\n").repeated(kLongPageLines));
    doc.setDocumentLayout(new LongPageLayout(&doc));
    const qreal small = doc.documentLayout()->documentSize().height();
    doc.setPageSize(QSizeF(500, -1));
    QCOMPARE(doc.documentLayout()->documentSize().height(), small);
    font.setPointSize(20);
    doc.setDefaultFont(font);
    QVERIFY(doc.documentLayout()->documentSize().height() > 1.5 * small);
}

// Each line begins where the one above ends, and the point where it begins finds it, while
// shaping the lines one by one corrects their heights and a taller line sits in the middle.
void LongPageTest::linesStackWithoutGaps()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Courier New"), 10));
    doc.setPlainText(QStringLiteral("a = 1\n").repeated(kLongPageLines + 100));
    auto* layout = new LongPageLayout(&doc);
    doc.setDocumentLayout(layout);
    QTextCursor tall(doc.findBlockByNumber(1000));
    tall.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat large;
    large.setFontPointSize(30);
    tall.mergeCharFormat(large);
    qreal top = layout->blockBoundingRect(doc.firstBlock()).top();
    for (QTextBlock block = doc.firstBlock(); block.isValid(); block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block);
        QCOMPARE(box.top(), top);
        const int hit = layout->hitTest(QPointF(5, box.top()), Qt::FuzzyHit);
        QCOMPARE(doc.findBlock(hit).blockNumber(), block.blockNumber());
        top += box.height();
    }
    QCOMPARE(layout->documentSize().height(), top + doc.documentMargin());
}

void LongPageTest::editedPageBecomesLong_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("paste");
    const QString lines = QStringLiteral("a = 1\n").repeated(kLongPageLines);
    const QString line = QStringLiteral("0123456789").repeated(kLongLineChars / 10 + 1);
    QTest::newRow("pasted lines") << lines << true;
    QTest::newRow("pasted long line") << line << true;
    QTest::newRow("lines typed in") << lines << false;
}

void LongPageTest::editedPageBecomesLong()
{
    QFETCH(QString, text);
    QFETCH(bool, paste);
    Windows windows;
    QTextEdit& memo = *windows.memo1();
    memo.insertPlainText(QStringLiteral("b = 2\n"));
    QVERIFY(!qobject_cast<LongPageLayout*>(memo.document()->documentLayout()));
    if (paste) {
        QGuiApplication::clipboard()->setText(text);
        memo.paste();
    } else {
        // Most at once, the rest line by line as a user's Enter adds them: one of those makes
        // the page long.
        const int typed = 10;
        const int cut = int(text.size()) - typed * int(text.indexOf(QLatin1Char('\n')) + 1);
        memo.insertPlainText(text.left(cut));
        QVERIFY(!qobject_cast<LongPageLayout*>(memo.document()->documentLayout()));
        for (const QString& line : text.mid(cut).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            memo.insertPlainText(line + QLatin1Char('\n'));
    }
    const int rows = memo.document()->blockCount() - 1;
    checkPageEnd(memo, rows);
    // Emptied again, the page keeps the layout that can take it long once more.
    memo.clear();
    QVERIFY(qobject_cast<LongPageLayout*>(memo.document()->documentLayout()));
}

void LongPageTest::longLineKeysActAsOnShortLines_data()
{
    // Keys after Ctrl+End: < Left, > Right, S Shift+Left, { Ctrl+Left, } Ctrl+Right,
    // D Delete, B Ctrl+Backspace, X Ctrl+Delete, W a double click at the caret; then "|" is
    // typed.
    QTest::addColumn<QString>("keys");
    QTest::newRow("left, right") << QStringLiteral("<<<>");
    QTest::newRow("selected and replaced") << QStringLiteral("<SS");
    QTest::newRow("words") << QStringLiteral("{{{}");
    QTest::newRow("deleted characters") << QStringLiteral("<<<DD");
    QTest::newRow("deleted words") << QStringLiteral("B{{X");
    QTest::newRow("surrogate pair") << QStringLiteral("<<<<<<<<<<<<<D<>");
    QTest::newRow("double-clicked word") << QStringLiteral("<W");
}

void LongPageTest::longLineKeysActAsOnShortLines()
{
    QFETCH(QString, keys);
    const QString tail = QStringLiteral("ab\U0001F600\U0001F600 cd  ef g hi");
    Windows windows;
    QTextEdit& memo = *windows.memo1();
    const auto typeOn = [&](const QString& line) -> QString {
        memo.setPlainText(line);
        QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
        for (const QChar key : keys) {
            const auto click = [&memo](Qt::Key k, Qt::KeyboardModifiers m = {}) {
                QTest::keyClick(&memo, k, m);
            };
            switch (key.unicode()) {
            case '<':
                click(Qt::Key_Left);
                break;
            case '>':
                click(Qt::Key_Right);
                break;
            case 'S':
                click(Qt::Key_Left, Qt::ShiftModifier);
                break;
            case '{':
                click(Qt::Key_Left, Qt::ControlModifier);
                break;
            case '}':
                click(Qt::Key_Right, Qt::ControlModifier);
                break;
            case 'D':
                click(Qt::Key_Delete);
                break;
            case 'B':
                click(Qt::Key_Backspace, Qt::ControlModifier);
                break;
            case 'X':
                click(Qt::Key_Delete, Qt::ControlModifier);
                break;
            case 'W': {
                QCoreApplication::processEvents(); // the view follows the caret
                const bool longPage =
                    qobject_cast<LongPageLayout*>(memo.document()->documentLayout());
                const QRect caret = longPage ? caretInView(memo) : memo.cursorRect();
                QTest::mouseDClick(memo.viewport(), Qt::LeftButton, {}, caret.center());
                break;
            }
            default:
                return QStringLiteral("unknown key");
            }
        }
        QTest::keyClicks(&memo, QStringLiteral("|"));
        return memo.document()->firstBlock().text().mid(line.size() - tail.size());
    };
    const QString onShortLine = typeOn(tail);
    const QString filler = QStringLiteral("0123456789 ").repeated(kLongLineChars / 10);
    QCOMPARE(typeOn(filler + tail), onShortLine);
}

QTEST_MAIN(LongPageTest)
#include "long_page_test.moc"
