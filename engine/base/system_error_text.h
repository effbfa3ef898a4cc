// SPDX-License-Identifier: GPL-3.0-or-later
// Why a file could not be read or written, in German words a user understands. The system's own
// texts follow the locale, and German ones are not installed everywhere, so the program carries
// its own. Shared by the windows' saves and quorvel-calc's reads and writes.
#pragma once

#include <string>

namespace quorvel {

// The reason for an errno value, a sentence without its final full stop: "Der Datenträger ist
// voll" for ENOSPC. Values without a text of their own give "Systemfehler N (the system's text)".
std::u16string SystemErrorText(int error);

} // namespace quorvel
