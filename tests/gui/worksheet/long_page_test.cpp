// A page too tall for the toolkit's own layout (its positions end near 8.4 million pixels) gets
// the long-page layout: the caret, typing, clicks and painting reach its last line.
#include "gui_test_support.h"

#include "platform/page_files.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::test;

class LongPageTest : public QObject
{
    Q_OBJECT

private slots:
    void longPageStaysResponsiveToItsEnd_data();
    void longPageStaysResponsiveToItsEnd();
};

void LongPageTest::longPageStaysResponsiveToItsEnd_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("lines");
    QTest::newRow("600,000 short lines") << QByteArray("a = 1\\par\n") << 600000;
    QTest::newRow("600,000 empty lines") << QByteArray("\\par\n") << 600000;
}

void LongPageTest::longPageStaysResponsiveToItsEnd()
{
    QFETCH(QByteArray, line);
    QFETCH(int, lines);
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
    QCOMPARE(memo.document()->blockCount(), lines + 1);
    // The last line lies beyond the toolkit layout's ceiling, and reaching it ends.
    const QAbstractTextDocumentLayout& layout = *memo.document()->documentLayout();
    QVERIFY(layout.blockBoundingRect(memo.document()->lastBlock()).top() > 8.4e6);

    bool answered = false;
    QMetaObject::invokeMethod(
        &memo, [&answered] { answered = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(answered);

    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&memo, QStringLiteral("x"));
    QCOMPARE(caretRow(memo), lines);
    QCOMPARE(memo.document()->lastBlock().text(), QStringLiteral("lastx"));

    // The caret's line is where it is drawn and where a click finds it.
    const QRect caret = memo.cursorRect();
    QVERIFY(memo.viewport()->rect().contains(caret));
    QTest::keyClick(&memo, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(caretRow(memo), 0);
    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, caret.center() - QPoint(30, 0));
    QCOMPARE(caretRow(memo), lines);

    // The last line is painted: its pixels are not all paper.
    const QImage picture = memo.viewport()->grab(caret.adjusted(-60, 0, 0, 0)).toImage();
    bool inked = false;
    for (int y = 0; y < picture.height() && !inked; ++y)
        for (int x = 0; x < picture.width() && !inked; ++x)
            inked = picture.pixelColor(x, y) != Qt::white;
    QVERIFY(inked);
}

QTEST_MAIN(LongPageTest)
#include "long_page_test.moc"
