// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/files/program_dir.h"
#include "gui/help/help_window.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace quorvel;

class HelpWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        SetProgramDir(m_folder.path());
    }

    void missingFilesKeepThePlaceholder()
    {
        HelpWindow help;
        QVERIFY(!help.isVisible());
        help.ShowHelp(QStringLiteral("ZIV.hlp"));
        QVERIFY(help.isVisible());
        QCOMPARE(help.RichEdit1->toPlainText(), QStringLiteral("Keine Hilfe verf\u00FCgbar...."));
        QVERIFY(help.RichEdit1->isReadOnly());
        QCOMPARE(help.windowTitle(), QStringLiteral("Taschenrechner Hilfe"));
    }

    void aMissingFileShowsTheTextShownBefore()
    {
        writeFile(QStringLiteral("ZIV.hlp"), "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 "
                                             "Arial;}}\\f0 Hilfe f\\'fcr {\\b alles}\\par}");
        HelpWindow help;
        help.ShowHelp(QStringLiteral("ZIV.hlp"));
        QCOMPARE(help.RichEdit1->toPlainText(), QStringLiteral("Hilfe f\u00FCr alles"));
        help.hide();
        help.ShowHelp(QStringLiteral("QVE.hlp"));
        QVERIFY(help.isVisible());
        QCOMPARE(help.RichEdit1->toPlainText(), QStringLiteral("Hilfe f\u00FCr alles"));
    }

    void escCloses()
    {
        HelpWindow help;
        help.ShowHelp(QStringLiteral("ZIV.hlp"));
        QVERIFY(QTest::qWaitForWindowActive(&help));
        QTest::keyClick(help.RichEdit1, Qt::Key_Escape);
        QVERIFY(!help.isVisible());
    }

    // The text cannot be changed, but a caret walks through it, so that a screen reader reads it
    // line by line: the arrows and the page keys move it, typing changes nothing.
    void theReadOnlyTextHasACaret()
    {
        QByteArray lines;
        for (int i = 1; i <= 60; ++i)
            lines += "Zeile " + QByteArray::number(i) + "\n";
        writeFile(QStringLiteral("ZIV.hlp"), lines);
        HelpWindow help;
        help.ShowHelp(QStringLiteral("ZIV.hlp"));
        QVERIFY(QTest::qWaitForWindowActive(&help));
        QTextEdit* text = help.RichEdit1;
        const QString shown = text->toPlainText();
        QCOMPARE(QApplication::focusWidget(), text);
        QCOMPARE(text->textCursor().position(), 0);
        QTest::keyClick(text, Qt::Key_Down);
        QCOMPARE(text->textCursor().blockNumber(), 1);
        QTest::keyClick(text, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(text->textCursor().positionInBlock(), 6); // behind "Zeile "
        QTest::keyClick(text, Qt::Key_PageDown);
        QVERIFY(text->textCursor().blockNumber() > 2);
        QTest::keyClicks(text, "x");
        QTest::keyClick(text, Qt::Key_Delete);
        QCOMPARE(text->toPlainText(), shown);
        QAccessibleTextInterface* read =
            QAccessible::queryAccessibleInterface(text)->textInterface();
        QCOMPARE(read->cursorPosition(), text->textCursor().position());
    }

    void plainTextFilesAreShownToo()
    {
        writeFile(QStringLiteral("QVE.hlp"), "Einheiten \xE4ndern");
        HelpWindow help;
        help.ShowHelp(QStringLiteral("QVE.hlp"));
        QCOMPARE(help.RichEdit1->toPlainText(), QStringLiteral("Einheiten \u00E4ndern"));
    }

private:
    void writeFile(const QString& name, const QByteArray& data)
    {
        QFile file(m_folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    QTemporaryDir m_folder;
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
