// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/page_layout/long_lines.h"

#include "gui/page_layout/long_line_keys.h"
#include "gui/page_layout/long_page_layout.h"
#include "gui/page_layout/picture_objects.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace quorvel {
namespace {

const char* const kFollowsLength = "quorvelFollowsLength";

} // namespace

bool IsLongLine(const QTextBlock& block)
{
    return block.length() > kLongLineChars;
}

bool HasLongLine(QTextBlock block, int end)
{
    for (; block.isValid() && block.position() <= end; block = block.next()) {
        if (IsLongLine(block))
            return true;
    }
    return false;
}

bool IsLongPage(const QTextDocument& doc)
{
    return doc.blockCount() > kLongPageLines || (doc.characterCount() > kLongLineChars &&
                                                 HasLongLine(doc.begin(), doc.characterCount()));
}

QString TextBetween(const QTextDocument* doc, int from, int to)
{
    QTextCursor cursor(const_cast<QTextDocument*>(doc));
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

void FollowPageLength(QTextEdit& page)
{
    QTextDocument& doc = *page.document();
    ShowPicturesOf(doc);
    if (!qobject_cast<LongPageLayout*>(doc.documentLayout()) &&
        !doc.property(kFollowsLength).toBool()) {
        doc.setProperty(kFollowsLength, true);
        // Switched before the toolkit's layout sees the edit: it would lay out all the new
        // lines at once, and a page past its ceiling never. The document finishes the edit with
        // the new layout, which measures the whole page once when it is installed.
        const auto follow = [&doc](int from, int, int added) {
            if (qobject_cast<LongPageLayout*>(doc.documentLayout()))
                return;
            // Only the lines of this edit can have become too long.
            if (doc.blockCount() > kLongPageLines || HasLongLine(doc.findBlock(from), from + added))
                doc.setDocumentLayout(new LongPageLayout(&doc));
        };
        QObject::connect(&doc, &QTextDocument::contentsChange, &doc, follow);
        follow(0, 0, doc.characterCount());
    }
    InstallLongLineKeys(page);
}

} // namespace quorvel
