// SPDX-License-Identifier: GPL-3.0-or-later
// RTF benchmarks. Target: writing and reading a formatted 10,000-line page each under 100 ms.
// "WithLayout" reads into a document that has a layout, as the document of a text edit has;
// the difference to ReadRtf is the layout's own work, not the reader's.
#include "bench/qt_bench_main.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace quorvel;

QFont worksheetFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(11);
    font.setBold(true);
    return font;
}

QTextCharFormat format(const QString& family, bool bold, const QColor& colour = {},
                       QTextCharFormat::VerticalAlignment script = QTextCharFormat::AlignNormal)
{
    QTextCharFormat result;
    result.setFontFamilies({family});
    result.setFontPointSize(11);
    result.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (colour.isValid())
        result.setForeground(colour);
    result.setVerticalAlignment(script);
    return result;
}

// A worksheet page: results, lines with a red error mark, superscripts, prose with umlauts and
// Greek letters, and an empty line now and then.
std::unique_ptr<QTextDocument> makePage(int lines)
{
    const QString courier = QStringLiteral("Courier New");
    const QTextCharFormat plain = format(courier, true);
    const QTextCharFormat red = format(courier, true, QColor(255, 0, 0));
    const QTextCharFormat super = format(courier, true, {}, QTextCharFormat::AlignSuperScript);
    const QTextCharFormat prose = format(QStringLiteral("Arial"), false);

    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(worksheetFont());
    QTextCursor cursor(doc.get());
    for (int k = 0; k < lines; ++k) {
        if (k > 0)
            cursor.insertBlock();
        const QString n = QString::number(k);
        switch (k % 10) {
        case 3:
            cursor.insertText(QStringLiteral("v%1 = 3m + 2").arg(n), plain);
            cursor.insertText(QStringLiteral("s"), red);
            cursor.insertText(QStringLiteral(" = unit confilct"), plain);
            break;
        case 5:
            cursor.insertText(QStringLiteral("A%1 = 2 m").arg(n), plain);
            cursor.insertText(QStringLiteral("2"), super);
            cursor.insertText(QStringLiteral(" + 3 m² = 5 m²"), plain);
            break;
        case 7:
            cursor.insertText(QStringLiteral("Notiz %1: Fläche α ≤ Ω, Größe\tÄnderung").arg(n),
                              prose);
            break;
        case 9:
            break;
        default:
            cursor.insertText(QStringLiteral("x%1 = %1.5km/h * 3h = %2 km").arg(n).arg(k * 3),
                              plain);
        }
    }
    return doc;
}

void BM_WriteRtf(benchmark::State& state)
{
    const auto doc = makePage(static_cast<int>(state.range(0)));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const QByteArray rtf = WriteRtf(*doc);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetComplexityN(state.range(0));
    state.counters["rtf_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}

void readBenchmark(benchmark::State& state, bool withLayout)
{
    const QByteArray rtf = WriteRtf(*makePage(static_cast<int>(state.range(0))));
    QTextDocument doc;
    doc.setDefaultFont(worksheetFont());
    if (withLayout)
        doc.documentLayout(); // created on first use
    for (auto _ : state) {
        if (!ReadRtf(rtf, doc))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(doc.blockCount());
    }
    if (doc.blockCount() != state.range(0))
        state.SkipWithError("wrong number of lines");
    state.SetComplexityN(state.range(0));
    state.counters["rtf_bytes"] = static_cast<double>(rtf.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * rtf.size());
}

void BM_ReadRtf(benchmark::State& state)
{
    readBenchmark(state, false);
}

void BM_ReadRtfWithLayout(benchmark::State& state)
{
    readBenchmark(state, true);
}

BENCHMARK(BM_WriteRtf)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReadRtf)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReadRtfWithLayout)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return quorvel::bench::RunQtBenchmarks<QGuiApplication>(argc, argv);
}
