// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a worksheet page: "Drucken..." (the system's print dialog), "Druckvorschau..." and
// "Als PDF speichern...". Paper shows the page as the screen does, with two differences the
// medium asks for: a line wider than the paper is wrapped instead of running off its edge, and
// every sheet carries a footer with the page's name, the date and "Seite n von m".
#pragma once

#include "gui/platform/print_preview.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QTextDocument;

namespace quorvel {

class MainWindow;

// Lays the page out on the device's sheets and paints them, each with its footer. The page's
// own document is not touched. Returns the number of sheets, 0 when the device cannot be painted.
int PrintPage(const QTextDocument& page, const QString& name, const QDate& date,
              QPagedPaintDevice& device);

// The page as a PDF on A4 paper, written atomically: a failed write leaves an older file intact.
// Returns an empty text on success, else the German reason naming the file.
QString WritePdf(const QTextDocument& page, const QString& name, const QString& path,
                 const QDate& date = QDate::currentDate());

// The three "Datei" entries. All work on the active page.
class SheetPrinting : public QObject
{
    Q_OBJECT

public:
    explicit SheetPrinting(MainWindow& form);

    void onPrint();
    void onPreview();
    void onSavePdf();

    // The dialogs, replaceable in tests: the PDF file dialog gets the preset name and gives the
    // chosen file or nothing; the print dialog and the preview are paper's.
    std::function<QString(const QString&)> runPdfDialog;
    PaperOutput paper;

private:
    QString activePageName() const;
    // The active page on paper, through the print dialog or the preview.
    void toPaper(void (PaperOutput::*way)(QPrinter&, const PaintSheets&));

    MainWindow& m_form;
    QString m_pdfFolder;
};

} // namespace quorvel
