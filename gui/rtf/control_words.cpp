// SPDX-License-Identifier: GPL-3.0-or-later
// The table of control words: character formats, paragraphs, special characters, Unicode,
// the document's code page, the font and colour tables, and the destinations to skip.
#include "gui/rtf/control_words.h"

#include <unordered_map>

namespace quorvel::rtf {
namespace {

const std::unordered_map<std::string_view, WordInfo>& controlWords()
{
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> table = {
            {"plain", {Word::Plain}},
            {"b", {Word::Bold}},
            {"i", {Word::Italic}},
            {"ulnone", {Word::UnderlineNone}},
            {"cf", {Word::Colour}},
            {"fs", {Word::FontSize}},
            {"f", {Word::Font}},
            {"super", {Word::Super}},
            {"sub", {Word::Sub}},
            {"nosupersub", {Word::NoSuperSub}},
            {"up", {Word::Up}},
            {"dn", {Word::Down}},
            {"par", {Word::Par}},
            {"line", {Word::Par}},
            {"sect", {Word::SoftBreak}},
            {"page", {Word::SoftBreak}},
            {"row", {Word::SoftBreak}},
            {"tab", {Word::Character, u'\t'}},
            {"cell", {Word::Character, u'\t'}},
            {"nestcell", {Word::Character, u'\t'}},
            {"emdash", {Word::Character, u'\u2014'}},
            {"endash", {Word::Character, u'\u2013'}},
            {"lquote", {Word::Character, u'\u2018'}},
            {"rquote", {Word::Character, u'\u2019'}},
            {"ldblquote", {Word::Character, u'\u201C'}},
            {"rdblquote", {Word::Character, u'\u201D'}},
            {"bullet", {Word::Character, u'\u2022'}},
            {"emspace", {Word::Character, u'\u2003'}},
            {"enspace", {Word::Character, u'\u2002'}},
            {"qmspace", {Word::Character, u'\u2005'}},
            {"zwj", {Word::Character, u'\u200D'}},
            {"zwnj", {Word::Character, u'\u200C'}},
            {"ltrmark", {Word::Character, u'\u200E'}},
            {"rtlmark", {Word::Character, u'\u200F'}},
            {"u", {Word::Unicode}},
            {"uc", {Word::UnicodeSkip}},
            {"deff", {Word::DefaultFont}},
            {"ansicpg", {Word::AnsiCodePage}},
            {"ansi", {Word::DocumentCodePage, 1252}},
            {"mac", {Word::DocumentCodePage, 10000}},
            {"pc", {Word::DocumentCodePage, 437}},
            {"pca", {Word::DocumentCodePage, 850}},
            {"fonttbl", {Word::FontTable}},
            {"colortbl", {Word::ColourTable}},
            {"red", {Word::Red}},
            {"green", {Word::Green}},
            {"blue", {Word::Blue}},
            {"fcharset", {Word::FontCharset}},
            {"cpg", {Word::FontCodePage}},
            {"pict", {Word::Picture}},
            {"picw", {Word::PictureWidth}},
            {"pich", {Word::PictureHeight}},
            {"picwgoal", {Word::GoalWidth}},
            {"pichgoal", {Word::GoalHeight}},
            {"picscalex", {Word::ScaleX}},
            {"picscaley", {Word::ScaleY}},
        };
        for (std::string_view name : {"pngblip", "jpegblip", "emfblip", "wmetafile", "macpict",
                                      "pmmetafile", "dibitmap", "wbitmap"})
            table.emplace(name, WordInfo{Word::PictureKind});
        // Every kind of underline reads as underline.
        for (std::string_view name :
             {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
              "ulwave"})
            table.emplace(name, WordInfo{Word::Underline});
        // Destinations that carry no text of the document. \fldinst is the field's code; the
        // field's result (\fldrslt) is ordinary text.
        // clang-format off
        for (std::string_view name : {
                 "stylesheet", "info", "object", "header", "headerl", "headerr",
                 "headerf", "footer", "footerl", "footerr", "footerf", "fldinst", "footnote",
                 "annotation", "xe", "tc", "txe", "rxe", "listtable", "listoverridetable",
                 "revtbl", "rsidtbl", "filetbl", "generator", "pgdsctbl", "themedata",
                 "colorschememapping", "latentstyles", "datastore", "shp", "shpinst",
                 "nonshppict", "do", "template", "userprops", "docvar", "xmlnstbl", "mmathPr",
                 "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "panose", "falt",
                 "fname", "atnid", "atnauthor", "atntime", "atnref", "bkmkstart", "bkmkend",
                 "objdata", "pn", "pntxta", "pntxtb"})
            table.emplace(name, WordInfo{Word::Skip});
        // clang-format on
        return table;
    }();
    return words;
}

} // namespace

const WordInfo* FindControlWord(std::string_view name)
{
    const auto& words = controlWords();
    const auto found = words.find(name);
    return found == words.end() ? nullptr : &found->second;
}

} // namespace quorvel::rtf
