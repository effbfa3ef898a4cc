// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram's layout: margins from estimated text sizes, ticks, and the curves clipped to the
// plot area.
#include "diagram/diagram_layout.h"

#include "diagram/axis_numbers.h"

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
constexpr double kTickLength = 5.0;
constexpr double kCurveWidth = 2.0;

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

bool usable(const std::optional<AxisRange>& r)
{
    return r && std::isfinite(r->min) && std::isfinite(r->max) && r->max > r->min;
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

// Ticks whose labels do not run into each other along an axis of the given length.
std::vector<double> fittingTicks(const AxisRange& r, double length, double spacing, bool horizontal,
                                 double& step)
{
    int maxTicks = std::max(2, static_cast<int>(length / spacing) + 1);
    for (;;) {
        std::vector<double> ticks = AxisTicks(r.min, r.max, maxTicks);
        step = TickStep(r.min, r.max, maxTicks);
        if (!horizontal || ticks.size() < 2 || maxTicks <= 2)
            return ticks;
        double widest = 0.0;
        for (double t : ticks)
            widest = std::max(widest, textWidth(TickText(t, step), kTickFont));
        const double gap = length * step / (r.max - r.min);
        if (widest + 10.0 <= gap)
            return ticks;
        --maxTicks;
    }
}

// The legend's entries in rows of the available width: a swatch, then the formula.
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
    for (const SampledCurve& curve : data.curves) {
        LegendEntry e;
        e.label = fitted(curve.formula, kLegendFont, width - kSwatch - kSwatchGap);
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

// Liang-Barsky: the part of the segment a-b inside r as the parameters t0 <= t1 in [0, 1];
// false when nothing of it is inside.
bool clipSegment(PicturePoint a, PicturePoint b, const PictureRect& r, double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const std::array<double, 4> p = {-dx, dx, -dy, dy};
    const std::array<double, 4> q = {a.x - r.x, r.right() - a.x, a.y - r.y, r.bottom() - a.y};
    for (std::size_t i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

bool inside(PicturePoint p, const PictureRect& r)
{
    return p.x >= r.x && p.x <= r.right() && p.y >= r.y && p.y <= r.bottom();
}

// The curve as polylines of its visible stretches: broken at every gap and wherever it leaves
// the plot area, so that no line crosses a gap and no coordinate runs far outside.
void addCurve(std::vector<PictureItem>& items, const DiagramLayout& l, const DiagramData& data,
              std::size_t index)
{
    const std::vector<double>& values = data.curves[index].values;
    const std::size_t n = std::min(values.size(), data.x.size());
    PolylineItem line;
    line.colour = CurveColour(index);
    line.width = kCurveWidth;
    line.dashed = CurveDashed(index);
    line.role = ItemRole::Curve;
    const auto flush = [&] {
        if (line.points.size() >= 2)
            items.emplace_back(line);
        line.points.clear();
    };
    const auto at = [&](std::size_t i) {
        return PicturePoint{XPosition(l, data.x[i]), YPosition(l, values[i])};
    };
    bool open = false; // line's last point is where the next segment starts
    for (std::size_t i = 0; i < n; ++i) {
        if (IsGap(values[i])) {
            flush();
            open = false;
            continue;
        }
        const PicturePoint a = at(i);
        const bool alone = (i == 0 || IsGap(values[i - 1])) && (i + 1 >= n || IsGap(values[i + 1]));
        if (alone) {
            // A point between two gaps is still a value: a short dash shows it.
            if (inside(a, l.plot)) {
                line.points = {{a.x - 1.5, a.y}, {a.x + 1.5, a.y}};
                flush();
            }
            continue;
        }
        if (i + 1 >= n || IsGap(values[i + 1]))
            continue; // the segment to it was drawn from the point before
        const PicturePoint b = at(i + 1);
        double t0 = 0.0;
        double t1 = 1.0;
        if (!clipSegment(a, b, l.plot, t0, t1)) {
            flush();
            open = false;
            continue;
        }
        const PicturePoint start{a.x + t0 * (b.x - a.x), a.y + t0 * (b.y - a.y)};
        const PicturePoint end{a.x + t1 * (b.x - a.x), a.y + t1 * (b.y - a.y)};
        if (!open || t0 > 0.0) {
            flush();
            line.points.push_back(start);
        }
        line.points.push_back(end);
        open = t1 >= 1.0;
        if (!open)
            flush();
    }
    flush();
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

AxisRange FullXRange(const DiagramData& data)
{
    if (data.x.empty())
        return {};
    const auto [lo, hi] = std::minmax_element(data.x.begin(), data.x.end());
    if (!(*hi > *lo))
        return {*lo - 1.0, *lo + 1.0};
    return {*lo, *hi};
}

AxisRange FullYRange(const DiagramData& data)
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (const SampledCurve& curve : data.curves) {
        for (const double v : curve.values) {
            if (!IsGap(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    }
    if (lo > hi)
        return {0.0, 1.0};
    if (lo == hi) {
        const double room = lo != 0.0 ? std::fabs(lo) * 0.1 : 1.0;
        return {lo - room, hi + room};
    }
    const double margin = (hi - lo) * 0.05;
    const AxisRange r{lo - margin, hi + margin};
    // Values near the ends of the double range have no room for a margin.
    return std::isfinite(r.min) && std::isfinite(r.max) ? r : AxisRange{lo, hi};
}

std::u16string YAxisTitle(const DiagramData& data)
{
    std::u16string names;
    for (const SampledCurve& curve : data.curves) {
        if (!names.empty())
            names += u", ";
        names += curve.formula;
    }
    return AxisTitle(names, data.yUnit);
}

std::u16string FailureNote(const DiagramData& data, std::size_t index)
{
    const SampledCurve& curve = data.curves[index];
    if (curve.failed == 0)
        return {};
    std::u16string note;
    if (data.curves.size() > 1)
        note = curve.formula + u": ";
    note +=
        ShortestText(curve.failed) + u" von " + ShortestText(static_cast<double>(data.x.size()));
    note += u" Punkten ohne Wert";
    if (curve.firstFailure < data.x.size()) {
        note += curve.failed == 1 ? u"; bei " : u"; der erste bei ";
        note += data.variable + u" = " + ShortestText(data.x[curve.firstFailure]) +
                data.xUnit.name + u": " + curve.failureMessage;
    }
    return note;
}

DiagramLayout LayoutDiagram(const DiagramData& data, const LayoutOptions& options)
{
    DiagramLayout l;
    l.x = usable(options.x) ? *options.x : FullXRange(data);
    l.y = usable(options.y) ? *options.y : FullYRange(data);
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

    double yStep = 0.0;
    const std::vector<double> yTicks = fittingTicks(l.y, plotHeight, 32.0, false, yStep);
    std::vector<std::u16string> yLabels;
    double widestY = 0.0;
    for (const double t : yTicks) {
        yLabels.push_back(TickText(t, yStep));
        widestY = std::max(widestY, textWidth(yLabels.back(), kTickFont));
    }
    const double left = kPad + kTitleFont + 10.0 + widestY + kTickLength + 4.0;
    const double right = kPad + 2.0 * kTickFont; // room for half the last x label
    l.plot = {left, top, std::max(20.0, options.width - left - right), plotHeight};
    const PictureRect& plot = l.plot;

    double xStep = 0.0;
    const std::vector<double> xTicks = fittingTicks(l.x, plot.width, 80.0, true, xStep);

    auto& items = pic.items;
    items.reserve(16 + 3 * (xTicks.size() + yTicks.size()) + data.curves.size() * 4);
    items.emplace_back(RectItem{{0, 0, pic.width, pic.height}, kPaper, false, {}, ItemRole::Paper});
    items.emplace_back(RectItem{plot, kPaper, true, kInk, ItemRole::Plot});

    // Grid lines inside the frame; a tick at the frame would only thicken it.
    constexpr double kEdge = 0.5;
    for (const double t : xTicks) {
        const double px = XPosition(l, t);
        if (px > plot.x + kEdge && px < plot.right() - kEdge)
            items.emplace_back(
                LineItem{{px, plot.y}, {px, plot.bottom()}, kGrid, 1.0, ItemRole::Grid});
    }
    for (const double t : yTicks) {
        const double py = YPosition(l, t);
        if (py > plot.y + kEdge && py < plot.bottom() - kEdge)
            items.emplace_back(
                LineItem{{plot.x, py}, {plot.right(), py}, kGrid, 1.0, ItemRole::Grid});
    }
    // The zero lines, when zero lies inside: where the sign changes is worth seeing.
    if (l.y.min < 0.0 && l.y.max > 0.0) {
        const double py = YPosition(l, 0.0);
        items.emplace_back(
            LineItem{{plot.x, py}, {plot.right(), py}, kZeroLine, 1.0, ItemRole::Axis});
    }
    if (l.x.min < 0.0 && l.x.max > 0.0) {
        const double px = XPosition(l, 0.0);
        items.emplace_back(
            LineItem{{px, plot.y}, {px, plot.bottom()}, kZeroLine, 1.0, ItemRole::Axis});
    }

    for (std::size_t c = 0; c < data.curves.size(); ++c)
        addCurve(items, l, data, c);

    // Ticks and their labels outside the frame.
    for (const double t : xTicks) {
        const double px = XPosition(l, t);
        items.emplace_back(LineItem{
            {px, plot.bottom()}, {px, plot.bottom() + kTickLength}, kInk, 1.0, ItemRole::Tick});
        items.emplace_back(text({px, plot.bottom() + kTickLength + 3.0 + kTickFont},
                                TickText(t, xStep), kTickFont, TextAnchor::Middle,
                                ItemRole::Label));
    }
    for (std::size_t i = 0; i < yTicks.size(); ++i) {
        const double py = YPosition(l, yTicks[i]);
        items.emplace_back(
            LineItem{{plot.x - kTickLength, py}, {plot.x, py}, kInk, 1.0, ItemRole::Tick});
        items.emplace_back(text({plot.x - kTickLength - 4.0, py + kTickFont * 0.35},
                                std::move(yLabels[i]), kTickFont, TextAnchor::End,
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
