// SPDX-License-Identifier: GPL-3.0-or-later
// Line evaluation on the editor (evaluateLine, ShowLine, RecalcSheet and insertQuantityList): the
// engine computes the new line or listing; this file writes it with its colours and moves the
// caret to the start of the next line.
#include "gui/worksheet/main_window.h"

#include "engine/base/text_helpers.h"
#include "gui/diagram/page_diagrams.h"
#include "gui/rtf/picture_format.h"

#include <QColor>
#include <QTextEdit>

#include <string_view>

namespace quorvel {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

std::u16string_view viewOf(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Black text with the span [markStart, markStart + markLength) in red when the line failed.
QList<TextRun> runsOf(const LineOutput& out)
{
    const QString text = QString::fromStdU16String(out.text);
    if (out.ok)
        return {{text, kBlack}};
    const qsizetype start = qBound(qsizetype{0}, qsizetype{out.markStart}, text.size());
    const qsizetype length = qBound(qsizetype{0}, qsizetype{out.markLength}, text.size() - start);
    return {{text.left(start), kBlack},
            {text.mid(start, length), kRed},
            {text.mid(start + length), kBlack}};
}

} // namespace

void MainWindow::evaluateLine(int i, const QString& t)
{
    ShowLine(i, t, m_lines.EvalSheetLine(viewOf(t), Decimals()));
}

void MainWindow::ShowLine(int i, const QString& t, const LineOutput& out)
{
    SheetEditor& sheet = currentSheet();
    sheet.beginBatch();
    if (Trim(viewOf(t)).empty()) {
        // The caret moves on to the next line; an empty last line gets a line behind it.
        if (!sheet.isLastLine(i))
            sheet.setCaret(i + 1, 0);
        else if (t.isEmpty()) {
            sheet.appendLine();
            sheet.setCaret(i + 1, 0);
        } else
            sheet.setCaret(i, static_cast<int>(t.size()));
    } else {
        sheet.replaceLine(i, runsOf(out));
        if (sheet.isLastLine(i))
            sheet.appendLine();
        sheet.setCaret(i + 1, 0);
    }
    sheet.endBatch();
}

void MainWindow::RecalcSheet()
{
    m_parser.Vars.Clear();
    SheetEditor& sheet = currentSheet();
    sheet.beginBatch();
    const int n = sheet.lineCount();
    for (int i = 0; i < n; ++i) {
        const QString t = sheet.line(i);
        if (!t.isEmpty() && !HoldsObject(t))
            evaluateLine(i, t);
    }
    // The diagrams show what the lines now say.
    RedrawDiagrams(*sheet.widget().document(), m_parser);
    sheet.endBatch();
}

void MainWindow::insertQuantityList(const std::vector<std::u16string>& texts)
{
    SheetEditor& sheet = currentSheet();
    sheet.setSelectionColor(kBlack);
    sheet.beginBatch();
    const int r = sheet.caretRow();
    int last = r;
    for (const std::u16string& entry : texts) {
        const QString text = QString::fromStdU16String(entry);
        ++last;
        if (last < sheet.lineCount())
            sheet.replaceLine(last, {{text, kBlack}});
        else
            sheet.appendLine(text);
    }
    if (sheet.isLastLine(last))
        sheet.appendLine();
    sheet.setCaret(last + 1, 0);
    sheet.endBatch();
    sheet.setSelectionColor(kBlack);
}

} // namespace quorvel
