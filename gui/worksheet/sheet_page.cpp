// SPDX-License-Identifier: GPL-3.0-or-later
// SheetPage: rich text from the clipboard or a drop, read as QTextEdit reads it, with its
// backgrounds removed before it reaches the page.
#include "gui/worksheet/sheet_page.h"

#include "gui/diagram/page_diagrams.h"
#include "gui/platform/message_boxes.h"
#include "gui/platform/paper_palette.h"
#include "gui/rtf/picture_format.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>

namespace quorvel {
namespace {

// The page's own clipboard form: a range as the page file writes it, pictures included. Word
// processors read the same bytes as "text/rtf".
const QString kPageRange = QStringLiteral("application/x-quorvel-seite");
const QString kRtf = QStringLiteral("text/rtf");

// A pasted image is never wider than a diagram of the page.
constexpr double kMaxPastedWidth = 600.0;

PagePicture pastedPicture(const QMimeData& source)
{
    PagePicture picture;
    QImage image;
    if (source.hasFormat(QStringLiteral("image/png"))) {
        picture.bytes = source.data(QStringLiteral("image/png"));
        image.loadFromData(picture.bytes, "PNG");
    } else if (source.hasFormat(QStringLiteral("image/jpeg"))) {
        picture.kind = QStringLiteral("jpegblip");
        picture.bytes = source.data(QStringLiteral("image/jpeg"));
        image.loadFromData(picture.bytes, "JPEG");
    }
    if (image.isNull()) {
        image = qvariant_cast<QImage>(source.imageData());
        picture.kind = QStringLiteral("pngblip");
        picture.bytes.clear();
        if (image.isNull())
            return picture;
        QBuffer buffer(&picture.bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    picture.nativeSize = image.size();
    // Shown as large as its resolution says (our diagrams say 300 dpi), within the page.
    const double perMetre = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 96 / 0.0254;
    QSizeF shown = QSizeF(image.size()) * (96 / 0.0254 / perMetre);
    if (shown.width() > kMaxPastedWidth)
        shown *= kMaxPastedWidth / shown.width();
    picture.shownSize = shown;
    return picture;
}

} // namespace

SheetPage::SheetPage(QWidget* parent) : QTextEdit(parent) {}

bool SheetPage::canInsertFromMimeData(const QMimeData* source) const
{
    return source != nullptr && (source->hasFormat(kPageRange) || source->hasImage() ||
                                 QTextEdit::canInsertFromMimeData(source));
}

QMimeData* SheetPage::createMimeDataFromSelection() const
{
    QMimeData* mime = QTextEdit::createMimeDataFromSelection();
    const QTextCursor caret = textCursor();
    const QByteArray range =
        WriteRtfRange(*document(), caret.selectionStart(), caret.selectionEnd());
    mime->setData(kPageRange, range);
    mime->setData(kRtf, range);
    if (HoldsObject(mime->text())) // plain text has no pictures
        mime->setText(mime->text().remove(QChar::ObjectReplacementCharacter));
    return mime;
}

void SheetPage::insertFromMimeData(const QMimeData* source)
{
    if (source == nullptr)
        return;
    QTextCursor caret = textCursor();
    if (source->hasFormat(kPageRange)) {
        caret.beginEditBlock();
        caret.removeSelectedText();
        InsertRtf(source->data(kPageRange), caret);
        caret.endEditBlock();
        setTextCursor(caret);
        ensureCursorVisible();
        return;
    }
    if (source->hasImage() && !source->hasHtml()) {
        const PagePicture picture = pastedPicture(*source);
        if (picture.bytes.isEmpty()) {
            ShowInfo(QStringLiteral("Das Bild in der Zwischenablage l\u00E4sst sich nicht "
                                    "einf\u00FCgen: es ist zu gro\u00DF oder nicht lesbar."),
                     this);
            return;
        }
        caret.insertText(QString(QChar::ObjectReplacementCharacter), ImageFormatOf(picture));
        setTextCursor(caret);
        ensureCursorVisible();
        return;
    }
    if (!acceptRichText() || !source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    // Read against the page's document, as QTextEdit does, so that text without a font of its
    // own takes the page's.
    QTextDocument pasted;
    QTextCursor(&pasted).insertFragment(
        QTextDocumentFragment::fromHtml(source->html(), document()));
    DropBackgrounds(pasted);
    caret.insertFragment(QTextDocumentFragment(&pasted));
    setTextCursor(caret);
    ensureCursorVisible();
}

void SheetPage::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int position = cursorForPosition(event->position().toPoint()).position();
    // The click lands on either side of the picture's character.
    const int diagram = DiagramAt(*document(), position);
    if (diagram >= 0 && (diagram == position || diagram == position - 1)) {
        emit diagramActivated(diagram);
        return;
    }
    QTextEdit::mouseDoubleClickEvent(event);
}

} // namespace quorvel
