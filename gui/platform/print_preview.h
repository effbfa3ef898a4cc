// SPDX-License-Identifier: GPL-3.0-or-later
// The two ways to paper that the page and the diagram share. "Drucken..." opens the system's print
// dialog at once, as desktop programs do. "Druckvorschau..." shows the sheets in a window whose
// buttons ("Drucken...", "Seite einrichten...", "Zoom", "Schließen") take the keyboard and answer
// to Alt with their underlined letters; the toolkit's own preview has a tool bar that the
// keyboard cannot reach.
#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;

namespace quorvel {

// Paints the document onto the printer's sheets.
using PaintSheets = std::function<void(QPrinter&)>;

class PrintPreview : public QDialog
{
    Q_OBJECT

public:
    // print is what "Drucken..." (also Enter and Ctrl+P) does: true when the sheets were printed,
    // which closes the preview.
    PrintPreview(QPrinter& printer, const PaintSheets& paint, std::function<bool()> print,
                 QWidget* parent);

    QPrintPreviewWidget* view() const { return m_view; }
    QComboBox* zoom() const { return m_zoom; }

private:
    void onZoomChosen(int index);
    void onPageSetup();
    void onPreviewChanged();

    QPrinter& m_printer;
    std::function<bool()> m_print;
    QPrintPreviewWidget* m_view = nullptr;
    QComboBox* m_zoom = nullptr;
    QLabel* m_pages = nullptr;
};

// "Drucken..." and "Druckvorschau..." of one window, the dialogs replaceable in tests.
class PaperOutput
{
public:
    explicit PaperOutput(QWidget& window);

    // The system's print dialog for the printer, over the given window: true when the user chose
    // to print.
    std::function<bool(QPrinter&, QWidget*)> runPrintDialog;
    // Shows the preview, modally.
    std::function<void(PrintPreview&)> runPreview;

    // "Drucken...": the print dialog, then the sheets on the printer it chose.
    void print(QPrinter& printer, const PaintSheets& paint);
    // "Druckvorschau...": the sheets on the screen, printed from there.
    void preview(QPrinter& printer, const PaintSheets& paint);

private:
    QWidget& m_window;
};

} // namespace quorvel
