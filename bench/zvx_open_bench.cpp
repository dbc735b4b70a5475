// Opening large 940-family files: the ZVX reader (one read of the trace records, both
// channels to 32 bits, double density of both matrices) against the bare cost of reading the
// file's bytes once, the same for a binary VXD file, and what letting window events run costs
// over the traces of a file.
#include "data/ReadResult.h"
#include "data/VxdReader.h"
#include "data/ZvxReader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include "BenchSupport.h"
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>

using namespace rebar;

namespace {

scangen::Scene benchScene(int traces) {
    scangen::Scene s;
    s.traces = traces;
    s.er = 8.0;
    s.noise = 0.01;
    s.slabMm = 250;
    s.markGroups = 3;
    for (int i = 0; i < traces / 80; ++i)
        s.bars.push_back({100.0 + 200.0 * i, 35.0 + (i % 5) * 8.0});
    s.company = QStringLiteral("東日本検査株式会社");
    s.latitude = QStringLiteral("35.681236");
    s.longitude = QStringLiteral("139.767125");
    return s;
}

QTemporaryDir& benchDir() {
    static QTemporaryDir dir;
    return dir;
}

[[noreturn]] void cannotWrite(const QString& path, const QString& error) {
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
    std::abort();
}

// An 8 000-trace ZVX file of kind 10 (both channels), written once per run.
const QString& zvxFile() {
    static const QString path = [] {
        const QString p = benchDir().filePath(QStringLiteral("BENCH.ZVX"));
        QString error;
        if (!scangen::writeZvx(benchScene(8000), p, KindZvx4, &error))
            cannotWrite(p, error);
        return p;
    }();
    return path;
}

// A 6 000-trace binary VXD file.
const QString& vxdFile() {
    static const QString path = [] {
        const QString p = benchDir().filePath(QStringLiteral("B0001.VXD"));
        QString error;
        if (!scangen::writeVxd(benchScene(6000), p, true, &error))
            cannotWrite(p, error);
        return p;
    }();
    return path;
}

template <ReadResult (*Read)(MeasurementRecord&, const ReadContext&)>
void readRecord(benchmark::State& state, const QString& path, int32_t kind, bool events) {
    const qint64 size = QFile(path).size();
    int16_t maxTraces = 6000;
    ReadContext ctx;
    ctx.MaxTraces = &maxTraces;
    if (events) {
        // What the view connects: the progress dialog's update and the event loop.
        ctx.progress = [](int) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        ctx.pumpEvents = [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }
    for (auto _ : state) {
        MeasurementRecord r;
        r.FilePath = path;
        r.FileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        r.FileKind = kind;
        const ReadResult res = Read(r, ctx);
        if (!res.ok)
            state.SkipWithError(qPrintable(res.reason));
        benchmark::DoNotOptimize(r.Samples940A.trace(1));
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void BM_ZvxReadFileBytes(benchmark::State& state) {
    bench::readFileBytes(state, zvxFile());
}
void BM_ReadZvx(benchmark::State& state) {
    readRecord<ReadZvx>(state, zvxFile(), KindZvx4, false);
}
void BM_ReadZvxLettingEventsRun(benchmark::State& state) {
    readRecord<ReadZvx>(state, zvxFile(), KindZvx4, true);
}
void BM_VxdReadFileBytes(benchmark::State& state) {
    bench::readFileBytes(state, vxdFile());
}
void BM_ReadVxdBinary(benchmark::State& state) {
    readRecord<ReadVxd>(state, vxdFile(), KindVxd, true);
}

// Letting events run once for every trace of an 8 000-trace file, with nothing pending: what
// a pump after each trace would add to an open.
void BM_EventsRunAfterEveryTrace(benchmark::State& state) {
    for (auto _ : state)
        for (int t = 0; t < 8000; ++t)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

BENCHMARK(BM_ZvxReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadZvx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadZvxLettingEventsRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VxdReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadVxdBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventsRunAfterEveryTrace)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}
