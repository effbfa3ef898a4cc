// SPDX-License-Identifier: GPL-3.0-or-later
// Default settings name, window fitting and the date and real conversions for the store.
#include "settings_store/store_routines.h"

#include "files/program_dir.h"
#include "settings_store/ini_values.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quorvel {

QString ProgramIniName()
{
    return ProgramDir() + SettingsFileName();
}

QRect FitRectToScreen(QRect frame, const QRect& available)
{
    if (available.height() + 20 < frame.height())
        frame.setHeight(available.height() - 20);
    if (available.y() + available.height() < frame.y() + frame.height())
        frame.moveTop(available.y() + available.height() - frame.height());
    if (available.width() + 20 < frame.width())
        frame.setWidth(available.width() - 20);
    if (available.x() + available.width() < frame.x() + frame.width())
        frame.moveLeft(available.x() + available.width() - frame.width());
    return frame;
}

void FitFormToScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // Fitted as the user sees it, frame included; the frame's extra size stays as it is.
    const QRect frame = window->frameGeometry();
    const QRect fitted = FitRectToScreen(frame, screen->availableGeometry());
    if (fitted.size() != frame.size())
        window->resize(window->width() + fitted.width() - frame.width(),
                       window->height() + fitted.height() - frame.height());
    if (fitted.topLeft() != frame.topLeft())
        window->move(fitted.topLeft());
}

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
