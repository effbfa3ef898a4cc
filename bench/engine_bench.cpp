// SPDX-License-Identifier: GPL-3.0-or-later
// Engine benchmarks. Targets: Evaluate + Strwandeln at most 1 µs per formula;
// EvalLine over the 10,000-line sheet under 15 ms. The corpus comes from make_corpus; pass
// --corpus=DIR to use another folder.
#include "engine/base/quorvel_error.h"
#include "engine/base/text_encoding.h"
#include "engine/formula/evaluator.h"
#include "engine/quantity/quantity_text.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"
#ifdef QUORVEL_BENCH_CALC
#include "tools/quorvel-calc/sheet_runner.h"
#endif

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quorvel;

std::string g_corpusDir = QUORVEL_CORPUS_DIR;

std::string readBytes(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "engine_bench: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    std::string bytes;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

std::vector<std::u16string> readLines(const std::string& name)
{
    const std::u16string text = DecodeUtf8(readBytes(g_corpusDir + "/" + name));
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos)
            end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

const std::vector<std::u16string>& formulas()
{
    static const std::vector<std::u16string> lines = readLines("formulas.txt");
    return lines;
}

const std::vector<std::u16string>& sheet()
{
    static const std::vector<std::u16string> lines = readLines("sheet.txt");
    return lines;
}

std::int64_t times(const benchmark::State& state, std::size_t perIteration)
{
    return state.iterations() * static_cast<std::int64_t>(perIteration);
}

// The program's start: a fresh evaluator and the default unit definitions.
void startUp(TEFParser& parser)
{
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    if (!CompileUnitDefinitions(parser, units))
        std::abort();
}

// A parser as the formula corpus expects it: the variables q0 ... q10, one per kind of
// quantity that make_corpus knows (length, time, mass, speed, area, volume, force, energy,
// power, pressure, plain number).
void defineCorpusVariables(TEFParser& parser)
{
    const TSINumber values[] = {
        SiSet(12.5, 1, 0, 0, 0, 0, 0, 0),  SiSet(90, 0, 0, 1, 0, 0, 0, 0),
        SiSet(3.2, 0, 1, 0, 0, 0, 0, 0),   SiSet(13.9, 1, 0, -1, 0, 0, 0, 0),
        SiSet(2.25, 2, 0, 0, 0, 0, 0, 0),  SiSet(0.04, 3, 0, 0, 0, 0, 0, 0),
        SiSet(250, 1, 1, -2, 0, 0, 0, 0),  SiSet(3600, 2, 1, -2, 0, 0, 0, 0),
        SiSet(1500, 2, 1, -3, 0, 0, 0, 0), SiSet(2.1e5, -1, 1, -2, 0, 0, 0, 0),
        SiSet(0.75, 0, 0, 0, 0, 0, 0, 0)};
    const std::u16string_view names[] = {u"q0", u"q1", u"q2", u"q3", u"q4", u"q5",
                                         u"q6", u"q7", u"q8", u"q9", u"q10"};
    for (std::size_t k = 0; k < std::size(names); ++k)
        parser.SetVar(names[k], values[k]);
}

// Evaluate followed by Strwandeln, per formula: what Enter costs in the engine's core.
void BM_EvaluateStrwandeln(benchmark::State& state)
{
    TEFParser parser;
    startUp(parser);
    defineCorpusVariables(parser);
    const auto& corpus = formulas();
    std::u16string formula;
    std::u16string text;
    std::size_t failed = 0;
    for (auto _ : state) {
        failed = 0;
        for (const std::u16string& source : corpus) {
            parser.Units.ClearUsed();
            formula.assign(source); // Evaluate consumes its text
            TSINumber result;
            try {
                if (parser.Evaluate(result, formula))
                    text = Strwandeln(parser.Units, result, 0);
                else
                    ++failed;
            } catch (const QuorvelError&) {
                ++failed;
            }
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(times(state, corpus.size()));
    state.counters["formulas"] = static_cast<double>(corpus.size());
    state.counters["failing"] = static_cast<double>(failed);
    state.counters["ns_per_formula"] = benchmark::Counter(
        static_cast<double>(times(state, corpus.size())),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_EvaluateStrwandeln)->Unit(benchmark::kMicrosecond);

// The two halves apart: Evaluate alone ...
void BM_Evaluate(benchmark::State& state)
{
    TEFParser parser;
    startUp(parser);
    defineCorpusVariables(parser);
    const auto& corpus = formulas();
    std::u16string formula;
    for (auto _ : state) {
        for (const std::u16string& source : corpus) {
            parser.Units.ClearUsed();
            formula.assign(source);
            TSINumber result;
            try {
                benchmark::DoNotOptimize(parser.Evaluate(result, formula));
            } catch (const QuorvelError&) {
            }
        }
    }
    state.SetItemsProcessed(times(state, corpus.size()));
}
BENCHMARK(BM_Evaluate)->Unit(benchmark::kMicrosecond);

// ... and Strwandeln alone, on the corpus' results with the Used marks their formulas left
// (restoring the marks, a loop over the 22 entries, is part of the measured time).
void BM_Strwandeln(benchmark::State& state)
{
    TEFParser parser;
    startUp(parser);
    defineCorpusVariables(parser);
    struct Case
    {
        TSINumber value;
        std::vector<std::int32_t> used;
    };
    std::vector<Case> cases;
    for (const std::u16string& source : formulas()) {
        parser.Units.ClearUsed();
        std::u16string formula = source;
        TSINumber result;
        try {
            if (!parser.Evaluate(result, formula))
                continue;
            Strwandeln(parser.Units, result, 0);
        } catch (const QuorvelError&) {
            continue;
        }
        Case c{result, {}};
        for (std::int32_t i = 0; i < parser.Units.Count; ++i) {
            if (parser.Units.at(i).Used)
                c.used.push_back(i);
        }
        cases.push_back(std::move(c));
    }
    std::u16string text;
    for (auto _ : state) {
        for (const Case& c : cases) {
            parser.Units.ClearUsed();
            for (const std::int32_t i : c.used)
                parser.Units.SetUsed(i);
            text = Strwandeln(parser.Units, c.value, 0);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(times(state, cases.size()));
}
BENCHMARK(BM_Strwandeln)->Unit(benchmark::kMicrosecond);

// Enter on each line of the 10,000-line sheet from top to bottom, as after a fresh start.
void BM_EvalSheet(benchmark::State& state)
{
    TEFParser parser;
    startUp(parser);
    const TEFParser pristine = parser;
    LineEvaluator lines(parser);
    const auto& text = sheet();
    std::size_t failed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        parser.Vars = pristine.Vars; // Pi and PU only
        state.ResumeTiming();
        failed = 0;
        for (const std::u16string& line : text) {
            const LineOutput out = lines.EvalSheetLine(line, 0);
            failed += out.ok ? 0 : 1;
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(times(state, text.size()));
    state.counters["lines"] = static_cast<double>(text.size());
    state.counters["failing"] = static_cast<double>(failed);
}
BENCHMARK(BM_EvalSheet)->Unit(benchmark::kMillisecond);

// The in-process part of quorvel-calc's start: evaluator and unit definitions.
void BM_StartUp(benchmark::State& state)
{
    for (auto _ : state) {
        TEFParser parser;
        startUp(parser);
        benchmark::DoNotOptimize(parser.Units.Count);
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMicrosecond);

#ifdef QUORVEL_BENCH_CALC
// quorvel-calc's whole work on the sheet without the process: decode, start, evaluate, render.
void BM_RunCalcSheet(benchmark::State& state)
{
    const std::string bytes = readBytes(g_corpusDir + "/sheet.txt");
    for (auto _ : state) {
        const calc::CalcResult result = calc::RunCalc(bytes, 0, false);
        benchmark::DoNotOptimize(result.out.data());
    }
    state.SetBytesProcessed(times(state, bytes.size()));
}
BENCHMARK(BM_RunCalcSheet)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv)
{
    // Our own option first, the rest for Google Benchmark.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--corpus="))
            g_corpusDir = std::string(arg.substr(9));
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
