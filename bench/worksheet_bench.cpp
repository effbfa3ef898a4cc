// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the editor side of the worksheet (not timed tests): F9 over a whole sheet, and
// Enter on the last line of a page, each on pages of two lengths so that the growth shows.
// Runs on the offscreen platform with the program's windows; the time includes the repaint that
// follows the key.
#include "app/program_windows.h"
#include "bench/bench_diagrams.h"
#include "bench/bench_sheet.h"
#include "bench/qt_bench_main.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <benchmark/benchmark.h>

namespace {

using quorvel::ProgramWindows;
using quorvel::bench::sheetText;

struct Sheet
{
    explicit Sheet(int lines)
    {
        memo = windows.mainWindow.CurrentEditor();
        memo->setPlainText(sheetText(lines));
        windows.mainWindow.show();
        QCoreApplication::processEvents();
    }

    ProgramWindows windows;
    QTextEdit* memo = nullptr;
};

// F9 on a sheet whose lines all change: each run starts from the unevaluated text.
void BM_RecalcSheetAllLinesChange(benchmark::State& state)
{
    Sheet sheet(static_cast<int>(state.range(0)));
    const QString text = sheetText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        sheet.memo->setPlainText(text);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        sheet.windows.mainWindow.RecalcSheet();
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = static_cast<double>(sheet.memo->document()->blockCount());
}
BENCHMARK(BM_RecalcSheetAllLinesChange)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// F9 again on a sheet that is up to date (the usual case: one line was edited).
void BM_RecalcSheet(benchmark::State& state)
{
    Sheet sheet(static_cast<int>(state.range(0)));
    sheet.windows.mainWindow.RecalcSheet(); // the first run writes the results behind the formulas
    QCoreApplication::processEvents();
    for (auto _ : state) {
        sheet.windows.mainWindow.RecalcSheet();
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = static_cast<double>(sheet.memo->document()->blockCount());
}
BENCHMARK(BM_RecalcSheet)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// For comparison: the same lines through the engine alone, without the editor.
void BM_RecalcEngineOnly(benchmark::State& state)
{
    Sheet sheet(static_cast<int>(state.range(0)));
    sheet.windows.mainWindow.RecalcSheet();
    std::vector<std::u16string> lines;
    for (const QString& line : sheet.memo->toPlainText().split(QLatin1Char('\n')))
        lines.push_back(line.toStdU16String());
    quorvel::TEFParser& parser = sheet.windows.mainWindow.parser();
    quorvel::LineEvaluator& evaluator = sheet.windows.mainWindow.lineEvaluator();
    for (auto _ : state) {
        parser.Vars.Clear();
        for (const std::u16string& line : lines)
            benchmark::DoNotOptimize(evaluator.EvalSheetLine(line, 0));
    }
}
BENCHMARK(BM_RecalcEngineOnly)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_EnterOnLastLine(benchmark::State& state)
{
    Sheet sheet(static_cast<int>(state.range(0)));
    sheet.windows.mainWindow
        .RecalcSheet(); // defines the variables; the caret on the empty last line
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTextCursor c = sheet.memo->textCursor();
        c.insertText(QStringLiteral("v%1*3+1km").arg(i++ % 100));
        sheet.memo->setTextCursor(c);
        state.ResumeTiming();
        sheet.windows.mainWindow.MemoKeyPress(QChar(13));
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = static_cast<double>(sheet.memo->document()->blockCount());
}
BENCHMARK(BM_EnterOnLastLine)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// F9 on a report page of 20 diagrams of 1,000 points each. Changing: every speed changes, so
// every diagram is drawn and written as a picture again; unchanged: the usual F9, where the
// diagrams are sampled but stay as they are.
void BM_RecalcDiagrams(benchmark::State& state)
{
    constexpr int kDiagrams = 20;
    const bool changing = state.range(0) != 0;
    ProgramWindows windows;
    QTextEdit& page = *windows.mainWindow.CurrentEditor();
    page.setPlainText(quorvel::bench::diagramSheetText(kDiagrams));
    quorvel::bench::insertDiagrams(windows.mainWindow, kDiagrams, 1000);
    windows.mainWindow.show();
    QCoreApplication::processEvents();
    int round = 0;
    for (auto _ : state) {
        if (changing) {
            state.PauseTiming();
            ++round;
            for (int i = 0; i < kDiagrams; ++i) {
                QTextCursor line(page.document()->findBlockByNumber(1 + 3 * i));
                line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                line.insertText(QStringLiteral("a%1 = %2m/s").arg(i).arg(i + round + 1));
            }
            state.ResumeTiming();
        }
        windows.mainWindow.RecalcSheet();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RecalcDiagrams)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return quorvel::bench::RunQtBenchmarks<QApplication>(argc, argv);
}
