// SPDX-License-Identifier: GPL-3.0-or-later
// Wiring of the program's windows.
#include "program_windows.h"

#include <initializer_list>

namespace quorvel {

ProgramWindows::ProgramWindows()
{
    form1.setKeypad(&form2);
    form1.setFormulaEditor(&form5);
    form1.setHelpWindow(&form6);
    form1.setUnitDefinitionsWindow(&form4);
    // Closing the main window ends the program, whichever other window is open.
    for (QWidget* window : std::initializer_list<QWidget*>{&form2, &form5, &form6, &form4})
        window->setAttribute(Qt::WA_QuitOnClose, false);
    form1.setDocumentCommands(&documents);
    form1.setSheetPrinting(&printing);
}

} // namespace quorvel
