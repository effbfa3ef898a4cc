// SPDX-License-Identifier: GPL-3.0-or-later
// DiagramWindow ("Diagramm"): one diagram at a time, zoomable, with the visible ranges in fields
// that take typed ones, the curves' values at the trace (pointer or arrow keys) in a status line
// that screen readers read, and the commands that take it elsewhere: "Diagramm einfügen" (into the
// page, where F9 redraws it), "Als Bild speichern..."
// (PNG, SVG, PDF), "Kopieren" (the picture), "Werte kopieren" (the points as CSV text) and
// "Drucken..." and "Druckvorschau...". Files, clipboard and paper show the ranges the window
// shows.
#pragma once

#include "engine/diagram/sampling.h"
#include "gui/platform/print_preview.h"

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel {

class DiagramView;
struct DiagramLayout;

class DiagramWindow : public QWidget
{
    Q_OBJECT

public:
    // Created hidden at program start, so that its place is read with the other windows'.
    explicit DiagramWindow(QWidget* parent = nullptr);

    // Shows the diagram in place of the one shown before and brings the window to the front.
    void showDiagram(DiagramData diagram);

    DiagramView* view() const { return m_view; }

    // Whether the window has a place worth keeping in the settings: it has been shown, or its
    // place was read from them. A window never shown has only its designed place, and a
    // settings file that never held one stays as it was.
    bool hasPlace() const { return m_hasPlace; }
    void setHasPlace() { m_hasPlace = true; }

    void onSavePicture();
    void onCopyPicture();
    void onCopyValues();
    void onPrint();
    void onPreview();
    // The ranges typed into the fields (numbers in the axes' units, or quantities of the page
    // such as «2.5km»), shown; a German message when they cannot be.
    void onRangeTyped();

    // The dialogs, replaceable in tests: the file dialog gets the preset name and gives the
    // chosen file or nothing; the print dialog and the preview are paper's.
    std::function<QString(const QString&)> runSaveDialog;
    PaperOutput paper{*this};

signals:
    // "Diagramm einfügen": the diagram shown, into the page.
    void insertRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // What files, clipboard and paper get: the visible ranges, at the view's size but no
    // smaller than a page of a report wants.
    DiagramLayout exportLayout() const;
    void onRangesChanged();
    void onReadoutChanged(const QString& readout);
    // The diagram on paper, through the print dialog or the preview.
    void toPaper(void (PaperOutput::*way)(QPrinter&, const PaintSheets&));

    DiagramView* m_view = nullptr;
    QPushButton* m_whole = nullptr;
    QLabel* m_status = nullptr;
    // x von, x bis, y von, y bis
    std::array<QLineEdit*, 4> m_range{};
    QString m_folder; // where the last picture was saved
    bool m_hasPlace = false;
};

} // namespace quorvel
