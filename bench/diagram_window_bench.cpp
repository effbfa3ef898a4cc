// SPDX-License-Identifier: GPL-3.0-or-later
// A zoom step of the diagram window: the view lays the diagram out for the new ranges and paints
// itself into an image of the window's size, as the screen gets it, at one and at two device
// pixels per pixel. Curves of 10,000 points: a smooth one, a parabola and a fast oscillation,
// whose many turns are the painter's hardest work. The goal: within one frame, 16 ms.
#include "qt_bench_main.h"

#include "diagram/diagram_view.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr std::size_t kPoints = 10000;

quorvel::DiagramData diagram(std::size_t curves)
{
    quorvel::DiagramData d;
    d.variable = u"t";
    d.xUnit = {u"s", 1.0};
    d.yUnit = {u"m", 1.0};
    for (std::size_t i = 0; i < kPoints; ++i)
        d.x.push_back(static_cast<double>(i) * 10.0 / (kPoints - 1));
    const auto curve = [&](std::u16string formula, double (*f)(double)) {
        quorvel::SampledCurve c;
        c.formula = std::move(formula);
        for (const double t : d.x)
            c.values.push_back(f(t));
        d.curves.push_back(std::move(c));
    };
    curve(u"10*SIN(t)", [](double t) { return 10.0 * std::sin(t); });
    if (curves > 1) {
        curve(u"0.3*t\u00B2-5", [](double t) { return 0.3 * t * t - 5.0; });
        curve(u"5*SIN(40*t)", [](double t) { return 5.0 * std::sin(40.0 * t); });
    }
    return d;
}

// Args: the number of curves, device pixels per pixel.
void BM_ZoomStep(benchmark::State& state)
{
    quorvel::DiagramView view;
    view.resize(800, 500);
    view.setData(diagram(static_cast<std::size_t>(state.range(0))));
    const auto ratio = static_cast<qreal>(state.range(1));
    QImage screen(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    screen.setDevicePixelRatio(ratio);
    bool in = true;
    for (auto _ : state) {
        // In and out in turn about one point: the same ranges on average, always zoomed.
        view.zoomBy(in ? 0.8 : 1.25, QPointF(400.0, 250.0));
        in = !in;
        view.render(&screen);
    }
    state.counters["points"] = static_cast<double>(kPoints * view.data().curves.size());
}
BENCHMARK(BM_ZoomStep)
    ->Args({1, 1})
    ->Args({1, 2})
    ->Args({3, 1})
    ->Args({3, 2})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return quorvel::bench::RunQtBenchmarks<QApplication>(argc, argv);
}
