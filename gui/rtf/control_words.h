// SPDX-License-Identifier: GPL-3.0-or-later
// The control words the RTF reader acts on, and what each one does. Words not listed here are
// ignored by the reader, as RTF asks of words a reader does not know.
#pragma once

#include <string_view>

namespace quorvel::rtf {

enum class Word : unsigned char {
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Colour,
    FontSize,
    Font,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Down,
    Par,
    SoftBreak, // ends a paragraph that has text: \sect, \page, \row
    Character, // a fixed character: \tab, \emdash, \bullet ...
    Unicode,
    UnicodeSkip,
    DefaultFont,
    AnsiCodePage,
    DocumentCodePage, // \ansi, \mac, \pc, \pca
    FontTable,
    ColourTable,
    Red,
    Green,
    Blue,
    FontCharset,
    FontCodePage,
    Skip,          // a destination without document text
    Picture,       // \pict: a picture's destination
    PictureKind,   // the form of its bytes: \pngblip, \wmetafile8 ...
    PictureWidth,  // \picw
    PictureHeight, // \pich
    GoalWidth,     // \picwgoal
    GoalHeight,    // \pichgoal
    ScaleX,        // \picscalex
    ScaleY,        // \picscaley
};

struct WordInfo
{
    Word word;
    int value = 0; // Character: the character; DocumentCodePage: the code page
};

// The word's meaning, or nullptr for a word the reader ignores.
const WordInfo* FindControlWord(std::string_view name);

} // namespace quorvel::rtf
