// SPDX-License-Identifier: GPL-3.0-or-later
// The notes of a session in one box: what the start found, and each file's problem while it
// lasts. A problem has one slot per file, so a page file and its journal never take turns in one
// note; a problem that clears leaves the box, and the box closes once nothing is left. The box
// never takes the keyboard from the page (ShowNote).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QMessageBox;
class QWidget;

namespace quorvel {

class NoteBoard : public QObject
{
    Q_OBJECT

public:
    explicit NoteBoard(QWidget* parent);
    ~NoteBoard() override;

    // Notes of one moment (the start's findings), each a paragraph; they stay until the box is
    // closed.
    void addNotes(const QStringList& notes);
    // The problem of one file, or an empty text once it is solved.
    void setProblem(const QString& file, const QString& problem);

    // The text the box shows, empty when there is nothing to say (for tests).
    QString text() const;

private:
    void refresh();

    QWidget* m_parent;
    QStringList m_notes;
    std::vector<std::pair<QString, QString>> m_problems; // in the order they came
    // What the user has seen and closed: the box comes back only with something new.
    QStringList m_dismissed;
    QPointer<QMessageBox> m_box;
};

} // namespace quorvel
