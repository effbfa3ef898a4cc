// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/page_layout/long_line_keys.h"

#include "gui/page_layout/long_lines.h"
#include "gui/page_layout/long_page_layout.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace quorvel {
namespace {

// What a double click selects and a word move skips over on a long line.
bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber();
}

void showLongLineCaret(QTextEdit& page);

// Moves the caret along a long line, or deletes there, without the toolkit's character and word
// boundaries: it finds them in the character attributes of the whole line, some 28 bytes a
// character. Keys at the line's ends go on to the toolkit, which handles them without the line.
// It also keeps the view on a caret in a long line.
class LongLineKeys : public QObject
{
public:
    static constexpr const char* kName = "quorvelLongLineKeys";

    explicit LongLineKeys(QTextEdit& page) : QObject(&page), m_page(page)
    {
        setObjectName(QLatin1String(kName));
        // Once the caret has settled: a recalculation moves it once for every line it rewrites.
        m_showCaret.setSingleShot(true);
        m_showCaret.setInterval(0);
        connect(&m_showCaret, &QTimer::timeout, this, [this] { showLongLineCaret(m_page); });
        connect(&page, &QTextEdit::cursorPositionChanged, this, [this] {
            if (!m_showCaret.isActive())
                m_showCaret.start();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The event's type first: the page sends events while it is destroyed, when it is no
        // text edit any more and asking for its viewport would be undefined.
        if (event->type() == QEvent::MouseButtonDblClick && watched == m_page.viewport())
            return selectWord(*static_cast<const QMouseEvent*>(event));
        if (watched != &m_page || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        QTextCursor cursor = m_page.textCursor();
        const QTextBlock block = cursor.block();
        if (!IsLongLine(block))
            return false;
        const Qt::KeyboardModifiers modifiers =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const bool word = modifiers.testFlag(Qt::ControlModifier);
        const bool shift = modifiers.testFlag(Qt::ShiftModifier);
        // Alt is not ours; a selection the toolkit collapses without looking at the line.
        if (modifiers.testFlag(Qt::AltModifier) || (!shift && cursor.hasSelection()))
            return false;
        const int pos = cursor.position();
        const int lineStart = block.position();
        const int lineEnd = lineStart + block.length() - 1;
        int to = -1;
        bool erase = false;
        switch (key->key()) {
        case Qt::Key_Left:
            to = pos == lineStart ? -1 : step(pos, -1, word, lineStart, lineEnd);
            break;
        case Qt::Key_Right:
            to = pos == lineEnd ? -1 : step(pos, 1, word, lineStart, lineEnd);
            break;
        case Qt::Key_Delete:
            erase = !shift && !cursor.hasSelection() && pos < lineEnd;
            to = erase ? step(pos, 1, word, lineStart, lineEnd) : -1;
            break;
        case Qt::Key_Backspace: // without Ctrl the toolkit does it without the line's attributes
            erase = word && !shift && !cursor.hasSelection() && pos > lineStart;
            to = erase ? step(pos, -1, true, lineStart, lineEnd) : -1;
            break;
        default:
            break;
        }
        if (to < 0)
            return false;
        cursor.setPosition(to, shift || erase ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        if (erase)
            cursor.removeSelectedText();
        m_page.setTextCursor(cursor);
        return true;
    }

private:
    // A double click selects the word under the mouse like the toolkit does, but finds the
    // word's ends by reading outwards in pieces instead of from the attributes of the whole line.
    bool selectWord(const QMouseEvent& mouse)
    {
        const QTextDocument& doc = *m_page.document();
        const QPointF at = mouse.position() + QPointF(m_page.horizontalScrollBar()->value(),
                                                      m_page.verticalScrollBar()->value());
        const int pos = doc.documentLayout()->hitTest(at, Qt::FuzzyHit);
        const QTextBlock block = doc.findBlock(pos);
        if (mouse.button() != Qt::LeftButton || !IsLongLine(block))
            return false;
        const int lineStart = block.position();
        const int lineEnd = lineStart + block.length() - 1;
        constexpr int kPiece = 4096;
        int from = pos;
        for (bool more = true; more && from > lineStart;) {
            const int start = std::max(lineStart, from - kPiece);
            const QString piece = TextBetween(&doc, start, from);
            auto k = piece.size();
            while (k > 0 && isWordCharacter(piece[k - 1]))
                --k;
            more = k == 0;
            from = start + int(k);
        }
        int to = pos;
        for (bool more = true; more && to < lineEnd;) {
            const int end = std::min(lineEnd, to + kPiece);
            const QString piece = TextBetween(&doc, to, end);
            qsizetype k = 0;
            while (k < piece.size() && isWordCharacter(piece[k]))
                ++k;
            more = k == piece.size();
            to += int(k);
        }
        QTextCursor cursor(m_page.document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        m_page.setTextCursor(cursor);
        return true;
    }

    // The next caret position from pos in direction dir (+1 or -1) between from and to: one
    // character (a surrogate pair is one), or with word to the next start of a word.
    int step(int pos, int dir, bool word, int from, int to) const
    {
        const QTextDocument& doc = *m_page.document();
        const auto at = [&doc](int p) { return doc.characterAt(p); };
        const auto move = [&](int p) {
            p += dir;
            if (p > from && p < to && at(p).isLowSurrogate() && at(p - 1).isHighSurrogate())
                p += dir;
            return p;
        };
        if (!word)
            return move(pos);
        const auto inWord = [&at](int p) { return isWordCharacter(at(p)); };
        if (dir > 0) { // over the rest of this word and the gap after it
            while (pos < to && inWord(pos))
                pos = move(pos);
            while (pos < to && !inWord(pos))
                pos = move(pos);
        } else { // over the gap before the caret and the word before that
            while (pos > from && !inWord(pos - 1))
                pos = move(pos);
            while (pos > from && inWord(pos - 1))
                pos = move(pos);
        }
        return pos;
    }

    QTextEdit& m_page;
    QTimer m_showCaret;
};

// The toolkit puts the view on the caret by a rectangle it computes from the line's shapes, at
// the line's start for a long line; this puts it on the caret afterwards.
void showLongLineCaret(QTextEdit& page)
{
    const auto* layout = qobject_cast<const LongPageLayout*>(page.document()->documentLayout());
    const QTextCursor cursor = page.textCursor();
    if (!layout || !IsLongLine(cursor.block()))
        return;
    const QRectF caret = layout->caretRect(cursor.position());
    QScrollBar& bar = *page.horizontalScrollBar();
    const int width = page.viewport()->width();
    const int margin = std::min(width / 4, 50);
    if (caret.left() < bar.value() + margin || caret.right() > bar.value() + width - margin)
        bar.setValue(int(caret.left()) - width / 2);
}

} // namespace

void InstallLongLineKeys(QTextEdit& page)
{
    // Found by name: the class has no meta-object of its own.
    if (page.findChild<QObject*>(QLatin1String(LongLineKeys::kName), Qt::FindDirectChildrenOnly) !=
        nullptr)
        return;
    auto* keys = new LongLineKeys(page);
    page.installEventFilter(keys);
    page.viewport()->installEventFilter(keys);
}

} // namespace quorvel
