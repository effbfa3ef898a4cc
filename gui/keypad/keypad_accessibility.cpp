// SPDX-License-Identifier: GPL-3.0-or-later
// Accessible interfaces of the round keys and of the real-number spin edit, and the factory that
// hands them to Qt's accessibility.
#include "gui/keypad/keypad_accessibility.h"

#include "gui/keypad/hemisphere_button.h"
#include "gui/keypad/real_edit.h"
#include "gui/platform/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QToolButton>

#include <limits>

namespace quorvel {
namespace {

// A key is a push button; pressing it through the interface is a click on its face. The name is
// the key's accessible name (what it does, in German), else its caption.
class KeyInterface : public QAccessibleWidget
{
public:
    explicit KeyInterface(THemisphereButton* key) : QAccessibleWidget(key, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = key()->Caption();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = key()->Down();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            key()->click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    THemisphereButton* key() const { return static_cast<THemisphereButton*>(object()); }
};

// The spin edit: a spin box whose value is the number in its text, with the text interfaces of
// a one-line edit (a screen reader reads and edits the field through them) and the arrows'
// steps as its increase and decrease actions.
class SpinEditInterface : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface,
                          public QAccessibleValueInterface
{
public:
    explicit SpinEditInterface(TRealSpinEdit* edit) : QAccessibleWidget(edit, QAccessible::SpinBox)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::TextInterface:
            return static_cast<QAccessibleTextInterface*>(this);
        case QAccessible::EditableTextInterface:
            return static_cast<QAccessibleEditableTextInterface*>(this);
        case QAccessible::ValueInterface:
            return static_cast<QAccessibleValueInterface*>(this);
        default:
            return QAccessibleWidget::interface_cast(type);
        }
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !edit()->isReadOnly();
        s.readOnly = edit()->isReadOnly();
        s.selectableText = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << increaseAction() << decreaseAction();
    }
    void doAction(const QString& name) override
    {
        if (name == increaseAction())
            edit()->upButton()->click();
        else if (name == decreaseAction())
            edit()->downButton()->click();
        else
            QAccessibleWidget::doAction(name);
    }

    // Value.
    QVariant currentValue() const override { return edit()->Wert(); }
    void setCurrentValue(const QVariant& value) override { edit()->setWert(value.toDouble()); }
    // The field has no bounds of its own.
    QVariant maximumValue() const override { return std::numeric_limits<double>::max(); }
    QVariant minimumValue() const override { return std::numeric_limits<double>::lowest(); }
    QVariant minimumStepSize() const override { return edit()->increment(); }

    // Text.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        return edit()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    // Measured from the caret, whose place the edit reports with its scrolling included.
    QRect characterRect(int offset) const override
    {
        const QString text = edit()->text();
        if (offset < 0 || offset >= text.size())
            return {};
        const QFontMetrics metrics(edit()->font());
        const QRect caret = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = caret.x() + metrics.horizontalAdvance(text.left(offset)) -
                      metrics.horizontalAdvance(text.left(edit()->cursorPosition()));
        const QRect local(x, caret.y(), metrics.horizontalAdvance(text.at(offset)), caret.height());
        return local.translated(edit()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // Editable text.
    void deleteText(int startOffset, int endOffset) override
    {
        edit()->setSelection(startOffset, endOffset - startOffset);
        edit()->del();
    }
    void insertText(int offset, const QString& text) override
    {
        edit()->setCursorPosition(offset);
        edit()->insert(text);
    }
    void replaceText(int startOffset, int endOffset, const QString& text) override
    {
        edit()->setSelection(startOffset, endOffset - startOffset);
        edit()->insert(text);
    }

private:
    TRealSpinEdit* edit() const { return static_cast<TRealSpinEdit*>(object()); }
};

QAccessibleInterface* keypadInterfaces(const QString&, QObject* object)
{
    if (auto* key = qobject_cast<THemisphereButton*>(object))
        return new KeyInterface(key);
    if (auto* edit = qobject_cast<TRealSpinEdit*>(object))
        return new SpinEditInterface(edit);
    return nullptr;
}

} // namespace

void InstallKeypadAccessibility()
{
    InstallAccessibleFactory(keypadInterfaces);
}

} // namespace quorvel
