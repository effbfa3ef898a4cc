// SPDX-License-Identifier: GPL-3.0-or-later
// The licence as both programs state it below their version (quorvel --version and
// quorvel-calc --version), within a terminal's 80 columns.
#pragma once

#include <string_view>

namespace quorvel {

inline constexpr std::string_view kLicenceNotice =
    "Lizenz: GPL-3.0-or-later (GNU General Public License, Version 3 oder sp\u00E4ter).\n"
    "Weitergeben und \u00C4ndern ist unter ihren Bedingungen erlaubt;\n"
    "eine Gew\u00E4hrleistung gibt es nicht.\n";

} // namespace quorvel
