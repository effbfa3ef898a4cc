// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/diagram_dialog.h"

#include "engine/base/quorvel_error.h"
#include "gui/platform/message_boxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace quorvel {
namespace {

// A label that names its field for the mnemonic and for screen readers.
void addRow(QFormLayout* form, const QString& caption, QWidget* field, const QString& name)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    field->setAccessibleName(name);
    form->addRow(label, field);
}

QString formulaList(const std::vector<CurveRequest>& curves)
{
    QStringList formulas;
    for (const CurveRequest& curve : curves)
        formulas << QString::fromStdU16String(curve.formula);
    return formulas.join(QStringLiteral(", "));
}

// A large diagram takes a moment to sample.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

DiagramDialog::DiagramDialog(TEFParser& parser, std::vector<CurveRequest> curves,
                             const std::vector<std::u16string>& variables, QWidget* parent)
    : QDialog(parent), m_parser(parser), m_curves(std::move(curves))
{
    setObjectName(QStringLiteral("DiagrammDialog"));
    setWindowTitle(QStringLiteral("Diagramm"));
    setMinimumWidth(360); // room for quantities such as «-2.5km/h»

    auto* shown = new QLabel(
        (m_curves.size() == 1 ? QStringLiteral("Formel: ") : QStringLiteral("Formeln: ")) +
        formulaList(m_curves));
    shown->setObjectName(QStringLiteral("Formeln"));
    shown->setWordWrap(true);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);

    variableBox = new QComboBox;
    variableBox->setObjectName(QStringLiteral("Variable"));
    for (const std::u16string& name : variables)
        variableBox->addItem(QString::fromStdU16String(name));
    fromEdit = new QLineEdit;
    fromEdit->setObjectName(QStringLiteral("Von"));
    toEdit = new QLineEdit;
    toEdit->setObjectName(QStringLiteral("Bis"));
    const QString quantity = QStringLiteral("Eine Gr\u00F6\u00DFe mit Einheit, etwa 0s oder 2.5km; "
                                            "auch eine Formel mit Variablen der Seite.");
    fromEdit->setAccessibleDescription(quantity);
    toEdit->setAccessibleDescription(quantity);
    pointsBox = new QSpinBox;
    pointsBox->setObjectName(QStringLiteral("Punkte"));
    pointsBox->setRange(kMinDiagramPoints, kMaxDiagramPoints);
    // A count out of range becomes the nearest one the field shows, not the one before it.
    pointsBox->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    pointsBox->setValue(kDefaultDiagramPoints);

    // Bode plots, decades: a logarithmic x axis spaces the points geometrically.
    logXBox = new QCheckBox(QStringLiteral("Logarithmische &x-Achse"));
    logXBox->setObjectName(QStringLiteral("LogX"));
    logXBox->setAccessibleDescription(QStringLiteral(
        "Die Punkte liegen geometrisch verteilt; \u201Evon\u201C und \u201Ebis\u201C m\u00FCssen "
        "gr\u00F6\u00DFer als null sein."));
    logYBox = new QCheckBox(QStringLiteral("Logarithmische &y-Achse"));
    logYBox->setObjectName(QStringLiteral("LogY"));
    logYBox->setAccessibleDescription(
        QStringLiteral("Werte bis null zeigt eine logarithmische Achse nicht."));

    auto* form = new QFormLayout;
    addRow(form, QStringLiteral("&Variable:"), variableBox, QStringLiteral("Variable"));
    addRow(form, QStringLiteral("v&on:"), fromEdit, QStringLiteral("von"));
    addRow(form, QStringLiteral("&bis:"), toEdit, QStringLiteral("bis"));
    addRow(form, QStringLiteral("&Punkte:"), pointsBox, QStringLiteral("Anzahl der Punkte"));
    form->addRow(logXBox);
    form->addRow(logYBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // Beside "OK", which shows the diagram in its window: the diagram straight into the page.
    insertButton =
        buttons->addButton(QStringLiteral("Diagramm &einf\u00FCgen"), QDialogButtonBox::ActionRole);
    insertButton->setObjectName(QStringLiteral("DiagrammEinfuegen"));
    insertButton->setAccessibleDescription(
        QStringLiteral("Setzt das Diagramm als Bild in eine eigene Zeile der Seite; F9 zeichnet "
                       "es neu."));
    connect(insertButton, &QPushButton::clicked, this, [this] {
        m_insert = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shown);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(variableBox, &QComboBox::currentIndexChanged, this, &DiagramDialog::fillRange);
    fillRange();
    fromEdit->setFocus();
}

void DiagramDialog::chooseVariable(const QString& name)
{
    const int index = variableBox->findText(name);
    if (index >= 0)
        variableBox->setCurrentIndex(index);
}

void DiagramDialog::fillRange()
{
    const SweepRange range = DefaultSweep(m_parser, variableBox->currentText().toStdU16String());
    fromEdit->setText(QString::fromStdU16String(range.from));
    toEdit->setText(QString::fromStdU16String(range.to));
}

DiagramRequest DiagramDialog::request() const
{
    DiagramRequest request;
    request.curves = m_curves;
    request.variable = variableBox->currentText().toStdU16String();
    request.from = fromEdit->text().toStdU16String();
    request.to = toEdit->text().toStdU16String();
    request.points = pointsBox->value();
    request.xScale = logXBox->isChecked() ? AxisScale::Logarithmic : AxisScale::Linear;
    request.yScale = logYBox->isChecked() ? AxisScale::Logarithmic : AxisScale::Linear;
    return request;
}

QString DiagramDialog::attempt()
{
    // What the field shows is what is drawn, also when OK comes while it is being typed into.
    pointsBox->interpretText();
    try {
        const WaitCursor wait;
        m_data = SampleDiagram(m_parser, request());
    } catch (const QuorvelError& refusal) {
        return QString::fromStdU16String(refusal.message());
    }
    return {};
}

void DiagramDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        const QString refusal = attempt();
        if (!refusal.isEmpty()) {
            m_insert = false;
            ShowInfo(refusal, this);
            return;
        }
    }
    QDialog::done(result);
}

} // namespace quorvel
