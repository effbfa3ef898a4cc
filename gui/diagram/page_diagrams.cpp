// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/page_diagrams.h"

#include "engine/base/quorvel_error.h"
#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/svg_writer.h"
#include "gui/diagram/picture_files.h"
#include "gui/diagram/picture_painter.h"
#include "gui/diagram/png_writer.h"
#include "gui/page_layout/picture_objects.h"

#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// Paper wants 300 dots per inch where it cannot have the vectors.
constexpr double kPixelsPerUnit = 300.0 / 96.0;

QString text(const std::u16string& s)
{
    return QString::fromStdU16String(s);
}

// What each picture drawn in this session was drawn from, by its image name: a redraw that would
// give the same picture leaves the page alone.
QHash<QString, std::size_t>& drawnFrom()
{
    static QHash<QString, std::size_t> fingerprints;
    return fingerprints;
}

std::size_t fingerprintOf(const Picture& picture)
{
    return std::hash<std::string>{}(WriteSvg(picture));
}

// The drawing's pixels and PNG: the costly part, safe on any thread.
PagePicture rendered(const Picture& drawing)
{
    PagePicture picture;
    picture.kind = QStringLiteral("pngblip");
    const QImage image = PictureImage(drawing, kPixelsPerUnit);
    picture.bytes = EncodePng(image);
    picture.nativeSize = image.size();
    picture.shownSize = QSizeF(drawing.width, drawing.height);
    return picture;
}

// The rendered picture with its request, its vectors and fingerprint remembered for the session.
PagePicture withRequest(PagePicture picture, const Picture& drawing, std::size_t fingerprint,
                        const QStringList& request)
{
    picture.request = request;

    const QString name = ImageFormatOf(picture).name();
    RememberVectors(name, [drawing](QPainter& painter, const QRectF& rect) {
        painter.translate(rect.topLeft());
        painter.scale(rect.width() / drawing.width, rect.height() / drawing.height);
        PaintPicture(painter, drawing);
    });
    drawnFrom().insert(name, fingerprint);
    return picture;
}

Picture pageDrawing(const DiagramData& data)
{
    LayoutOptions options;
    options.width = kPageDiagramWidth;
    options.height = kPageDiagramHeight;
    return LayoutDiagram(data, options).picture;
}

void setPictureAt(QTextDocument& doc, int position, const QTextImageFormat& format)
{
    QTextCursor cursor(&doc);
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
}

} // namespace

QStringList RequestPairs(const DiagramRequest& request)
{
    QStringList pairs;
    for (const CurveRequest& curve : request.curves) {
        pairs << QStringLiteral("formel") << text(curve.formula);
        if (!curve.shownIn.empty())
            pairs << QStringLiteral("anzeige") << text(curve.shownIn);
        if (!curve.name.empty())
            pairs << QStringLiteral("name") << text(curve.name);
    }
    pairs << QStringLiteral("variable") << text(request.variable) << QStringLiteral("von")
          << text(request.from) << QStringLiteral("bis") << text(request.to)
          << QStringLiteral("punkte") << QString::number(request.points);
    if (request.xScale == AxisScale::Logarithmic)
        pairs << QStringLiteral("logx") << QString();
    if (request.yScale == AxisScale::Logarithmic)
        pairs << QStringLiteral("logy") << QString();
    return pairs;
}

std::optional<DiagramRequest> RequestOfPairs(const QStringList& pairs)
{
    DiagramRequest request;
    for (qsizetype k = 0; k + 1 < pairs.size(); k += 2) {
        const QString& name = pairs[k];
        const std::u16string value = pairs[k + 1].trimmed().toStdU16String();
        if (name == QLatin1String("formel"))
            request.curves.push_back({value, {}, {}, {}});
        else if (name == QLatin1String("anzeige") && !request.curves.empty())
            request.curves.back().shownIn = value;
        else if (name == QLatin1String("name") && !request.curves.empty())
            request.curves.back().name = value;
        else if (name == QLatin1String("variable"))
            request.variable = value;
        else if (name == QLatin1String("von"))
            request.from = value;
        else if (name == QLatin1String("bis"))
            request.to = value;
        else if (name == QLatin1String("punkte"))
            // SampleDiagram refuses a count out of range with its own words.
            request.points = pairs[k + 1].trimmed().toInt();
        else if (name == QLatin1String("logx"))
            request.xScale = AxisScale::Logarithmic;
        else if (name == QLatin1String("logy"))
            request.yScale = AxisScale::Logarithmic;
    }
    if (request.curves.empty() || request.variable.empty())
        return std::nullopt;
    return request;
}

PagePicture DiagramPicture(const DiagramData& data)
{
    const Picture drawing = pageDrawing(data);
    return withRequest(rendered(drawing), drawing, fingerprintOf(drawing),
                       RequestPairs(data.request));
}

void InsertPictureLine(QTextCursor& cursor, const PagePicture& picture)
{
    cursor.beginEditBlock();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::EndOfBlock);
    const QTextCharFormat lineFormat = cursor.block().charFormat();
    cursor.insertBlock(cursor.blockFormat(), lineFormat);
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), ImageFormatOf(picture));
    cursor.setCharFormat(lineFormat); // what is typed behind the picture is text
    cursor.endEditBlock();
    cursor.movePosition(QTextCursor::PreviousCharacter);
}

void ReplacePicture(QTextDocument& doc, int position, const PagePicture& picture)
{
    setPictureAt(doc, position, ImageFormatOf(picture));
}

int DiagramAt(const QTextDocument& doc, int position)
{
    const QTextBlock block = doc.findBlock(position);
    if (!block.isValid())
        return -1;
    const QString line = block.text();
    // The character at the position first, then the one before it, then the line's first.
    for (const int at : {position, position - 1}) {
        const int index = at - block.position();
        if (index >= 0 && index < line.size() && line[index] == QChar::ObjectReplacementCharacter) {
            QTextCursor cursor(const_cast<QTextDocument*>(&doc));
            cursor.setPosition(at + 1);
            if (!PictureOf(cursor.charFormat()).request.isEmpty())
                return at;
        }
    }
    for (qsizetype index = line.indexOf(QChar::ObjectReplacementCharacter); index >= 0;
         index = line.indexOf(QChar::ObjectReplacementCharacter, index + 1)) {
        QTextCursor cursor(const_cast<QTextDocument*>(&doc));
        cursor.setPosition(block.position() + static_cast<int>(index) + 1);
        if (!PictureOf(cursor.charFormat()).request.isEmpty())
            return block.position() + static_cast<int>(index);
    }
    return -1;
}

void RedrawDiagrams(QTextDocument& doc, const TEFParser& parser)
{
    // Most pages have no diagram; the formats say so without reading the page's text.
    bool any = false;
    for (const QTextFormat& format : doc.allFormats())
        any = any || format.hasProperty(kDiagramRequestProperty);
    if (!any)
        return;

    struct Found
    {
        int position;
        QTextCharFormat format;
    };
    std::vector<Found> diagrams;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (!block.text().contains(QChar::ObjectReplacementCharacter))
            continue;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(kDiagramRequestProperty))
                continue;
            const QString fragmentText = fragment.text();
            for (qsizetype k = 0; k < fragmentText.size(); ++k)
                if (fragmentText[k] == QChar::ObjectReplacementCharacter)
                    diagrams.push_back({fragment.position() + static_cast<int>(k), format});
        }
    }

    // Sampled one after the other with the page's evaluator; the pictures that changed are then
    // rendered side by side, which is most of the time.
    struct Redraw
    {
        int position;
        QStringList request;
        Picture drawing;
        std::size_t fingerprint;
    };
    std::vector<Redraw> redraws;
    for (const Found& found : diagrams) {
        PagePicture picture = PictureOf(found.format);
        QString fault;
        const std::optional<DiagramRequest> request = RequestOfPairs(picture.request);
        if (!request) {
            fault = QStringLiteral("Die Anfrage des Diagramms nennt keine Formel oder keine "
                                   "Variable.");
        } else {
            try {
                const DiagramData data = SampleDiagram(parser, *request);
                // A diagram without a single point shows nothing the old picture did not.
                if (std::all_of(data.curves.begin(), data.curves.end(),
                                [&data](const SampledCurve& curve) {
                                    return static_cast<std::size_t>(curve.failed) >= data.x.size();
                                }))
                    throw QuorvelError(FailureNote(data, 0));
                Picture drawing = pageDrawing(data);
                const std::size_t fingerprint = fingerprintOf(drawing);
                const auto drawn = drawnFrom().constFind(found.format.toImageFormat().name());
                if (drawn == drawnFrom().constEnd() || *drawn != fingerprint ||
                    picture.bytes.isEmpty())
                    redraws.push_back(
                        {found.position, picture.request, std::move(drawing), fingerprint});
            } catch (const QuorvelError& refusal) {
                fault = text(refusal.message());
            }
        }
        if (fault != picture.fault) {
            picture.fault = fault;
            ReplacePicture(doc, found.position, picture);
        }
    }
    const QList<PagePicture> pictures = QtConcurrent::blockingMapped<QList<PagePicture>>(
        redraws, [](const Redraw& redraw) { return rendered(redraw.drawing); });
    for (std::size_t k = 0; k < redraws.size(); ++k)
        ReplacePicture(doc, redraws[k].position,
                       withRequest(pictures[static_cast<qsizetype>(k)], redraws[k].drawing,
                                   redraws[k].fingerprint, redraws[k].request));
}

} // namespace quorvel
