// SPDX-License-Identifier: GPL-3.0-or-later
// Walking a text in vector steps of eight code units.
#pragma once

#include <cstddef>

namespace quorvel {

// Calls step(i) for i = 0, 8, 16, ... over a text of n >= 8 units, and for a tail one last step
// at n - 8 that overlaps the one before, rather than leaving the tail to go unit by unit: most
// worksheet lines are short, and most end in such a tail. step must give the same result for a
// unit seen twice.
template <typename Step> void InStepsOfEight(std::size_t n, Step&& step)
{
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8)
        step(i);
    if (i < n)
        step(n - 8);
}

} // namespace quorvel
