// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/platform/screen_fitting.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace quorvel {

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

QRect PullTitleBarOntoScreens(const QRect& frame, const QList<QRect>& areas)
{
    const QRect titleBar(frame.x(), frame.y(), frame.width(), kTitleBarHeight);
    const int grip = std::min(kTitleBarGrip, frame.width());
    QRect nearest;
    qint64 nearestDistance = std::numeric_limits<qint64>::max();
    for (const QRect& area : areas) {
        const QRect shown = titleBar.intersected(area);
        if (shown.width() >= grip && 2 * shown.height() >= kTitleBarHeight)
            return frame;
        // How far the title bar's middle lies outside the area, squared.
        const QPoint middle = titleBar.center();
        const qint64 dx = std::max({area.left() - middle.x(), 0, middle.x() - area.right()});
        const qint64 dy = std::max({area.top() - middle.y(), 0, middle.y() - area.bottom()});
        if (dx * dx + dy * dy < nearestDistance) {
            nearestDistance = dx * dx + dy * dy;
            nearest = area;
        }
    }
    if (nearest.isNull())
        return frame;
    QRect moved = frame;
    moved.moveLeft(
        std::max(nearest.left(), std::min(frame.left(), nearest.right() + 1 - frame.width())));
    moved.moveTop(
        std::max(nearest.top(), std::min(frame.top(), nearest.bottom() + 1 - frame.height())));
    return moved;
}

void FitFormToScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // The minimum size the window's layout gives it, which it takes at its first showing.
    if (QLayout* layout = window->layout())
        layout->activate();
    // Fitted as the user sees it, frame included; the frame's extra size stays as it is. The
    // place of a window is its frame's place, also before the frame is there.
    const bool framed = window->frameGeometry() != window->geometry() ||
                        window->windowFlags().testFlag(Qt::FramelessWindowHint);
    const auto frameOf = [window, framed] {
        const QRect frame = window->frameGeometry();
        return framed ? frame : QRect(frame.topLeft(), frame.size().grownBy(kAssumedFrame));
    };
    const QRect frame = frameOf();
    const QRect available = screen->availableGeometry();
    QRect fitted = FitRectToScreen(frame, available);
    if (fitted.size() != frame.size()) {
        window->resize(window->width() + fitted.width() - frame.width(),
                       window->height() + fitted.height() - frame.height());
        // A window that cannot be as small as that keeps its minimum size: its right and bottom
        // edges are moved back onto the area for the size it has.
        fitted.setSize(frameOf().size());
        if (fitted.right() > available.right())
            fitted.moveRight(available.right());
        if (fitted.bottom() > available.bottom())
            fitted.moveBottom(available.bottom());
    }
    QList<QRect> areas;
    for (const QScreen* each : QGuiApplication::screens())
        areas << each->availableGeometry();
    const QRect reachable = PullTitleBarOntoScreens(fitted, areas);
    if (reachable.topLeft() != frame.topLeft())
        window->move(reachable.topLeft());
}

} // namespace quorvel
