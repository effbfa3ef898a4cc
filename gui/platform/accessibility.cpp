// SPDX-License-Identifier: GPL-3.0-or-later
// The program's accessible interfaces beside Qt's: one factory, asked before Qt's own, that
// answers for plain QWidget windows, combo boxes and menu entries marked by
// SetAccessibleMenuEntry and leaves every other object to Qt.
#include "gui/platform/accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <vector>

namespace quorvel {
namespace {

constexpr char kNameProperty[] = "quorvelAccessibleName";
constexpr char kKeyProperty[] = "quorvelAccessibleKey";

// The menu or menu bar that shows the entry.
QWidget* menuOf(const QAction& action)
{
    for (QObject* object : action.associatedObjects())
        if (qobject_cast<QMenu*>(object) != nullptr || qobject_cast<QMenuBar*>(object) != nullptr)
            return static_cast<QWidget*>(object);
    return nullptr;
}

// A menu entry with a name of its own; otherwise what Qt's entries are: a menu item of its menu
// that can be pressed, placed where the menu draws it.
class MenuEntryInterface : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit MenuEntryInterface(QAction* action) : m_action(action) {}

    bool isValid() const override { return m_action != nullptr && menuOf(*m_action) != nullptr; }
    QObject* object() const override { return m_action; }
    QWindow* window() const override
    {
        const QWidget* menu = owner();
        return menu != nullptr ? menu->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(owner());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return m_action->property(kNameProperty).toString();
        if (t == QAccessible::Accelerator)
            return keyText();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        QWidget* menu = owner();
        QRect area;
        if (auto* popup = qobject_cast<QMenu*>(menu))
            area = popup->actionGeometry(m_action);
        else if (auto* bar = qobject_cast<QMenuBar*>(menu))
            area = bar->actionGeometry(m_action);
        return menu != nullptr ? area.translated(menu->mapToGlobal(QPoint(0, 0))) : area;
    }

    QAccessible::Role role() const override { return QAccessible::MenuItem; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        QWidget* menu = owner();
        if (menu == nullptr || !menu->isVisible() || !m_action->isVisible())
            s.invisible = true;
        const QAction* active = nullptr;
        if (auto* popup = qobject_cast<QMenu*>(menu))
            active = popup->activeAction();
        else if (auto* bar = qobject_cast<QMenuBar*>(menu))
            active = bar->activeAction();
        s.focused = active == m_action;
        s.disabled = !m_action->isEnabled();
        s.checkable = m_action->isCheckable();
        s.checked = m_action->isChecked();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && m_action->isEnabled())
            m_action->trigger();
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        const QString key = keyText();
        return name == pressAction() && !key.isEmpty() ? QStringList{key} : QStringList{};
    }

private:
    QWidget* owner() const { return m_action != nullptr ? menuOf(*m_action) : nullptr; }
    QString keyText() const
    {
        return m_action->property(kKeyProperty)
            .value<QKeySequence>()
            .toString(QKeySequence::NativeText);
    }

    QPointer<QAction> m_action;
};

// A combo box as Qt describes it (its list and, where it can be typed into, its field as
// children; an action that opens and closes the list), but called by the name it was given: on
// this platform Qt names a combo box by its text, so the keypad's function box would be "sin()"
// rather than "Funktion". The text stays the box's value, and the name of a box without one.
class ComboBoxInterface : public QAccessibleWidget
{
public:
    explicit ComboBoxInterface(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value ||
            (t == QAccessible::Name && box()->accessibleName().isEmpty()))
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child == nullptr)
            return -1;
        if (child->object() == box()->view())
            return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QLineEdit* edit = box()->lineEdit();
        if (edit != nullptr && edit->rect().contains(edit->mapFromGlobal(QPoint(x, y))))
            return child(1);
        return nullptr;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name != showMenuAction() && name != pressAction())
            return;
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
};

// A top-level window whose nearest Qt class is QWidget itself: Qt knows main windows and
// dialogs as windows, but describes a plain widget as a "filler" without a role of its own.
bool isPlainWindow(const QWidget& widget)
{
    if (!widget.isWindow() || widget.windowType() != Qt::Window)
        return false;
    const QMetaObject* meta = widget.metaObject();
    while (meta != nullptr && QByteArray(meta->className()).startsWith("quorvel::"))
        meta = meta->superClass();
    return meta == &QWidget::staticMetaObject;
}

QAccessibleInterface* programInterfaces(const QString&, QObject* object)
{
    if (auto* action = qobject_cast<QAction*>(object)) {
        if (action->property(kNameProperty).isValid())
            return new MenuEntryInterface(action);
        return nullptr;
    }
    if (auto* box = qobject_cast<QComboBox*>(object))
        return new ComboBoxInterface(box);
    if (auto* widget = qobject_cast<QWidget*>(object); widget != nullptr && isPlainWindow(*widget))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallAccessibleFactory(QAccessible::InterfaceFactory factory)
{
    static std::vector<QAccessible::InterfaceFactory> installed;
    if (std::find(installed.begin(), installed.end(), factory) != installed.end())
        return;
    installed.push_back(factory);
    QAccessible::installFactory(factory);
}

void InstallAccessibleInterfaces()
{
    InstallAccessibleFactory(programInterfaces);
}

void SetAccessibleMenuEntry(QAction& action, const QString& name, const QKeySequence& key)
{
    InstallAccessibleInterfaces();
    action.setProperty(kNameProperty, name);
    action.setProperty(kKeyProperty, QVariant::fromValue(key));
}

QString WithoutMnemonic(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i; // the marked letter, or the second "&" of "&&"
        text += caption.at(i);
    }
    return text;
}

QChar MnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) != QLatin1Char('&'))
            return caption.at(i + 1).toLower();
        ++i; // "&&" stands for the "&" itself
    }
    return {};
}

void MakeMnemonicsUnique(QWidget& window)
{
    // Each captioned control with the way to read and change its caption.
    struct Captioned
    {
        QString text;
        std::function<void(const QString&)> setText;
    };
    std::vector<Captioned> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            controls.push_back({label->text(), [label](const QString& t) { label->setText(t); }});
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            controls.push_back(
                {button->text(), [button](const QString& t) { button->setText(t); }});
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            controls.push_back({group->title(), [group](const QString& t) { group->setTitle(t); }});
    }
    QSet<QChar> marked;
    for (const Captioned& c : controls)
        if (const QChar letter = MnemonicOf(c.text); !letter.isNull())
            marked.insert(letter);
    QSet<QChar> kept;
    for (const Captioned& c : controls) {
        const QChar letter = MnemonicOf(c.text);
        if (letter.isNull() || !kept.contains(letter)) {
            kept.insert(letter);
            continue;
        }
        const QString plain = WithoutMnemonic(c.text);
        for (qsizetype i = 0; i < plain.size(); ++i) {
            const QChar candidate = plain.at(i).toLower();
            if (!candidate.isLetterOrNumber() || marked.contains(candidate))
                continue;
            QString caption = plain;
            caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
            // Every "&" before the letter was doubled.
            caption.insert(i + plain.left(i).count(QLatin1Char('&')), QLatin1Char('&'));
            c.setText(caption);
            marked.insert(candidate);
            kept.insert(candidate);
            break;
        }
    }
}

} // namespace quorvel
