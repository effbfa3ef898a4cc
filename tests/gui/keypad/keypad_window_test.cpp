// SPDX-License-Identifier: GPL-3.0-or-later
// The keypad window driven as a user would: clicking its keys and fields, with a fake worksheet
// in place of the main window.
#include "gui/keypad/keypad_window.h"

#include "gui/keypad/hemisphere_button.h"
#include "gui/keypad/real_edit.h"
#include "tests/gui/keypad/fake_worksheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QTextBlock>
#include <QToolButton>
#include <QtTest>

using namespace quorvel;

namespace {

struct Keypad
{
    FakeWorksheet sheet;
    KeypadWindow form{sheet};

    Keypad()
    {
        sheet.window.show();
        form.show();
        if (!QTest::qWaitForWindowExposed(&form) || !QTest::qWaitForWindowExposed(&sheet.window))
            qFatal("windows not exposed");
    }

    THemisphereButton* key(const char* name) const
    {
        auto* k = form.findChild<THemisphereButton*>(QLatin1String(name));
        if (k == nullptr)
            qFatal("no key %s", name);
        return k;
    }
    QComboBox* combo() const { return form.findChild<QComboBox*>(QStringLiteral("ComboBox1")); }
    QCheckBox* onTop() const { return form.findChild<QCheckBox*>(QStringLiteral("CBOnTop")); }
    TRealSpinEdit* komma() const { return form.findChild<TRealSpinEdit*>(QStringLiteral("Komma")); }

    void click(const char* name) const
    {
        THemisphereButton* k = key(name);
        QTest::mouseClick(k, Qt::LeftButton, Qt::NoModifier, QPoint(15, 15));
    }

    // Puts the keyboard focus into the keypad's combo box, away from the worksheet.
    void focusKeypad()
    {
        form.activateWindow();
        combo()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), combo());
    }

    bool worksheetHasFocus() const { return QApplication::focusWidget() == sheet.editor; }
};

QColor redOf(const QTextEdit* editor, int position)
{
    QTextCursor c(editor->document());
    c.setPosition(position + 1);
    return c.charFormat().foreground().color();
}

} // namespace

class KeypadWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void windowAndPanels()
    {
        Keypad k;
        QCOMPARE(k.form.objectName(), QStringLiteral("Form2"));
        QCOMPARE(k.form.windowTitle(), QStringLiteral("Tasteneingabe"));
        QCOMPARE(k.form.size(), QSize(185, 247));
        QCOMPARE(k.form.pos(), QPoint(409, 290));             // until the settings say otherwise
        QCOMPARE(k.form.minimumSize(), k.form.maximumSize()); // not resizable
        QCOMPARE(k.form.findChild<QFrame*>(QStringLiteral("Panel2"))->geometry(),
                 QRect(0, 0, 185, 210));
        QCOMPARE(k.form.findChild<QFrame*>(QStringLiteral("Panel1"))->geometry(),
                 QRect(0, 210, 185, 37));
    }

    void keys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QColor>("face");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("hint");
        const QColor orange(255, 128, 0);
        const QColor olive(128, 128, 64);
        const QColor blue(0, 128, 192);
        const QColor brown(128, 64, 0);
        auto row = [](const char* name, const char* caption, QPoint p, QColor face, int px,
                      bool bold = true, const char* hint = "") {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption) << p
                                << face << px << bold << QString::fromUtf8(hint);
        };
        row("HemisphereButton25", ">", {146, 2}, QColor(255, 133, 51), 16);
        row("HemisphereButton17", "^2", {8, 40}, olive, 11);
        row("HemisphereButton24", "^3", {40, 40}, olive, 11);
        row("HemisphereButton18", "sqrt", {72, 40}, olive, 11);
        row("HemisphereButton16", "^", {112, 40}, blue, 11);
        row("HemisphereButton10", "C", {148, 40}, brown, 13);
        row("hemi", "1", {8, 76}, orange, 13);
        row("HemisphereButton1", "2", {40, 76}, orange, 13);
        row("HemisphereButton2", "3", {72, 76}, orange, 13);
        row("HemisphereButton12", "/", {112, 76}, blue, 11);
        row("HemisphereButton22", "CL", {148, 76}, brown, 13);
        row("HemisphereButton3", "4", {8, 108}, orange, 13);
        row("HemisphereButton4", "5", {40, 108}, orange, 13);
        row("HemisphereButton5", "6", {72, 108}, orange, 13);
        row("HemisphereButton13", "*", {112, 108}, blue, 13);
        row("HemisphereButton23", "->", {148, 108}, brown, 13, false, "Ans Ende springen");
        row("HemisphereButton6", "7", {8, 140}, orange, 13);
        row("HemisphereButton7", "8", {40, 140}, orange, 13);
        row("HemisphereButton8", "9", {72, 140}, orange, 13);
        row("HemisphereButton14", "+", {112, 140}, blue, 13);
        row("HemisphereButton21", "erg", {148, 140}, brown, 13, false, "Letztes Ergebnis");
        row("HemisphereButton19", "π", {8, 172}, olive, 16);
        row("HemisphereButton9", "0", {40, 172}, orange, 13);
        row("HemisphereButton11", ".", {72, 172}, olive, 13);
        row("HemisphereButton15", "-", {112, 172}, blue, 13);
        row("HemisphereButton20", "=", {148, 172}, orange, 13);
    }

    void keys()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QPoint, position);
        QFETCH(QColor, face);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QFETCH(QString, hint);
        Keypad k;
        const auto* key = k.key(name.toLatin1().constData());
        QCOMPARE(key->parentWidget()->objectName(), QStringLiteral("Panel2"));
        QCOMPARE(key->Caption(), caption);
        QCOMPARE(key->geometry(), QRect(position, QSize(31, 31)));
        QCOMPARE(key->FaceColor(), face);
        QCOMPARE(key->font().pixelSize(), pixels);
        QCOMPARE(key->font().bold(), bold);
        QCOMPARE(key->toolTip(), hint);
        QCOMPARE(key->BevelOuter(), THemisphereBevel::hbLowered);
        QCOMPARE(key->BevelInner(), THemisphereBevel::hbNone);
        QCOMPARE(key->BevelWidth(), 2);
        QCOMPARE(key->AttenControl(), 1.0);
        QVERIFY(key->FaceShaded());
        QCOMPARE(key->BorderStyle(), THemisphereBorder::bsNone);
        QCOMPARE(key->ImageOut().size(), QSize(31, 31) * key->devicePixelRatioF());
    }

    void thereAreTwentySixKeys()
    {
        Keypad k;
        QCOMPARE(k.form.findChildren<THemisphereButton*>().size(), 26);
    }

    void fieldsOfTheLowerStrip()
    {
        Keypad k;
        QCOMPARE(k.onTop()->text(), QStringLiteral("Fenster oben / Komma"));
        QCOMPARE(k.onTop()->isChecked(), false);
        QCOMPARE(k.onTop()->geometry(), QRect(8, 11, 129, 17));
        QCOMPARE(k.onTop()->parentWidget()->objectName(), QStringLiteral("Panel1"));
        TRealSpinEdit* komma = k.komma();
        QCOMPARE(komma->parentWidget()->objectName(), QStringLiteral("Panel1"));
        QCOMPARE(komma->geometry(), QRect(144, 8, 36, 24));
        QCOMPARE(komma->text(), QStringLiteral("0"));
        QCOMPARE(komma->Komma(), 0);
        QCOMPARE(komma->increment(), 1.0);
        QCOMPARE(komma->spinwidth(), 15);
        QCOMPARE(komma->Einheit(), QString());
        QCOMPARE(komma->font().pixelSize(), 13);
    }

    void functionListLeavesOutTheFirstEntry()
    {
        Keypad k;
        QComboBox* combo = k.combo();
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QStringLiteral("COS()"));
        QCOMPARE(combo->itemText(2), QStringLiteral("MAX(;)"));
        QCOMPARE(combo->currentText(), QStringLiteral("sin()"));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->geometry(), QRect(6, 3, 132, 28));
        QCOMPARE(combo->font().pixelSize(), 16);
        QVERIFY(combo->font().bold());
        QCOMPARE(combo->toolTip(), QStringLiteral("Doppelclick -> Übernehmen"));
    }

    void keysTypeTheirCaptionOverTheSelectionAndFocusTheWorksheet_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        const char* const keys[][2] = {
            {"hemi", "1"},
            {"HemisphereButton1", "2"},
            {"HemisphereButton2", "3"},
            {"HemisphereButton3", "4"},
            {"HemisphereButton4", "5"},
            {"HemisphereButton5", "6"},
            {"HemisphereButton6", "7"},
            {"HemisphereButton7", "8"},
            {"HemisphereButton8", "9"},
            {"HemisphereButton9", "0"},
            {"HemisphereButton11", "."},
            {"HemisphereButton17", "^2"}, // the two characters, not a superscript
            {"HemisphereButton24", "^3"},
            {"HemisphereButton16", "^"},
            {"HemisphereButton12", "/"},
            {"HemisphereButton13", "*"},
            {"HemisphereButton14", "+"},
            {"HemisphereButton15", "-"},
        };
        for (const auto& k : keys)
            QTest::newRow(k[0]) << QString::fromLatin1(k[0]) << QString::fromLatin1(k[1]);
    }

    void keysTypeTheirCaptionOverTheSelectionAndFocusTheWorksheet()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        Keypad k;
        k.sheet.setText(QStringLiteral("a = xyz"), 0);
        k.sheet.select(4, 7);
        k.focusKeypad();
        k.click(key.toLatin1().constData());
        QCOMPARE(k.sheet.text(), QStringLiteral("a = ") + typed);
        QCOMPARE(k.sheet.caret(), 4 + typed.size());
        QTRY_VERIFY(k.worksheetHasFocus());
    }

    void sqrtLeavesTheCaretBetweenTheBrackets()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("2*"), 2);
        k.click("HemisphereButton18");
        QCOMPARE(k.sheet.text(), QStringLiteral("2*sqrt()"));
        QCOMPARE(k.sheet.caret(), 7);
        QTRY_VERIFY(k.worksheetHasFocus());
    }

    void piTypesPiAndKeepsTheFocusInTheKeypad()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("2*r"), 2);
        k.sheet.select(2, 3);
        k.focusKeypad();
        k.click("HemisphereButton19");
        QCOMPARE(k.sheet.text(), QStringLiteral("2*Pi"));
        QCOMPARE(k.sheet.caret(), 4);
        QCOMPARE(QApplication::focusWidget(), k.combo());
    }

    void functionKeyInsertsTheComboTextBeforeItsLastCharacter()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("x = "), 4);
        k.click("HemisphereButton25");
        QCOMPARE(k.sheet.text(), QStringLiteral("x = sin()"));
        QCOMPARE(k.sheet.caret(), 8);
        QTRY_VERIFY(k.worksheetHasFocus());
        k.combo()->setCurrentIndex(2);
        k.sheet.setText(QString(), 0);
        k.click("HemisphereButton25");
        QCOMPARE(k.sheet.text(), QStringLiteral("MAX(;)"));
        QCOMPARE(k.sheet.caret(), 5);
    }

    void functionKeyWithAnEmptyComboTextOnlyStepsBack()
    {
        Keypad k;
        k.combo()->setEditText(QString());
        k.sheet.setText(QStringLiteral("abc"), 3);
        k.click("HemisphereButton25");
        QCOMPARE(k.sheet.text(), QStringLiteral("abc"));
        QCOMPARE(k.sheet.caret(), 2);
    }

    void doubleClickInTheComboInserts()
    {
        Keypad k;
        k.combo()->setEditText(QStringLiteral("COS()"));
        k.sheet.setText(QString(), 0);
        QTest::mouseDClick(k.combo()->lineEdit(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(k.sheet.text(), QStringLiteral("COS()"));
        QCOMPARE(k.sheet.caret(), 4);
        QTRY_VERIFY(k.worksheetHasFocus());
        // No word of the box is left selected for a later key to overwrite.
        QVERIFY(!k.combo()->lineEdit()->hasSelectedText());
        QCOMPARE(k.combo()->currentText(), QStringLiteral("COS()"));
    }

    void equalsEvaluatesThroughTheWorksheetsEnterHandling()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("3*4"), 3);
        k.focusKeypad();
        k.click("HemisphereButton20");
        QCOMPARE(k.sheet.keys, QList<QChar>{QChar(13)});
        QCOMPARE(k.sheet.text(), QStringLiteral("3*4")); // the keypad adds no line break
        QTRY_VERIFY(k.worksheetHasFocus());
    }

    void resultKeySendsEscape()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("a = "), 4);
        k.focusKeypad();
        k.click("HemisphereButton21"); // before any result: the empty last result
        QCOMPARE(k.sheet.keys, QList<QChar>{QChar(27)});
        QCOMPARE(k.sheet.text(), QStringLiteral("a = "));
        QTRY_VERIFY(k.worksheetHasFocus());
        k.sheet.lastResult = QStringLiteral("12 m");
        k.click("HemisphereButton21");
        QCOMPARE(k.sheet.text(), QStringLiteral("a = 12 m"));
    }

    void deleteKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caret");
        QTest::newRow("before the caret") << "12345" << 3 << 3 << "1245" << 2;
        QTest::newRow("at the end") << "12345" << 5 << 5 << "1234" << 4;
        QTest::newRow("at position 0 the first character") << "12345" << 0 << 0 << "2345" << 0;
        QTest::newRow("selection stays") << "12345" << 2 << 4 << "1345" << 1;
        QTest::newRow("backward selection") << "12345" << 4 << 2 << "1345" << 1;
        QTest::newRow("empty text") << "" << 0 << 0 << "" << 0;
        QTest::newRow("joins lines") << "ab\ncd" << 3 << 3 << "abcd" << 2;
    }

    void deleteKey()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(QString, after);
        QFETCH(int, caret);
        Keypad k;
        k.sheet.setText(text, 0);
        k.sheet.select(anchor, position);
        k.focusKeypad();
        k.click("HemisphereButton10");
        QCOMPARE(k.sheet.text(), after);
        QCOMPARE(k.sheet.caret(), caret);
        QCOMPARE(QApplication::focusWidget(), k.combo()); // focus not moved
    }

    void clearLineEmptiesTheCaretsLineOnly()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("a = 1\nb = 2*a\nc"), 9);
        k.focusKeypad();
        k.click("HemisphereButton22");
        QCOMPARE(k.sheet.text(), QStringLiteral("a = 1\n\nc"));
        QCOMPARE(k.sheet.caret(), 6);
        QTRY_VERIFY(k.worksheetHasFocus());
        k.sheet.setText(QString(), 0);
        k.click("HemisphereButton22");
        QCOMPARE(k.sheet.text(), QString());
    }

    void arrowKeyJumpsToTheEndOfTheLine()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("a = 1\nb = 2*a\nc"), 7);
        k.focusKeypad();
        k.click("HemisphereButton23");
        QCOMPARE(k.sheet.text(), QStringLiteral("a = 1\nb = 2*a\nc"));
        QCOMPARE(k.sheet.caret(), 13);
        QTRY_VERIFY(k.worksheetHasFocus());
        k.sheet.setText(QString(), 0);
        k.click("HemisphereButton23");
        QCOMPARE(k.sheet.text(), QString());
    }

    void arrowKeyWritesTheLineInTheFormatOfItsFirstCharacter()
    {
        Keypad k;
        k.sheet.setText(QStringLiteral("y = Variable not found"), 0);
        QTextCursor c(k.sheet.editor->document());
        c.setPosition(4);
        c.setPosition(22, QTextCursor::KeepAnchor);
        QTextCharFormat red;
        red.setForeground(Qt::red);
        c.mergeCharFormat(red);
        k.click("HemisphereButton23");
        QCOMPARE(k.sheet.text(), QStringLiteral("y = Variable not found"));
        QCOMPARE(k.sheet.caret(), 22);
        QVERIFY(redOf(k.sheet.editor, 10) != QColor(Qt::red));
    }

    void decimalPlacesAreTheValueOfKomma_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("initial") << "0" << 0.0;
        QTest::newRow("two") << "2" << 2.0;
        QTest::newRow("negative") << "-2" << -2.0;
        QTest::newRow("typed fraction, rounded by the evaluation") << "2.5" << 2.5;
        QTest::newRow("not a number") << "zwei" << 0.0;
        QTest::newRow("beyond int, refused by the evaluation") << "1e12" << 1e12;
    }

    void decimalPlacesAreTheValueOfKomma()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        Keypad k;
        k.komma()->setText(text);
        QCOMPARE(k.form.KommaValue(), value);
        QCOMPARE(k.form.KommaValue(), k.komma()->Wert());
    }

    void kommaShowsWholeNumbersOnceLeft()
    {
        Keypad k;
        k.form.activateWindow();
        k.komma()->setFocus();
        QTRY_VERIFY(k.komma()->hasFocus());
        k.komma()->setText(QStringLiteral("2.6"));
        k.combo()->setFocus();
        QTRY_VERIFY(!k.komma()->hasFocus());
        QCOMPARE(k.komma()->text(), QStringLiteral("3"));
        QCOMPARE(k.form.KommaValue(), 3.0);
    }

    void kommaArrowsStepTheDecimalPlaces()
    {
        Keypad k;
        QTest::mouseClick(k.komma()->upButton(), Qt::LeftButton);
        QTest::mouseClick(k.komma()->upButton(), Qt::LeftButton);
        QCOMPARE(k.komma()->text(), QStringLiteral("2"));
        QCOMPARE(k.form.KommaValue(), 2.0);
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(k.komma()->downButton(), Qt::LeftButton);
        QCOMPARE(k.komma()->text(), QStringLiteral("-2"));
        QCOMPARE(k.form.KommaValue(), -2.0); // stays in force
    }

    // A value that does not fit scrolls the field, and then the view changes with the caret:
    // at the end "-10" shows as "10".
    void kommaShowsEveryValueInFull()
    {
        Keypad k;
        TRealSpinEdit* komma = k.komma();
        QCOMPARE(komma->size(), QSize(36, 24));
        QCOMPARE(komma->font().pixelSize(), 13);
        for (int v = -99; v <= 99; ++v) {
            komma->setWert(v);
            komma->end(false);
            const QImage atEnd = komma->grab().toImage();
            komma->home(false);
            const QImage atStart = komma->grab().toImage();
            QVERIFY2(atEnd == atStart, qPrintable(komma->text()));
        }
    }

    void clickIntoKommaResetsANegativeValue()
    {
        Keypad k;
        k.komma()->setText(QStringLiteral("-3"));
        QTest::mouseClick(k.komma(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 12));
        QCOMPARE(k.komma()->text(), QStringLiteral("0"));
        k.komma()->setText(QStringLiteral("3"));
        QTest::mouseClick(k.komma(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 12));
        QCOMPARE(k.komma()->text(), QStringLiteral("3"));
    }

    void stayOnTopFollowsTheCheckBoxForBothWindows()
    {
        Keypad k;
        QTest::mouseClick(k.onTop(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 8));
        QVERIFY(k.onTop()->isChecked());
        QVERIFY(k.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(k.sheet.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(k.form.isVisible());
        QVERIFY(k.sheet.window.isVisible());
        QTest::mouseClick(k.onTop(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 8));
        QVERIFY(!k.onTop()->isChecked());
        QVERIFY(!k.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!k.sheet.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(k.form.isVisible());
        QVERIFY(k.sheet.window.isVisible());
    }

    // By keyboard, the keyboard stays with the box whose state it changed.
    void stayOnTopByKeyboardKeepsTheKeyboardAtTheBox()
    {
        Keypad k;
        k.focusKeypad();
        k.onTop()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), k.onTop());
        QTest::keyClick(k.onTop(), Qt::Key_Space);
        QVERIFY(k.onTop()->isChecked());
        QTRY_COMPARE(QApplication::activeWindow(), &k.form);
        QTest::qWait(100);
        QCOMPARE(QApplication::activeWindow(), &k.form);
        QCOMPARE(QApplication::focusWidget(), k.onTop());
    }

    void restoredCheckBoxTakesEffectWhenTheMainWindowAppliesIt()
    {
        FakeWorksheet sheet;
        KeypadWindow form(sheet);
        auto* box = form.findChild<QCheckBox*>(QStringLiteral("CBOnTop"));
        box->setChecked(true); // as the settings store restores it
        QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        form.applyStayOnTop();
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(sheet.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!form.isVisible()); // a hidden keypad stays hidden
    }

    void keypadIsCreatedHiddenAndShownOnRequest()
    {
        FakeWorksheet sheet;
        sheet.window.show();
        KeypadWindow form(sheet, &sheet.window);
        QVERIFY(form.isWindow());
        QVERIFY(!form.isVisible());
        form.showKeypad();
        QVERIFY(form.isVisible());
        form.close();
        QVERIFY(!form.isVisible());
        QVERIFY(sheet.window.isVisible());
    }
};

QTEST_MAIN(KeypadWindowTest)
#include "keypad_window_test.moc"
