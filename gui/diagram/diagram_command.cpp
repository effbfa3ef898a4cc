// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/diagram_command.h"

#include "engine/worksheet/line_evaluation.h"
#include "gui/diagram/diagram_dialog.h"
#include "gui/diagram/diagram_view.h"
#include "gui/diagram/diagram_window.h"
#include "gui/diagram/page_diagrams.h"
#include "gui/platform/message_boxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextEdit>

#include <utility>

namespace quorvel {
namespace {

const QString kWhereFormulas = QStringLiteral(
    " Setzen Sie die Schreibmarke in eine Zeile mit einer Formel (etwa \u201Eweg = v*t\u201C oder "
    "\u201Ev*t = 30m\u201C) oder markieren Sie solche Zeilen.");

} // namespace

PageDiagram DiagramOfPage(TEFParser& parser, const QTextEdit& page)
{
    PageDiagram result;
    const QTextCursor caret = page.textCursor();
    const QTextDocument& doc = *page.document();
    QTextBlock first = doc.findBlock(caret.selectionStart());
    QTextBlock last = doc.findBlock(caret.selectionEnd());
    // A selection that ends at the start of a line, as a drag over whole lines does, ends above.
    if (last != first && caret.selectionEnd() == last.position())
        last = last.previous();
    bool tooMany = false;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        LineFormula line = FormulaOfLine(parser, b.text().toStdU16String());
        if (!line.formula.empty()) {
            tooMany = result.curves.size() == kMaxDiagramCurves;
            if (tooMany)
                break; // a selection of a long page is not read to its end
            result.curves.push_back(
                {std::move(line.formula), std::move(line.shownIn),
                 u"Zeile " + QString::number(b.blockNumber() + 1).toStdU16String(),
                 std::move(line.name)});
            result.lastLine = b.blockNumber();
        }
        if (b == last)
            break;
    }

    if (result.curves.empty()) {
        result.message =
            first == last
                ? QStringLiteral("In Zeile %1 steht keine Formel, die sich zeichnen l\u00E4sst.")
                      .arg(first.blockNumber() + 1)
                : QStringLiteral("In den markierten Zeilen %1 bis %2 steht keine Formel, die "
                                 "sich zeichnen l\u00E4sst.")
                      .arg(first.blockNumber() + 1)
                      .arg(last.blockNumber() + 1);
        result.message += kWhereFormulas;
        return result;
    }
    if (tooMany) {
        result.curves.clear();
        result.message = QStringLiteral("Ein Diagramm zeigt h\u00F6chstens %1 Kurven; in den "
                                        "markierten Zeilen stehen mehr Formeln.")
                             .arg(kMaxDiagramCurves);
        return result;
    }

    result.variables = CurveVariables(parser, result.curves);
    if (result.variables.empty()) {
        result.message = QString::fromStdU16String(NoVariableText(result.curves));
        result.curves.clear();
    }
    return result;
}

DiagramCommand::DiagramCommand(TEFParser& parser, DiagramWindow& window, QWidget& parent)
    : m_parser(parser), m_window(window), m_parent(parent)
{
    runDialog = [](DiagramDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
}

void DiagramCommand::run(QTextEdit& page)
{
    const QTextCursor caret = page.textCursor();
    if (!caret.hasSelection()) {
        const int diagram = DiagramAt(*page.document(), caret.position());
        if (diagram >= 0) {
            edit(page, diagram);
            return;
        }
    }
    PageDiagram found = DiagramOfPage(m_parser, page);
    if (!found.message.isEmpty()) {
        ShowInfo(found.message, &m_parent);
        return;
    }
    DiagramDialog dialog(m_parser, std::move(found.curves), found.variables, &m_parent);
    prepare(dialog, nullptr);
    if (!runDialog(dialog))
        return;
    remember(dialog);
    QTextCursor after(page.document()->findBlockByNumber(found.lastLine));
    if (dialog.insertChosen()) {
        insertInto(page, after, dialog.data());
        return;
    }
    m_page = &page;
    m_after = after;
    m_window.showDiagram(std::move(dialog.data()));
}

void DiagramCommand::edit(QTextEdit& page, int position)
{
    QTextCursor at(page.document());
    at.setPosition(position + 1);
    const std::optional<DiagramRequest> request =
        RequestOfPairs(PictureOf(at.charFormat()).request);
    if (!request) {
        ShowInfo(QStringLiteral("Dieses Diagramm l\u00E4sst sich nicht bearbeiten: seine Anfrage "
                                "nennt keine Formel oder keine Variable."),
                 &m_parent);
        return;
    }
    const std::vector<std::u16string> variables = CurveVariables(m_parser, request->curves);
    if (variables.empty()) {
        ShowInfo(QString::fromStdU16String(NoVariableText(request->curves)), &m_parent);
        return;
    }
    DiagramDialog dialog(m_parser, request->curves, variables, &m_parent);
    prepare(dialog, &*request);
    if (!runDialog(dialog))
        return;
    remember(dialog);
    // The dialog is modal, but a check costs nothing: the picture must still stand there.
    if (DiagramAt(*page.document(), position) != position)
        return;
    at.setPosition(position);
    if (dialog.insertChosen()) {
        insertInto(page, at, dialog.data());
        return;
    }
    ReplacePicture(*page.document(), position, DiagramPicture(dialog.data()));
    m_page = &page;
    m_after = at;
    m_window.showDiagram(std::move(dialog.data()));
}

void DiagramCommand::insertShown(QTextEdit& current)
{
    const DiagramData& data = m_window.view()->data();
    if (data.curves.empty())
        return;
    if (m_page == &current && !m_after.isNull())
        insertInto(current, m_after, data);
    else
        insertInto(current, current.textCursor(), data);
}

void DiagramCommand::prepare(DiagramDialog& dialog, const DiagramRequest* request) const
{
    if (request == nullptr) {
        dialog.chooseVariable(m_variable);
        dialog.pointsBox->setValue(m_points);
        dialog.logXBox->setChecked(m_logX);
        dialog.logYBox->setChecked(m_logY);
        return;
    }
    dialog.chooseVariable(QString::fromStdU16String(request->variable));
    dialog.fromEdit->setText(QString::fromStdU16String(request->from));
    dialog.toEdit->setText(QString::fromStdU16String(request->to));
    dialog.pointsBox->setValue(request->points);
    dialog.logXBox->setChecked(request->xScale == AxisScale::Logarithmic);
    dialog.logYBox->setChecked(request->yScale == AxisScale::Logarithmic);
}

void DiagramCommand::remember(const DiagramDialog& dialog)
{
    m_variable = dialog.variableBox->currentText();
    m_points = dialog.pointsBox->value();
    m_logX = dialog.logXBox->isChecked();
    m_logY = dialog.logYBox->isChecked();
}

void DiagramCommand::insertInto(QTextEdit& page, QTextCursor after, const DiagramData& data)
{
    InsertPictureLine(after, DiagramPicture(data));
    page.setTextCursor(after);
    page.ensureCursorVisible();
}

} // namespace quorvel
