// SPDX-License-Identifier: GPL-3.0-or-later
// Keys and double clicks on a very long line. The toolkit finds character and word boundaries in
// the character attributes of the whole line, some 28 bytes a character; these find them by
// reading the line in pieces. The view also follows a caret along a long line, whose caret
// rectangle the toolkit cannot compute.
#pragma once

class QTextEdit;

namespace quorvel {

// Gives the page its long-line keys; a page that has them already keeps the ones it has.
void InstallLongLineKeys(QTextEdit& page);

} // namespace quorvel
