// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows, created in their start-up order (main window, keypad, formula editor,
// help window, unit definitions window, diagram window) and connected to each other. The program
// entry holds one; the window tests use the same wiring.
#pragma once

#include "gui/diagram/diagram_command.h"
#include "gui/diagram/diagram_window.h"
#include "gui/formula_library/formula_editor.h"
#include "gui/help/help_window.h"
#include "gui/keypad/keypad_window.h"
#include "gui/unit_definitions/unit_definitions_window.h"
#include "gui/worksheet/documents.h"
#include "gui/worksheet/main_window.h"
#include "gui/worksheet/sheet_printing.h"

namespace quorvel {

struct ProgramWindows
{
    ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Declaration order is creation order: the keypad reads the popup menu's function list,
    // the formula editor finds "Bearbeiten..." in the "Ablage" menu.
    MainWindow mainWindow;
    KeypadWindow keypad{mainWindow, &mainWindow};
    FormulaLibraryWindow formulaLibrary{mainWindow};
    HelpWindow help;
    UnitDefinitionsWindow unitDefinitions{mainWindow.parser()};
    // "Text laden" and "Text speichern".
    DocumentCommands documents{mainWindow};
    // "Drucken...", "Druckvorschau..." and "Als PDF speichern...".
    SheetPrinting printing{mainWindow};
    // "Diagramm...": one diagram window, which a new diagram fills anew.
    DiagramWindow diagram{&mainWindow};
    DiagramCommand diagramCommand{mainWindow.parser(), diagram, mainWindow};
};

} // namespace quorvel
