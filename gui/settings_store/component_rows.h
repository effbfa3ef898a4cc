// SPDX-License-Identifier: GPL-3.0-or-later
// The class table of the component state store: for each kind of control, what it stores in
// the settings file and how it is restored. Used only by ComponentStore's walk.
#pragma once

#include <QString>

class QWidget;

namespace quorvel {

class ComponentStore;

struct ComponentRow
{
    bool (*matches)(const QWidget* widget);
    void (*save)(ComponentStore& ini, QWidget* widget, const QString& section, const QString& name);
    void (*load)(ComponentStore& ini, QWidget* widget, const QString& section, const QString& name);
};

// The first row whose class test the widget passes, or nullptr: such a widget (a panel, a group
// box, a tab page, a scroll area) stores nothing itself and the walk goes on into its children.
const ComponentRow* FindComponentRow(const QWidget* widget);

} // namespace quorvel
