// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/worksheet/sheet_printing.h"

#include "gui/files/atomic_file.h"
#include "gui/files/page_files.h"
#include "gui/page_layout/picture_objects.h"
#include "gui/platform/message_boxes.h"
#include "gui/worksheet/main_window.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextOption>

#include <memory>

namespace quorvel {
namespace {

const QMarginsF kPaperMargins(20.0, 15.0, 15.0, 15.0); // millimetres; the left one for a binder

QFont footerFont()
{
    return QFont(QStringLiteral("Arial"), 8);
}

void drawFooter(QPainter& painter, const QRectF& area, const QString& name, const QDate& date,
                int sheet, int sheets)
{
    painter.save();
    painter.setFont(footerFont());
    painter.setPen(Qt::black);
    const int flags = Qt::AlignBottom | Qt::TextSingleLine;
    painter.drawText(area, flags | Qt::AlignLeft, name);
    painter.drawText(area, flags | Qt::AlignHCenter, date.toString(QStringLiteral("dd.MM.yyyy")));
    painter.drawText(area, flags | Qt::AlignRight,
                     QStringLiteral("Seite %1 von %2").arg(sheet).arg(sheets));
    painter.restore();
}

// The page's blocks and characters with their formats, copied straight into a new document.
// QTextDocument::clone copies everything twice (into a fragment, then out of it), which on a
// long page cost more than laying it out. A page's own lines are plain blocks; a table or a list
// pasted from elsewhere brings frames and list objects, which only the clone carries over.
std::unique_ptr<QTextDocument> paperCopy(const QTextDocument& page)
{
    if (!page.rootFrame()->childFrames().isEmpty())
        return std::unique_ptr<QTextDocument>(page.clone());
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(page.defaultFont());
    doc->setDefaultTextOption(page.defaultTextOption());
    doc->setIndentWidth(page.indentWidth());
    doc->rootFrame()->setFrameFormat(page.rootFrame()->frameFormat());
    QTextCursor cursor(doc.get());
    cursor.beginEditBlock();
    for (QTextBlock block = page.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (format.objectIndex() != -1) // an item of a list
            return std::unique_ptr<QTextDocument>(page.clone());
        if (block == page.begin()) {
            cursor.setBlockFormat(format);
            cursor.setBlockCharFormat(block.charFormat());
        } else {
            cursor.insertBlock(format, block.charFormat());
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            cursor.insertText(fragment.text(), fragment.charFormat());
        }
    }
    cursor.endEditBlock();
    return doc;
}

} // namespace

int PrintPage(const QTextDocument& page, const QString& name, const QDate& date,
              QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;

    // The painter's origin is the top left corner of the printable area.
    const QRectF printable(
        QPointF(0, 0), device.pageLayout().paintRectPixels(device.logicalDpiX()).size().toSizeF());
    const QFontMetricsF footerMetrics(footerFont(), &device);
    const qreal footerHeight = footerMetrics.height() * 2.0; // one empty line above the footer
    const QSizeF body(printable.width(), printable.height() - footerHeight);

    // A copy laid out for the device: fonts keep their point sizes at the paper's resolution,
    // and the page height makes the layout move a line that would be cut onto the next sheet.
    std::unique_ptr<QTextDocument> doc = paperCopy(page);
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    ShowPicturesOn(*layout);
    layout->setPaintDevice(&device);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(option);
    doc->setDocumentMargin(0);
    doc->setPageSize(body);
    const int sheets = std::max(1, doc->pageCount());

    // Text without a colour of its own is black on paper, whatever the desktop's palette.
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    for (int i = 0; i < sheets; ++i) {
        if (i > 0)
            device.newPage();
        const QRectF view(QPointF(0, i * body.height()), body);
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        // The layout draws every line that touches the clip, so a line ending exactly at the
        // sheet's edge would be drawn (invisibly) on the next sheet too, and its text would be
        // found there: one device pixel inside the sheet keeps each line on one sheet.
        context.clip = view.adjusted(0, 1, 0, -1);
        layout->draw(&painter, context);
        painter.restore();
        drawFooter(painter, printable, name, date, i + 1, sheets);
    }
    painter.end();
    return sheets;
}

QString WritePdf(const QTextDocument& page, const QString& name, const QString& path,
                 const QDate& date)
{
    // The PDF is made in memory and written like every other document, so a full disk leaves
    // the old file whole and is reported.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(name);
        writer.setCreator(QString::fromLatin1(MainWindow::kCaption));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         kPaperMargins, QPageLayout::Millimeter));
        if (PrintPage(page, name, date, writer) == 0)
            return NotWrittenText(path, QStringLiteral("PDF nicht erzeugt"));
    }
    return WriteDocumentFile(path, pdf.data());
}

SheetPrinting::SheetPrinting(MainWindow& form) : paper(form), m_form(form)
{
    runPdfDialog = [this](const QString& preset) {
        QFileDialog dialog(&m_form, QStringLiteral("Als PDF speichern"), m_pdfFolder,
                           QStringLiteral("*.pdf (*.pdf);;*.* (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.selectFile(preset);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

QString SheetPrinting::activePageName() const
{
    const QTabWidget* pages = m_form.pageControl();
    return pages->tabText(pages->currentIndex());
}

void SheetPrinting::onPrint()
{
    toPaper(&PaperOutput::print);
}

void SheetPrinting::onPreview()
{
    toPaper(&PaperOutput::preview);
}

void SheetPrinting::toPaper(void (PaperOutput::*way)(QPrinter&, const PaintSheets&))
{
    const QString name = activePageName();
    const QTextDocument& page = *m_form.CurrentEditor()->document();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(name);
    printer.setPageMargins(kPaperMargins, QPageLayout::Millimeter);
    // The date is taken once, so that a preview left open over midnight prints what it shows.
    const QDate date = QDate::currentDate();
    (paper.*way)(printer,
                 [&page, &name, &date](QPrinter& device) { PrintPage(page, name, date, device); });
}

void SheetPrinting::onSavePdf()
{
    const QString name = activePageName();
    const QString path = runPdfDialog(name + QStringLiteral(".pdf"));
    if (path.isEmpty())
        return;
    m_pdfFolder = QFileInfo(path).absolutePath();
    const QString error = WritePdf(*m_form.CurrentEditor()->document(), name, path);
    if (!error.isEmpty())
        ShowInfo(error, &m_form);
}

} // namespace quorvel
