// SPDX-License-Identifier: GPL-3.0-or-later
// HelpWindow, "Taschenrechner Hilfe": shows a help file of the program in a read-only rich-text
// field. Created hidden at start; closing it only hides it.
#pragma once

#include <QWidget>

class QTextEdit;

namespace quorvel {

class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the named file (a bare name such as "ZIV.hlp") from the first help folder that has
    // it, then shows the window and brings it to the front. A missing or unreadable file keeps
    // the text shown before.
    void ShowHelp(const QString& name);

    QTextEdit* RichEdit1 = nullptr;
};

} // namespace quorvel
