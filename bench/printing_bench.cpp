// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF of an evaluated page (results, red marks, labels, prose) as "Als PDF speichern..."
// writes it, on pages of three lengths so that the growth shows. The goal: 100,000 lines
// (1,695 A4 sheets) in under 1.5 s.
#include "app/program_windows.h"
#include "bench/bench_sheet.h"
#include "bench/qt_bench_main.h"
#include "gui/worksheet/sheet_printing.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextEdit>

#include <benchmark/benchmark.h>

namespace {

void BM_WritePdf(benchmark::State& state)
{
    quorvel::ProgramWindows windows;
    QTextEdit* memo = windows.mainWindow.CurrentEditor();
    memo->setPlainText(quorvel::bench::sheetText(static_cast<int>(state.range(0))));
    windows.mainWindow.RecalcSheet();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Berechnung.pdf"));
    for (auto _ : state) {
        const QString error =
            quorvel::WritePdf(*memo->document(), QStringLiteral("Berechnung"), path);
        if (!error.isEmpty())
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["lines"] = static_cast<double>(memo->document()->blockCount());
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}
BENCHMARK(BM_WritePdf)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return quorvel::bench::RunQtBenchmarks<QApplication>(argc, argv);
}
