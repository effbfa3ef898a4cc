// SPDX-License-Identifier: GPL-3.0-or-later
// The library's three sequences (titles, stored texts, "Ablage" entries) through "Merken",
// "Löschen" and the settings interface, and inserting formulas from the "Ablage" menu.
#include "tests/gui/formula_library/formula_editor_stand.h"

#include <QTextBlock>

class FormulaLibraryTest : public QObject, private FormulaEditorStand
{
    Q_OBJECT

private slots:
    void init() { setUpStand(); }
    void cleanup() { tearDownStand(); }

    void storesTheSelectionUnderANewTitle();
    void returnStoresAsTheDefaultButton();
    void storesAnEmptyTextWithoutSelection();
    void refusesAnEmptyTitle();
    void overwritesAfterYes_data();
    void overwritesAfterYes();
    void decliningOverwriteKeepsTheLibrary();
    void editingTheTextFieldDoesNotChangeWhatIsStored();

    void deleteAsksAndRemovesFromAllThree();
    void decliningDeleteKeepsTheLibrary();
    void deleteWithoutSelectionAsksNothing();
    void deletingFormulaZeroOfThreeKeepsTheMenuRight();
    void mixedDeletesAndStoresStayInStep();

    void multiLineFormulaIsStoredEncodedAndComesBack();
    void legacyTextInsertsOneBreakPerMarkPair();
    void menuClickReplacesTheSelection();
    void menuClickOutsideTheFormulasDoesNothing();

    void setFormulasReplacesTheLibrary();
    void formulaEntriesHaveAltLettersOfTheirOwn();
};

// ---- storing ------------------------------------------------------------------------------

void FormulaLibraryTest::storesTheSelectionUnderANewTitle()
{
    setPage(QStringLiteral("a = 5 m\nb = 2*a\nc = a+b"));
    store(QStringLiteral("Zweimal a"), QStringLiteral("b = 2*a"));
    store(QStringLiteral("Summe"), QStringLiteral("c = a+b"));
    expectLibrary({"Zweimal a", "Summe"}, {"b = 2*a", "c = a+b"}, {"Zweimal a", "Summe"});
    QVERIFY(m_boxes->seen().isEmpty());
    QVERIFY(menuEntry(3)->isEnabled());
}

void FormulaLibraryTest::returnStoresAsTheDefaultButton()
{
    setPage(QStringLiteral("v = s/t"));
    selectInPage(QStringLiteral("v = s/t"));
    titleField()->clear();
    QTest::keyClicks(titleField(), QStringLiteral("Geschwindigkeit"));
    QTest::keyClick(titleField(), Qt::Key_Return);
    expectLibrary({"Geschwindigkeit"}, {"v = s/t"}, {"Geschwindigkeit"});
}

void FormulaLibraryTest::storesAnEmptyTextWithoutSelection()
{
    setPage(QStringLiteral("a = 5 m"));
    caretAtEndOfPage();
    titleField()->setText(QStringLiteral("Leer"));
    click("BTSpeichern");
    expectLibrary({"Leer"}, {""}, {"Leer"});
}

void FormulaLibraryTest::refusesAnEmptyTitle()
{
    setPage(QStringLiteral("a = 5 m"));
    selectInPage(QStringLiteral("a = 5 m"));
    titleField()->clear();
    m_boxes->answer(QStringLiteral("OK"));
    click("BTSpeichern");
    QCOMPARE(m_boxes->seen(),
             QStringList{"Quorvel | Kein Name eingegeben, Abbruch... [OK] | Formeleditor"});
    expectLibrary({}, {}, {});
}

void FormulaLibraryTest::overwritesAfterYes_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("letter case") << "ABC"
                                 << "abc";
    QTest::newRow("same text") << "Kraft"
                               << "Kraft";
    QTest::newRow("umlaut") << "ÄRGER"
                            << "ärger";
}

void FormulaLibraryTest::overwritesAfterYes()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    setPage(QStringLiteral("x = 1\ny = 2\nz = 3"));
    store(QStringLiteral("vorne"), QStringLiteral("x = 1"));
    store(first, QStringLiteral("y = 2"));
    m_boxes->answer(QStringLiteral("Ja"));
    store(second, QStringLiteral("z = 3"));
    QCOMPARE(
        m_boxes->seen(),
        QStringList{"Bestätigung | Formel existiert, überschreiben? [Ja|Nein] | Formeleditor"});
    // The list takes the new spelling, the menu entry keeps the old one until the next start.
    expectLibrary({"vorne", second}, {"x = 1", "z = 3"}, {"vorne", first});
}

void FormulaLibraryTest::decliningOverwriteKeepsTheLibrary()
{
    setPage(QStringLiteral("x = 1\ny = 2"));
    store(QStringLiteral("ABC"), QStringLiteral("x = 1"));
    m_boxes->answer(QStringLiteral("Nein"));
    store(QStringLiteral("abc"), QStringLiteral("y = 2"));
    QCOMPARE(
        m_boxes->seen(),
        QStringList{"Bestätigung | Formel existiert, überschreiben? [Ja|Nein] | Formeleditor"});
    expectLibrary({"ABC"}, {"x = 1"}, {"ABC"});
}

void FormulaLibraryTest::editingTheTextFieldDoesNotChangeWhatIsStored()
{
    setPage(QStringLiteral("p = F/A"));
    selectInPage(QStringLiteral("p = F/A"));
    click("BtGetText");
    QTest::keyClicks(textField(), QStringLiteral(" neu"));
    titleField()->setText(QStringLiteral("Druck"));
    click("BTSpeichern");
    expectLibrary({"Druck"}, {"p = F/A"}, {"Druck"});

    caretAtEndOfPage(); // and overwriting with no selection stores an empty text
    textField()->setPlainText(QStringLiteral("nicht dies"));
    m_boxes->answer(QStringLiteral("Ja"));
    click("BTSpeichern");
    expectLibrary({"Druck"}, {""}, {"Druck"});
}

// ---- deleting -----------------------------------------------------------------------------

void FormulaLibraryTest::deleteAsksAndRemovesFromAllThree()
{
    m_form->setFormulas({"eins", "zwei", "drei"}, {"e = 1", "z = 2", "d = 3"});
    clickTitle(1);
    textField()->setPlainText(QStringLiteral("angesehen"));
    m_boxes->answer(QStringLiteral("Ja"));
    click("BTDelete");
    QCOMPARE(m_boxes->seen(),
             QStringList{"Bestätigung | Formel löschen? [Ja|Nein] | Formeleditor"});
    expectLibrary({"eins", "drei"}, {"e = 1", "d = 3"}, {"eins", "drei"});
    // Deleting shows no other formula: the fields keep what they held.
    QCOMPARE(textField()->toPlainText(), QStringLiteral("angesehen"));
    QCOMPARE(titleField()->text(), QStringLiteral("zwei"));
    click("BTDelete"); // nothing is selected any more: no question, no change
    QCOMPARE(m_boxes->seen().size(), 1);
    expectLibrary({"eins", "drei"}, {"e = 1", "d = 3"}, {"eins", "drei"});
}

void FormulaLibraryTest::decliningDeleteKeepsTheLibrary()
{
    m_form->setFormulas({"eins", "zwei"}, {"e = 1", "z = 2"});
    clickTitle(0);
    m_boxes->answer(QStringLiteral("Nein"));
    click("BTDelete");
    QCOMPARE(m_boxes->seen(),
             QStringList{"Bestätigung | Formel löschen? [Ja|Nein] | Formeleditor"});
    expectLibrary({"eins", "zwei"}, {"e = 1", "z = 2"}, {"eins", "zwei"});
}

void FormulaLibraryTest::deleteWithoutSelectionAsksNothing()
{
    m_form->setFormulas({"eins"}, {"e = 1"});
    click("BTDelete");
    QVERIFY(m_boxes->seen().isEmpty());
    expectLibrary({"eins"}, {"e = 1"}, {"eins"});
}

void FormulaLibraryTest::deletingFormulaZeroOfThreeKeepsTheMenuRight()
{
    setPage(QStringLiteral("a = 1\nb = 2\nc = 3\n"));
    store(QStringLiteral("A"), QStringLiteral("a = 1"));
    store(QStringLiteral("B"), QStringLiteral("b = 2"));
    store(QStringLiteral("C"), QStringLiteral("c = 3"));
    clickTitle(0);
    m_boxes->answer(QStringLiteral("Ja"));
    click("BTDelete");
    expectLibrary({"B", "C"}, {"b = 2", "c = 3"}, {"B", "C"});
    QCOMPARE(m_main->menu.actions().size(), 4);

    caretAtEndOfPage();
    menuEntry(2)->trigger();
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("a = 1\nb = 2\nc = 3\nb = 2"));
    menuEntry(3)->trigger();
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("a = 1\nb = 2\nc = 3\nb = 2c = 3"));
}

void FormulaLibraryTest::mixedDeletesAndStoresStayInStep()
{
    setPage(QStringLiteral("t1\nt2\nt3\nt4\nt5"));
    auto remove = [this](int row) {
        clickTitle(row);
        m_boxes->answer(QStringLiteral("Ja"));
        click("BTDelete");
    };
    store(QStringLiteral("eins"), QStringLiteral("t1"));
    store(QStringLiteral("zwei"), QStringLiteral("t2"));
    store(QStringLiteral("drei"), QStringLiteral("t3"));
    remove(1);
    store(QStringLiteral("vier"), QStringLiteral("t4"));
    expectLibrary({"eins", "drei", "vier"}, {"t1", "t3", "t4"}, {"eins", "drei", "vier"});
    remove(0);
    m_boxes->answer(QStringLiteral("Ja"));
    store(QStringLiteral("DREI"), QStringLiteral("t5"));
    store(QStringLiteral("fünf"), QStringLiteral("t5"));
    remove(2);
    expectLibrary({"DREI", "vier"}, {"t5", "t4"}, {"drei", "vier"});
    remove(0);
    remove(0);
    expectLibrary({}, {}, {});
    store(QStringLiteral("neu"), QStringLiteral("t2"));
    expectLibrary({"neu"}, {"t2"}, {"neu"});

    // Every menu entry inserts the formula at its own position.
    m_main->page.clear();
    menuEntry(2)->trigger();
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("t2"));
    QCOMPARE(m_boxes->seen().size(), 6);
}

// ---- line breaks and inserting ------------------------------------------------------------

void FormulaLibraryTest::multiLineFormulaIsStoredEncodedAndComesBack()
{
    setPage(QStringLiteral("Kreis:\nr = 2 m\nA = Pi*r²\nU = 2*Pi*r\nEnde"));
    store(QStringLiteral("Kreis"), QStringLiteral("r = 2 m\nA = Pi*r²\nU = 2*Pi*r"));
    const QString encoded = "r = 2 m" + CR + LF + "A = Pi*r²" + CR + LF + "U = 2*Pi*r";
    expectLibrary({"Kreis"}, {encoded}, {"Kreis"});

    clickTitle(0);
    QCOMPARE(textField()->toPlainText(), QStringLiteral("r = 2 m\nA = Pi*r²\nU = 2*Pi*r"));
    QCOMPARE(textField()->document()->blockCount(), 3);

    m_main->page.setPlainText(QStringLiteral("oben\nunten"));
    selectInPage(QStringLiteral("unten"));
    menuEntry(2)->trigger();
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("oben\nr = 2 m\nA = Pi*r²\nU = 2*Pi*r"));
    QCOMPARE(m_main->page.document()->blockCount(), 4);
    QCOMPARE(m_main->page.textCursor().position(),
             static_cast<int>(m_main->page.toPlainText().size())); // caret behind the text
    QVERIFY(!m_main->page.textCursor().hasSelection());
}

void FormulaLibraryTest::legacyTextInsertsOneBreakPerMarkPair()
{
    // As read from a legacy settings file: 141 138 between the lines, and a lone 138.
    m_form->setFormulas({"alt"}, {"x = 1" + CR + LF + "y = 2" + LF + "z = 3"});
    m_main->page.clear();
    menuEntry(2)->trigger();
    QCOMPARE(m_main->page.document()->blockCount(), 3);
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("x = 1\ny = 2\nz = 3"));

    m_main->page.document()->undo(); // one step takes the whole insertion back
    QCOMPARE(m_main->page.toPlainText(), QString());
}

void FormulaLibraryTest::menuClickReplacesTheSelection()
{
    m_form->setFormulas({"F"}, {"F = m*a"});
    setPage(QStringLiteral("vorher ALT nachher"));
    selectInPage(QStringLiteral("ALT"));
    QTextCharFormat red;
    red.setForeground(Qt::red);
    m_main->page.textCursor().mergeCharFormat(red);
    menuEntry(2)->trigger();
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("vorher F = m*a nachher"));
    QCOMPARE(m_main->page.textCursor().position(), 14);
    QCOMPARE(m_main->page.textCursor().charFormat().foreground().color(), QColor(Qt::red));
}

void FormulaLibraryTest::menuClickOutsideTheFormulasDoesNothing()
{
    m_form->setFormulas({"F"}, {"F = m*a"});
    setPage(QStringLiteral("bleibt"));
    m_form->onFormulaEntry(menuEntry(0));
    m_form->onFormulaEntry(menuEntry(1));
    m_form->onFormulaEntry(nullptr);
    QAction elsewhere(QStringLiteral("F"));
    m_form->onFormulaEntry(&elsewhere);
    QCOMPARE(m_main->page.toPlainText(), QStringLiteral("bleibt"));
}

// ---- the settings side --------------------------------------------------------------------

void FormulaLibraryTest::setFormulasReplacesTheLibrary()
{
    setPage(QStringLiteral("alt"));
    store(QStringLiteral("alt"), QStringLiteral("alt"));
    m_form->setFormulas({"a", "b", ""}, {"1", "2" + CR + LF + "3"});
    expectLibrary({"a", "b", ""}, {"1", "2" + CR + LF + "3", ""}, {"a", "b", ""});
    m_form->setFormulas({}, {"ohne Titel"});
    expectLibrary({}, {}, {});
}

// Each entry's first letter or digit that no entry above it has taken (the fake "Bearbeiten..."
// has none); an "&" of a title reads as itself. A deletion hands the letters out anew.
void FormulaLibraryTest::formulaEntriesHaveAltLettersOfTheirOwn()
{
    setPage(QStringLiteral("R = U/I"));
    store(QStringLiteral("Spannung & Strom"), QStringLiteral("R = U/I"));
    QCOMPARE(menuEntry(2)->text(), QStringLiteral("&Spannung && Strom"));
    QCOMPARE(m_form->titles(), QStringList{"Spannung & Strom"});
    store(QStringLiteral("Strom"), QStringLiteral("R = U/I"));
    store(QStringLiteral("st"), QStringLiteral("R = U/I"));
    store(QStringLiteral("2 & 3"), QStringLiteral("R = U/I"));
    QCOMPARE(menuEntry(3)->text(), QStringLiteral("S&trom"));
    QCOMPARE(menuEntry(4)->text(), QStringLiteral("st")); // both letters taken: none
    QCOMPARE(menuEntry(5)->text(), QStringLiteral("&2 && 3"));

    clickTitle(0);
    m_boxes->answer(QStringLiteral("Ja"));
    click("BTDelete");
    QCOMPARE(menuEntry(2)->text(), QStringLiteral("&Strom"));
    QCOMPARE(menuEntry(3)->text(), QStringLiteral("s&t"));
    expectLibrary({"Strom", "st", "2 & 3"}, {"R = U/I", "R = U/I", "R = U/I"},
                  {"Strom", "st", "2 & 3"});
}

int main(int argc, char** argv)
{
    return runGermanQtTest<FormulaLibraryTest>(argc, argv);
}

#include "formula_library_test.moc"
