// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/help/help_window.h"

#include "gui/files/page_files.h"
#include "gui/files/program_dir.h"
#include "gui/platform/accessibility.h"
#include "gui/platform/paper_palette.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextEdit>
#include <QVBoxLayout>

namespace quorvel {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    InstallAccessibleInterfaces(); // a window, not a "filler", to screen readers
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Taschenrechner Hilfe"));
    resize(542, 387);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    // A caret that the arrows move through the read-only text: a screen reader reads the help by
    // line and word from it. Links, where a help file has them, are reached with Tab.
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse |
                                       Qt::LinksAccessibleByKeyboard | Qt::LinksAccessibleByMouse);
    RichEdit1->setAccessibleName(QStringLiteral("Hilfetext"));
    MakePaper(*RichEdit1);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setPlainText(QStringLiteral("Keine Hilfe verf\u00FCgbar...."));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Esc closes the window, as it closes a dialog.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::ShowHelp(const QString& name)
{
    // Loaded the way worksheet documents are: RTF with its formatting, anything else as text.
    for (const QString& folder : HelpFileFolders()) {
        const QString path = folder + name;
        if (QFileInfo(path).isFile() && LoadDocument(*RichEdit1, path, nullptr)) {
            RichEdit1->moveCursor(QTextCursor::Start);
            break;
        }
    }
    show();
    raise();
    activateWindow();
}

} // namespace quorvel
