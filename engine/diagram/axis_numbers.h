// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers of a diagram: the round tick values of an axis (steps of 1, 2 or 5 times a power of
// ten) and their labels, and values written for tables and texts. Always "." as the decimal
// point, whatever the locale.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// The shortest text that reads back as exactly v («10», «0.1», «1e-12», «2.5e+22»); the
// evaluator reads it as a number literal.
std::u16string ShortestText(double v);
// The same, appended to UTF-8 text.
void AppendShortest(std::string& out, double v);

// The round step for an axis from lo to hi with at most maxTicks ticks: 1, 2 or 5 times a power
// of ten. 0 when the range is empty or not finite.
double TickStep(double lo, double hi, int maxTicks);

// The multiples of TickStep that lie in [lo, hi], ascending (lo > hi is read as hi to lo).
std::vector<double> AxisTicks(double lo, double hi, int maxTicks);

// A tick's label: as many decimals as the step needs («0.25» for step 0.05, «-2» for step 1),
// in exponent form for very large or small magnitudes («2.5e-7»). Also labels a value read off
// an axis when step is the size of one pixel there.
std::u16string TickText(double value, double step);

} // namespace quorvel
