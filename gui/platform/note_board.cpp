// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/platform/note_board.h"

#include "gui/platform/message_boxes.h"

#include <QMessageBox>

#include <algorithm>

namespace quorvel {

NoteBoard::NoteBoard(QWidget* parent) : QObject(parent), m_parent(parent) {}

NoteBoard::~NoteBoard()
{
    if (m_box)
        m_box->deleteLater();
}

void NoteBoard::addNotes(const QStringList& notes)
{
    if (notes.isEmpty())
        return;
    m_notes += notes;
    refresh();
}

void NoteBoard::setProblem(const QString& file, const QString& problem)
{
    const auto known = std::find_if(m_problems.begin(), m_problems.end(),
                                    [&](const auto& entry) { return entry.first == file; });
    if (problem.isEmpty()) {
        if (known == m_problems.end())
            return;
        m_dismissed.removeAll(known->second);
        m_problems.erase(known);
    } else if (known == m_problems.end()) {
        m_problems.emplace_back(file, problem);
    } else if (known->second != problem) {
        known->second = problem;
    } else {
        return;
    }
    refresh();
}

QString NoteBoard::text() const
{
    QStringList paragraphs = m_notes;
    bool anyProblem = false;
    for (const auto& [file, problem] : m_problems) {
        paragraphs << problem;
        anyProblem = true;
    }
    if (anyProblem)
        paragraphs << QStringLiteral("Quorvel versucht es weiter, solange es l\u00E4uft.");
    return paragraphs.join(QStringLiteral("\n\n"));
}

void NoteBoard::refresh()
{
    const bool news = !m_notes.isEmpty() ||
                      std::any_of(m_problems.begin(), m_problems.end(), [this](const auto& entry) {
                          return !m_dismissed.contains(entry.second);
                      });
    if (!news) {
        if (m_box)
            m_box->close();
        return;
    }
    const QString shown = text();
    if (m_box) {
        m_box->setText(shown);
        m_box->setAccessibleDescription(shown);
        return;
    }
    m_box = ShowNote(shown, m_parent);
    connect(m_box, &QMessageBox::finished, this, [this] {
        // Closed by the user: the start's notes are read, the problems known. The box deletes
        // itself; a new one comes with the next news.
        m_box.clear();
        m_notes.clear();
        m_dismissed.clear();
        for (const auto& entry : m_problems)
            m_dismissed << entry.second;
    });
}

} // namespace quorvel
