// SPDX-License-Identifier: GPL-3.0-or-later
// TRealEdit and TRealSpinEdit: reading and writing the value through the text, the arrow steps,
// and the layout of the arrows.
#include "gui/keypad/real_edit.h"
#include "gui/settings_store/setting_texts.h"

#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace quorvel;

namespace {

// A spin edit as the keypad uses it, in a shown window with a second control to move the
// focus to.
struct Window
{
    QWidget window;
    TRealSpinEdit* edit;
    QLineEdit* other;

    Window()
    {
        edit = new TRealSpinEdit(&window);
        edit->setGeometry(10, 10, 60, 24);
        other = new QLineEdit(&window);
        other->setGeometry(10, 50, 60, 24);
        window.resize(100, 100);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("window not active");
    }

    void up() { QTest::mouseClick(edit->upButton(), Qt::LeftButton); }
    void down() { QTest::mouseClick(edit->downButton(), Qt::LeftButton); }
};

} // namespace

class RealEditTest : public QObject
{
    Q_OBJECT

private slots:
    void readingTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "2" << 2.0;
        QTest::newRow("leading blanks") << "  2" << 2.0;
        QTest::newRow("trailing blank") << "2 " << 0.0;
        QTest::newRow("decimal point") << "12.5" << 12.5;
        QTest::newRow("comma is not a decimal point") << "12,5" << 0.0;
        QTest::newRow("sign") << "-3.25" << -3.25;
        QTest::newRow("plus sign") << "+4" << 4.0;
        QTest::newRow("exponent") << "1.5e3" << 1500.0;
        QTest::newRow("exponent with sign") << "25E-1" << 2.5;
        QTest::newRow("exponent without digits") << "2e" << 0.0;
        QTest::newRow("no digits") << "-." << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("unit left over") << "3mm" << 0.0;
        QTest::newRow("fraction only") << ".5" << 0.5;
        QTest::newRow("out of range") << "1e999" << 0.0;
    }

    void readingTheText()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        TRealEdit edit;
        edit.setText(text);
        QCOMPARE(edit.Wert(), value);
        QCOMPARE(TextToReal(text), value);
    }

    void readingWithAUnit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("directly behind") << "12.5mm" << 12.5;
        QTest::newRow("blank between") << "12.5 mm" << 12.5;
        QTest::newRow("blanks around") << "  12.5 mm " << 12.5;
        QTest::newRow("unit missing") << "12.5" << 12.5;
        QTest::newRow("unit missing, trailing blank") << "12.5  " << 12.5;
        QTest::newRow("text behind the unit is ignored") << "7mm and more" << 7.0;
        QTest::newRow("no number") << "mm" << 0.0;
    }

    void readingWithAUnit()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        TRealEdit edit;
        edit.setEinheit(QStringLiteral("mm"));
        edit.setText(text);
        QCOMPARE(edit.Wert(), value);
    }

    void writingFormatsWithTheDecimalsAndTheUnit()
    {
        TRealEdit edit;
        QCOMPARE(edit.Komma(), 1);
        edit.setWert(2.345);
        QCOMPARE(edit.text(), QStringLiteral("2.3"));
        edit.setKomma(3); // rewrites the text from its value
        QCOMPARE(edit.text(), QStringLiteral("2.300"));
        edit.setEinheit(QStringLiteral("mm"));
        QCOMPARE(edit.text(), QStringLiteral("2.300mm"));
        edit.setWert(-1.5);
        QCOMPARE(edit.text(), QStringLiteral("-1.500mm"));
        edit.setKomma(0);
        edit.setEinheit(QString());
        edit.setWert(-0.2);
        QCOMPARE(edit.text(), QStringLiteral("0"));
        edit.setWert(1234567.0);
        QCOMPARE(edit.text(), QStringLiteral("1234567"));
    }

    void leavingTheEditNormalisesTheText()
    {
        Window w;
        w.edit->setKomma(1);
        w.edit->setFocus();
        QTRY_VERIFY(w.edit->hasFocus());
        w.edit->setText(QStringLiteral("  2.345"));
        QSignalSpy finished(w.edit, &QLineEdit::editingFinished);
        w.other->setFocus();
        QTRY_VERIFY(w.other->hasFocus());
        QCOMPARE(w.edit->text(), QStringLiteral("2.3"));
        QCOMPARE(finished.count(), 1);
    }

    void valueIsAPropertyThatRewritesTheText()
    {
        TRealSpinEdit edit;
        edit.setKomma(2);
        edit.setText(QStringLiteral("  1.5"));
        QCOMPARE(edit.property("Wert").toDouble(), 1.5);
        QVERIFY(edit.setProperty("Wert", edit.property("Wert")));
        QCOMPARE(edit.text(), QStringLiteral("1.50"));
        QVERIFY(edit.setProperty("Komma", 0));
        QCOMPARE(edit.text(), QStringLiteral("2"));
        QVERIFY(edit.setProperty("increment", 0.5));
        QCOMPARE(edit.increment(), 0.5);
    }

    void updateNormalisesTheText()
    {
        TRealEdit edit;
        edit.setKomma(2);
        edit.setText(QStringLiteral("abc"));
        edit.Update();
        QCOMPARE(edit.text(), QStringLiteral("0.00"));
    }

    void arrowSteps_data()
    {
        QTest::addColumn<int>("komma");
        QTest::addColumn<double>("increment");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::newRow("whole numbers") << 0 << 1.0 << "2"
                                       << "3"
                                       << "1";
        QTest::newRow("below zero") << 0 << 1.0 << "0"
                                    << "1"
                                    << "-1";
        QTest::newRow("half snaps to even") << 0 << 1.0 << "2.5"
                                            << "3"
                                            << "1";
        QTest::newRow("other half") << 0 << 1.0 << "3.5"
                                    << "5"
                                    << "3";
        QTest::newRow("snaps to the increment") << 1 << 0.5 << "1.3"
                                                << "2.0"
                                                << "1.0";
        QTest::newRow("not a number reads 0") << 0 << 1.0 << "x"
                                              << "1"
                                              << "-1";
    }

    void arrowSteps()
    {
        QFETCH(int, komma);
        QFETCH(double, increment);
        QFETCH(QString, start);
        QFETCH(QString, up);
        QFETCH(QString, down);
        Window w;
        w.edit->setKomma(komma);
        w.edit->setIncrement(increment);
        w.edit->setText(start);
        w.up();
        QCOMPARE(w.edit->text(), up);
        w.edit->setText(start);
        w.down();
        QCOMPARE(w.edit->text(), down);
    }

    void arrowsNeverStop()
    {
        Window w;
        w.edit->setKomma(0);
        w.edit->setText(QStringLiteral("32005"));
        w.up();
        QCOMPARE(w.edit->Wert(), 32006.0);
        w.edit->setText(QStringLiteral("-32005"));
        w.down();
        QCOMPARE(w.edit->Wert(), -32006.0);
    }

    void arrowStepReportsAndFocusesTheEdit()
    {
        Window w;
        w.other->setFocus();
        QTRY_VERIFY(w.other->hasFocus());
        QSignalSpy steps(w.edit, &TRealSpinEdit::spinClicked);
        w.up();
        w.down();
        QCOMPARE(steps.count(), 2);
        QTRY_VERIFY(w.edit->hasFocus());
        // By keyboard too.
        const double before = w.edit->Wert();
        QTest::keyClick(w.edit, Qt::Key_Up);
        QTest::keyClick(w.edit, Qt::Key_Up);
        QTest::keyClick(w.edit, Qt::Key_Down);
        QCOMPARE(steps.count(), 5);
        QCOMPARE(w.edit->Wert(), before + w.edit->increment());
        QCOMPARE(w.edit->upButton()->focusPolicy(), Qt::NoFocus);
        QVERIFY(w.edit->upButton()->autoRepeat());
        QVERIFY(w.edit->downButton()->autoRepeat());
    }

    void incrementBelowTinyBecomesOne()
    {
        TRealSpinEdit edit;
        QCOMPARE(edit.increment(), 1.0);
        edit.setIncrement(0.25);
        QCOMPARE(edit.increment(), 0.25);
        edit.setIncrement(0);
        QCOMPARE(edit.increment(), 1.0);
        edit.setIncrement(0.25);
        edit.setIncrement(-1);
        QCOMPARE(edit.increment(), 1.0);
        edit.setIncrement(1e-21);
        QCOMPARE(edit.increment(), 1.0);
    }

    void anEditMadeThreePixelsHighBecomesFive()
    {
        Window w;
        w.edit->resize(60, 3);
        QCOMPARE(w.edit->height(), 5);
    }

    void arrowsSitInsideTheRightEdge()
    {
        Window w;
        QCOMPARE(w.edit->spinwidth(), 15);
        w.edit->resize(36, 24);
        // A framed edit: inside its two-pixel edge, 5 pixels short of the width, as high as
        // the edit less 5.
        QCOMPARE(w.edit->arrows()->geometry(), QRect(2 + 36 - 15 - 5, 2, 15, 19));
        QVERIFY(w.edit->textArea().right() < w.edit->arrows()->x());
        QVERIFY(w.edit->textArea().width() > 5);
        w.edit->setFrame(false);
        w.edit->resize(60, 20);
        QCOMPARE(w.edit->arrows()->geometry(), QRect(60 - 15, 1, 15, 17));
        QVERIFY(w.edit->textArea().right() < w.edit->arrows()->x());
    }

    void spinwidthKeepsTheRightEdge()
    {
        Window w;
        const QRect before = w.edit->arrows()->geometry();
        w.edit->setSpinwidth(20);
        QCOMPARE(w.edit->spinwidth(), 20);
        QCOMPARE(w.edit->arrows()->geometry().right(), before.right());
        QVERIFY(w.edit->textArea().right() < w.edit->arrows()->x());
        w.edit->setSpinwidth(200); // no room: the arrows start at 1
        QCOMPARE(w.edit->arrows()->x(), 1);
    }

    void clickIntoTheFieldIsReported()
    {
        Window w;
        QSignalSpy clicks(w.edit, &TRealEdit::clicked);
        QTest::mouseClick(w.edit, Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(w.edit->upButton(), Qt::LeftButton);
        QCOMPARE(clicks.count(), 1); // the arrows are no click into the field
    }
};

QTEST_MAIN(RealEditTest)
#include "real_edit_test.moc"
