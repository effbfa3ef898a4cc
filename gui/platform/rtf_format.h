// The one character format of the RTF layer that Qt has no property for: the character set of a
// run's font (\fcharsetN), kept so that it survives reading and writing and a font dialog can show
// it.
#pragma once

#include <QTextCharFormat>

namespace quorvel {

// QTextFormat::UserProperty + 1 holds the run's RTF character set: 0 ANSI (the default when the
// property is missing), 2 Symbol, 161 Greek, 162 Turkish, 186 Baltic, 204 Cyrillic,
// 238 Central European ...
inline constexpr int kRtfCharsetProperty = QTextFormat::UserProperty + 1;

inline int RtfCharset(const QTextCharFormat& format)
{
    return format.intProperty(kRtfCharsetProperty);
}

inline void SetRtfCharset(QTextCharFormat& format, int charset)
{
    format.setProperty(kRtfCharsetProperty, charset);
}

} // namespace quorvel
