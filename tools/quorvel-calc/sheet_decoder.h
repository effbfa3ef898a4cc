// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a text file as its bytes arrive, decoded one line at a time, so that a sheet of
// any length is read in the room of its longest line.
//
// Encoding: a byte-order mark at the start says UTF-16 (little or big endian) or UTF-8 (the
// mark is dropped). Otherwise the text is read as UTF-8 up to the first line that is not valid
// UTF-8; from that line on it is read as Windows-1252 (where every byte is a character). A file
// in either encoding alone reads as it always did; for a file that mixes them, the lines before
// the first invalid one keep their UTF-8 meaning.
//
// Lines end at a line feed, and a carriage return right before it is dropped. The last line
// counts without a line feed behind it; a final line feed does not start another line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::calc {

class SheetDecoder
{
public:
    // Hands f, in order, each line that bytes complete; an incomplete last line is kept until
    // more bytes come.
    template <typename LineFunction> void Feed(std::string_view bytes, LineFunction&& f)
    {
        std::u16string_view line;
        while (next(bytes, line))
            f(line);
    }

    // The end of the text: hands f the last line when it had no line feed.
    template <typename LineFunction> void Finish(LineFunction&& f)
    {
        std::u16string_view line;
        if (finish(line))
            f(line);
    }

    // The number (from 1) of the first line read as Windows-1252; 0 while all is UTF-8.
    std::size_t Windows1252From() const { return m_windows1252From; }

private:
    enum class Encoding { Undecided, Utf8, Windows1252, Utf16Little, Utf16Big };

    bool next(std::string_view& bytes, std::u16string_view& line);
    bool finish(std::u16string_view& line);
    // Takes the first bytes until a byte-order mark is known to be there or not; false while
    // too few bytes tell (atEnd: no more will come).
    bool decide(std::string_view& bytes, bool atEnd);
    bool nextUtf16(std::string_view& bytes, std::u16string_view& line);
    // Decodes one line's bytes (without its line feed) into m_line.
    std::u16string_view decodeLine(std::string_view bytes);

    Encoding m_encoding = Encoding::Undecided;
    std::string m_head;     // the first bytes, while the encoding is undecided
    std::string m_pending;  // bytes of a line not yet complete (UTF-16: an odd byte)
    std::u16string m_units; // UTF-16: code units decoded, from m_unitsUsed on not handed out
    std::size_t m_unitsUsed = 0;
    std::u16string m_line;   // the line handed out last
    std::size_t m_lines = 0; // lines handed out
    std::size_t m_windows1252From = 0;
    bool m_finished = false;
};

// All lines of a whole text, decoded as SheetDecoder does; the number of the first line read
// as Windows-1252 (or 0) goes to *windows1252From when it is given.
std::vector<std::u16string> SplitSheetLines(std::string_view bytes,
                                            std::size_t* windows1252From = nullptr);

} // namespace quorvel::calc
