#pragma once
// The main of a benchmark program over Qt: the offscreen platform unless another is asked
// for, the application, the program's own set-up, then Google Benchmark's run.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

namespace dorvane::bench {

// setUp runs once the application exists; false ends the program with 1 before any benchmark.
inline int RunQtBenchmarks(int argc, char** argv, const std::function<bool()>& setUp = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (setUp && !setUp())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace dorvane::bench
