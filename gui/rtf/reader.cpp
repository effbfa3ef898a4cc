// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF reader: a group-state machine over the tokens of tokenizer.h. Every group saves the
// character state of its parent and gets it back when it closes; destinations that hold no text
// of the document (style sheet, document info, headers, field instructions, anything marked \*
// but our diagram requests and the pictures word processors mark so) are skipped whole. A
// picture becomes one image character that keeps its bytes as they came. Text is collected per
// run and inserted once per format change, so reading is linear in the size of the data.
#include "gui/rtf/reader.h"

#include "gui/rtf/codepages.h"
#include "gui/rtf/control_words.h"
#include "gui/rtf/format.h"
#include "gui/rtf/picture_format.h"
#include "gui/rtf/tokenizer.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel {
namespace {

using rtf::CodePage;
using rtf::Token;
using rtf::Word;

// Groups nested deeper than this share the state of the group at this depth.
constexpr std::size_t kMaxGroupDepth = 500;
constexpr int kDefaultHalfPoints = 24; // RTF's default size, 12 pt
constexpr int kMaxHalfPoints = 3276;   // 1638 pt, the largest size RTF knows
// A run longer than this goes into the document before it grows further: the document merges
// the pieces again, and a page of one format never exists twice in memory while it is read.
constexpr qsizetype kRunChunkChars = 1 << 16;

// The character formatting of the current group, in RTF's numbers.
struct CharState
{
    int font = -1; // number in the font table; -1 stands for \deff
    int halfPoints = kDefaultHalfPoints;
    int colour = 0; // index in the colour table; 0 is usually "automatic"
    bool bold = false;
    bool italic = false;
    bool underline = false;
    ScriptPosition script = ScriptPosition::Normal;
    bool operator==(const CharState&) const = default;
};

enum class Destination : unsigned char { Body, FontTable, ColourTable, Picture, DiagramRequest };

// The words of a \pict group as they come, until its bytes are complete.
struct PictureState
{
    QString kind;
    QByteArray bytes;
    int width = 0; // \picw, \pich
    int height = 0;
    int goalWidth = 0; // \picwgoal, \pichgoal in twips
    int goalHeight = 0;
    int scaleX = 100; // \picscalex, \picscaley in percent
    int scaleY = 100;
    int pendingNibble = -1; // a hex digit still waiting for its partner
};

// The size a picture is shown at, in page pixels: its goal size scaled, else \picw and \pich
// read as pixels (bitmaps) or hundredths of a millimetre (metafiles).
QSizeF shownSizeOf(const PictureState& p)
{
    const bool metafile =
        !IsShowablePicture(p.kind) && !p.kind.startsWith(u"dib") && !p.kind.startsWith(u"wbitmap");
    const double perNative = metafile ? 96.0 / 2540.0 : 1.0;
    const double w = p.goalWidth > 0 ? p.goalWidth / kTwipsPerPixel : p.width * perNative;
    const double h = p.goalHeight > 0 ? p.goalHeight / kTwipsPerPixel : p.height * perNative;
    const auto scaled = [](double v, int percent) {
        return std::clamp(v * (percent > 0 ? percent : 100) / 100.0, 0.0, 100000.0);
    };
    return {scaled(w, p.scaleX), scaled(h, p.scaleY)};
}

struct GroupState
{
    CharState chars;
    int unicodeSkip = 1; // \ucN: fallback characters that follow each \uN
    Destination destination = Destination::Body;
};

struct Font
{
    QString name;
    int charset = -1;   // \fcharsetN, -1 when missing
    int codePage = 0;   // \cpgN, 0 when missing
    bool named = false; // the ';' that ends the name was seen
};

// Characters that QTextCursor::insertText would turn into document structure.
bool isStructureCharacter(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1';
}

// Font names keep no control characters and no line breaks.
bool belongsInFontName(char16_t c)
{
    return c >= 0x20 && c != u'\u2028' && !isStructureCharacter(c);
}

class Reader
{
public:
    // inserting: the data is a range (WriteRtfRange) that goes in at the cursor; each \par is a
    // separator in the format of that moment.
    Reader(std::string_view data, const QTextCursor& cursor, bool inserting = false)
        : m_data(data), m_tokens(data), m_cursor(cursor), m_inserting(inserting)
    {
    }

    void read()
    {
        m_cursor.beginEditBlock();
        while (!m_done) {
            handle(m_tokens.next());
            if (m_run.size() >= kRunChunkChars)
                flushRun();
        }
        placeLonelyRequest();
        flushRun();
        m_cursor.endEditBlock();
    }

    // Where the reading ended: behind the last character it inserted.
    const QTextCursor& cursor() const { return m_cursor; }

private:
    void handle(const Token& token)
    {
        std::string_view text = token.text;
        if (m_pendingSkip > 0) {
            // The fallback of a \uN: \ucN characters, where a control word, a \'hh or \binN
            // data counts as one character; a brace ends the fallback early.
            switch (token.kind) {
            case Token::Kind::GroupStart:
            case Token::Kind::GroupEnd:
            case Token::Kind::End:
                m_pendingSkip = 0;
                break;
            case Token::Kind::Text: {
                const std::size_t skipped =
                    std::min(text.size(), static_cast<std::size_t>(m_pendingSkip));
                text.remove_prefix(skipped);
                m_pendingSkip -= static_cast<int>(skipped);
                break;
            }
            default:
                --m_pendingSkip;
                return;
            }
        }
        switch (token.kind) {
        case Token::Kind::End:
            m_done = true;
            break;
        case Token::Kind::GroupStart:
            openGroup();
            break;
        case Token::Kind::GroupEnd:
            closeGroup();
            break;
        case Token::Kind::ControlWord:
            controlWord(token);
            break;
        case Token::Kind::ControlSymbol:
            controlSymbol(token.symbol);
            break;
        case Token::Kind::HexByte:
            bytes(std::string_view(reinterpret_cast<const char*>(&token.byte), 1));
            break;
        case Token::Kind::Text:
            bytes(text);
            break;
        case Token::Kind::Binary: // picture data and the like: never text
            if (m_state.destination == Destination::Picture)
                m_picture.bytes.append(text.data(), static_cast<qsizetype>(text.size()));
            break;
        }
    }

    void openGroup()
    {
        if (m_stack.size() >= kMaxGroupDepth) {
            ++m_overflow;
            return;
        }
        // {\formel v*t}: the first word of a group right inside the request names the pair.
        if (m_state.destination == Destination::DiagramRequest &&
            m_stack.size() == m_requestDepth) {
            m_requestNameWanted = true;
            m_requestGroupStart = m_tokens.position() - 1;
        }
        m_stack.push_back(m_state);
    }

    void closeGroup()
    {
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.empty()) {
            m_done = true;
            return;
        }
        const Destination closing = m_state.destination;
        m_state = m_stack.back();
        m_stack.pop_back();
        if (closing == Destination::Picture && m_state.destination != Destination::Picture)
            insertPicture();
        if (closing == Destination::DiagramRequest &&
            m_state.destination != Destination::DiagramRequest)
            m_pendingRequest = std::move(m_request);
        if (closing != m_state.destination)
            m_lastFormat.reset(); // the font or colour table may have changed
        if (m_stack.empty())      // the closing brace of {\rtf1 ...}: the document ends here
            m_done = true;
    }

    // Reads to the brace that closes the current group, ignoring everything inside.
    void skipGroup(std::size_t depth = 0)
    {
        for (;;) {
            const Token token = m_tokens.next();
            if (token.kind == Token::Kind::End) {
                m_done = true;
                return;
            }
            if (token.kind == Token::Kind::GroupStart) {
                ++depth;
            } else if (token.kind == Token::Kind::GroupEnd) {
                if (depth == 0) {
                    closeGroup();
                    return;
                }
                --depth;
            }
        }
    }

    void controlSymbol(char symbol)
    {
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            bytes(std::string_view(&symbol, 1));
            break;
        case '~':
            character(u'\u00A0');
            break;
        case '-':
            character(u'\u00AD');
            break;
        case '_':
            character(u'\u2011');
            break;
        case '*':
            optionalDestination();
            break;
        case '\n':
            if (m_state.destination == Destination::Body)
                endParagraph();
            break;
        default: // \| \: and a \' without hex digits
            break;
        }
    }

    // A group marked \* is skipped unless its first word is one this reader knows: our own
    // diagram request, and the picture that word processors wrap in \shppict.
    void optionalDestination()
    {
        const Token token = m_tokens.next();
        if (token.kind == Token::Kind::ControlWord && m_state.destination == Destination::Body) {
            if (token.text == "quorveldiagramm") {
                m_state.destination = Destination::DiagramRequest;
                m_request.clear();
                m_requestNameWanted = false;
                m_requestDepth = m_stack.size();
                return;
            }
            if (token.text == "shppict")
                return; // its \pict group follows as in the body
        }
        if (m_requestNameWanted) {
            keepUnknownRequestGroup(token);
            return;
        }
        switch (token.kind) {
        case Token::Kind::End:
            m_done = true;
            break;
        case Token::Kind::GroupEnd:
            closeGroup();
            break;
        case Token::Kind::GroupStart:
            skipGroup(1);
            break;
        default:
            skipGroup();
            break;
        }
    }

    void controlWord(const Token& token)
    {
        if (m_state.destination == Destination::DiagramRequest && m_requestNameWanted) {
            static const std::unordered_map<std::string_view, bool> known = {
                {"formel", true},   {"anzeige", true}, {"name", true},
                {"variable", true}, {"von", true},     {"bis", true},
                {"punkte", true},   {"logx", true},    {"logy", true}};
            if (!known.contains(token.text)) {
                keepUnknownRequestGroup(token);
                return;
            }
            m_requestNameWanted = false;
            m_request.append(
                QString::fromLatin1(token.text.data(), static_cast<qsizetype>(token.text.size())));
            m_request.append(QString());
            return;
        }
        if (m_state.destination == Destination::Picture) {
            pictureWord(token);
            return;
        }
        const rtf::WordInfo* found = rtf::FindControlWord(token.text);
        if (!found)
            return;
        const rtf::WordInfo info = *found;
        const int param = token.parameter;
        switch (info.word) {
        case Word::Unicode: {
            // A signed 16-bit UTF-16 code unit; values outside that range are not characters.
            if (!token.hasParameter)
                return;
            if (param >= -32768 && param <= 65535)
                character(static_cast<char16_t>(param < 0 ? param + 65536 : param));
            m_pendingSkip = m_state.unicodeSkip;
            return;
        }
        case Word::UnicodeSkip:
            m_state.unicodeSkip = std::max(param, 0);
            return;
        case Word::Character:
            character(static_cast<char16_t>(info.value));
            return;
        case Word::Skip:
            skipGroup();
            return;
        case Word::DefaultFont:
            m_defaultFont = param;
            m_lastFormat.reset();
            return;
        case Word::AnsiCodePage:
            m_codePage = param;
            return;
        case Word::DocumentCodePage:
            m_codePage = info.value;
            return;
        case Word::FontTable:
            m_state.destination = Destination::FontTable;
            m_fontEntry = nullptr;
            m_lastFormat.reset();
            return;
        case Word::ColourTable:
            m_state.destination = Destination::ColourTable;
            m_colours.clear();
            m_colourEntry = {};
            m_lastFormat.reset();
            return;
        case Word::Picture:
            if (m_state.destination != Destination::Body) {
                skipGroup();
                return;
            }
            m_state.destination = Destination::Picture;
            m_picture = PictureState{};
            return;
        default:
            break;
        }
        switch (m_state.destination) {
        case Destination::Body:
            bodyWord(info.word, token.hasParameter, param);
            break;
        case Destination::FontTable:
            fontTableWord(info.word, param);
            break;
        case Destination::ColourTable:
            colourTableWord(info.word, param);
            break;
        case Destination::Picture:
        case Destination::DiagramRequest:
            break;
        }
    }

    // A group of the request that a later version may have written: kept as it came, to be
    // written back so, from its brace to its closing brace.
    void keepUnknownRequestGroup(const Token& first)
    {
        m_requestNameWanted = false;
        if (first.kind == Token::Kind::GroupStart)
            skipGroup(1);
        else if (first.kind == Token::Kind::GroupEnd)
            closeGroup();
        else if (first.kind == Token::Kind::End)
            m_done = true;
        else
            skipGroup();
        if (m_done)
            return; // cut off by the end of the data: writing it back would open a group
        const std::size_t end = std::min(m_tokens.position(), m_data.size());
        m_request.append(QString());
        m_request.append(QString::fromLatin1(m_data.data() + m_requestGroupStart,
                                             static_cast<qsizetype>(end - m_requestGroupStart)));
    }

    void pictureWord(const Token& token)
    {
        const rtf::WordInfo* found = rtf::FindControlWord(token.text);
        if (!found)
            return;
        const int param = token.parameter;
        switch (found->word) {
        case Word::Picture: // a picture inside a picture is none of its bytes
            skipGroup();
            break;
        case Word::PictureKind:
            m_picture.kind =
                QString::fromLatin1(token.text.data(), static_cast<qsizetype>(token.text.size()));
            if (token.hasParameter)
                m_picture.kind += QString::number(param);
            break;
        case Word::PictureWidth:
            m_picture.width = param;
            break;
        case Word::PictureHeight:
            m_picture.height = param;
            break;
        case Word::GoalWidth:
            m_picture.goalWidth = param;
            break;
        case Word::GoalHeight:
            m_picture.goalHeight = param;
            break;
        case Word::ScaleX:
            m_picture.scaleX = param;
            break;
        case Word::ScaleY:
            m_picture.scaleY = param;
            break;
        default:
            break;
        }
    }

    // The hex digits of a picture's bytes; blanks and line ends between them do not count.
    void pictureHex(std::string_view data)
    {
        for (const char c : data) {
            const int value = rtf::HexValue(c);
            if (value < 0)
                continue;
            if (m_picture.pendingNibble < 0) {
                m_picture.pendingNibble = value;
            } else {
                m_picture.bytes.append(static_cast<char>(m_picture.pendingNibble << 4 | value));
                m_picture.pendingNibble = -1;
            }
        }
    }

    // The closed \pict group as one image character, with the request that came right before.
    void insertPicture()
    {
        PagePicture picture;
        picture.kind = m_picture.kind;
        picture.bytes = std::move(m_picture.bytes);
        picture.nativeSize = QSize(m_picture.width, m_picture.height);
        picture.shownSize = shownSizeOf(m_picture);
        picture.request = std::move(m_pendingRequest);
        m_pendingRequest.clear();
        m_picture = PictureState{};
        if (picture.bytes.isEmpty() && picture.request.isEmpty())
            return; // nothing to show or keep
        beginText();
        flushRun();
        m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), ImageFormatOf(picture));
    }

    void bodyWord(Word word, bool hasParam, int param)
    {
        CharState& chars = m_state.chars;
        const bool on = !hasParam || param != 0;
        switch (word) {
        case Word::Plain:
            chars = CharState{};
            break;
        case Word::Bold:
            chars.bold = on;
            break;
        case Word::Italic:
            chars.italic = on;
            break;
        case Word::Underline:
            chars.underline = on;
            break;
        case Word::UnderlineNone:
            chars.underline = false;
            break;
        case Word::Colour:
            chars.colour = std::max(param, 0);
            break;
        case Word::FontSize:
            chars.halfPoints =
                hasParam && param > 0 ? std::min(param, kMaxHalfPoints) : kDefaultHalfPoints;
            break;
        case Word::Font:
            chars.font = param;
            break;
        case Word::Super:
            chars.script = ScriptPosition::Superscript;
            break;
        case Word::Sub:
            chars.script = ScriptPosition::Subscript;
            break;
        case Word::NoSuperSub:
            chars.script = ScriptPosition::Normal;
            break;
        case Word::Up: // \upN raises by N half-points (6 when N is missing)
            chars.script =
                (hasParam ? param : 6) > 0 ? ScriptPosition::Superscript : ScriptPosition::Normal;
            break;
        case Word::Down:
            chars.script =
                (hasParam ? param : 6) > 0 ? ScriptPosition::Subscript : ScriptPosition::Normal;
            break;
        case Word::Par:
            endParagraph();
            break;
        case Word::SoftBreak:
            if (!m_paragraphEnded && m_blockHasText)
                endParagraph();
            break;
        default:
            break;
        }
    }

    void fontTableWord(Word word, int param)
    {
        switch (word) {
        case Word::Font:
            m_fontEntry = &m_fonts[param];
            *m_fontEntry = Font{};
            break;
        case Word::FontCharset:
            if (m_fontEntry)
                m_fontEntry->charset = param;
            break;
        case Word::FontCodePage:
            if (m_fontEntry)
                m_fontEntry->codePage = param;
            break;
        default:
            break;
        }
    }

    void colourTableWord(Word word, int param)
    {
        const int value = std::clamp(param, 0, 255);
        switch (word) {
        case Word::Red:
            m_colourEntry.red = value;
            break;
        case Word::Green:
            m_colourEntry.green = value;
            break;
        case Word::Blue:
            m_colourEntry.blue = value;
            break;
        default:
            return;
        }
        m_colourEntry.given = true;
    }

    // Plain text bytes and \'hh, in the code page of the current font.
    void bytes(std::string_view data)
    {
        if (data.empty())
            return;
        switch (m_state.destination) {
        case Destination::Body: {
            const int number = codePageNumberOf(fontOf(m_state.chars.font));
            beginText();
            if (QStringDecoder* decoder = doubleByteDecoder(number)) {
                // Lead and trail byte may come in different tokens (\'83\'41, or \'83A); the
                // decoder keeps a lead byte until its trail arrives.
                QByteArray kept;
                kept.reserve(static_cast<qsizetype>(data.size()));
                for (const char c : data) {
                    const auto byte = static_cast<unsigned char>(c);
                    if (byte >= 0x20 || byte == '\t')
                        kept.append(c);
                }
                m_run.append(decoder->decode(kept));
                break;
            }
            // Decoded straight into the run's storage: a page of long lines is mostly text
            // tokens, and appending a character at a time cost more than the rest of reading.
            // A line of millions of characters goes in in pieces, so that it is not held
            // twice, as bytes decoded and in the page.
            const CodePage& page = CodePage::findOrWindows1252(number);
            while (!data.empty()) {
                const std::string_view piece = data.substr(0, kRunChunkChars);
                data.remove_prefix(piece.size());
                const qsizetype at = m_run.size();
                m_run.resize(at + static_cast<qsizetype>(piece.size()));
                QChar* out = m_run.data() + at;
                for (const char c : piece) {
                    const auto byte = static_cast<unsigned char>(c);
                    if (byte >= 0x20 || byte == '\t')
                        *out++ = QChar(page.decode(byte));
                }
                m_run.truncate(out - m_run.constData());
                if (m_run.size() >= kRunChunkChars)
                    flushRun();
            }
            break;
        }
        case Destination::FontTable:
            for (const char c : data) {
                if (!m_fontEntry || m_fontEntry->named)
                    continue;
                if (c == ';')
                    m_fontEntry->named = true;
                else
                    character(codePageOf(m_fontEntry).decode(static_cast<unsigned char>(c)));
            }
            break;
        case Destination::Picture:
            pictureHex(data);
            break;
        case Destination::DiagramRequest:
            if (!m_request.isEmpty())
                for (const char c : data)
                    m_request.last().append(QChar(CodePage::findOrWindows1252(rtf::kWindows1252)
                                                      .decode(static_cast<unsigned char>(c))));
            break;
        case Destination::ColourTable:
            for (const char c : data) {
                if (c != ';')
                    continue;
                m_colours.push_back(
                    m_colourEntry.given
                        ? std::optional<QRgb>(
                              qRgb(m_colourEntry.red, m_colourEntry.green, m_colourEntry.blue))
                        : std::nullopt);
                m_colourEntry = {};
            }
            break;
        }
    }

    // One character given by a control word, a control symbol or \uN.
    void character(char16_t c)
    {
        if (m_state.destination == Destination::Body && m_inserting && c == u'\u2028') {
            // A range gives back a line break inside a line as the page held it.
            beginText();
            m_run.append(QChar(c));
            return;
        }
        if (m_state.destination == Destination::Body && (c == u'\u2028' || c == u'\u2029')) {
            endParagraph(); // the line and paragraph separators, like \line and \par
            return;
        }
        if (isStructureCharacter(c))
            return;
        if (m_state.destination == Destination::DiagramRequest) {
            if (!m_request.isEmpty())
                m_request.last().append(QChar(c));
            return;
        }
        if (m_state.destination == Destination::Body) {
            beginText();
            m_run.append(QChar(c));
        } else if (m_state.destination == Destination::FontTable && m_fontEntry &&
                   !m_fontEntry->named && belongsInFontName(c)) {
            m_fontEntry->name.append(QChar(c));
        }
    }

    // Paragraphs. A \par ends the current paragraph; the next one begins only when text or a
    // further \par follows. So the \par that rich-edit controls (and our writer) put after the
    // last line does not add an empty line, and "a\par\par}" is "a" and one empty line.
    void endParagraph()
    {
        // A lead byte without its trail byte is half a character: it must not pair with the
        // next line's first byte.
        if (m_decoder)
            m_decoder->resetState();
        placeLonelyRequest();
        if (m_inserting) {
            breakParagraph();
            return;
        }
        if (m_paragraphEnded) {
            breakParagraph();
        } else if (!m_blockHasText) { // an empty first line keeps the format typing there gets
            flushRun();
            m_cursor.setBlockCharFormat(toFormat(m_state.chars));
        }
        m_paragraphEnded = true;
    }

    // Starts a new block whose own format is the current one. Where the pending run has that
    // format too, or is empty, the break goes into the run: one insertText for many lines of the
    // same format, empty ones included.
    void breakParagraph()
    {
        if (m_run.isEmpty() || m_runFormat == m_state.chars) {
            m_runFormat = m_state.chars;
            m_run.append(QChar::ParagraphSeparator);
        } else {
            flushRun();
            m_cursor.insertBlock(QTextBlockFormat(), toFormat(m_state.chars));
        }
        m_blockHasText = false;
    }

    // A request that no picture follows (one written by hand, or whose picture another program
    // dropped) still stands where it was: as an empty picture that the next redraw fills.
    void placeLonelyRequest()
    {
        if (!m_pendingRequest.isEmpty())
            insertPicture();
    }

    void beginText()
    {
        placeLonelyRequest();
        if (m_paragraphEnded) {
            breakParagraph();
            m_paragraphEnded = false;
        }
        if (!m_run.isEmpty() && !(m_runFormat == m_state.chars))
            flushRun();
        m_runFormat = m_state.chars;
        m_blockHasText = true;
    }

    void flushRun()
    {
        if (m_run.isEmpty())
            return;
        m_cursor.insertText(m_run, toFormat(m_runFormat));
        m_run.clear();
    }

    const Font* fontOf(int number) const
    {
        const auto found = m_fonts.find(number < 0 ? m_defaultFont : number);
        return found == m_fonts.end() ? nullptr : &found->second;
    }

    int codePageNumberOf(const Font* font) const
    {
        if (font && font->codePage > 0)
            return font->codePage;
        if (font && font->charset >= 0)
            return rtf::CodePageOfCharset(font->charset, m_codePage);
        return m_codePage;
    }

    const CodePage& codePageOf(const Font* font) const
    {
        return CodePage::findOrWindows1252(codePageNumberOf(font));
    }

    // The decoder of a double-byte code page, kept while the text stays in it; nullptr for
    // single-byte code pages and where Qt does not know the code page (then Windows-1252 reads).
    QStringDecoder* doubleByteDecoder(int number)
    {
        if (number != m_decoderPage) {
            m_decoderPage = number;
            const char* name = rtf::DoubleByteCodecName(number);
            m_decoder = name ? std::make_unique<QStringDecoder>(name) : nullptr;
            if (m_decoder && !m_decoder->isValid())
                m_decoder.reset();
        }
        return m_decoder.get();
    }

    QTextCharFormat toFormat(const CharState& chars)
    {
        if (m_lastFormat && m_lastFormat->first == chars)
            return m_lastFormat->second;
        QTextCharFormat format;
        const Font* font = fontOf(chars.font);
        const QString family = font ? font->name.trimmed() : QString();
        if (!family.isEmpty())
            format.setFontFamilies({family});
        SetRtfCharset(format, font ? std::max(font->charset, 0) : 0);
        format.setFontPointSize(chars.halfPoints / 2.0);
        format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(chars.italic);
        format.setFontUnderline(chars.underline);
        const auto index = static_cast<std::size_t>(chars.colour);
        if (index < m_colours.size() && m_colours[index])
            format.setForeground(QColor(*m_colours[index]));
        SetScript(format, chars.script);
        m_lastFormat.emplace(chars, format);
        return format;
    }

    std::string_view m_data;
    rtf::Tokenizer m_tokens;
    QTextCursor m_cursor;
    const bool m_inserting;
    bool m_done = false;

    GroupState m_state;
    std::vector<GroupState> m_stack;
    std::size_t m_overflow = 0; // groups opened beyond kMaxGroupDepth and not yet closed
    int m_pendingSkip = 0;      // fallback characters of a \uN still to skip

    int m_codePage = rtf::kWindows1252; // \ansicpgN
    int m_decoderPage = 0;              // the code page m_decoder was made for
    std::unique_ptr<QStringDecoder> m_decoder;
    int m_defaultFont = 0; // \deffN
    std::unordered_map<int, Font> m_fonts;
    Font* m_fontEntry = nullptr; // the font table entry being read
    std::vector<std::optional<QRgb>> m_colours;
    struct
    {
        int red = 0;
        int green = 0;
        int blue = 0;
        bool given = false;
    } m_colourEntry;

    std::optional<std::pair<CharState, QTextCharFormat>> m_lastFormat; // toFormat's last answer
    PictureState m_picture;
    QStringList m_request;        // the diagram request being read: name, text, ...
    QStringList m_pendingRequest; // the one read last, for the picture that follows it
    bool m_requestNameWanted = false;
    std::size_t m_requestDepth = 0;      // groups open where the request began
    std::size_t m_requestGroupStart = 0; // where the request's current group began
    QString m_run; // text of the current run, not yet inserted; may span several lines
    CharState m_runFormat;
    bool m_paragraphEnded = false; // a \par ended the last block; the next one is not begun yet
    bool m_blockHasText = false;
};

std::string_view withoutLeadingBlanks(QByteArrayView data)
{
    std::string_view view(data.data(), static_cast<std::size_t>(data.size()));
    const std::size_t start = view.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos ? std::string_view() : view.substr(start);
}

} // namespace

bool IsRtf(QByteArrayView data)
{
    return withoutLeadingBlanks(data).starts_with("{\\rtf");
}

bool ReadRtf(QByteArrayView data, QTextDocument& doc, QString* error)
{
    if (!IsRtf(data)) {
        if (error)
            *error = QStringLiteral("Keine RTF-Datei");
        return false;
    }
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    Reader(withoutLeadingBlanks(data), QTextCursor(&doc)).read();
    doc.setUndoRedoEnabled(undo);
    if (error)
        error->clear();
    return true;
}

void InsertRtf(QByteArrayView data, QTextCursor& cursor)
{
    if (!IsRtf(data))
        return;
    Reader reader(withoutLeadingBlanks(data), cursor, true);
    reader.read();
    cursor = reader.cursor();
}

} // namespace quorvel
