#pragma once
// What the benchmark programs share: the floor that only reads every input sample of a
// record, and a main that sets up Qt and the benchmark library.

#include "data/Family.h"
#include "data/MeasurementRecord.h"

#include <QFile>
#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <malloc.h>
#include <memory>

namespace rebar::bench {

// Every sample of one matrix summed in a loop that vectorises (unsigned lanes, wrapping).
template <class F, int Last> uint32_t sumMatrix(const Matrix<typename F::Sample>& m, int n) {
    uint32_t sum = 0;
    for (int i = 1; i <= n; ++i) {
        const typename F::Sample* row = m.trace(i);
        uint32_t s = 0;
        for (int j = 1; j <= Last; ++j)
            s += static_cast<uint32_t>(row[j]);
        sum += s;
    }
    return sum;
}

// The floor of a processing run: one read of both input matrices of the measured traces.
template <class F> uint32_t sumInputs(const MeasurementRecord& r) {
    return sumMatrix<F, F::RawLast>(F::raw(r), r.TraceCount) +
           sumMatrix<F, F::DDLast>(F::samples(r), r.TraceCount);
}

// The baseline of an open: the file's bytes read once, with one read into a new buffer.
inline void readFileBytes(benchmark::State& state, const QString& path) {
    qint64 size = 0;
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            state.SkipWithError("cannot open");
        size = f.size();
        std::unique_ptr<char[]> buf(new char[static_cast<size_t>(size)]);
        if (f.read(buf.get(), size) != size)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buf.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * size);
}

// Runs the registered benchmarks under a GUI application on the offscreen platform (fonts,
// the event loop, the folder of the executable for SystemData). --fresh-memory makes every
// large block come from the system as fresh pages, as it does when the program opens its
// first file; without it the allocator hands back the previous iteration's memory.
inline int runBenchmarks(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--fresh-memory") == 0) {
            mallopt(M_MMAP_THRESHOLD, 1 << 20);
            for (int j = i; j + 1 < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            break;
        }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace rebar::bench
