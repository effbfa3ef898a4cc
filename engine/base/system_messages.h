// SPDX-License-Identifier: GPL-3.0-or-later
// Why a file could not be read or written, in German words a user understands, for quorvel-calc
// and the windows alike. The system's own texts follow the locale, and the German ones are not
// installed on every machine, so the program carries its own.
#pragma once

#include <string>

namespace quorvel {

// The reason for an errno value as UTF-8, a sentence without its final full stop: "Der
// Datenträger ist voll" for ENOSPC. Values without a text of their own give "Systemfehler N"
// with the system's text.
std::string SystemErrorText(int error);

} // namespace quorvel
