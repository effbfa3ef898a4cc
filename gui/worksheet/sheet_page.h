// SPDX-License-Identifier: GPL-3.0-or-later
// SheetPage: the editor of one worksheet page. It takes pasted and dropped rich text with its
// fonts and colours but without backgrounds, since the page is paper: text pasted from a dark web
// page would otherwise stay light on a black band, and the results Enter writes there in black
// would vanish. Pictures travel whole: a copied range carries them as RTF, for this page and for
// word processors, and an image on the clipboard is pasted as a picture.
#pragma once

#include <QTextEdit>

namespace quorvel {

class SheetPage : public QTextEdit
{
    Q_OBJECT

public:
    explicit SheetPage(QWidget* parent = nullptr);

signals:
    // A double click on the diagram at that position of the document.
    void diagramActivated(int position);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace quorvel
