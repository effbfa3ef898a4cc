// SPDX-License-Identifier: GPL-3.0-or-later
// "Diagramm...": the formula of the caret's line, or of each selected line, drawn over one of
// its variables. Finds the formulas on the page, explains in German when there is nothing to
// draw, asks for the range in DiagramDialog and shows the result in the DiagramWindow. The page
// is only read: its text, variables and marks stay as they were.
#pragma once

#include "engine/diagram/sampling.h"

#include <QString>

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
};
PageDiagram DiagramOfPage(TEFParser& parser, const QTextEdit& page);

class DiagramCommand
{
public:
    // The parser is the page's; messages and the dialog open over parent.
    DiagramCommand(TEFParser& parser, DiagramWindow& window, QWidget& parent);

    void run(const QTextEdit& page);

    // Shows the dialog; true when it was confirmed with a diagram. Replaceable in tests.
    std::function<bool(DiagramDialog&)> runDialog;

private:
    TEFParser& m_parser;
    DiagramWindow& m_window;
    QWidget& m_parent;
    // The last choice, offered again while it fits.
    QString m_variable;
    int m_points = kDefaultDiagramPoints;
    bool m_logX = false;
    bool m_logY = false;
};

} // namespace quorvel
