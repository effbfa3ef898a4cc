// SPDX-License-Identifier: GPL-3.0-or-later
// Which key does what in the worksheet, in one table: the pages' own keys, the editor's keys that
// menu captions announce, and the menus' shortcuts beside them. The pages' key dispatch
// (sheet_keys.cpp), the key hints at the end of menu captions ("^B", "F9") and the menus'
// shortcuts (main_menus.cpp) are all read from here, so a key is changed in one place.
#pragma once

#include <QKeySequence>
#include <QString>

namespace quorvel {

enum class SheetCommand {
    // The pages' own keys: acted on before the editor sees them, and consumed.
    InsertEmptyLine,
    RecalculateSheet,
    LargerFont,
    SmallerFont,
    SelectAll,
    Bold,
    Italic,
    Underline,
    Superscript,
    Subscript,
    StandardFont,
    FontDialog,
    UnitDefinitions,
    Keypad,
    Redo,     // Ctrl+Y, beside the editor's own Ctrl+Shift+Z
    Consumed, // taken from the editor without an action of its own
    // The editor's own keys, which the pages leave to it.
    Undo,
    Copy,
    Paste,
    // Shortcuts of menu entries; none of them is a key of the pages.
    LoadText,
    SaveText,
    Print,
    Quit,
    Help,
    PopupMenu,
    Diagram,
};

enum class KeyOwner {
    Page,   // the pages' key dispatch
    Editor, // the editor's own meaning; a menu caption names it
    Menu,   // a menu entry's shortcut
};

struct SheetKey
{
    int key; // a Qt::Key
    // For the pages' keys only Ctrl counts: a Ctrl row answers to Ctrl without Alt, Shift held or
    // not; a row without Ctrl answers to every other state.
    Qt::KeyboardModifiers modifiers;
    SheetCommand command;
    KeyOwner owner;
};

// The page key row for a key pressed with these modifiers, or nullptr: the key is left to the
// editor and the menus.
const SheetKey* FindPageKey(int key, Qt::KeyboardModifiers modifiers);

// The key of a command as a menu caption ends with it: "^B" for Ctrl+B, "F9" for F9.
QString KeyHint(SheetCommand command);

// The key of a command as a menu entry's shortcut.
QKeySequence KeyShortcut(SheetCommand command);

} // namespace quorvel
