// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/worksheet/key_table.h"

#include <algorithm>
#include <array>

namespace quorvel {
namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

// Ctrl+Z, Ctrl+C and Ctrl+V stay the editor's (as does Ctrl+X, which no caption names); Ctrl with
// the virtual-key codes 43 (Execute) and 45 (Insert) is consumed, so Ctrl+Insert does not copy.
// Ctrl+Y redoes, as users of other desktop programs expect; the editor's Ctrl+Shift+Z still does.
constexpr std::array kKeys{
    SheetKey{Qt::Key_Insert, kNone, SheetCommand::InsertEmptyLine, KeyOwner::Page},
    SheetKey{Qt::Key_F9, kNone, SheetCommand::RecalculateSheet, KeyOwner::Page},
    SheetKey{Qt::Key_Up, kCtrl, SheetCommand::LargerFont, KeyOwner::Page},
    SheetKey{Qt::Key_Down, kCtrl, SheetCommand::SmallerFont, KeyOwner::Page},
    SheetKey{Qt::Key_A, kCtrl, SheetCommand::SelectAll, KeyOwner::Page},
    SheetKey{Qt::Key_B, kCtrl, SheetCommand::Bold, KeyOwner::Page},
    SheetKey{Qt::Key_E, kCtrl, SheetCommand::UnitDefinitions, KeyOwner::Page},
    SheetKey{Qt::Key_F, kCtrl, SheetCommand::FontDialog, KeyOwner::Page},
    SheetKey{Qt::Key_H, kCtrl, SheetCommand::Superscript, KeyOwner::Page},
    SheetKey{Qt::Key_K, kCtrl, SheetCommand::Italic, KeyOwner::Page},
    SheetKey{Qt::Key_L, kCtrl, SheetCommand::Subscript, KeyOwner::Page},
    SheetKey{Qt::Key_N, kCtrl, SheetCommand::StandardFont, KeyOwner::Page},
    SheetKey{Qt::Key_T, kCtrl, SheetCommand::Keypad, KeyOwner::Page},
    SheetKey{Qt::Key_U, kCtrl, SheetCommand::Underline, KeyOwner::Page},
    SheetKey{Qt::Key_Y, kCtrl, SheetCommand::Redo, KeyOwner::Page},
    SheetKey{Qt::Key_Execute, kCtrl, SheetCommand::Consumed, KeyOwner::Page},
    SheetKey{Qt::Key_Insert, kCtrl, SheetCommand::Consumed, KeyOwner::Page},
    SheetKey{Qt::Key_Z, kCtrl, SheetCommand::Undo, KeyOwner::Editor},
    SheetKey{Qt::Key_C, kCtrl, SheetCommand::Copy, KeyOwner::Editor},
    SheetKey{Qt::Key_V, kCtrl, SheetCommand::Paste, KeyOwner::Editor},
    SheetKey{Qt::Key_O, kCtrl, SheetCommand::LoadText, KeyOwner::Menu},
    SheetKey{Qt::Key_S, kCtrl, SheetCommand::SaveText, KeyOwner::Menu},
    SheetKey{Qt::Key_P, kCtrl, SheetCommand::Print, KeyOwner::Menu},
    SheetKey{Qt::Key_Q, kCtrl, SheetCommand::Quit, KeyOwner::Menu},
    SheetKey{Qt::Key_F1, kNone, SheetCommand::Help, KeyOwner::Menu},
    SheetKey{Qt::Key_F10, Qt::ShiftModifier, SheetCommand::PopupMenu, KeyOwner::Menu},
    // With Shift, since the pages' Ctrl rows answer Ctrl+Shift too: only a letter no page row
    // has is free, and Ctrl+D alone deletes a character in some desktops' editor keys.
    SheetKey{Qt::Key_D, kCtrl | Qt::ShiftModifier, SheetCommand::Diagram, KeyOwner::Menu},
};

// Every command but Consumed has one row.
const SheetKey& rowOf(SheetCommand command)
{
    return *std::find_if(kKeys.begin(), kKeys.end(),
                         [command](const SheetKey& row) { return row.command == command; });
}

} // namespace

const SheetKey* FindPageKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrlMode =
        modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
    const auto found = std::find_if(kKeys.begin(), kKeys.end(), [&](const SheetKey& row) {
        return row.owner == KeyOwner::Page && row.key == key &&
               row.modifiers.testFlag(Qt::ControlModifier) == ctrlMode;
    });
    return found == kKeys.end() ? nullptr : &*found;
}

QString KeyHint(SheetCommand command)
{
    const SheetKey& row = rowOf(command);
    if (row.modifiers == kCtrl)
        return QStringLiteral("^") + QChar(static_cast<char16_t>(row.key));
    return QKeySequence(QKeyCombination(row.modifiers, Qt::Key(row.key)))
        .toString(QKeySequence::PortableText);
}

QKeySequence KeyShortcut(SheetCommand command)
{
    const SheetKey& row = rowOf(command);
    return QKeySequence(QKeyCombination(row.modifiers, Qt::Key(row.key)));
}

} // namespace quorvel
