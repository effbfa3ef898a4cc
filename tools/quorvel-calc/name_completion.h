// SPDX-License-Identifier: GPL-3.0-or-later
// Tab completion at quorvel-calc's prompt: the names a formula can use at the caret.
#pragma once

#include "engine/formula/evaluator.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::calc {

// The characters that end a name, for the line editor's idea of a word (bytes of UTF-8; "²"
// and "³", which are two bytes, are handled by NameCompletions).
inline constexpr const char* kNameBreakCharacters = " \t+-*/^();=:,<>";

// What the word (UTF-8) may become: every built-in function whose name starts with the word's
// name part, ignoring the case of A to Z as the evaluator does, with its "(" ; then every unit
// and every variable of the session that starts with it, in their exact case. A number or a
// "²"/"³" in front of the name part ("3k", "m²k") stays in front of each completion. Sorted,
// each once; empty for an empty name part.
std::vector<std::string> NameCompletions(const TEFParser& parser, std::string_view word);

// The longest start that all completions share, byte for byte but never ending inside a
// character.
std::string CommonStart(const std::vector<std::string>& completions);

} // namespace quorvel::calc
