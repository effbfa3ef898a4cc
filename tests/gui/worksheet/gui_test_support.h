// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the window tests: a main window wired as the program wires it, reading a page's
// lines with their colour runs, and a driver that answers modal boxes and dialogs.
#pragma once

#include "app/program_windows.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTextEdit;

namespace quorvel::test {

// The windows as the program entry creates them; the main window shown, and the first
// showing's unit definitions check done (the default lines compile, so no box appears).
struct Windows : ProgramWindows
{
    Windows();
    ~Windows();

    QTextEdit* memo1() const;
    QTextEdit* memo2() const;
};

// A fresh temporary folder that the program takes for its own folder while this object lives,
// so that no test sees another's files.
class ProgramFolder : public QTemporaryDir
{
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;
};

// The page's text: one entry per line.
QStringList pageLines(const QTextEdit& memo);

// The folder the window tests write their pictures to, for a person to look at: the one
// QUORVEL_PICTURE_DIR names, else pictures/ in the tests' build folder. Made when missing.
QString pictureDir();

// Text put in at the caret as typing would (QTest::keyClicks takes Latin-1 only), then Enter.
void typeLine(QTextEdit& memo, const QString& text);
// Replaces the page's text by these lines in the editor's default format; the caret at the start.
void setPageLines(QTextEdit& memo, const QStringList& lines);
void setCaret(QTextEdit& memo, int row, int column);
int caretRow(const QTextEdit& memo);
int caretColumn(const QTextEdit& memo);

// The colour runs of line i, neighbours of one colour joined: {"3*4 = 12", black}.
struct Run
{
    QString text;
    QColor color;
    bool operator==(const Run& other) const
    {
        return text == other.text && color.rgb() == other.color.rgb();
    }
};
QList<Run> lineRuns(const QTextEdit& memo, int i);
QString describe(const QList<Run>& runs); // for failure messages

inline const QColor kBlack{0, 0, 0};
inline const QColor kRed{255, 0, 0};

// The entry's caption as it reads, without the "&" that marks its Alt letter.
QString caption(const QAction& action);
// The action with this object name or exact caption below the widget.
QAction* findAction(const QObject& root, const QString& nameOrCaption);
QAction* findAction(const QMenu& menu, const QString& caption);

// Answers the modal windows that open while a test runs, one step per window, in order. A step
// gets the window; the texts of message boxes are collected in seen.
class ModalDriver : public QObject
{
public:
    using Step = std::function<void(QWidget*)>;

    ModalDriver();
    void then(Step step);
    // Clicks the message box button with this text ("&Ja", "Nein", "OK", ...) or role.
    void thenClickButton(const QString& buttonText);
    void thenPressYes();
    void thenPressNo();
    void thenPressOk();

    bool done() const { return m_steps.empty(); }
    // Waits until every step ran (at most timeoutMs).
    bool waitDone(int timeoutMs = 5000);

    QStringList seen;        // message box texts
    QStringList seenButtons; // button texts of the message boxes

private:
    void poll();

    std::deque<Step> m_steps;
    QPointer<QWidget> m_last;
    QTimer m_timer;
};

} // namespace quorvel::test

namespace quorvel::test {

// Line i with its red runs in [brackets] and runs of any other colour than black in {braces}:
// «3m[+]2s = unit confilct».
QString markedLine(const QTextEdit& memo, int i);

// Every line of the page as markedLine gives it.
QStringList markedPage(const QTextEdit& memo);

} // namespace quorvel::test
