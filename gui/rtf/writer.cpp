// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF writer: walks the blocks and fragments of the document once, writes only the control
// words that change from one run to the next, and collects the font and colour tables on the
// way; the header with both tables is put in front at the end.
#include "gui/rtf/writer.h"

#include "gui/rtf/codepages.h"
#include "gui/rtf/format.h"
#include "gui/rtf/picture_format.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

namespace quorvel {
namespace {

// A run's format in RTF's numbers. The initial values are RTF's defaults after \pard.
struct RunFormat
{
    int font = 0;
    int halfPoints = 24;
    int colour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    ScriptPosition script = ScriptPosition::Normal;
};

struct FontEntry
{
    QString family;
    int charset;
    const rtf::CodePage* page; // nullptr: no table, every character beyond ASCII as \uN?
};

void appendNumber(QByteArray& out, int value)
{
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

// Text as RTF: \'hh where the code page has the character, \uN? (N a signed 16-bit number, one
// per UTF-16 code unit) otherwise. needDelimiter says that a control word was written last, so
// text that starts with a letter, digit or blank needs a space between.
void appendText(QByteArray& out, QStringView text, const rtf::CodePage* page, bool& needDelimiter,
                bool lineAsCharacter = false)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const auto plain = [](char16_t c) {
        return c >= 0x20 && c < 0x7F && c != u'\\' && c != u'{' && c != u'}';
    };
    qsizetype k = 0;
    while (k < text.size()) {
        // Most of a page is plain ASCII: a stretch of it goes in at once.
        qsizetype end = k;
        while (end < text.size() && plain(text[end].unicode()))
            ++end;
        if (end > k) {
            if (needDelimiter)
                out.append(' ');
            const qsizetype at = out.size();
            out.resize(at + (end - k));
            std::transform(text.begin() + k, text.begin() + end, out.begin() + at,
                           [](QChar c) { return static_cast<char>(c.unicode()); });
            needDelimiter = false;
            k = end;
            continue;
        }
        const char16_t c = text[k++].unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out.append('\\');
            out.append(static_cast<char>(c));
            needDelimiter = false;
        } else if (c == u'\t' || (c == u'\u2028' && !lineAsCharacter)) {
            out.append(c == u'\t' ? "\\tab" : "\\line");
            needDelimiter = true;
        } else if (const auto byte = c >= 0x80 && page ? page->encode(c) : std::nullopt) {
            out.append("\\'");
            out.append(kHex[*byte >> 4]);
            out.append(kHex[*byte & 0xF]);
            needDelimiter = false;
        } else {
            out.append("\\u");
            appendNumber(out, c >= 0x8000 ? c - 0x10000 : c);
            out.append('?');
            needDelimiter = false;
        }
    }
}

class Writer
{
public:
    // The characters from..to of the document; the whole document when to is negative.
    Writer(const QTextDocument& doc, int from, int to)
        : m_doc(doc), m_defaultFont(doc.defaultFont()), m_from(from),
          m_to(to < 0 ? doc.characterCount() - 1 : to), m_whole(to < 0)
    {
        fontIndex(m_defaultFont.family(), 0); // \deff0
    }

    QByteArray write()
    {
        const int size = std::max(0, m_to - m_from);
        m_body.reserve(size + size / 4 + 64);
        // Positions are counted along, not asked for: each question costs a search of the
        // whole document, and a long page has millions of fragments.
        QTextBlock block = m_doc.findBlock(m_from);
        for (int start = block.isValid() ? block.position() : 0; block.isValid();
             start += block.length(), block = block.next()) {
            const int end = start + block.length() - 1; // where its paragraph separator stands
            if (start > m_to)
                break;
            const int pieceFrom = std::max(start, m_from);
            const int pieceTo = std::min(end, m_to);
            // Finding a block's fragments costs a search too, worth saving on the many empty
            // lines of a long page.
            bool empty = true;
            int fragmentStart = start;
            for (auto it = pieceTo > pieceFrom ? block.begin() : QTextBlock::iterator();
                 !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int position = fragmentStart;
                fragmentStart += fragment.length();
                const int fragmentFrom = std::max(position, pieceFrom);
                const int fragmentTo = std::min(fragmentStart, pieceTo);
                if (!fragment.isValid() || fragmentTo <= fragmentFrom)
                    continue;
                const QTextCharFormat charFormat = fragment.charFormat();
                empty = false;
                const QString text = textOf(fragment, position, fragmentFrom, fragmentTo);
                if (IsPagePicture(charFormat)) {
                    writePictures(charFormat, text);
                    continue;
                }
                const RunFormat format = resolveCached(charFormat);
                writeFormat(format);
                // A range keeps a line break inside a line as the character it is.
                appendText(m_body, text, m_fonts[static_cast<std::size_t>(format.font)].page,
                           m_needDelimiter, !m_whole);
            }
            if (m_whole) {
                // An empty line keeps the format that typing there would get.
                if (empty)
                    writeFormat(resolveCached(block.charFormat()));
                m_body.append("\\par\n");
                m_needDelimiter = false;
            } else if (end < m_to) {
                // In a range each line end carries its own format, the one typing on an empty
                // line after it gets, so that a change replayed gives the page exactly as it was.
                writeFormat(resolveCached(block.next().charFormat()));
                m_body.append("\\par\n");
                m_needDelimiter = false;
            }
            if (end >= m_to)
                break;
        }
        // The header names the fonts and colours the body used, so it is known only now. It is
        // rotated in front of the body inside the one buffer: a long page never exists twice.
        const qsizetype bodySize = m_body.size();
        m_body.append(header());
        std::rotate(m_body.begin(), m_body.begin() + bodySize, m_body.end());
        m_body.append("}\n");
        return std::move(m_body);
    }

private:
    // The fragment's characters from..to; it starts at position. A part of a fragment is
    // copied alone: a character typed into a line of millions must not copy the line.
    QString textOf(const QTextFragment& fragment, int position, int from, int to) const
    {
        if (from == position && to == position + fragment.length())
            return fragment.text();
        QTextCursor cursor(const_cast<QTextDocument*>(&m_doc));
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        return cursor.selectedText();
    }

    // Each image character of the text as the picture its format carries: first the diagram
    // request in a destination other readers skip, then a standard \pict group with the bytes
    // as they came, so that word processors show what the page shows.
    void writePictures(const QTextCharFormat& format, const QString& text)
    {
        const PagePicture picture = PictureOf(format);
        for (const QChar c : text) {
            if (c != QChar::ObjectReplacementCharacter)
                continue; // text typed right behind a picture can carry its format
            if (!picture.request.isEmpty()) {
                m_body.append("{\\*\\quorveldiagramm");
                for (qsizetype k = 0; k + 1 < picture.request.size(); k += 2) {
                    if (picture.request[k].isEmpty()) { // a group kept as it came
                        m_body.append(picture.request[k + 1].toLatin1());
                        continue;
                    }
                    m_body.append('{');
                    m_body.append('\\');
                    m_body.append(picture.request[k].toLatin1());
                    bool needDelimiter = true;
                    appendText(m_body, picture.request[k + 1], nullptr, needDelimiter, true);
                    m_body.append('}');
                }
                m_body.append("}");
            }
            if (!picture.bytes.isEmpty()) {
                m_body.append("{\\pict");
                if (!picture.kind.isEmpty()) {
                    m_body.append('\\');
                    m_body.append(picture.kind.toLatin1());
                }
                const QSizeF shown = picture.shownSize;
                const QSize native =
                    picture.nativeSize.isEmpty() ? shown.toSize() : picture.nativeSize;
                word("\\picw", native.width());
                word("\\pich", native.height());
                word("\\picwgoal", static_cast<int>(std::lround(shown.width() * kTwipsPerPixel)));
                word("\\pichgoal", static_cast<int>(std::lround(shown.height() * kTwipsPerPixel)));
                appendHex(m_body, picture.bytes);
                m_body.append('}');
            }
            m_needDelimiter = false;
        }
    }

    static void appendHex(QByteArray& out, const QByteArray& bytes)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        constexpr qsizetype kBytesPerLine = 64;
        out.reserve(out.size() + bytes.size() * 2 + bytes.size() / kBytesPerLine + 2);
        for (qsizetype k = 0; k < bytes.size(); ++k) {
            if (k % kBytesPerLine == 0)
                out.append('\n');
            const auto byte = static_cast<unsigned char>(bytes[k]);
            out.append(kHex[byte >> 4]);
            out.append(kHex[byte & 0xF]);
        }
        out.append('\n');
    }

    QByteArray header()
    {
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl";
        for (std::size_t k = 0; k < m_fonts.size(); ++k) {
            out.append("{\\f");
            appendNumber(out, static_cast<int>(k));
            out.append("\\fnil\\fcharset");
            appendNumber(out, m_fonts[k].charset);
            bool needDelimiter = true;
            // The name ends at the first ';', and readers drop the blanks around it.
            const QString name = QString(m_fonts[k].family).remove(u';').trimmed();
            appendText(out, name, m_fonts[k].page, needDelimiter);
            out.append(";}");
        }
        out.append("}\n{\\colortbl ;");
        for (const QRgb rgb : m_colours) {
            out.append("\\red");
            appendNumber(out, qRed(rgb));
            out.append("\\green");
            appendNumber(out, qGreen(rgb));
            out.append("\\blue");
            appendNumber(out, qBlue(rgb));
            out.append(';');
        }
        out.append("}\n\\viewkind4\\uc1\\pard");
        return out;
    }

    int fontIndex(const QString& family, int charset)
    {
        for (std::size_t k = 0; k < m_fonts.size(); ++k) {
            if (m_fonts[k].charset == charset && m_fonts[k].family == family)
                return static_cast<int>(k);
        }
        const int page = rtf::CodePageOfCharset(charset, rtf::kWindows1252);
        m_fonts.push_back({family, charset, rtf::CodePage::find(page)});
        return static_cast<int>(m_fonts.size() - 1);
    }

    int colourIndex(QRgb rgb)
    {
        rgb = qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
        const auto found = std::find(m_colours.begin(), m_colours.end(), rgb);
        if (found != m_colours.end())
            return static_cast<int>(found - m_colours.begin()) + 1;
        m_colours.push_back(rgb);
        return static_cast<int>(m_colours.size()); // index 0 is the automatic colour
    }

    // Runs of a page mostly share a few formats: the format of the run before is resolved
    // once. Formats of the same document compare by their shared data first.
    RunFormat resolveCached(const QTextCharFormat& format)
    {
        if (!m_lastResolved || !(m_lastFormat == format)) {
            m_lastFormat = format;
            m_lastResolved = true;
            m_lastRun = resolve(format);
        }
        return m_lastRun;
    }

    // The run's effective format: what the format does not set comes from the default font.
    RunFormat resolve(const QTextCharFormat& format)
    {
        RunFormat run;
        const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
        const QString family = families.isEmpty() || families.first().isEmpty()
                                   ? m_defaultFont.family()
                                   : families.first();
        run.font = fontIndex(family, RtfCharset(format));

        double points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 0;
        if (points <= 0 && format.hasProperty(QTextFormat::FontPixelSize))
            points = format.intProperty(QTextFormat::FontPixelSize) * 0.75; // at 96 dots per inch
        if (points <= 0)
            points = m_defaultFont.pointSizeF() > 0 ? m_defaultFont.pointSizeF()
                                                    : m_defaultFont.pixelSize() * 0.75;
        run.halfPoints = std::clamp(static_cast<int>(std::lround(points * 2)), 1, 3276);

        run.bold = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() > QFont::Medium
                                                               : m_defaultFont.bold();
        run.italic = format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic()
                                                                 : m_defaultFont.italic();
        if (format.hasProperty(QTextFormat::TextUnderlineStyle))
            run.underline = format.underlineStyle() != QTextCharFormat::NoUnderline;
        else if (format.hasProperty(QTextFormat::FontUnderline))
            run.underline = format.boolProperty(QTextFormat::FontUnderline);
        else
            run.underline = m_defaultFont.underline();

        if (format.hasProperty(QTextFormat::ForegroundBrush) &&
            format.foreground().style() != Qt::NoBrush)
            run.colour = colourIndex(format.foreground().color().rgb());

        run.script = ScriptOf(format);
        return run;
    }

    void word(const char* name)
    {
        m_body.append(name);
        m_needDelimiter = true;
    }

    void word(const char* name, int value)
    {
        m_body.append(name);
        appendNumber(m_body, value);
        m_needDelimiter = true;
    }

    // The control words that turn the format written last into this one.
    void writeFormat(const RunFormat& run)
    {
        if (run.font != m_written.font)
            word("\\f", run.font);
        if (run.halfPoints != m_written.halfPoints)
            word("\\fs", run.halfPoints);
        if (run.bold != m_written.bold)
            word(run.bold ? "\\b" : "\\b0");
        if (run.italic != m_written.italic)
            word(run.italic ? "\\i" : "\\i0");
        if (run.underline != m_written.underline)
            word(run.underline ? "\\ul" : "\\ulnone");
        if (run.colour != m_written.colour)
            word("\\cf", run.colour);
        if (run.script != m_written.script)
            word(run.script == ScriptPosition::Superscript ? "\\super"
                 : run.script == ScriptPosition::Subscript ? "\\sub"
                                                           : "\\nosupersub");
        m_written = run;
    }

    const QTextDocument& m_doc;
    const QFont m_defaultFont;
    const int m_from;
    const int m_to;
    const bool m_whole;
    std::vector<FontEntry> m_fonts;
    std::vector<QRgb> m_colours;
    QByteArray m_body;
    RunFormat m_written;
    QTextCharFormat m_lastFormat;
    RunFormat m_lastRun;
    bool m_lastResolved = false;
    bool m_needDelimiter = true; // the body follows \pard
};

} // namespace

QByteArray WriteRtf(const QTextDocument& doc)
{
    return Writer(doc, 0, -1).write();
}

QByteArray WriteRtfRange(const QTextDocument& doc, int from, int to)
{
    return Writer(doc, from, to).write();
}

} // namespace quorvel
