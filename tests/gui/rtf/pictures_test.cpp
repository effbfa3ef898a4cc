// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures in RTF: ours keep their bytes and diagram request through the page file and the
// journal's ranges; those of other programs are shown or kept as they came.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/picture_format.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

QByteArray pngBytes()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The pictures of the document, in order.
std::vector<PagePicture> picturesOf(const QTextDocument& doc)
{
    std::vector<PagePicture> pictures;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (IsPagePicture(it.fragment().charFormat()))
                for (int k = 0; k < it.fragment().length(); ++k)
                    pictures.push_back(PictureOf(it.fragment().charFormat()));
    return pictures;
}

PagePicture diagram()
{
    PagePicture picture;
    picture.bytes = pngBytes();
    picture.nativeSize = {4, 3};
    picture.shownSize = {6, 3};
    picture.request = {"formel", "v*t", "anzeige", "30 m", "formel", "{a}\\b ä 😀", "variable", "t",
                       "von",    "0s",  "bis",     "10s",  "punkte", "201",        "logx",     ""};
    return picture;
}

std::unique_ptr<QTextDocument> pageWith(const PagePicture& picture)
{
    auto doc = DocumentOf({{{.text = "weg = v*t"}}, {}, {{.text = "Ende"}}});
    QTextCursor cursor(doc->findBlockByNumber(1));
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), ImageFormatOf(picture));
    return doc;
}

TEST(RtfPictures, KeepBytesSizeAndRequestThroughFileAndRange)
{
    const auto doc = pageWith(diagram());
    const QByteArray rtf = WriteRtf(*doc);
    // Word processors find a standard picture; the request comes right before it.
    const qsizetype request = rtf.indexOf("{\\*\\quorveldiagramm{\\formel v*t}{\\anzeige 30 m}");
    const qsizetype pict = rtf.indexOf("{\\pict\\pngblip\\picw4\\pich3\\picwgoal90\\pichgoal45\n");
    ASSERT_GE(request, 0) << rtf.constData();
    ASSERT_GT(pict, request);
    EXPECT_EQ(rtf.mid(pict - 2, 2), "}}");
    EXPECT_TRUE(rtf.contains(pngBytes().toHex()) || rtf.contains(pngBytes().left(64).toHex()));

    const auto back = Read(rtf);
    EXPECT_EQ(LinesOf(*back),
              QStringList({"weg = v*t", QString(QChar::ObjectReplacementCharacter), "Ende"}));
    const std::vector<PagePicture> read = picturesOf(*back);
    ASSERT_EQ(read.size(), 1U);
    EXPECT_EQ(read[0].bytes, diagram().bytes);
    EXPECT_EQ(read[0].kind, "pngblip");
    EXPECT_EQ(read[0].nativeSize, QSize(4, 3));
    EXPECT_EQ(read[0].shownSize, QSizeF(6, 3));
    EXPECT_EQ(read[0].request, diagram().request);
    EXPECT_EQ(WriteRtf(*back), rtf);

    // The journal's ranges carry the picture too.
    QTextDocument copy;
    QTextCursor at(&copy);
    const int start = doc->findBlockByNumber(1).position();
    InsertRtf(WriteRtfRange(*doc, start - 1, start + 1), at);
    ASSERT_EQ(picturesOf(copy).size(), 1U);
    EXPECT_EQ(picturesOf(copy)[0].request, diagram().request);
}

TEST(RtfPictures, OtherProgramsPicturesAreShownOrKept)
{
    const QByteArray hex = pngBytes().toHex();
    // A word processor's picture with its metafile fallback: one picture, the PNG, scaled.
    const auto office =
        Read("{\\rtf1\\ansi a{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn x}}}"
             "\\picscalex50\\picscaley200\\picw4\\pich3\\picwgoal600\\pichgoal450"
             "\\pngblip\n" +
             hex + "}}{\\nonshppict{\\pict\\wmetafile8\\picw4\\pich3 0102}}b\\par}");
    EXPECT_EQ(LinesOf(*office), QStringList({"a\uFFFCb"}));
    std::vector<PagePicture> read = picturesOf(*office);
    ASSERT_EQ(read.size(), 1U);
    EXPECT_EQ(read[0].bytes, pngBytes());
    EXPECT_EQ(read[0].shownSize, QSizeF(20, 60));

    // A metafile the page cannot show stays in the file as it came; \binN data counts as bytes.
    const QByteArray wmf = "{\\rtf1 {\\pict\\wmetafile8\\picw2540\\pich1270 01 {\\pict 77}02\nff}"
                           "{\\pict\\jpegblip\\bin3 \xff\xd8\xff}\\par}";
    const auto kept = Read(wmf);
    read = picturesOf(*kept);
    ASSERT_EQ(read.size(), 2U);
    EXPECT_EQ(read[0].kind, "wmetafile8");
    EXPECT_EQ(read[0].bytes, QByteArray("\x01\x02\xff"));
    EXPECT_EQ(read[0].shownSize, QSizeF(96, 48)); // hundredths of a millimetre: 2.54 by 1.27 cm
    EXPECT_FALSE(IsShowablePicture(read[0].kind));
    EXPECT_EQ(read[1].bytes, QByteArray("\xff\xd8\xff"));
    EXPECT_TRUE(WriteRtf(*kept).contains("{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440"
                                         "\\pichgoal720\n0102ff\n}"));
}

TEST(RtfPictures, ARequestWithoutPictureStandsWhereItWas)
{
    // Groups of a later version stay as they came, nesting and all.
    const char* later = "{\\unbekannt 1{\\tief a\\}b}}{\\*\\zukunft 42}";
    const auto doc = Read(QByteArray("{\\rtf1 x = 1\\par{\\*\\quorveldiagramm{\\formel x*t}"
                                     "{\\variable t}") +
                          later + "}\\par{\\*\\quorveldiagramm{\\formel y}}z\\par}");
    EXPECT_EQ(LinesOf(*doc), QStringList({"x = 1", "\uFFFC", "\uFFFCz"}));
    const std::vector<PagePicture> read = picturesOf(*doc);
    ASSERT_EQ(read.size(), 2U);
    EXPECT_TRUE(read[0].bytes.isEmpty());
    EXPECT_EQ(read[0].request.mid(0, 4), QStringList({"formel", "x*t", "variable", "t"}));
    const QByteArray rtf = WriteRtf(*doc);
    EXPECT_TRUE(
        rtf.contains(QByteArray("{\\*\\quorveldiagramm{\\formel x*t}{\\variable t}") + later + "}"))
        << rtf.constData();
    EXPECT_FALSE(rtf.contains("\\pict"));
}

} // namespace
} // namespace quorvel::test
