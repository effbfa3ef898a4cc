// SPDX-License-Identifier: GPL-3.0-or-later
// The "Formeleditor" window: its controls and look, and the text field, title
// field and selection handlers ("Holen", "Einsetzen", a click in the list, "Bearbeiten...").
#include "tests/gui/formula_library/formula_editor_stand.h"

#include <QGroupBox>
#include <QLabel>
#include <QTemporaryDir>

class FormulaEditorWindowTest : public QObject, private FormulaEditorStand
{
    Q_OBJECT

private slots:
    void init() { setUpStand(); }
    void cleanup() { tearDownStand(); }

    void windowLayout_data();
    void windowLayout();
    void windowLooksLikeADialog();
    void showingFocusesTheTitle();
    void escCloses();
    void tabLeavesTheFormulaFieldCtrlTabTypesATab();
    void altLettersReachTheButtonsAndFields();
    void endeHidesAndKeepsContents();

    void titleClickShowsTheFormula();
    void titleKeysShowTheFormula();

    void holenTakesTheSelection();
    void einsetzenPutsTheTextFieldIntoThePage();
    void bearbeitenWithSelectionFillsTheFields();
    void bearbeitenWithoutSelectionOnlyShows();

    void pictureOfTheWindow();
};

// ---- the window ---------------------------------------------------------------------------

namespace {

// The caption as it reads (the "&" only marks its Alt letter), and that letter.
struct Caption
{
    QString text;
    QChar letter;
};
Caption readCaption(QString text)
{
    const qsizetype mark = text.indexOf(QLatin1Char('&'));
    if (mark < 0 || mark + 1 >= text.size())
        return {text, QChar()};
    const QChar letter = text.at(mark + 1);
    return {text.remove(mark, 1), letter};
}

} // namespace

void FormulaEditorWindowTest::windowLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry"); // a zero size: a label, only its place is fixed
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("letter"); // its Alt letter

    QTest::newRow("ftitel") << "ftitel"
                            << "Form5" << QRect(8, 8, 321, 97) << ""
                            << "";
    QTest::newRow("Label1") << "Label1"
                            << "Form5" << QRect(8, 109, 0, 0) << "Formel:"
                            << "F";
    QTest::newRow("RichEdit1") << "RichEdit1"
                               << "Form5" << QRect(8, 128, 321, 137) << ""
                               << "";
    QTest::newRow("Label2") << "Label2"
                            << "Form5" << QRect(8, 269, 0, 0) << "Name:"
                            << "N";
    QTest::newRow("Edit1") << "Edit1"
                           << "Form5" << QRect(8, 288, 321, 26) << ""
                           << "";
    QTest::newRow("GroupBox2") << "GroupBox2"
                               << "Form5" << QRect(8, 317, 226, 57) << "Formel "
                               << "";
    QTest::newRow("BTSpeichern") << "BTSpeichern"
                                 << "GroupBox2" << QRect(8, 24, 97, 25) << "Merken"
                                 << "M";
    QTest::newRow("BTDelete") << "BTDelete"
                              << "GroupBox2" << QRect(120, 24, 97, 25) << "Löschen"
                              << "L";
    QTest::newRow("GroupBox1") << "GroupBox1"
                               << "Form5" << QRect(8, 376, 226, 57) << "Markierung"
                               << "";
    QTest::newRow("BtGetText") << "BtGetText"
                               << "GroupBox1" << QRect(8, 24, 97, 25) << "Holen"
                               << "H";
    QTest::newRow("BtToText") << "BtToText"
                              << "GroupBox1" << QRect(120, 24, 97, 25) << "Einsetzen"
                              << "s";
    QTest::newRow("BtEnde") << "BtEnde"
                            << "Form5" << QRect(243, 324, 86, 109) << "Ende"
                            << "E";
}

void FormulaEditorWindowTest::windowLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, letter);

    auto* control = m_form->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QVERIFY(control->isVisible());
    if (geometry.isEmpty()) {
        QCOMPARE(control->pos(), geometry.topLeft());
    } else {
        QCOMPARE(control->geometry(), geometry);
    }
    // Every control lies inside its parent, and its text fits (no cut captions).
    QVERIFY(control->parentWidget()->rect().contains(control->geometry()));
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(readCaption(label->text()).text, text);
        QCOMPARE(QString(readCaption(label->text()).letter), letter);
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(readCaption(button->text()).text, text);
        QCOMPARE(QString(readCaption(button->text()).letter), letter);
        QVERIFY(button->width() > button->fontMetrics().horizontalAdvance(text));
    } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
        QCOMPARE(box->title(), text);
        QVERIFY(box->font().italic());
        QCOMPARE(box->font().pixelSize(), 13);
    }
}

void FormulaEditorWindowTest::windowLooksLikeADialog()
{
    QCOMPARE(m_form->objectName(), QStringLiteral("Form5"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Formeleditor"));
    QCOMPARE(m_form->size(), QSize(333, 440));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize()); // not resizable
    QVERIFY(!m_form->isModal());
    QCOMPARE(m_form->font().family(), QStringLiteral("Arial"));
    QCOMPARE(m_form->font().pixelSize(), 15);
    QVERIFY(m_form->font().bold());
    QVERIFY(child<QPushButton>("BTSpeichern")->isDefault());
    QVERIFY(child<QPushButton>("BTSpeichern")->font().italic()); // takes its group box's font
    QVERIFY(child<QPushButton>("BtEnde")->font().bold());
}

void FormulaEditorWindowTest::showingFocusesTheTitle()
{
    m_form->hide();
    titleField()->setText(QStringLiteral("Kraft"));
    textField()->setFocus();
    m_form->show();
    QCOMPARE(m_form->focusWidget(), titleField());
    QCOMPARE(titleField()->selectedText(), QStringLiteral("Kraft"));
}

// Esc closes from every field; like "Ende", closing only hides the window.
void FormulaEditorWindowTest::escCloses()
{
    for (QWidget* field : {static_cast<QWidget*>(titleField()), static_cast<QWidget*>(textField()),
                           static_cast<QWidget*>(titleList())}) {
        m_form->show();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY2(!m_form->isVisible(), field->objectName().toLatin1());
    }
}

void FormulaEditorWindowTest::tabLeavesTheFormulaFieldCtrlTabTypesATab()
{
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    textField()->setPlainText(QStringLiteral("a=1"));
    textField()->setFocus();
    textField()->moveCursor(QTextCursor::End);
    QTest::keyClick(textField(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(textField()->toPlainText(), QStringLiteral("a=1\t"));
    QTest::keyClick(textField(), Qt::Key_Tab);
    QCOMPARE(textField()->toPlainText(), QStringLiteral("a=1\t"));
    QCOMPARE(QApplication::focusWidget(), titleField());
    QTest::keyClick(titleField(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), textField());
}

// Alt and a letter reach a field or press a button wherever the focus is, and type nothing.
void FormulaEditorWindowTest::altLettersReachTheButtonsAndFields()
{
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    setPage(QStringLiteral("N = kg*m/s²"));
    selectInPage(QStringLiteral("N = kg*m/s²"));
    textField()->setFocus();
    QTest::keyClick(textField(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), titleField());
    QTest::keyClick(titleField(), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), textField());
    // A button pressed by its letter clicks a moment later.
    QTest::keyClick(textField(), Qt::Key_H, Qt::AltModifier); // "Holen"
    QTRY_COMPARE(titleField()->text(), QStringLiteral("Neue Formel"));
    QCOMPARE(textField()->toPlainText(), QStringLiteral("N = kg*m/s²"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier); // "Ende"
    QTRY_VERIFY(!m_form->isVisible());
}

void FormulaEditorWindowTest::endeHidesAndKeepsContents()
{
    setPage(QStringLiteral("F = m*a"));
    store(QStringLiteral("Kraft"), QStringLiteral("F = m*a"));
    textField()->setPlainText(QStringLiteral("noch da"));
    click("BtEnde");
    QVERIFY(!m_form->isVisible());
    m_form->show();
    QCOMPARE(textField()->toPlainText(), QStringLiteral("noch da"));
    QCOMPARE(titleField()->text(), QStringLiteral("Kraft"));
    expectLibrary({"Kraft"}, {"F = m*a"}, {"Kraft"});
}

// ---- looking at a formula -----------------------------------------------------------------

void FormulaEditorWindowTest::titleClickShowsTheFormula()
{
    m_form->setFormulas({"eins", "zwei"}, {"e = 1", "z = 2" + CR + LF + "w = z"});
    clickTitle(1);
    QCOMPARE(titleField()->text(), QStringLiteral("zwei"));
    QCOMPARE(textField()->toPlainText(), QStringLiteral("z = 2\nw = z"));
    QCOMPARE(textField()->document()->blockCount(), 2);

    textField()->setPlainText(QStringLiteral("verändert")); // a second click shows it again
    clickTitle(1);
    QCOMPARE(textField()->toPlainText(), QStringLiteral("z = 2\nw = z"));
    clickTitle(0);
    QCOMPARE(titleField()->text(), QStringLiteral("eins"));
    QCOMPARE(textField()->toPlainText(), QStringLiteral("e = 1"));
}

void FormulaEditorWindowTest::titleKeysShowTheFormula()
{
    m_form->setFormulas({"eins", "zwei"}, {"e = 1", "z = 2"});
    clickTitle(0);
    QTest::keyClick(titleList(), Qt::Key_Down);
    QCOMPARE(titleField()->text(), QStringLiteral("zwei"));
    QCOMPARE(textField()->toPlainText(), QStringLiteral("z = 2"));
}

// ---- the worksheet selection --------------------------------------------------------------

void FormulaEditorWindowTest::holenTakesTheSelection()
{
    setPage(QStringLiteral("a = 1\nb = 2\nc = 3"));
    selectInPage(QStringLiteral("a = 1\nb = 2"));
    titleField()->setText(QStringLiteral("alt"));
    click("BtGetText");
    QCOMPARE(textField()->toPlainText(), QStringLiteral("a = 1\nb = 2"));
    QCOMPARE(textField()->document()->blockCount(), 2);
    QCOMPARE(titleField()->text(), QStringLiteral("Neue Formel"));
    QCOMPARE(titleField()->selectedText(), QStringLiteral("Neue Formel"));
    QCOMPARE(m_form->focusWidget(), titleField());

    caretAtEndOfPage();
    click("BtGetText");
    QCOMPARE(textField()->toPlainText(), QString());
    expectLibrary({}, {}, {}); // taking is not storing
}

void FormulaEditorWindowTest::einsetzenPutsTheTextFieldIntoThePage()
{
    setPage(QStringLiteral("Anfang XX Ende"));
    selectInPage(QStringLiteral("XX"));
    textField()->setPlainText(QStringLiteral("m = 2 kg\ng = 9.81 m/s²"));
    click("BtToText");
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("Anfang m = 2 kg\ng = 9.81 m/s² Ende"));
    QCOMPARE(m_main->page.document()->blockCount(), 2);
}

void FormulaEditorWindowTest::bearbeitenWithSelectionFillsTheFields()
{
    m_form->hide();
    setPage(QStringLiteral("E = m*c²\nP = E/t"));
    selectInPage(QStringLiteral("E = m*c²\nP = E/t"));
    m_form->showWithSelection();
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->isModal());
    QCOMPARE(textField()->toPlainText(), QStringLiteral("E = m*c²\nP = E/t"));
    QCOMPARE(titleField()->text(), QStringLiteral("Neue Formel"));
    QCOMPARE(titleField()->selectedText(), QStringLiteral("Neue Formel"));
    // Not modal: the page still takes input while the editor is open.
    QTest::keyClicks(&m_main->page, QStringLiteral("x"));
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("x"));
}

void FormulaEditorWindowTest::bearbeitenWithoutSelectionOnlyShows()
{
    m_form->hide();
    textField()->setPlainText(QStringLiteral("bleibt"));
    titleField()->setText(QStringLiteral("auch"));
    setPage(QStringLiteral("E = m*c²"));
    caretAtEndOfPage();
    m_form->showWithSelection();
    QVERIFY(m_form->isVisible());
    QCOMPARE(textField()->toPlainText(), QStringLiteral("bleibt"));
    QCOMPARE(titleField()->text(), QStringLiteral("auch"));
}

// ---- a picture ----------------------------------------------------------------------------

// Saves the window as QUORVEL_FORMELEDITOR_PNG names it (docs/formeleditor.png is made this
// way), otherwise into a temporary folder, so that a person can look at it.
void FormulaEditorWindowTest::pictureOfTheWindow()
{
    m_form->setFormulas(
        {"Kreisfläche", "Ohmsches Gesetz", "Kraft", "Druck", "Leistung"},
        {"r = 2 m" + CR + LF + "A = Pi*r²", "U = R*I", "F = m*a", "p = F/A", "P = U*I"});
    clickTitle(0);
    QTemporaryDir folder;
    QString file = qEnvironmentVariable("QUORVEL_FORMELEDITOR_PNG");
    if (file.isEmpty())
        file = folder.filePath(QStringLiteral("formeleditor.png"));
    const QImage picture = m_form->grab().toImage();
    QCOMPARE(picture.size() / picture.devicePixelRatio(), QSize(333, 440));
    QVERIFY(picture.save(file));
    qInfo("picture: %s", qPrintable(file));
}

int main(int argc, char** argv)
{
    return runGermanQtTest<FormulaEditorWindowTest>(argc, argv);
}

#include "formula_editor_window_test.moc"
