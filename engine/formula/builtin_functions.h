// SPDX-License-Identifier: GPL-3.0-or-later
// The 27 built-in functions of the formula language.
#pragma once

namespace quorvel {

class TEFParser;

// Registers the functions in the order the functions menu lists them.
void RegisterBuiltinFunctions(TEFParser& parser);

} // namespace quorvel
