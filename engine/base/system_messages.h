// SPDX-License-Identifier: GPL-3.0-or-later
// Why a file could not be read or written, in German, for quorvel-calc and the windows alike.
// The system's own texts follow the locale, and the German ones are not installed on every
// machine, so the program carries its own.
#pragma once

#include <string>

namespace quorvel {

// The German reason for an errno value, such as "Kein freier Speicherplatz auf dem Gerät" for
// ENOSPC; for values without a text of their own, "Systemfehler N" with the system's text.
std::string SystemErrorText(int error);

} // namespace quorvel
