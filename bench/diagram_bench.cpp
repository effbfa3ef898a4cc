// SPDX-License-Identifier: GPL-3.0-or-later
// Diagram benchmarks. Targets: 100,000 points sampled and written as CSV well within the
// 1 s that the whole quorvel-calc process may take; LayoutDiagram of 10,000 points (whole and
// zoomed) within one frame, 16 ms; a request of 10,000 points with poles, sampled adaptively,
// within 50 ms; a zoom step that samples the visible range of 3 curves again and lays them out
// within one frame.
#include "engine/diagram/csv_writer.h"
#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/sampling.h"
#include "engine/diagram/svg_writer.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorvel;

// A page with a thrown body's constants; the formulas are its height (one with a function,
// one with a pole so that the curve has a gap).
struct Page
{
    Page()
    {
        std::vector<std::u16string> units = DefaultUnitDefinitions();
        CompileUnitDefinitions(parser, units);
        LineEvaluator lines(parser);
        lines.EvalSheetLine(u"ge = 9.81m/s\u00B2", 0);
        lines.EvalSheetLine(u"v0 = 20m/s", 0);
    }
    DiagramData sample(std::int32_t points, std::vector<CurveRequest> curves)
    {
        return SampleDiagram(parser, {std::move(curves), u"t", u"0s", u"4s", points});
    }
    TEFParser parser;
};

const std::vector<CurveRequest> kThrow = {{u"v0*t-ge*t\u00B2/2", {}, {}, {}}};
const std::vector<CurveRequest> kThree = {{u"v0*t-ge*t\u00B2/2", {}, {}, {}},
                                          {u"SIN(t/(1s))*10m", {}, {}, {}},
                                          {u"1m*1s/(t-2s)", {}, {}, {}}};
// Poles: a tangent's (one every 0.157 s of the 4 s, 25 in all) and a reciprocal's.
const std::vector<CurveRequest> kPoles = {{u"TAN(t*20/(1s))*1m", {}, {}, {}},
                                          {u"1m*1s/(t-2.0001s)", {}, {}, {}}};

void BM_SampleDiagram(benchmark::State& state)
{
    Page page;
    const auto n = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        DiagramData d = page.sample(n, kThrow);
        benchmark::DoNotOptimize(d.curves.front().values.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SampleDiagram)->Arg(100000)->Unit(benchmark::kMillisecond);

// A request of 10,000 points whose curves run into 26 poles: sampled, refined where they jump,
// broken where they diverge.
void BM_SampleWithPoles(benchmark::State& state)
{
    Page page;
    std::size_t added = 0;
    std::int32_t poles = 0;
    for (auto _ : state) {
        DiagramData d = page.sample(10000, kPoles);
        added = d.curves[0].line.size() + d.curves[1].line.size() - 20000;
        poles = d.curves[0].poles + d.curves[1].poles;
        benchmark::DoNotOptimize(d.curves.front().line.data());
    }
    state.counters["points added"] = static_cast<double>(added);
    state.counters["poles"] = poles;
    state.SetLabel("2 curves of 10000 points");
}
BENCHMARK(BM_SampleWithPoles)->Unit(benchmark::kMillisecond);

void BM_WriteCsv(benchmark::State& state)
{
    Page page;
    const DiagramData d = page.sample(static_cast<std::int32_t>(state.range(0)), kThrow);
    for (auto _ : state) {
        std::string csv = WriteCsv(d);
        benchmark::DoNotOptimize(csv.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteCsv)->Arg(100000)->Unit(benchmark::kMillisecond);

// A zoom step of the window: the layout again (whole range, or a tenth of it).
void BM_LayoutDiagram(benchmark::State& state)
{
    Page page;
    const DiagramData d = page.sample(10000, kThree);
    LayoutOptions options;
    if (state.range(0) == 1) {
        options.x = AxisRange{1.8, 2.2};
        options.y = AxisRange{-20.0, 20.0};
    }
    for (auto _ : state) {
        DiagramLayout l = LayoutDiagram(d, options);
        benchmark::DoNotOptimize(l.picture.items.data());
    }
    state.SetLabel(state.range(0) == 1 ? "3 curves of 10000 points, zoomed"
                                       : "3 curves of 10000 points");
}
BENCHMARK(BM_LayoutDiagram)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A zoom step that the diagram's points are too few for: the visible tenth of the range is
// sampled again at two points to a pixel of an 800-unit picture (1,600 points, refined near the
// pole), and laid out. Two ranges in turn, as zooming in and out does.
void BM_ZoomSampledAgain(benchmark::State& state)
{
    Page page;
    const DiagramData d = page.sample(10000, kThree);
    const AxisRange ranges[2] = {{1.8, 2.2}, {1.75, 2.25}};
    const ValueBand visible{-20.0, 20.0};
    std::size_t step = 0;
    for (auto _ : state) {
        const AxisRange& x = ranges[step++ % 2];
        const std::vector<CurveLine> lines =
            d.source->lines(x.min, x.max, 1600, AxisScale::Linear, visible);
        LayoutOptions options;
        options.x = x;
        options.y = AxisRange{visible.low, visible.high};
        options.lines = &lines;
        DiagramLayout l = LayoutDiagram(d, options);
        benchmark::DoNotOptimize(l.picture.items.data());
    }
    state.SetLabel("3 curves of 10000 points, a tenth sampled again");
}
BENCHMARK(BM_ZoomSampledAgain)->Unit(benchmark::kMillisecond);

void BM_WriteSvg(benchmark::State& state)
{
    Page page;
    const Picture picture = LayoutDiagram(page.sample(10000, kThree)).picture;
    std::size_t size = 0;
    for (auto _ : state) {
        std::string svg = WriteSvg(picture);
        size = svg.size();
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_WriteSvg)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
