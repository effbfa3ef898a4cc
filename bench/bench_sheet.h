// SPDX-License-Identifier: GPL-3.0-or-later
// The sheet the editor benchmarks work on.
#pragma once

#include <QString>
#include <QStringList>

namespace quorvel::bench {

// A sheet of n lines in a repeating mix: assignments, expressions with units, a labelled line,
// prose. Names repeat every 100 groups, as on a real sheet, so that the variable table stays
// small and the editor's share is what grows with the page.
inline QString sheetText(int n)
{
    QStringList lines;
    lines.reserve(n);
    for (int i = 0; lines.size() < n; ++i) {
        const QString v = QStringLiteral("v%1").arg(i % 100);
        lines << QStringLiteral("%1 = %2m").arg(v).arg(i + 1);
        lines << QStringLiteral("%1*2+3km").arg(v);
        lines << QStringLiteral("Zeit: t%1 = %2/(2m/s)").arg(i % 100).arg(v);
        lines << QStringLiteral("Beschreibung von Schritt %1").arg(i);
    }
    lines.resize(n);
    return lines.join(QLatin1Char('\n'));
}

} // namespace quorvel::bench
