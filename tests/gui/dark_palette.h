// SPDX-License-Identifier: GPL-3.0-or-later
// The dark desktop theme the window tests draw under: light text on dark grey, as common dark
// themes have it.
#pragma once

#include <QColor>
#include <QPalette>

namespace quorvel::test {

inline QPalette DarkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, QColor(238, 238, 238));
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::Text, QColor(238, 238, 238));
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, QColor(238, 238, 238));
    return p;
}

} // namespace quorvel::test
