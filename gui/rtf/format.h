// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a run's character format that the pages, the font dialog and the RTF layer share
// and Qt names differently or not at all: the character set of the run's font (\fcharsetN; Qt
// fonts have none) and the script position (superscript, subscript).
#pragma once

#include <QTextCharFormat>

namespace quorvel {

// The run's character set lives in the text format under this property: 0 ANSI, 2 Symbol,
// 161 Greek, 162 Turkish, 186 Baltic, 204 Cyrillic, 238 Central European ... A run without the
// property is ANSI, as RTF reads a font without \fcharset and as the page's text is written.
inline constexpr int kRtfCharsetProperty = QTextFormat::UserProperty + 1;
inline constexpr int kDefaultRtfCharset = 0;

inline int RtfCharset(const QTextCharFormat& format)
{
    return format.hasProperty(kRtfCharsetProperty) ? format.intProperty(kRtfCharsetProperty)
                                                   : kDefaultRtfCharset;
}

inline void SetRtfCharset(QTextCharFormat& format, int charset)
{
    format.setProperty(kRtfCharsetProperty, charset);
}

enum class ScriptPosition : unsigned char { Normal, Superscript, Subscript };

inline ScriptPosition ScriptOf(const QTextCharFormat& format)
{
    switch (format.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        return ScriptPosition::Superscript;
    case QTextCharFormat::AlignSubScript:
        return ScriptPosition::Subscript;
    default:
        return ScriptPosition::Normal;
    }
}

inline void SetScript(QTextCharFormat& format, ScriptPosition script)
{
    format.setVerticalAlignment(
        script == ScriptPosition::Superscript ? QTextCharFormat::AlignSuperScript
        : script == ScriptPosition::Subscript ? QTextCharFormat::AlignSubScript
                                              : QTextCharFormat::AlignNormal);
}

} // namespace quorvel
