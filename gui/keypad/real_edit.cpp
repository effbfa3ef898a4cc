// SPDX-License-Identifier: GPL-3.0-or-later
// TRealEdit and TRealSpinEdit: the value lives in the text only; reading parses the text,
// writing formats it with the edit's decimals and unit.
#include "gui/keypad/real_edit.h"

#include "gui/keypad/keypad_accessibility.h"
#include "gui/settings_store/setting_texts.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace quorvel {

TRealEdit::TRealEdit(QWidget* parent) : QLineEdit(parent) {}

void TRealEdit::setKomma(int decimals)
{
    m_komma = decimals;
    setWert(Wert());
}

void TRealEdit::setEinheit(const QString& unit)
{
    m_einheit = unit;
    setWert(Wert());
}

double TRealEdit::Wert() const
{
    if (m_einheit.isEmpty())
        return TextToReal(text());
    const QString t = text().trimmed();
    const QString u = m_einheit.trimmed();
    const qsizetype at = u.isEmpty() ? -1 : t.indexOf(u);
    return TextToReal(at >= 0 ? t.left(at).trimmed() : t);
}

void TRealEdit::setWert(double value)
{
    setText(textOf(value));
}

QString TRealEdit::textOf(double value) const
{
    QString number = QString::number(value, 'f', std::max(0, m_komma));
    if (number.startsWith(u'-') && TextToReal(number) == 0.0)
        number.remove(0, 1); // no "-0"
    return number + m_einheit;
}

void TRealEdit::Update()
{
    repaint();
    setWert(Wert());
    emit editingFinished();
}

// Only leaving the edit for another control normalises the text; switching windows does not.
void TRealEdit::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        setWert(Wert());
    QLineEdit::focusOutEvent(event);
}

void TRealEdit::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLineEdit::mousePressEvent(event);
}

void TRealEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

// ---------------------------------------------------------------------------------------------

namespace {

// The up/down arrow control: two auto-repeating arrow buttons stacked in the control's height.
class SpinArrows : public QWidget
{
public:
    SpinArrows(QWidget* parent, QToolButton*& up, QToolButton*& down) : QWidget(parent)
    {
        setObjectName(QStringLiteral("arrows"));
        setCursor(Qt::ArrowCursor);
        up = m_up = makeButton(Qt::UpArrow, QStringLiteral("up"), QStringLiteral("Erhöhen"));
        down = m_down =
            makeButton(Qt::DownArrow, QStringLiteral("down"), QStringLiteral("Verringern"));
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        const int upper = height() / 2;
        m_up->setGeometry(0, 0, width(), upper);
        m_down->setGeometry(0, upper, width(), height() - upper);
    }

private:
    QToolButton* makeButton(Qt::ArrowType arrow, const QString& name, const QString& spoken)
    {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setAccessibleName(spoken);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(7, 7));
        return b;
    }

    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace

TRealSpinEdit::TRealSpinEdit(QWidget* parent) : TRealEdit(parent)
{
    InstallKeypadAccessibility();
    // A screen reader follows the value, which lives in the text.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent event(this, Wert());
            QAccessible::updateAccessibility(&event);
        }
    });
    m_arrows = new SpinArrows(this, m_up, m_down);
    m_arrows->setGeometry(0, 0, 15, 17);
    connect(m_up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
    layoutArrows();
}

void TRealSpinEdit::setIncrement(double stepValue)
{
    m_increment = stepValue < 1e-20 ? 1.0 : stepValue;
}

int TRealSpinEdit::spinwidth() const
{
    return m_arrows->width();
}

void TRealSpinEdit::setSpinwidth(int width)
{
    const QRect old = m_arrows->geometry();
    int left = old.x() + old.width() - width;
    if (left <= 0)
        left = 1;
    m_arrows->setGeometry(left, old.y(), width, old.height());
    limitTextArea();
}

// Snap to a multiple of the increment (halves to even), then move one step.
void TRealSpinEdit::step(int direction)
{
    const double n = std::nearbyint(Wert() / m_increment);
    setWert(n * m_increment + direction * m_increment);
    emit spinClicked();
    setFocus(Qt::OtherFocusReason);
}

void TRealSpinEdit::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        step(event->key() == Qt::Key_Up ? +1 : -1);
        return;
    }
    TRealEdit::keyPressEvent(event);
}

// Where the edit's inner area begins: a framed edit has a two-pixel sunken edge.
int TRealSpinEdit::clientInset() const
{
    return hasFrame() ? 2 : 0;
}

void TRealSpinEdit::resizeEvent(QResizeEvent* event)
{
    TRealEdit::resizeEvent(event);
    if (height() < 5) {
        resize(width(), 5);
        return;
    }
    layoutArrows();
}

void TRealSpinEdit::layoutArrows()
{
    const int w = m_arrows->width();
    if (hasFrame())
        m_arrows->setGeometry(clientInset() + width() - w - 5, clientInset(), w, height() - 5);
    else
        m_arrows->setGeometry(width() - w, 1, w, height() - 3);
    limitTextArea();
}

// The text stops where the arrows begin, so it never runs under them.
void TRealSpinEdit::limitTextArea()
{
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this);
    QMargins margins = textMargins();
    margins.setRight(std::max(0, contents.x() + contents.width() - m_arrows->x()));
    setTextMargins(margins);
    fitFont();
}

void TRealSpinEdit::fitFontToRange(int lowest, int highest)
{
    m_fitLowest = lowest;
    m_fitHighest = highest;
    m_fitting = lowest <= highest;
    fitFont();
}

// A one-line edit scrolls a text that does not fit, and a narrow field then shows "10" for -10.
// The edit keeps two pixels of its own on either side of the text and one for the cursor.
void TRealSpinEdit::fitFont()
{
    if (!m_fitting)
        return;
    constexpr int editMargins = 2 * 2 + 1;
    const int room = textArea().width() - editMargins;
    QFont narrowed = font();
    for (int stretch = 100; stretch >= 50; stretch -= 5) {
        narrowed.setStretch(stretch);
        const QFontMetrics metrics(narrowed);
        int widest = 0;
        for (int v = m_fitLowest; v <= m_fitHighest; ++v) {
            widest = std::max(widest, metrics.horizontalAdvance(textOf(v)));
        }
        if (widest <= room)
            break;
    }
    if (narrowed != font())
        setFont(narrowed);
}

QRect TRealSpinEdit::textArea() const
{
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &opt, this)
        .marginsRemoved(textMargins());
}

} // namespace quorvel
