// SPDX-License-Identifier: GPL-3.0-or-later
// The program's accessible interfaces beside Qt's: one factory, asked before Qt's own, that
// answers for plain QWidget windows and for menu entries marked by SetAccessibleMenuEntry and
// leaves every other object to Qt.
#include "platform/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <algorithm>
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

} // namespace quorvel
