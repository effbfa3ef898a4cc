// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram's layout: margins from estimated text sizes, ticks that fit, and the curves.
#include "engine/diagram/diagram_layout.h"

#include "engine/diagram/axis_numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace quorvel {
namespace {

// Paper and ink: the window paints the diagram as paper too, so it reads under any theme.
constexpr Colour kPaper{255, 255, 255};
constexpr Colour kInk{26, 26, 26};
constexpr Colour kGrid{221, 221, 221};
constexpr Colour kZeroLine{136, 136, 136};
constexpr Colour kNoteInk{64, 64, 64};

// The Okabe-Ito colours that stand out on white, told apart also with the common colour
// vision deficiencies; black last.
constexpr std::array<Colour, 7> kCurveColours = {{{0, 114, 178},
                                                  {213, 94, 0},
                                                  {0, 158, 115},
                                                  {204, 121, 167},
                                                  {230, 159, 0},
                                                  {86, 180, 233},
                                                  {0, 0, 0}}};

constexpr double kTickFont = 12.0;
constexpr double kTitleFont = 13.0;
constexpr double kLegendFont = 12.0;
constexpr double kNoteFont = 11.0;
constexpr double kPad = 12.0;
constexpr double kEdge = 4.0; // no text comes closer to the picture's edge
constexpr double kTickLength = 5.0;
constexpr double kCurveWidth = 2.0;
constexpr int kMostTicks = 40;

// The layout cannot measure fonts (the engine knows none, and the SVG is shown by programs we
// do not know), so a text's width is estimated from a fixed advance per character: 0.62 em is
// more than the average of common sans fonts, so estimated room is rather too wide than short.
constexpr double kAdvance = 0.62;

double textWidth(std::u16string_view text, double size)
{
    return static_cast<double>(text.size()) * kAdvance * size;
}

// text cut with "…" so that it fits width.
std::u16string fitted(std::u16string_view text, double size, double width)
{
    if (textWidth(text, size) <= width)
        return std::u16string(text);
    const auto keep = static_cast<std::size_t>(std::max(0.0, width / (kAdvance * size) - 1.0));
    std::u16string cut(text.substr(0, keep));
    if (!cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF)
        cut.pop_back(); // never half a surrogate pair
    return cut + u"\u2026";
}

// A range the caller chose: finite, not empty, positive on a logarithmic axis.
bool usable(const std::optional<AxisRange>& r, AxisScale scale)
{
    return r && std::isfinite(r->min) && std::isfinite(r->max) && r->max > r->min &&
           (scale == AxisScale::Linear || r->min > 0.0);
}

TextItem text(PicturePoint at, std::u16string content, double size, TextAnchor anchor,
              ItemRole role, Colour colour = kInk)
{
    TextItem t;
    t.at = at;
    t.text = std::move(content);
    t.size = size;
    t.anchor = anchor;
    t.role = role;
    t.colour = colour;
    return t;
}

int tickCount(double length, double spacing)
{
    const double n = length / spacing + 1.0;
    return std::isfinite(n) ? std::clamp(static_cast<int>(n), 2, kMostTicks) : 2;
}

struct Ticks
{
    std::vector<double> values;
    std::vector<std::u16string> labels;
};

// The x ticks whose labels do not run into each other at their places along the plot.
Ticks fittingXTicks(const DiagramLayout& l)
{
    Ticks t;
    for (int most = tickCount(l.plot.width, 80.0);; --most) {
        t.values = ScaleTicks(l.x, l.xScale, most);
        t.labels = TickLabels(t.values, l.xScale == AxisScale::Logarithmic);
        bool fits = true;
        for (std::size_t i = 0; i + 1 < t.values.size() && fits; ++i) {
            const double gap = XPosition(l, t.values[i + 1]) - XPosition(l, t.values[i]);
            const double room =
                (textWidth(t.labels[i], kTickFont) + textWidth(t.labels[i + 1], kTickFont)) / 2.0 +
                10.0;
            fits = gap >= room;
        }
        if (fits || most <= 2)
            return t;
    }
}

// The legend's entries in rows of the available width: a swatch, then the curve's name.
struct LegendEntry
{
    std::u16string label;
    double x = 0.0;
    int row = 0;
};

constexpr double kSwatch = 24.0;
constexpr double kSwatchGap = 6.0;
constexpr double kEntryGap = 18.0;
constexpr double kLegendRow = 18.0;

std::vector<LegendEntry> legendEntries(const DiagramData& data, double width, int& rows)
{
    std::vector<LegendEntry> entries;
    rows = 0;
    if (data.curves.size() < 2)
        return entries;
    double x = 0.0;
    rows = 1;
    entries.reserve(data.curves.size());
    for (const SampledCurve& curve : data.curves) {
        LegendEntry e;
        e.label = fitted(CurveName(curve), kLegendFont, width - kSwatch - kSwatchGap);
        const double w = kSwatch + kSwatchGap + textWidth(e.label, kLegendFont);
        if (x > 0.0 && x + w > width) {
            x = 0.0;
            ++rows;
        }
        e.x = x;
        e.row = rows - 1;
        x += w + kEntryGap;
        entries.push_back(std::move(e));
    }
    return entries;
}

// The curve's points as a line, for data that has none of its own.
CurveLine pointsLine(const DiagramData& data, const SampledCurve& curve)
{
    CurveLine line(std::min(data.x.size(), curve.values.size()));
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = {data.x[i], curve.values[i]};
    return line;
}

} // namespace

Colour CurveColour(std::size_t index)
{
    return kCurveColours[index % kCurveColours.size()];
}

bool CurveDashed(std::size_t index)
{
    return (index / kCurveColours.size()) % 2 == 1;
}

std::u16string YAxisTitle(const DiagramData& data)
{
    std::u16string names;
    for (const SampledCurve& curve : data.curves) {
        if (!names.empty())
            names += u", ";
        names += CurveName(curve);
    }
    return AxisTitle(names, data.yUnit);
}

namespace {

// Counts are written out in digits however large: "1000000 von 1000000", never "1e+06".
std::u16string countText(std::size_t n)
{
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

} // namespace

std::u16string FailureNote(const DiagramData& data, std::size_t index)
{
    const SampledCurve& curve = data.curves[index];
    const auto hidden = data.yScale == AxisScale::Logarithmic
                            ? std::count_if(curve.values.begin(), curve.values.end(),
                                            [](double v) { return !IsGap(v) && !(v > 0.0); })
                            : 0;
    if (curve.failed == 0 && hidden == 0)
        return {};
    const std::u16string all = countText(data.x.size());
    std::u16string note;
    if (data.curves.size() > 1)
        note = CurveName(curve) + u": ";
    if (curve.failed > 0) {
        note += countText(static_cast<std::size_t>(curve.failed)) + u" von " + all +
                u" Punkten ohne Wert";
        if (curve.firstFailure < data.x.size()) {
            note += curve.failed == 1 ? u"; bei " : u"; der erste bei ";
            note += data.variable + u" = " + ShortestText(data.x[curve.firstFailure]) +
                    data.xUnit.name + u": " + curve.failureMessage;
        }
    }
    if (hidden > 0) {
        if (curve.failed > 0)
            note += u"; ";
        note += countText(static_cast<std::size_t>(hidden)) + u" von " + all +
                u" Werten nicht positiv, auf der logarithmischen y-Achse nicht gezeigt";
    }
    return note;
}

DiagramLayout LayoutDiagram(const DiagramData& data, const LayoutOptions& options)
{
    DiagramLayout l;
    l.xScale = data.xScale;
    l.yScale = data.yScale;
    l.x = usable(options.x, l.xScale) ? *options.x : FullXRange(data);
    l.y = usable(options.y, l.yScale) ? *options.y : FullYRange(data);
    Picture& pic = l.picture;
    pic.width = options.width;
    pic.height = options.height;
    const std::u16string xTitle = AxisTitle(data.variable, data.xUnit);
    const std::u16string yTitle = YAxisTitle(data);
    pic.title = yTitle + u" \u00FCber " + xTitle;

    // Top: the legend. Bottom: tick labels, the x title, a note per curve with gaps.
    int legendRows = 0;
    const std::vector<LegendEntry> legend =
        legendEntries(data, options.width - 2 * kPad, legendRows);
    std::vector<std::u16string> notes;
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
        std::u16string note = FailureNote(data, c);
        if (!note.empty())
            notes.push_back(fitted(note, kNoteFont, options.width - 2 * kPad));
    }
    const double top = kPad + legendRows * kLegendRow + (legendRows > 0 ? 6.0 : 4.0);
    const double tickLabels = kTickLength + 4.0 + kTickFont;
    const double bottom = tickLabels + 10.0 + kTitleFont +
                          static_cast<double>(notes.size()) * (kNoteFont + 5.0) +
                          (notes.empty() ? 0.0 : 6.0) + kPad;
    const double plotHeight = std::max(20.0, options.height - top - bottom);

    Ticks y;
    y.values = ScaleTicks(l.y, l.yScale, tickCount(plotHeight, 32.0));
    y.labels = TickLabels(y.values, l.yScale == AxisScale::Logarithmic);
    double widestY = 0.0;
    for (const std::u16string& label : y.labels)
        widestY = std::max(widestY, textWidth(label, kTickFont));
    const double left = kPad + kTitleFont + 10.0 + widestY + kTickLength + 4.0;

    // Room at the right for half the last x label: its width is known once the ticks are, and
    // the ticks depend on the room. Three rounds settle it; a label that still reaches beyond
    // the edge ends at it.
    double right = kPad + 2.0 * kTickFont;
    Ticks x;
    for (int round = 0; round < 3; ++round) {
        l.plot = {left, top, std::max(20.0, options.width - left - right), plotHeight};
        x = fittingXTicks(l);
        if (x.values.empty())
            break;
        const double overhang = XPosition(l, x.values.back()) +
                                textWidth(x.labels.back(), kTickFont) / 2.0 -
                                (options.width - kEdge);
        if (!(overhang > 0.5))
            break;
        right += overhang;
    }
    const PictureRect& plot = l.plot;

    auto& items = pic.items;
    items.reserve(16 + 3 * (x.values.size() + y.values.size()) + data.curves.size() * 4);
    items.emplace_back(RectItem{{0, 0, pic.width, pic.height}, kPaper, false, {}, ItemRole::Paper});
    items.emplace_back(RectItem{plot, kPaper, true, kInk, ItemRole::Plot});

    // Grid lines inside the frame; a tick at the frame would only thicken it.
    constexpr double kInside = 0.5;
    for (const double t : x.values) {
        const double px = XPosition(l, t);
        if (px > plot.x + kInside && px < plot.right() - kInside)
            items.emplace_back(
                LineItem{{px, plot.y}, {px, plot.bottom()}, kGrid, 1.0, ItemRole::Grid});
    }
    for (const double t : y.values) {
        const double py = YPosition(l, t);
        if (py > plot.y + kInside && py < plot.bottom() - kInside)
            items.emplace_back(
                LineItem{{plot.x, py}, {plot.right(), py}, kGrid, 1.0, ItemRole::Grid});
    }
    // The zero lines, when zero lies inside: where the sign changes is worth seeing.
    if (l.yScale == AxisScale::Linear && l.y.min < 0.0 && l.y.max > 0.0) {
        const double py = YPosition(l, 0.0);
        items.emplace_back(
            LineItem{{plot.x, py}, {plot.right(), py}, kZeroLine, 1.0, ItemRole::Axis});
    }
    if (l.xScale == AxisScale::Linear && l.x.min < 0.0 && l.x.max > 0.0) {
        const double px = XPosition(l, 0.0);
        items.emplace_back(
            LineItem{{px, plot.y}, {px, plot.bottom()}, kZeroLine, 1.0, ItemRole::Axis});
    }

    const PlotFrame frame{plot, l.x, l.y, l.xScale, l.yScale};
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
        const SampledCurve& curve = data.curves[c];
        const CurveStyle style{CurveColour(c), kCurveWidth, CurveDashed(c)};
        if (options.lines != nullptr && c < options.lines->size())
            AddCurveItems(items, frame, (*options.lines)[c], style, options.columnsPerUnit);
        else if (!curve.line.empty())
            AddCurveItems(items, frame, curve.line, style, options.columnsPerUnit);
        else
            AddCurveItems(items, frame, pointsLine(data, curve), style, options.columnsPerUnit);
    }

    // Ticks and their labels outside the frame; the outer labels never beyond the edges.
    for (std::size_t i = 0; i < x.values.size(); ++i) {
        const double px = XPosition(l, x.values[i]);
        items.emplace_back(LineItem{
            {px, plot.bottom()}, {px, plot.bottom() + kTickLength}, kInk, 1.0, ItemRole::Tick});
        const double half = textWidth(x.labels[i], kTickFont) / 2.0;
        PicturePoint at{px, plot.bottom() + kTickLength + 3.0 + kTickFont};
        TextAnchor anchor = TextAnchor::Middle;
        if (px + half > options.width - kEdge) {
            at.x = options.width - kEdge;
            anchor = TextAnchor::End;
        } else if (px - half < kEdge) {
            at.x = kEdge;
            anchor = TextAnchor::Start;
        }
        items.emplace_back(text(at, std::move(x.labels[i]), kTickFont, anchor, ItemRole::Label));
    }
    for (std::size_t i = 0; i < y.values.size(); ++i) {
        const double py = YPosition(l, y.values[i]);
        items.emplace_back(
            LineItem{{plot.x - kTickLength, py}, {plot.x, py}, kInk, 1.0, ItemRole::Tick});
        items.emplace_back(text({plot.x - kTickLength - 4.0, py + kTickFont * 0.35},
                                std::move(y.labels[i]), kTickFont, TextAnchor::End,
                                ItemRole::Label));
    }

    // Axis titles: x centred below, y centred beside, reading upwards.
    TextItem xLabel = text({plot.x + plot.width / 2, plot.bottom() + tickLabels + 8.0 + kTitleFont},
                           fitted(xTitle, kTitleFont, plot.width), kTitleFont, TextAnchor::Middle,
                           ItemRole::Label);
    xLabel.bold = true;
    items.emplace_back(std::move(xLabel));
    TextItem yLabel =
        text({kPad + kTitleFont, plot.y + plot.height / 2}, fitted(yTitle, kTitleFont, plot.height),
             kTitleFont, TextAnchor::Middle, ItemRole::Label);
    yLabel.bold = true;
    yLabel.rotation = -90.0;
    items.emplace_back(std::move(yLabel));

    for (std::size_t c = 0; c < legend.size(); ++c) {
        const LegendEntry& e = legend[c];
        const double baseline = kPad + e.row * kLegendRow + kLegendFont;
        const double mid = baseline - kLegendFont * 0.35;
        PolylineItem swatch;
        swatch.points = {{kPad + e.x, mid}, {kPad + e.x + kSwatch, mid}};
        swatch.colour = CurveColour(c);
        swatch.width = kCurveWidth + 1.0;
        swatch.dashed = CurveDashed(c);
        swatch.role = ItemRole::Legend;
        items.emplace_back(std::move(swatch));
        items.emplace_back(text({kPad + e.x + kSwatch + kSwatchGap, baseline}, e.label, kLegendFont,
                                TextAnchor::Start, ItemRole::Legend));
    }

    double noteBaseline = plot.bottom() + tickLabels + 10.0 + kTitleFont + 6.0 + kNoteFont + 2.0;
    for (std::u16string& note : notes) {
        items.emplace_back(text({kPad, noteBaseline}, std::move(note), kNoteFont, TextAnchor::Start,
                                ItemRole::Note, kNoteInk));
        noteBaseline += kNoteFont + 5.0;
    }
    return l;
}

} // namespace quorvel
