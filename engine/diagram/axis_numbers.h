// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers of a diagram: the round tick values of an axis (steps of 1, 2 or 5 times a power of
// ten, or powers of ten on a logarithmic axis) and their labels, and values written for tables
// and texts. Always "." as the decimal point, whatever the locale. Every routine here ends in a
// bounded number of steps for any finite input: the loops count with integers.
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

// The multiples of TickStep that lie in [lo, hi], ascending (lo > hi is read as hi to lo), at
// most maxTicks of them. A range so narrow that its multiples would not be distinct doubles
// (a few units in the last place wide) gets its two ends instead.
std::vector<double> AxisTicks(double lo, double hi, int maxTicks);

// The ticks of a logarithmic axis from lo to hi (both positive): the powers of ten inside, or
// every second, fifth, tenth ... of them so that there are at most maxTicks. A range within less
// than two decades gets the round ticks of AxisTicks instead.
std::vector<double> LogAxisTicks(double lo, double hi, int maxTicks);

// The labels of one axis's ticks, in one form for all of them: fixed-point while the largest
// lies between 1e-4 and 1e7 («0.25», «1.0000000002», «-3»), else exponent form with the same
// number of decimals in every mantissa («5.0e11», «1.0e12»); 0 is «0». The labels have the
// decimals that make the ticks read back as themselves, and no more: as many as the finest tick
// needs, or, for the decades of a logarithmic axis, each as many as it needs («0.001», «0.1»).
std::vector<std::u16string> TickLabels(const std::vector<double>& ticks, bool decades = false);

// A value read off an axis where one step (a pixel) is `step` wide: as many decimals as the
// step needs («0.25» for step 0.05, «-2» for step 1), fixed-point between 1e-4 and 1e7, else in
// exponent form with the digits the step leaves significant («2.5e-7»).
std::u16string TickText(double value, double step);

} // namespace quorvel
