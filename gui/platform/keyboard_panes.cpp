// SPDX-License-Identifier: GPL-3.0-or-later
// The F6 order and the windows that pass their keys on: one application event filter takes F6,
// and each window that passes its keys on has a filter of its own.
#include "gui/platform/keyboard_panes.h"

#include "gui/platform/window_system.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace quorvel {
namespace {

// Sits on a window and hands the keys typed into it to the page while the window's focus rests
// on the window itself.
class KeyPasser : public QObject
{
public:
    KeyPasser(QWidget& window, std::function<QWidget*()> home)
        : QObject(&window), m_window(window), m_home(std::move(home))
    {
        window.installEventFilter(this);
    }

    QWidget* home() const { return m_home(); }
    bool resting() const { return QApplication::focusWidget() == &m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (watched != &m_window || (type != QEvent::KeyPress && type != QEvent::KeyRelease) ||
            !resting())
            return false;
        QWidget* page = home();
        if (page == nullptr)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyPress && triggerShortcut(*page->window(), *key))
            return true;
        QCoreApplication::sendEvent(page, event);
        return true;
    }

private:
    // The page's window never sees these keys, so its menu shortcuts (Ctrl+S, Ctrl+Q, F1, ...)
    // are looked up here.
    static bool triggerShortcut(QWidget& window, const QKeyEvent& key)
    {
        const QKeySequence pressed(
            QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
        QList<QAction*> actions = window.actions();
        actions += window.findChildren<QAction*>();
        for (QAction* action : actions) {
            if (action->isEnabled() && action->shortcutContext() != Qt::WidgetShortcut &&
                action->shortcuts().contains(pressed)) {
                action->trigger();
                return true;
            }
        }
        return false;
    }

    QWidget& m_window;
    std::function<QWidget*()> m_home;
};

KeyPasser* passerOf(const QWidget* window)
{
    if (window == nullptr)
        return nullptr;
    for (QObject* child : window->children())
        if (auto* passer = dynamic_cast<KeyPasser*>(child))
            return passer;
    return nullptr;
}

// The field a window without a list of panes gives the keyboard to.
QWidget* defaultPane(QWidget& window)
{
    QWidget* focus = window.focusWidget();
    if (focus != nullptr && focus != &window)
        return focus;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain())
        if (w->window() == &window && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) != 0)
            return w;
    return &window;
}

// The order of F6, and the key itself wherever the keyboard is.
class PaneOrder : public QObject
{
public:
    static PaneOrder& get()
    {
        static QPointer<PaneOrder> order;
        if (order == nullptr) {
            order = new PaneOrder(qApp);
            qApp->installEventFilter(order);
        }
        return *order;
    }

    void add(QWidget& window, PaneList panes)
    {
        // Notes come and go; the places of those gone are given up here.
        m_windows.removeIf([](const Entry& entry) { return entry.window == nullptr; });
        m_windows.append({&window, std::move(panes)});
    }

    // The panes the keyboard can be moved to from the active window.
    QList<QWidget*> reachable() const
    {
        QWidget* active = QApplication::activeWindow();
        const KeyPasser* passer = passerOf(active);
        QList<QWidget*> ring;
        for (const Entry& entry : m_windows) {
            QWidget* window = entry.window;
            if (window == nullptr || !window->isVisible() || window->isMinimized())
                continue;
            const QList<QWidget*> panes =
                entry.panes ? entry.panes() : QList<QWidget*>{defaultPane(*window)};
            for (QWidget* pane : panes) {
                if (pane == nullptr || !pane->isVisible() || !pane->isEnabled())
                    continue;
                if (window == active || PlatformActivatesOnRequest() ||
                    (passer != nullptr && passer->home() == pane))
                    ring.append(pane);
            }
        }
        return ring;
    }

protected:
    explicit PaneOrder(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() != Qt::Key_F6 ||
            (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier))
            return false;
        // A modal dialog or an open menu keeps the keyboard until it closes.
        if (QApplication::activeModalWidget() != nullptr ||
            QApplication::activePopupWidget() != nullptr)
            return false;
        CyclePanes(modifiers == Qt::NoModifier);
        return true;
    }

private:
    struct Entry
    {
        QPointer<QWidget> window;
        PaneList panes;
    };
    QList<Entry> m_windows;
};

} // namespace

void AddPaneWindow(QWidget& window, PaneList panes)
{
    PaneOrder::get().add(window, std::move(panes));
}

void PassKeysToPage(QWidget& window, std::function<QWidget*()> home)
{
    new KeyPasser(window, std::move(home));
    ParkKeyboard(window);
}

void ParkKeyboard(QWidget& window)
{
    window.setFocus(Qt::OtherFocusReason);
}

bool MoveKeyboardTo(QWidget& pane, Qt::FocusReason reason)
{
    QWidget* window = pane.window();
    QWidget* active = QApplication::activeWindow();
    if (window != active) {
        const KeyPasser* passer = passerOf(active);
        const bool passedOn = passer != nullptr && passer->home() == &pane;
        if (passedOn)
            ParkKeyboard(*active);
        if (PlatformActivatesOnRequest()) {
            window->raise();
            window->activateWindow();
        } else if (!passedOn) {
            return false;
        }
    }
    pane.setFocus(reason);
    return true;
}

void CyclePanes(bool forward)
{
    const QList<QWidget*> ring = PaneOrder::get().reachable();
    if (ring.isEmpty())
        return;
    // A window that passes its keys on stands for the page they go to.
    QWidget* current = QApplication::focusWidget();
    if (const KeyPasser* passer = passerOf(current); passer != nullptr && passer->resting())
        current = passer->home();
    qsizetype at = -1;
    for (qsizetype i = 0; current != nullptr && i < ring.size() && at < 0; ++i)
        if (ring[i] == current || ring[i]->isAncestorOf(current))
            at = i;
    // A field that is no pane of its own counts as its window's first pane.
    for (qsizetype i = 0; current != nullptr && i < ring.size() && at < 0; ++i)
        if (ring[i]->window() == current->window())
            at = i;
    const qsizetype n = ring.size();
    const qsizetype next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    MoveKeyboardTo(*ring[next], forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

} // namespace quorvel
