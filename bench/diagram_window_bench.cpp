// SPDX-License-Identifier: GPL-3.0-or-later
// A zoom step of the diagram window: the view lays the diagram out for the new ranges and paints
// itself into an image of the window's size, as the screen gets it, at one and at two device
// pixels per pixel. Curves of 10,000 points, sampled from their formulas: a smooth one, a
// parabola and a fast oscillation, whose many turns are the painter's hardest work. Zoomed in
// deeply, the diagram's points are too few for the screen, and every step samples the visible
// range again. The goal: within one frame, 16 ms.
// And the window opened on a request of a million points: from the request to the first paint
// of its view, within 0.3 s.
#include "bench/qt_bench_main.h"

#include "engine/unit_definitions/unit_compiler.h"
#include "gui/diagram/diagram_view.h"
#include "gui/diagram/diagram_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

constexpr std::int32_t kPoints = 10000;

quorvel::DiagramData diagram(std::size_t curves)
{
    quorvel::TEFParser parser;
    std::vector<std::u16string> units = quorvel::DefaultUnitDefinitions();
    quorvel::CompileUnitDefinitions(parser, units);
    quorvel::DiagramRequest request{
        {{u"10m*SIN(t/(1s))", {}, {}, {}}}, u"t", u"0s", u"10s", kPoints};
    if (curves > 1) {
        request.curves.push_back({u"0.3m*(t/(1s))\u00B2-5m", {}, {}, {}});
        request.curves.push_back({u"5m*SIN(40*t/(1s))", {}, {}, {}});
    }
    return quorvel::SampleDiagram(parser, request);
}

// Args: the number of curves, device pixels per pixel, and whether the view is zoomed in so far
// (to a 200th of the range) that every step samples the visible range again.
void BM_ZoomStep(benchmark::State& state)
{
    quorvel::DiagramView view;
    view.resize(800, 500);
    view.setData(diagram(static_cast<std::size_t>(state.range(0))));
    const auto ratio = static_cast<qreal>(state.range(1));
    QImage screen(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    screen.setDevicePixelRatio(ratio);
    const bool deep = state.range(2) != 0;
    if (deep)
        view.showRanges({4.0, 4.05}, {-12.0, 12.0});
    bool in = true;
    for (auto _ : state) {
        // In and out in turn about one point: the same ranges on average, always zoomed.
        view.zoomBy(in ? 0.8 : 1.25, QPointF(400.0, 250.0));
        in = !in;
        view.render(&screen);
    }
    state.counters["points"] =
        static_cast<double>(kPoints) * static_cast<double>(view.data().curves.size());
    state.counters["sampled again"] = view.sampledAgain() ? 1 : 0;
}
BENCHMARK(BM_ZoomStep)
    ->Args({1, 1, 0})
    ->Args({1, 2, 0})
    ->Args({3, 1, 0})
    ->Args({3, 2, 0})
    ->Args({3, 1, 1})
    ->Args({3, 2, 1})
    ->Unit(benchmark::kMillisecond);

// Counts the view's paints, so that the bench knows when the curve is on the screen.
class PaintWatch : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// "OK" in the dialog with 1,000,000 points of a formula with a function and units: sampled,
// handed to the window, which is shown and paints its view. The window exists already, as it
// does from the program's start. The counters split the time: sampling, the view's layout
// (showDiagram up to the event loop) and what remains until the paint is done; "cpu ms" is the
// processor time of all threads together, what one idle core would take, which a busy machine
// changes less than the time on the clock.
void BM_ShowMillionPoints(benchmark::State& state)
{
    quorvel::TEFParser parser;
    std::vector<std::u16string> units = quorvel::DefaultUnitDefinitions();
    quorvel::CompileUnitDefinitions(parser, units);
    const quorvel::DiagramRequest request{
        {{u"10m*SIN(t/(1s))", {}, {}, {}}}, u"t", u"0s", u"10s", quorvel::kMaxDiagramPoints};
    quorvel::DiagramWindow window;
    PaintWatch watch;
    window.view()->installEventFilter(&watch);
    double sampling = 0.0;
    double showing = 0.0;
    double painting = 0.0;
    double processor = 0.0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        QElapsedTimer clock;
        clock.start();
        quorvel::DiagramData data = quorvel::SampleDiagram(parser, request);
        const qint64 sampled = clock.nsecsElapsed();
        watch.paints = 0;
        window.showDiagram(std::move(data));
        const qint64 shown = clock.nsecsElapsed();
        while (watch.paints == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 painted = clock.nsecsElapsed();
        processor += static_cast<double>(std::clock() - cpuStart) * 1e9 /
                     static_cast<double>(CLOCKS_PER_SEC);
        sampling += static_cast<double>(sampled);
        showing += static_cast<double>(shown - sampled);
        painting += static_cast<double>(painted - shown);
        state.PauseTiming();
        window.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const auto mean = [&state](double ns) {
        return ns / 1e6 / static_cast<double>(state.iterations());
    };
    state.counters["sample ms"] = mean(sampling);
    state.counters["layout ms"] = mean(showing);
    state.counters["paint ms"] = mean(painting);
    state.counters["cpu ms"] = mean(processor);
}
BENCHMARK(BM_ShowMillionPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return quorvel::bench::RunQtBenchmarks<QApplication>(argc, argv);
}
