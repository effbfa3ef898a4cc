// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog before a diagram: which variable to sweep, from where to where, at how many
// points, and whether an axis is logarithmic. OK samples the formulas with the page's evaluator;
// when the engine refuses (a range of the wrong dimension, formulas of different dimensions, ...),
// its message is shown and the dialog stays open for the correction.
#pragma once

#include "engine/diagram/sampling.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quorvel {

class DiagramDialog : public QDialog
{
    Q_OBJECT

public:
    // variables: those the formulas use, at least one; the first is chosen.
    DiagramDialog(TEFParser& parser, std::vector<CurveRequest> curves,
                  const std::vector<std::u16string>& variables, QWidget* parent = nullptr);

    // Chooses the variable, when it is one of the list, and fills von and bis for it.
    void chooseVariable(const QString& name);

    // The request the fields make.
    DiagramRequest request() const;
    // Samples with the fields as they stand. Empty on success, with the diagram in data();
    // else the engine's German message.
    QString attempt();
    DiagramData& data() { return m_data; }
    // Whether the dialog was confirmed with "Diagramm einfügen" rather than "OK".
    bool insertChosen() const { return m_insert; }

    QComboBox* variableBox = nullptr;
    QLineEdit* fromEdit = nullptr;
    QLineEdit* toEdit = nullptr;
    QSpinBox* pointsBox = nullptr;
    QCheckBox* logXBox = nullptr;
    QCheckBox* logYBox = nullptr;
    QPushButton* insertButton = nullptr;

public slots:
    void done(int result) override;

private:
    void fillRange();

    TEFParser& m_parser;
    std::vector<CurveRequest> m_curves;
    DiagramData m_data;
    bool m_insert = false;
};

} // namespace quorvel
