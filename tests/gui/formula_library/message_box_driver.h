// SPDX-License-Identifier: GPL-3.0-or-later
// Answers the real message boxes that a window under test opens, the way a user would: it
// watches for the application's modal message box, notes its title, text, buttons and the
// window it belongs to, and clicks the button with the caption the test queued. A box that nobody
// expected is closed (Esc, which is "Nein" for a question) and noted, so that a wrong box never
// hangs a test.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <algorithm>

class MessageBoxDriver
{
public:
    MessageBoxDriver()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }

    // The next box is answered with the button of this caption ("Ja", "Nein", "OK").
    void answer(const QString& caption) { m_answers.enqueue(caption); }

    // Every box seen, in order, as «title | text [buttons in alphabetical order] | the title of
    // the window the box belongs to».
    const QStringList& seen() const { return m_seen; }
    bool allAnswered() const { return m_answers.isEmpty(); }

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        QStringList captions;
        QAbstractButton* chosen = nullptr;
        const QString wanted = m_answers.isEmpty() ? QString() : m_answers.dequeue();
        for (QAbstractButton* button : box->buttons()) {
            const QString caption = button->text().remove(QLatin1Char('&'));
            captions.append(caption);
            if (caption == wanted)
                chosen = button;
        }
        std::sort(captions.begin(), captions.end());
        const QWidget* owner = box->parentWidget();
        m_seen.append(box->windowTitle() + QStringLiteral(" | ") + box->text() +
                      QStringLiteral(" [") + captions.join(QLatin1Char('|')) +
                      QStringLiteral("] | ") +
                      (owner != nullptr ? owner->window()->windowTitle() : QStringLiteral("-")));
        if (chosen != nullptr) {
            chosen->click();
        } else {
            m_seen.last().append(QStringLiteral(" unanswered"));
            box->reject();
        }
    }

    QTimer m_timer;
    QQueue<QString> m_answers;
    QStringList m_seen;
};
