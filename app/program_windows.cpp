// Wiring of the program's windows.
#include "program_windows.h"

#include <QAction>

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
    if (auto* load = form1.findChild<QAction*>(QStringLiteral("Textladen1")))
        QObject::connect(load, &QAction::triggered, &documents, &DocumentCommands::Textladen1Click);
    if (auto* save = form1.findChild<QAction*>(QStringLiteral("Dateispeichern1")))
        QObject::connect(save, &QAction::triggered, &documents,
                         &DocumentCommands::Dateispeichern1Click);
    if (auto* print = form1.findChild<QAction*>(QStringLiteral("Drucken1")))
        QObject::connect(print, &QAction::triggered, &printing, &SheetPrinting::Drucken1Click);
    if (auto* pdf = form1.findChild<QAction*>(QStringLiteral("AlsPDFspeichern1")))
        QObject::connect(pdf, &QAction::triggered, &printing,
                         &SheetPrinting::AlsPDFspeichern1Click);
}

} // namespace quorvel
