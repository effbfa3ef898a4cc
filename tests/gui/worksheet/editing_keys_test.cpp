// SPDX-License-Identifier: GPL-3.0-or-later
// The Ctrl key table and Insert on the real pages: formats of the selection, the
// consumed keys, and the keys left to the editor.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/platform/message_boxes.h"
#include "gui/worksheet/font_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Selects characters [from, to) of line row.
void select(QTextEdit& memo, int row, int from, int to)
{
    QTextCursor c(memo.document()->findBlockByNumber(row));
    const int start = c.position();
    c.setPosition(start + from);
    c.setPosition(start + to, QTextCursor::KeepAnchor);
    memo.setTextCursor(c);
}

// The format of character i of line row.
QTextCharFormat formatAt(const QTextEdit& memo, int row, int i)
{
    QTextCursor c(memo.document()->findBlockByNumber(row));
    c.setPosition(c.position() + i + 1);
    return c.charFormat();
}

QFont fontAt(const QTextEdit& memo, int row, int i)
{
    return formatAt(memo, row, i).font().resolve(memo.document()->defaultFont());
}

} // namespace

class EditingKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }

    void insertAddsAnEmptyLineAboveTheCaret_data();
    void insertAddsAnEmptyLineAboveTheCaret();
    void ctrlInsertDoesNotCopy();
    void ctrlBTwiceRestoresTheStyle();
    void ctrlKAndCtrlUToggle();
    void ctrlUpGrowsTheFont();
    void ctrlDownStopsAtFive();
    void ctrlHAndCtrlLSetTheScript();
    void ctrlNSetsTheStandardFont();
    void ctrlASelectsAll();
    void ctrlEShowsTheUnitDefinitionsNotModal();
    void ctrlLettersAreConsumed_data();
    void ctrlLettersAreConsumed();
    void ctrlAltIsNotCtrlMode();
    void ctrlZAndClipboardStayWithTheEditor();
    void ctrlFOpensTheFontDialog();
    void fontDialogCancelChangesNothing();
    void enterConfirmsTheFontDialogFromEveryField_data();
    void enterConfirmsTheFontDialogFromEveryField();
    void typedTextUsesTheEditorFont();
    void pastedRichTextLosesOnlyItsBackgrounds();
};

void EditingKeysTest::insertAddsAnEmptyLineAboveTheCaret_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("first line") << 0 << int(Qt::NoModifier) << QStringList{"", "a", "b"};
    QTest::newRow("second line") << 1 << int(Qt::NoModifier) << QStringList{"a", "", "b"};
    QTest::newRow("Shift+Insert does not paste")
        << 1 << int(Qt::ShiftModifier) << QStringList{"a", "", "b"};
}

void EditingKeysTest::insertAddsAnEmptyLineAboveTheCaret()
{
    QFETCH(int, row);
    QFETCH(int, modifiers);
    QFETCH(QStringList, expected);
    Windows w;
    QTextEdit& memo = *w.memo1();
    QApplication::clipboard()->setText(QStringLiteral("Zwischenablage"));
    setPageLines(memo, {"a", "b"});
    setCaret(memo, row, 1);

    QTest::keyClick(&memo, Qt::Key_Insert, Qt::KeyboardModifiers(modifiers));

    QCOMPARE(pageLines(memo), expected);
    QCOMPARE(caretRow(memo), row);
    QCOMPARE(caretColumn(memo), 0);
}

void EditingKeysTest::ctrlInsertDoesNotCopy()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    QApplication::clipboard()->setText(QStringLiteral("vorher"));
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    QTest::keyClick(&memo, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("vorher"));
    QCOMPARE(pageLines(memo), QStringList{"abc"});
}

void EditingKeysTest::ctrlBTwiceRestoresTheStyle()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"fett und mager"});
    QVERIFY(fontAt(memo, 0, 0).bold()); // the page's font is bold

    select(memo, 0, 0, 4);
    QTest::keyClick(&memo, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(!fontAt(memo, 0, 0).bold());
    QVERIFY(!fontAt(memo, 0, 3).bold());
    QVERIFY(fontAt(memo, 0, 5).bold());
    QCOMPARE(pageLines(memo), QStringList{"fett und mager"}); // no "b" typed

    QTest::keyClick(&memo, Qt::Key_B, Qt::ControlModifier);
    QVERIFY(fontAt(memo, 0, 0).bold());
    QVERIFY(fontAt(memo, 0, 3).bold());
}

void EditingKeysTest::ctrlKAndCtrlUToggle()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    QTest::keyClick(&memo, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_U, Qt::ControlModifier);
    QFont f = fontAt(memo, 0, 1);
    QVERIFY(f.italic());
    QVERIFY(f.underline());
    QVERIFY(f.bold());
    QTest::keyClick(&memo, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier); // Shift is allowed
    f = fontAt(memo, 0, 1);
    QVERIFY(!f.italic());
    QVERIFY(f.underline());
}

void EditingKeysTest::ctrlUpGrowsTheFont()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    QCOMPARE(fontAt(memo, 0, 0).pointSize(), 11);
    select(memo, 0, 0, 2);
    QTest::keyClick(&memo, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(fontAt(memo, 0, 0).pointSize(), 12);
    QCOMPARE(fontAt(memo, 0, 2).pointSize(), 11);
    QCOMPARE(memo.textCursor().selectedText(), QStringLiteral("ab")); // not moved by Up
}

void EditingKeysTest::ctrlDownStopsAtFive()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    w.mainWindow.currentSheet().setSelectionSize(7);
    QTest::keyClick(&memo, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(fontAt(memo, 0, 1).pointSize(), 6);
    QTest::keyClick(&memo, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(fontAt(memo, 0, 1).pointSize(), 5);
    QTest::keyClick(&memo, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(fontAt(memo, 0, 1).pointSize(), 5);

    w.mainWindow.currentSheet().setSelectionSize(4); // already below: left as it is
    QTest::keyClick(&memo, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(fontAt(memo, 0, 1).pointSize(), 4);
}

void EditingKeysTest::ctrlHAndCtrlLSetTheScript()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"m2 H2O"});
    select(memo, 0, 1, 2);
    QTest::keyClick(&memo, Qt::Key_H, Qt::ControlModifier);
    select(memo, 0, 4, 5);
    QTest::keyClick(&memo, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(formatAt(memo, 0, 1).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(memo, 0, 4).verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(memo, 0, 0).verticalAlignment(), QTextCharFormat::AlignNormal);
    QCOMPARE(pageLines(memo), QStringList{"m2 H2O"});
}

void EditingKeysTest::ctrlNSetsTheStandardFont()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    QTest::keyClick(&memo, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_H, Qt::ControlModifier);
    w.mainWindow.currentSheet().setSelectionColor(kRed);
    w.mainWindow.currentSheet().setSelectionSize(20);

    QTest::keyClick(&memo, Qt::Key_N, Qt::ControlModifier);

    const CharFormat f = w.mainWindow.currentSheet().selectionFormat();
    QCOMPARE(f.name, QStringLiteral("Arial"));
    QCOMPARE(f.size, 11);
    QCOMPARE(f.style, int(StyleBold));
    QCOMPARE(f.color.rgb(), kBlack.rgb());
    QCOMPARE(f.script, ScriptPosition::Normal);
}

void EditingKeysTest::ctrlASelectsAll()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"eins", "zwei"});
    setCaret(memo, 0, 0);
    QTest::keyClick(&memo, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(memo.textCursor().selectedText(), QStringLiteral("eins\u2029zwei"));
}

void EditingKeysTest::ctrlEShowsTheUnitDefinitionsNotModal()
{
    Windows w;
    QVERIFY(!w.unitDefinitions.isVisible());
    QTest::keyClick(w.memo1(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(w.unitDefinitions.isVisible());
    QVERIFY(!w.unitDefinitions.isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(pageLines(*w.memo1()), QStringList{""});
}

void EditingKeysTest::ctrlLettersAreConsumed_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("T (keypad)") << int(Qt::Key_T);
    QTest::newRow("Execute") << int(Qt::Key_Execute);
}

void EditingKeysTest::ctrlLettersAreConsumed()
{
    QFETCH(int, key);
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    setCaret(memo, 0, 1);
    QVERIFY(w.mainWindow.MemoKeyDown(key, Qt::ControlModifier));
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    QApplication::sendEvent(&memo, &press);
    QVERIFY(press.isAccepted());
    QCOMPARE(pageLines(memo), QStringList{"abc"});
    QCOMPARE(caretColumn(memo), 1);
}

void EditingKeysTest::ctrlAltIsNotCtrlMode()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    QVERIFY(!w.mainWindow.MemoKeyDown(Qt::Key_B, Qt::ControlModifier | Qt::AltModifier));
    QVERIFY(!w.mainWindow.MemoKeyDown(Qt::Key_Z, Qt::ControlModifier));
    QVERIFY(!w.mainWindow.MemoKeyDown(Qt::Key_C, Qt::ControlModifier));
    QVERIFY(!w.mainWindow.MemoKeyDown(Qt::Key_V, Qt::ControlModifier));
    QVERIFY(!w.mainWindow.MemoKeyDown(Qt::Key_X, Qt::ControlModifier));
    // With Alt held Insert is the plain Insert of the table.
    setPageLines(memo, {"a"});
    QTest::keyClick(&memo, Qt::Key_Insert, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(pageLines(memo), (QStringList{"", "a"}));
}

void EditingKeysTest::ctrlZAndClipboardStayWithTheEditor()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    memo.document()->clearUndoRedoStacks();
    select(memo, 0, 0, 2);
    QTest::keyClick(&memo, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ab"));
    setCaret(memo, 0, 3);
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pageLines(memo), QStringList{"abcab"});
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pageLines(memo), QStringList{"abc"});
    // Redo: Ctrl+Y as on most desktops, and the editor's own Ctrl+Shift+Z.
    QTest::keyClick(&memo, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pageLines(memo), QStringList{"abcab"});
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pageLines(memo), QStringList{"abcab"});
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pageLines(memo), QStringList{"abc"});
    select(memo, 0, 1, 3);
    QTest::keyClick(&memo, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(pageLines(memo), QStringList{"a"});
}

void EditingKeysTest::ctrlFOpensTheFontDialog()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    w.mainWindow.currentSheet().setSelectionColor(QColor(0, 0, 255));

    CharFormat preloaded;
    ModalDriver driver;
    driver.then([&](QWidget* window) {
        auto* dialog = qobject_cast<SheetFontDialog*>(window);
        QVERIFY(dialog);
        preloaded = dialog->charFormat();
        QFont font(QStringLiteral("Liberation Serif"), 16);
        font.setStyleName(QStringLiteral("Italic")); // as picked in the style list
        dialog->fontChooser()->setCurrentFont(font);
        dialog->colorBox()->setCurrentIndex(dialog->colorBox()->findText(QStringLiteral("Rot")));
        dialog->accept();
    });
    QTest::keyClick(&memo, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(driver.waitDone());

    QCOMPARE(preloaded.name, QStringLiteral("Courier New"));
    QCOMPARE(preloaded.size, 11);
    QCOMPARE(preloaded.style, int(StyleBold));
    QCOMPARE(preloaded.color.rgb(), QColor(0, 0, 255).rgb());

    const CharFormat after = w.mainWindow.currentSheet().selectionFormat();
    QCOMPARE(after.name, QStringLiteral("Liberation Serif"));
    QCOMPARE(after.size, 16);
    QCOMPARE(after.style, int(StyleItalic));
    QCOMPARE(after.color.rgb(), kRed.rgb());
    QCOMPARE(pageLines(memo), QStringList{"abc"});
}

void EditingKeysTest::fontDialogCancelChangesNothing()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    ModalDriver driver;
    driver.then([](QWidget* window) {
        auto* dialog = qobject_cast<SheetFontDialog*>(window);
        QVERIFY(dialog);
        dialog->fontChooser()->setCurrentFont(QFont(QStringLiteral("Liberation Serif"), 20));
        QTest::keyClick(dialog->fontChooser()->focusWidget() ? dialog->fontChooser()->focusWidget()
                                                             : dialog,
                        Qt::Key_Escape);
    });
    w.mainWindow.FontDialog();
    QVERIFY(driver.waitDone());
    const CharFormat after = w.mainWindow.currentSheet().selectionFormat();
    QCOMPARE(after.name, QStringLiteral("Courier New"));
    QCOMPARE(after.size, 11);
}

void EditingKeysTest::enterConfirmsTheFontDialogFromEveryField_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("the field that has the focus at the start") << QString();
    QTest::newRow("size field") << QStringLiteral("size");
    QTest::newRow("style list") << QStringLiteral("style");
    QTest::newRow("colour box") << QStringLiteral("Farbe");
}

void EditingKeysTest::enterConfirmsTheFontDialogFromEveryField()
{
    QFETCH(QString, field);
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    select(memo, 0, 0, 3);
    QStringList visibleBoxes;
    ModalDriver driver;
    driver.then([&](QWidget* window) {
        auto* dialog = qobject_cast<SheetFontDialog*>(window);
        QVERIFY(dialog);
        for (const QComboBox* box : dialog->findChildren<QComboBox*>())
            if (box->isVisibleTo(dialog))
                visibleBoxes << box->objectName();
        QFont font(QStringLiteral("Liberation Serif"), 16);
        dialog->fontChooser()->setCurrentFont(font);
        QTRY_VERIFY(dialog->isAncestorOf(QApplication::focusWidget()));
        QWidget* target = QApplication::focusWidget();
        if (field == QStringLiteral("Farbe")) {
            target = dialog->colorBox();
        } else if (!field.isEmpty()) {
            // The chooser's fields have no names; the size field takes digits, the style list
            // lists the styles.
            for (QWidget* child : dialog->fontChooser()->findChildren<QWidget*>()) {
                auto* edit = qobject_cast<QLineEdit*>(child);
                auto* list = qobject_cast<QListView*>(child);
                if ((field == QStringLiteral("size") && edit && !edit->isReadOnly()) ||
                    (field == QStringLiteral("style") && list &&
                     list->model()
                             ->match(list->model()->index(0, 0), Qt::DisplayRole,
                                     QStringLiteral("Italic"))
                             .size() == 1)) {
                    target = child;
                    break;
                }
            }
        }
        QVERIFY(target && dialog->isAncestorOf(target));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        // Still whole: the chooser has not closed itself inside the frame.
        QVERIFY(dialog->fontChooser()->isVisibleTo(dialog));
    });
    w.mainWindow.FontDialog();
    QVERIFY(driver.waitDone());
    QCOMPARE(visibleBoxes, (QStringList{"Farbe", "Schrift"})); // one character set selector
    QCOMPARE(w.mainWindow.currentSheet().selectionFormat().size, 16);
}

void EditingKeysTest::typedTextUsesTheEditorFont()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    QTest::keyClicks(&memo, "3*4");
    const QFont f = fontAt(memo, 0, 0);
    QCOMPARE(f.family(), QStringLiteral("Courier New"));
    QCOMPARE(f.pointSize(), 11);
    QVERIFY(f.bold());
    // fontconfig's metric twin is what is drawn.
    QCOMPARE(QFontInfo(memo.font()).family(), QStringLiteral("Liberation Mono"));
    QCOMPARE(memo.lineWrapMode(), QTextEdit::NoWrap);
    QVERIFY(!memo.tabChangesFocus());
    QTest::keyClick(&memo, Qt::Key_Tab);
    QCOMPARE(pageLines(memo), QStringList{"3*4\t"});
}

// Text copied from a dark web page: its fonts and colours stay, its backgrounds (of spans,
// paragraphs and the page, as CSS or as bgcolor) do not, and Enter then writes a readable line.
void EditingKeysTest::pastedRichTextLosesOnlyItsBackgrounds()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral(
        "<html><body bgcolor=\"#000000\" style=\"background:#101010\">"
        "<p style=\"background-color:#202020\"><span style=\"background:#000; color:#e0e0e0; "
        "font-family:'Liberation Serif'; font-size:14pt\">3*</span><span bgcolor=\"#000000\" "
        "style=\"background-color:black; color:#ffffff\">4</span></p>"
        "<div style=\"background:#303030\">1+1</div></body></html>"));
    data->setText(QStringLiteral("3*4\n1+1"));
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);

    QCOMPARE(pageLines(memo), (QStringList{"3*4", "1+1"}));
    auto noBackground = [&memo](int row) {
        const QTextBlock block = memo.document()->findBlockByNumber(row);
        if (block.blockFormat().hasProperty(QTextFormat::BackgroundBrush))
            return false;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().hasProperty(QTextFormat::BackgroundBrush))
                return false;
        return true;
    };
    QVERIFY(noBackground(0));
    QVERIFY(noBackground(1));
    QCOMPARE(fontAt(memo, 0, 0).family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(fontAt(memo, 0, 0).pointSize(), 14);
    QCOMPARE(lineRuns(memo, 0), (QList<Run>{{"3*", QColor(0xe0, 0xe0, 0xe0)}, {"4", Qt::white}}));

    setCaret(memo, 0, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(lineRuns(memo, 0), (QList<Run>{{"3*4 = 12", kBlack}}));
    QVERIFY(noBackground(0));
}

QTEST_MAIN(EditingKeysTest)
#include "editing_keys_test.moc"
