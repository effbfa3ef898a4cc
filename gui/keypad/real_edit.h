// SPDX-License-Identifier: GPL-3.0-or-later
// TRealEdit: a one-line edit holding a real number whose only state is its text, and
// TRealSpinEdit: the same with up/down arrows inside its right edge that step the number.
#pragma once

#include <QLineEdit>

class QToolButton;

namespace quorvel {

class TRealEdit : public QLineEdit
{
    Q_OBJECT
    // Properties, so that the settings store can rewrite Wert after restoring the text.
    Q_PROPERTY(int Komma READ Komma WRITE setKomma)
    Q_PROPERTY(double Wert READ Wert WRITE setWert STORED false)
    Q_PROPERTY(QString Einheit READ Einheit WRITE setEinheit)

public:
    explicit TRealEdit(QWidget* parent = nullptr);

    // Number of decimals the value is written with.
    int Komma() const { return m_komma; }
    void setKomma(int decimals);
    // The value, read from the text each time; writing it rewrites the text.
    double Wert() const;
    void setWert(double value);
    // Unit text written directly behind the number.
    QString Einheit() const { return m_einheit; }
    void setEinheit(const QString& unit);

    // Repaints and normalises the text as when the focus leaves the edit, then reports the end
    // of editing (editingFinished).
    void Update();

signals:
    void clicked(); // a left-button click into the edit field

protected:
    // The text that writing `value` gives.
    QString textOf(double value) const;

    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_komma = 1;
    QString m_einheit;
    bool m_pressed = false;
};

class TRealSpinEdit : public TRealEdit
{
    Q_OBJECT
    Q_PROPERTY(double increment READ increment WRITE setIncrement)
    Q_PROPERTY(int spinwidth READ spinwidth WRITE setSpinwidth)

public:
    explicit TRealSpinEdit(QWidget* parent = nullptr);

    double increment() const { return m_increment; }
    void setIncrement(double step); // steps below 1e-20 (0 and negatives too) become 1
    int spinwidth() const;
    void setSpinwidth(int width); // keeps the arrows' right edge in place

    // The arrow control (two auto-repeating arrow buttons) and its buttons, for layout and tests.
    QWidget* arrows() const { return m_arrows; }
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }
    // The area in which the edit draws its text; it ends left of the arrows.
    QRect textArea() const;

    // Narrows the font (its height stays) as far as needed for every whole value from lowest to
    // highest, written as the edit writes it, to be readable in full beside the arrows instead
    // of scrolling; kept up when the edit or its arrows change size.
    void fitFontToRange(int lowest, int highest);

signals:
    void spinClicked(); // after every arrow step

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Up and Down step as the arrows do, so that the keyboard alone can change the value.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void step(int direction);
    void layoutArrows();
    void limitTextArea();
    void fitFont();
    int clientInset() const;

    double m_increment = 1.0;
    int m_fitLowest = 0;
    int m_fitHighest = 0;
    bool m_fitting = false;
    QWidget* m_arrows;
    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace quorvel
