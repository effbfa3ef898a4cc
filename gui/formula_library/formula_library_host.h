// What the formula library needs of the main window. TForm1 implements this interface (or
// hands over a small adapter) and passes it to TForm5 when it creates the formula editor.
#pragma once

class QMenu;
class QString;
class QTextEdit;

namespace quorvel {

class FormulaLibraryHost
{
public:
    virtual ~FormulaLibraryHost() = default;

    // The "Ablage" menu (`EigeneFormeln1`). When TForm5 is created it already holds
    // "Bearbeiten..." (index 0) and a separator (index 1); TForm5 adds, removes and owns no
    // other entries than the formula entries from index 2 on (the menu owns their QActions).
    virtual QMenu* ablageMenu() const = 0;

    // `CurrentEditor`: the editor of the active page. May be null only in tests;
    // TForm5 then treats the worksheet as having no selection and inserts nothing.
    virtual QTextEdit* currentEditor() const = 0;

    // `ConfirmYesNo`: a question box with "Ja" and "Nein", true only for "Ja".
    // confirmYesNoBox (message_boxes.h) is a ready implementation.
    virtual bool confirmYesNo(const QString& text) = 0;

    // `ShowInfo`: an information box with "OK". showInfoBox is a ready implementation.
    virtual void showInfo(const QString& text) = 0;
};

} // namespace quorvel
