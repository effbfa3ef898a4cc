// SPDX-License-Identifier: GPL-3.0-or-later
// Wiring of the program's windows.
#include "app/program_windows.h"

#include "gui/platform/keyboard_panes.h"

#include <initializer_list>

namespace quorvel {

ProgramWindows::ProgramWindows()
{
    mainWindow.setKeypad(&keypad);
    mainWindow.setFormulaEditor(&formulaLibrary);
    mainWindow.setHelpWindow(&help);
    mainWindow.setUnitDefinitionsWindow(&unitDefinitions);
    // Closing the main window ends the program, whichever other window is open.
    for (QWidget* window :
         std::initializer_list<QWidget*>{&keypad, &formulaLibrary, &help, &unitDefinitions})
        window->setAttribute(Qt::WA_QuitOnClose, false);
    // F6 goes on from the page and the keypad to the other open windows (the notes come last).
    for (QWidget* window :
         std::initializer_list<QWidget*>{&formulaLibrary, &help, &unitDefinitions, &diagram})
        AddPaneWindow(*window);
    mainWindow.setDocumentCommands(&documents);
    mainWindow.setSheetPrinting(&printing);
    QObject::connect(&mainWindow, &MainWindow::diagramRequested, &diagram,
                     [this] { diagramCommand.run(*mainWindow.CurrentEditor()); });
    QObject::connect(
        &mainWindow, &MainWindow::diagramEditRequested, &diagram,
        [this](int position) { diagramCommand.edit(*mainWindow.CurrentEditor(), position); });
    QObject::connect(&diagram, &DiagramWindow::insertRequested, &mainWindow,
                     [this] { diagramCommand.insertShown(*mainWindow.CurrentEditor()); });
}

} // namespace quorvel
