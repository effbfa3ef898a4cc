// SPDX-License-Identifier: GPL-3.0-or-later
// What every engine fuzz target demands of the engine besides not crashing: a broken rule stops
// the run at once, so libFuzzer keeps the input that broke it.
#pragma once

#include "engine/base/text_encoding.h"
#include "engine/worksheet/line_evaluation.h"

#include <cstddef>

namespace quorvel::fuzz {

inline void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// An evaluated line: its red mark lies inside its text, a failed line has text, and a line that
// succeeded has no mark. Its text is written as quorvel-calc writes it.
inline void checkLineOutput(const LineOutput& out)
{
    check(out.markStart >= 0 && out.markLength >= 0);
    check(static_cast<std::size_t>(out.markStart) + static_cast<std::size_t>(out.markLength) <=
          out.text.size());
    check(out.ok || !out.text.empty());
    if (out.ok)
        check(out.markLength == 0);
    EncodeUtf8(out.text);
}

} // namespace quorvel::fuzz
