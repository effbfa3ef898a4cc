// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a diagram off at one x: what the trace of the window shows for the pointer or the
// arrow keys. Each curve's formula is evaluated at the x shown (not the pointer's y, and not a
// value between two drawn points), and written with the units the formula's result has.
#pragma once

#include "engine/diagram/sampling.h"

#include <string>
#include <vector>

namespace quorvel {

struct CurveReading
{
    double y = 0.0;      // in the y axis's unit, where the marker goes; NaN without value
    std::u16string text; // «y = 15.0336m», «TAN(w) = 103.1», «y: kein Wert»
};

struct Reading
{
    double x = 0.0;       // the value of xText: where the curves were read
    std::u16string xText; // «t = 0.994s»
    std::vector<CurveReading> curves;

    // The texts joined: «t = 0.994s   y = 15.0336m» with three blanks for the status line.
    std::u16string joined(std::u16string_view separator) const;
};

// The curves at x, shown to the precision of step (one pixel's width of the x axis there).
// Data without source is read off its lines, straight between the points.
Reading ReadAt(const DiagramData& data, double x, double step);

// v in six significant digits, exponent form beyond them («15.0336», «1.5e-7», «2.5e12»).
std::u16string ReadingText(double v);

} // namespace quorvel
