// SPDX-License-Identifier: GPL-3.0-or-later
// "Diagramm...": the formula of the caret's line, or of each selected line, drawn over one of
// its variables. Finds the formulas on the page, explains in German when there is nothing to
// draw, asks for the range in DiagramDialog and shows the result in the DiagramWindow, or puts
// it into the page after its lines ("Diagramm einfügen"). On the line of a diagram in the page,
// or with a double click on it, the dialog changes that diagram's request, and "OK" draws it
// anew in its place. Text, variables and marks of the page stay as they were.
#pragma once

#include "engine/diagram/sampling.h"

#include <QPointer>
#include <QString>
#include <QTextCursor>

#include <functional>
#include <string>
#include <vector>

class QTextEdit;
class QWidget;

namespace quorvel {

class DiagramDialog;
class DiagramWindow;

// One diagram shows at most this many curves: twice the colours, the second round dashed.
inline constexpr std::size_t kMaxDiagramCurves = 14;

// What the page offers: the formulas with their line numbers («Zeile 3») and the variables they
// use, or the message that says why nothing can be drawn.
struct PageDiagram
{
    std::vector<CurveRequest> curves;
    std::vector<std::u16string> variables;
    QString message;
    int lastLine = -1; // the block of the last formula drawn
};
PageDiagram DiagramOfPage(TEFParser& parser, const QTextEdit& page);

class DiagramCommand
{
public:
    // The parser is the page's; messages and the dialog open over parent.
    DiagramCommand(TEFParser& parser, DiagramWindow& window, QWidget& parent);

    void run(QTextEdit& page);
    // Changes the request of the diagram at that position of the page.
    void edit(QTextEdit& page, int position);
    // "Diagramm einfügen" of the window: its diagram into the page it was drawn from, after the
    // lines it plots; into the given page after the caret's line when that page is another.
    void insertShown(QTextEdit& current);

    // Shows the dialog; true when it was confirmed with a diagram. Replaceable in tests.
    std::function<bool(DiagramDialog&)> runDialog;

private:
    // Fills the dialog with the last choice, or with a request when one is given.
    void prepare(DiagramDialog& dialog, const DiagramRequest* request) const;
    void remember(const DiagramDialog& dialog);
    void insertInto(QTextEdit& page, QTextCursor after, const DiagramData& data);

    TEFParser& m_parser;
    DiagramWindow& m_window;
    QWidget& m_parent;
    // The last choice, offered again while it fits.
    QString m_variable;
    int m_points = kDefaultDiagramPoints;
    bool m_logX = false;
    bool m_logY = false;
    // Where the diagram in the window came from: its page, and the line it goes after.
    QPointer<QTextEdit> m_page;
    QTextCursor m_after;
};

} // namespace quorvel
