// SPDX-License-Identifier: GPL-3.0-or-later
// The unit definitions window: design values, the compile over the memo's lines and
// the close query that keeps the window open while a line fails.
#include "gui/unit_definitions/unit_definitions_window.h"

#include "engine/base/quorvel_error.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "gui/platform/message_boxes.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace quorvel {
namespace {

std::vector<std::u16string> blockTexts(const QPlainTextEdit& edit)
{
    std::vector<std::u16string> texts;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next())
        texts.push_back(b.text().toStdU16String());
    return texts;
}

// Rewrites only the lines that changed, so the caret and the scroll position stay.
void writeBack(QPlainTextEdit& edit, const std::vector<std::u16string>& texts)
{
    QTextCursor c(edit.document());
    c.beginEditBlock();
    QTextBlock b = edit.document()->begin();
    for (const std::u16string& text : texts) {
        if (!b.isValid())
            break;
        const QString line = QString::fromStdU16String(text);
        if (b.text() != line) {
            c.setPosition(b.position());
            c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            c.insertText(line);
        }
        b = b.next();
    }
    c.endEditBlock();
}

} // namespace

UnitDefinitionsWindow::UnitDefinitionsWindow(TEFParser& parser, QWidget* parent)
    : QDialog(parent), m_parser(parser)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Einheit eingeben"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // The program ends with the main window, whether or not this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    SiListBox = new QPlainTextEdit(this);
    SiListBox->setObjectName(QStringLiteral("SiListBox"));
    SiListBox->setAccessibleName(QStringLiteral("Einheitendefinitionen"));
    // Tab goes on to the buttons: a tab character has no place in a definition.
    SiListBox->setTabChangesFocus(true);
    QFont memoFont(QStringLiteral("Arial"));
    memoFont.setPixelSize(15);
    memoFont.setBold(true);
    SiListBox->setFont(memoFont);
    SiListBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    SiListBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SiListBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(34);
    Button1 = new QPushButton(QStringLiteral("&Help"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("&OK"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(6, 4, 6, 4);
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(SiListBox);
    layout->addWidget(Panel1);

    connect(Button1, &QPushButton::clicked, this, &UnitDefinitionsWindow::onHelp);
    connect(Button2, &QPushButton::clicked, this, &UnitDefinitionsWindow::onOk);

    QStringList defaults;
    for (const std::u16string& line : DefaultUnitDefinitions())
        defaults << QString::fromStdU16String(line);
    setLines(defaults);

    resize(226, 413);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QStringList UnitDefinitionsWindow::lines() const
{
    QStringList result;
    for (QTextBlock b = SiListBox->document()->begin(); b.isValid(); b = b.next())
        result << b.text();
    return result;
}

void UnitDefinitionsWindow::setLines(const QStringList& lines)
{
    SiListBox->setPlainText(lines.join(QLatin1Char('\n')));
}

bool UnitDefinitionsWindow::CompileUnitDefinitions()
{
    std::vector<std::u16string> texts = blockTexts(*SiListBox);
    try {
        const bool ok = quorvel::CompileUnitDefinitions(m_parser, texts);
        writeBack(*SiListBox, texts);
        return ok;
    } catch (const QuorvelError&) {
        writeBack(*SiListBox, texts); // the lines before the failing one are compiled
        throw;
    }
}

bool UnitDefinitionsWindow::FormCloseQuery()
{
    try {
        if (CompileUnitDefinitions())
            return true;
        ShowInfo(QStringLiteral("Fehler bei Einheitendefinition"), this);
    } catch (const QuorvelError& e) {
        ShowErrorMessage(QString::fromStdU16String(e.message()), this);
    }
    return false;
}

void UnitDefinitionsWindow::done(int result)
{
    if (FormCloseQuery())
        QDialog::done(result);
}

void UnitDefinitionsWindow::onHelp()
{
    emit helpRequested(QStringLiteral("QVE.hlp"));
}

void UnitDefinitionsWindow::onOk()
{
    accept();
}

} // namespace quorvel
