// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paper_palette.h"

#include <QPalette>
#include <QTextEdit>

namespace quorvel {

void MakePaper(QTextEdit& edit)
{
    // The page's text is written black (and red for errors) on the assumption of a white page;
    // a dark scheme's light default text would vanish on that white, and its dark base would
    // swallow the black.
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    edit.setPalette(palette);
}

} // namespace quorvel
