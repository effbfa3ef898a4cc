// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of the benchmarks that need Qt: fonts and windows on the offscreen platform unless
// the caller chose another, then Google Benchmark as usual.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace quorvel::bench {

inline void UseOffscreenUnlessChosen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

template <typename Application> int RunQtBenchmarks(int argc, char** argv)
{
    UseOffscreenUnlessChosen();
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace quorvel::bench
