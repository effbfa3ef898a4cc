// SPDX-License-Identifier: GPL-3.0-or-later
// SheetPage: the editor of one worksheet page. It takes pasted and dropped rich text with its
// fonts and colours but without backgrounds, since the page is paper: text pasted from a dark web
// page would otherwise stay light on a black band, and the results Enter writes there in black
// would vanish.
#pragma once

#include <QTextEdit>

namespace quorvel {

class SheetPage : public QTextEdit
{
    Q_OBJECT

public:
    explicit SheetPage(QWidget* parent = nullptr);

protected:
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace quorvel
