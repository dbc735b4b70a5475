// The two headless pictures of a long file, each a whole program run: `rbinfo --render` (the
// document's whole radargram to a PNG, no widget) and `rebarscope --screenshot` (the main
// window with the file open). The file is a 20 000-trace RDD written by scangen.
//
//   build/bin/headless_render_bench [--benchmark_repetitions=5]
//
// REBAR_BENCH_BIN names another folder of executables (with SystemData beside them) to time an
// older build's screenshot against this one's.

#include "BenchSupport.h"
#include "scangen/Writers.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>

using namespace rebar;

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

const QString& benchFile() {
    static const QString path = [] {
        scangen::Scene s;
        s.traces = 20000;
        s.er = 8.0;
        s.noise = 0.01;
        s.seed = 3;
        for (double x = 120; x < s.traces * s.pitchMm; x += 180)
            s.bars.push_back({x, 30 + std::fmod(x * 0.37, 90.0)});
        const QString p = scratch().filePath(QStringLiteral("LONG.RDD"));
        QString error;
        if (!scangen::writeScene(s, scangen::Format::Rdd, p, &error)) {
            std::fprintf(stderr, "scangen: %s\n", qPrintable(error));
            std::abort();
        }
        return p;
    }();
    return path;
}

QString binDir() {
    const QString other = qEnvironmentVariable("REBAR_BENCH_BIN");
    return other.isEmpty() ? QCoreApplication::applicationDirPath() : QDir(other).absolutePath();
}

void runProgram(benchmark::State& state, const QString& program, const QStringList& args) {
    const QString exe = binDir() + QLatin1Char('/') + program;
    const QString file = benchFile();
    for (auto _ : state) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(exe, QStringList(args) << file);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            state.SkipWithError(qPrintable(program + QStringLiteral(" failed")));
            break;
        }
    }
}

void BM_RbinfoRender(benchmark::State& state) {
    runProgram(state, QStringLiteral("rbinfo"),
               {QStringLiteral("--render"), scratch().filePath(QStringLiteral("render.png"))});
}
BENCHMARK(BM_RbinfoRender)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_Screenshot(benchmark::State& state) {
    runProgram(state, QStringLiteral("rebarscope"),
               {QStringLiteral("--screenshot"), scratch().filePath(QStringLiteral("shot.png"))});
}
BENCHMARK(BM_Screenshot)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}
