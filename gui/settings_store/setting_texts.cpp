// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings_store/setting_texts.h"

#include "engine/settings_store/ini_values.h"

namespace quorvel {

double TextToReal(const QString& text)
{
    return parseRealText(text.toStdU16String()).value_or(0.0);
}

QString DateTimeToText(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return QString::fromStdU16String(formatDateTimeText(
        {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()}));
}

QDateTime TextToDateTime(const QString& text)
{
    const QDateTime now = QDateTime::currentDateTime();
    const auto fields = parseDateTimeText(text.toStdU16String(), now.date().year());
    if (!fields)
        return now;
    const QDateTime result(QDate(fields->year, fields->month, fields->day),
                           QTime(fields->hour, fields->minute, fields->second));
    return result.isValid() ? result : now;
}

} // namespace quorvel
