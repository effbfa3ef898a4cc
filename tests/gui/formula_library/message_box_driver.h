// Answers the real message boxes that a window under test opens, the way a user would: it
// watches for the application's modal message box, notes its text and buttons, and clicks the
// button with the caption the test queued. A box that nobody expected is closed (Esc, which is
// "Nein" for a question) and noted, so that a wrong box never hangs a test.
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

    // Every box seen, in order, as «text [buttons in alphabetical order]».
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
        m_seen.append(box->text() + QStringLiteral(" [") + captions.join(QLatin1Char('|')) +
                      QLatin1Char(']'));
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
