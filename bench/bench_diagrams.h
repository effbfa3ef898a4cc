// SPDX-License-Identifier: GPL-3.0-or-later
// A report page with diagrams, for the benchmarks of F9 and of the start.
#pragma once

#include "engine/diagram/sampling.h"
#include "gui/diagram/page_diagrams.h"
#include "gui/worksheet/main_window.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace quorvel::bench {

// Lines of a report with `count` diagrams: for each, a speed on its own line and a diagram of
// the distance over 0 to 10 s at `points` points after it.
inline QString diagramSheetText(int count, int speedStep = 1)
{
    QStringList lines{QStringLiteral("t = 1s")};
    for (int i = 0; i < count; ++i) {
        lines << QStringLiteral("a%1 = %2m/s").arg(i).arg(i * speedStep + 1);
        lines << QStringLiteral("s%1 = a%1*t").arg(i);
    }
    return lines.join(QLatin1Char('\n'));
}

// Evaluates the page of diagramSheetText and puts each diagram after its line, as "Diagramm
// einfügen" does.
inline void insertDiagrams(MainWindow& window, int count, int points)
{
    QTextEdit& page = *window.CurrentEditor();
    window.RecalcSheet();
    for (int i = count - 1; i >= 0; --i) {
        DiagramRequest request;
        request.curves = {{QStringLiteral("a%1*t").arg(i).toStdU16String(), {}, {}, {}}};
        request.variable = u"t";
        request.from = u"0s";
        request.to = u"10s";
        request.points = points;
        QTextCursor after(page.document()->findBlockByNumber(2 * i + 2));
        InsertPictureLine(after, DiagramPicture(SampleDiagram(window.parser(), request)));
    }
}

} // namespace quorvel::bench
