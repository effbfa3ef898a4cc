// SPDX-License-Identifier: GPL-3.0-or-later
// Which pages are too long for the toolkit's own layout: too many lines, or one line too long to
// shape whole. Found when a page is loaded and again after every edit, which switches a page that
// has become long to the long-page layout.
#pragma once

#include <QString>

class QTextBlock;
class QTextDocument;
class QTextEdit;

namespace quorvel {

// Pages with more lines than this get a LongPageLayout; shorter pages keep the toolkit's layout,
// which measures every line exactly. Laying out a line costs the toolkit some 10-15 µs, so up to
// here a whole page is laid out within a few frames.
constexpr int kLongPageLines = 2000;
// So does a page with a line longer than this (characters): shaping it whole costs megabytes.
constexpr int kLongLineChars = 100000;

// Whether the line is too long to shape whole.
bool IsLongLine(const QTextBlock& block);

// Whether a line from block on, up to the one holding position end, is too long to shape whole.
bool HasLongLine(QTextBlock block, int end);

// Whether the document needs a LongPageLayout: too many lines, or one too long.
bool IsLongPage(const QTextDocument& doc);

// The text from..to of the document, read from its pieces without copying the rest of the line.
QString TextBetween(const QTextDocument* doc, int from, int to);

// Lets the page follow its length: its document gets a LongPageLayout now if it is long, else at
// the edit (typing, pasting) that makes it long; and the view follows the caret along a long
// line, whose caret rectangle the toolkit cannot compute. Call it again for a new document of the
// page. The page keeps the layout when it shrinks again: switching back would lay the whole page
// out once more for no gain.
void FollowPageLength(QTextEdit& page);

} // namespace quorvel
