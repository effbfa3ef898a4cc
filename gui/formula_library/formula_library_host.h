// SPDX-License-Identifier: GPL-3.0-or-later
// What the formula library needs of the main window: its "Ablage" menu and the text of its
// active page. MainWindow implements this interface and passes it to FormulaLibraryWindow when it
// creates the formula editor. The library's question boxes are its own (they belong to its window).
#pragma once

class QMenu;
class QString;

namespace quorvel {

class FormulaLibraryHost
{
public:
    virtual ~FormulaLibraryHost() = default;

    // The "Ablage" menu (`EigeneFormeln1`). When FormulaLibraryWindow is created it already holds
    // "Bearbeiten..." (index 0) and a separator (index 1); FormulaLibraryWindow adds, removes and
    // owns no other entries than the formula entries from index 2 on (the menu owns their
    // QActions).
    virtual QMenu* ablageMenu() const = 0;

    // The selected text of the active page (`CurrentEditor`) with CR LF between its lines;
    // empty when nothing is selected.
    virtual QString selectedText() const = 0;

    // Replaces the selection of the active page by `text` (inserting at the caret when nothing
    // is selected); CR LF, a lone CR and a lone LF each start a new line. The focus stays where
    // it is.
    virtual void replaceSelection(const QString& text) = 0;
};

} // namespace quorvel
