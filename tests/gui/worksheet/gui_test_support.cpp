// SPDX-License-Identifier: GPL-3.0-or-later
// Window test helpers; see gui_test_support.h.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/files/program_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace quorvel::test {

Windows::Windows()
{
    mainWindow.show();
    if (!QTest::qWaitForWindowExposed(&mainWindow))
        qWarning("main window not exposed");
    QCoreApplication::processEvents(); // the first showing's check
    memo1()->setFocus();
}

Windows::~Windows()
{
    unitDefinitions.hide();
    formulaLibrary.hide();
    keypad.hide();
}

ProgramFolder::ProgramFolder()
{
    SetProgramDir(path());
}

ProgramFolder::~ProgramFolder()
{
    SetProgramDir(QString());
}

QTextEdit* Windows::memo1() const
{
    return mainWindow.findChild<QTextEdit*>(QStringLiteral("Memo1"));
}

QTextEdit* Windows::memo2() const
{
    return mainWindow.findChild<QTextEdit*>(QStringLiteral("Memo2"));
}

QString pictureDir()
{
    const QString dir = qEnvironmentVariable("QUORVEL_PICTURE_DIR", QStringLiteral(PICTURE_DIR));
    QDir().mkpath(dir);
    return dir;
}

void typeLine(QTextEdit& memo, const QString& text)
{
    memo.textCursor().insertText(text);
    QTest::keyClick(&memo, Qt::Key_Return);
}

QStringList pageLines(const QTextEdit& memo)
{
    QStringList lines;
    for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

void setPageLines(QTextEdit& memo, const QStringList& lines)
{
    memo.clear();
    QTextCursor c(memo.document());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            c.insertBlock();
        c.insertText(lines[i]);
    }
    memo.moveCursor(QTextCursor::Start);
}

void setCaret(QTextEdit& memo, int row, int column)
{
    QTextCursor c(memo.document()->findBlockByNumber(row));
    c.setPosition(c.position() + column);
    memo.setTextCursor(c);
}

int caretRow(const QTextEdit& memo)
{
    return memo.textCursor().blockNumber();
}

int caretColumn(const QTextEdit& memo)
{
    return memo.textCursor().positionInBlock();
}

QList<Run> lineRuns(const QTextEdit& memo, int i)
{
    QList<Run> runs;
    const QTextBlock block = memo.document()->findBlockByNumber(i);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const QTextCharFormat format = f.charFormat();
        const QColor color = format.hasProperty(QTextFormat::ForegroundBrush)
                                 ? format.foreground().color()
                                 : memo.palette().color(QPalette::Text);
        if (!runs.isEmpty() && runs.back().color.rgb() == color.rgb())
            runs.back().text += f.text();
        else
            runs.append({f.text(), color});
    }
    return runs;
}

QString describe(const QList<Run>& runs)
{
    QStringList parts;
    for (const Run& r : runs)
        parts << QStringLiteral("[%1|%2]").arg(r.text, r.color.name());
    return parts.join(QLatin1Char(' '));
}

QString caption(const QAction& action)
{
    QString text = action.text();
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        text.remove(amp, 1);
    return text;
}

QAction* findAction(const QObject& root, const QString& nameOrCaption)
{
    const QList<QAction*> actions = root.findChildren<QAction*>();
    for (QAction* a : actions)
        if (a->objectName() == nameOrCaption || caption(*a) == nameOrCaption)
            return a;
    return nullptr;
}

QAction* findAction(const QMenu& menu, const QString& caption)
{
    const QList<QAction*> actions = menu.actions();
    for (QAction* a : actions)
        if (quorvel::test::caption(*a) == caption)
            return a;
    return nullptr;
}

ModalDriver::ModalDriver()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start(5);
}

void ModalDriver::then(Step step)
{
    m_steps.push_back(std::move(step));
}

void ModalDriver::thenClickButton(const QString& buttonText)
{
    then([this, buttonText](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            qWarning("expected a message box, got %s", w->metaObject()->className());
            w->close();
            return;
        }
        for (QAbstractButton* b : box->buttons()) {
            QString plain = b->text();
            plain.remove(QLatin1Char('&'));
            if (plain == buttonText) {
                b->click();
                return;
            }
        }
        qWarning("no button %s", qPrintable(buttonText));
        box->close();
    });
}

void ModalDriver::thenPressYes()
{
    thenClickButton(QStringLiteral("Ja"));
}

void ModalDriver::thenPressNo()
{
    thenClickButton(QStringLiteral("Nein"));
}

void ModalDriver::thenPressOk()
{
    thenClickButton(QStringLiteral("OK"));
}

bool ModalDriver::waitDone(int timeoutMs)
{
    return QTest::qWaitFor([this] { return done(); }, timeoutMs);
}

void ModalDriver::poll()
{
    QWidget* active = QApplication::activeModalWidget();
    if (!active || (!m_last.isNull() && m_last.data() == active) || m_steps.empty())
        return;
    if (!active->isVisible())
        return;
    m_last = active;
    if (auto* box = qobject_cast<QMessageBox*>(active)) {
        seen << box->text();
        QStringList buttons;
        for (QAbstractButton* b : box->buttons())
            buttons << b->text().remove(QLatin1Char('&'));
        buttons.sort();
        seenButtons << buttons.join(QLatin1Char(','));
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step(active);
}

} // namespace quorvel::test

namespace quorvel::test {

QString markedLine(const QTextEdit& memo, int i)
{
    QString result;
    for (const Run& run : lineRuns(memo, i)) {
        if (run.color.rgb() == kBlack.rgb())
            result += run.text;
        else if (run.color.rgb() == kRed.rgb())
            result += QLatin1Char('[') + run.text + QLatin1Char(']');
        else
            result += QLatin1Char('{') + run.text + QLatin1Char('}');
    }
    return result;
}

QStringList markedPage(const QTextEdit& memo)
{
    QStringList lines;
    for (int i = 0; i < memo.document()->blockCount(); ++i)
        lines << markedLine(memo, i);
    return lines;
}

} // namespace quorvel::test
