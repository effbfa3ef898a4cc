// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers and dates as the settings file writes them: the same text under every regional
// setting.
#pragma once

#include <QDateTime>
#include <QString>

namespace quorvel {

// The whole text read as a number with "." as decimal point (leading blanks allowed); 0 when it
// is not one.
double TextToReal(const QString& text);

// "dd.mm.yyyy", followed by " hh:mm:ss" when the time of day is not midnight. The time always
// uses the 24-hour "hh:mm:ss" form, so a file reads the same under every regional setting.
QString DateTimeToText(const QDateTime& dateTime);
// Reads what DateTimeToText writes (also with one-digit fields, two-digit years, and "h:m"); the
// current local date and time when the text cannot be read.
QDateTime TextToDateTime(const QString& text);

} // namespace quorvel
