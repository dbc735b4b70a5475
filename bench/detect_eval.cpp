// detect_eval: how well the two marker detections find bars whose truth is known. Writes a
// fixed set of scenes with scangen's scene model (both families, permittivity 4..12, covers
// 30..120 mm, bar spacing 100..300 mm, noise from none to strong, a surface wave that changes
// height and arrival time along the line, a back wall at 250 mm), reads every file back with
// the program's own reader, runs the automatic marker detection (from the start) and the
// fitted detector, and prints per condition and overall:
//
//   recall     found bars / bars in the scene (a bar is found by the nearest unused marker
//              within 25 mm of its apex)
//   precision  markers that found a bar / markers written
//   depth      mean absolute error of the found bars' cover depths in mm: the standard
//              detection's apex row read through the depth table at the scene's permittivity,
//              the fitted detector's own depth at its estimated permittivity
//   er         the fitted detector's permittivity (median of its confident fits) against the
//              scene's: mean absolute error in percent and the share of scenes within 5 %
//
//   detect_eval [--scenes]     --scenes also prints one line per scene
#include "config/CalibrationTables.h"
#include "config/SystemPaths.h"
#include "data/MeasurementRecord.h"
#include "processing/Detection.h"
#include "scangen/Scene.h"
#include "scangen/SceneFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace rebar;

namespace {

constexpr double TracePitchMm = 2.5;
constexpr double MatchMm = 25;
constexpr int BarsPerScene = 8;
constexpr double Permittivities[] = {4, 6, 8, 10, 12};
constexpr double Spacings[] = {100, 150, 200, 300};
struct NoiseLevel {
    const char* name;
    double sigma; // relative to the surface wave; a deep bar's apex is about 0.37
};
// The set's levels, and after them one beyond the set (noise as high as half a deep bar's
// apex) that shows where the detections give way; it is printed apart and not in the totals.
constexpr NoiseLevel Noises[] = {
    {"none", 0}, {"light", 0.02}, {"medium", 0.05}, {"strong", 0.1}, {"very strong", 0.2}};
constexpr int SetNoiseLevels = 4;

// Deterministic covers: splitmix64 of the scene's seed.
double uniform(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / 9007199254740992.0;
}

struct SceneCase {
    int family = 730;
    double er = 0;
    double spacing = 0;
    int noise = 0;
    uint64_t seed = 0;
    scangen::Scene scene;
};

SceneCase makeCase(int family, double er, double spacing, int noise, uint64_t seed) {
    SceneCase c{family, er, spacing, noise, seed, {}};
    scangen::Scene& s = c.scene;
    s.er = er;
    s.pitchMm = TracePitchMm;
    s.noise = Noises[noise].sigma;
    s.seed = seed;
    s.slabMm = 250;
    s.surfaceDrift = 0.08;
    s.surfaceShiftNs = 0.008;
    s.markBars = false;
    uint64_t state = seed * 7919;
    for (int i = 0; i < BarsPerScene; ++i)
        s.bars.push_back({150.0 + spacing * i, 30.0 + 90.0 * uniform(state)});
    s.traces = static_cast<int>((300.0 + spacing * (BarsPerScene - 1)) / TracePitchMm) + 1;
    return c;
}

struct Tally {
    int bars = 0, markers = 0, found = 0;
    double depthError = 0;
    int scenes = 0, erWithin = 0, erScenes = 0;
    double erError = 0;
    void add(const Tally& o) {
        bars += o.bars;
        markers += o.markers;
        found += o.found;
        depthError += o.depthError;
        scenes += o.scenes;
        erWithin += o.erWithin;
        erScenes += o.erScenes;
        erError += o.erError;
    }
};

// Matches markers (trace, depth) to the bars, nearest pairs first, one marker per bar.
Tally score(const scangen::Scene& s, const std::vector<std::pair<double, double>>& markers) {
    Tally t;
    t.scenes = 1;
    t.bars = static_cast<int>(s.bars.size());
    t.markers = static_cast<int>(markers.size());
    struct Pair {
        double dist;
        size_t bar, marker;
    };
    std::vector<Pair> pairs;
    for (size_t b = 0; b < s.bars.size(); ++b)
        for (size_t m = 0; m < markers.size(); ++m) {
            const double d =
                std::fabs((markers[m].first - 1) * TracePitchMm - s.bars[b].distanceMm);
            if (d <= MatchMm)
                pairs.push_back({d, b, m});
        }
    std::sort(pairs.begin(), pairs.end(),
              [](const Pair& a, const Pair& b) { return a.dist < b.dist; });
    std::vector<char> barUsed(s.bars.size()), markerUsed(markers.size());
    for (const Pair& p : pairs) {
        if (barUsed[p.bar] || markerUsed[p.marker])
            continue;
        barUsed[p.bar] = markerUsed[p.marker] = 1;
        ++t.found;
        t.depthError += std::fabs(markers[p.marker].second - s.bars[p.bar].coverMm);
    }
    return t;
}

// Depth in mm of a row of the detection grid at the scene's permittivity, from the tables.
double rowDepth(const CalibrationTables& tables, int family, double er, int row) {
    const int e = static_cast<int>(std::lround(er * 10));
    if (family == 730)
        return row >= 1 && row <= 1024 ? tables.depth730(e, row) : 0;
    return row >= 1 && row <= 768 ? tables.depth940(e, 2 * row - 1) : 0;
}

// Writes the scene's file, reads it back and scores both detections on it.
bool evaluate(const SceneCase& c, const CalibrationTables& tables, const QTemporaryDir& dir,
              Tally& standardTally, Tally& fittedTally, double& estimate) {
    const QString path = dir.filePath(QStringLiteral("E%1.%2").arg(c.seed).arg(
        c.family == 730 ? QStringLiteral("RDD") : QStringLiteral("ZVX")));
    const auto read = scangen::readSceneBack(c.scene, c.family == 940, path);
    if (!read)
        return false;
    const MeasurementRecord& rec = *read;
    QFile::remove(path);

    const DetectionRun standard = RunDetection(rec, tables, DetectionMode::FromStart, 0);
    std::vector<std::pair<double, double>> sm;
    if (standard.ok)
        for (const DetectedApex& a : standard.markers)
            sm.push_back({a.x, rowDepth(tables, c.family, c.er, a.y)});
    standardTally = score(c.scene, sm);

    const DetectionRun fitted = RunDetection(rec, tables, DetectionMode::Fitted, 0);
    std::vector<std::pair<double, double>> fm;
    for (const FittedBar& b : fitted.fit.bars)
        fm.push_back({b.positionMm / TracePitchMm + 1, b.depthMm});
    fittedTally = score(c.scene, fm);
    estimate = fitted.fit.permittivity;
    const double erErr = estimate > 0 ? std::fabs(estimate - c.er) / c.er * 100 : 100.0;
    fittedTally.erScenes = 1;
    fittedTally.erError = erErr;
    fittedTally.erWithin = erErr <= 5.0;
    return true;
}

struct Results {
    Tally standard, fitted;
};

void printHeader() {
    std::printf("%-26s %6s | %28s | %28s %16s\n", "condition", "bars", "standard (from the start)",
                "fitted", "");
    std::printf("%-26s %6s | %8s %9s %9s | %8s %9s %9s %7s %8s\n", "", "", "recall", "precision",
                "depth mm", "recall", "precision", "depth mm", "er err%", "er<=5%");
}

void printRow(const std::string& name, const Results& r) {
    auto pct = [](int a, int b) { return b ? 100.0 * a / b : 0.0; };
    const Tally& s = r.standard;
    const Tally& f = r.fitted;
    std::printf("%-26s %6d | %7.1f%% %8.1f%% %9.2f | %7.1f%% %8.1f%% %9.2f %6.2f%% %4d/%-3d\n",
                name.c_str(), s.bars, pct(s.found, s.bars), pct(s.found, s.markers),
                s.found ? s.depthError / s.found : 0.0, pct(f.found, f.bars),
                pct(f.found, f.markers), f.found ? f.depthError / f.found : 0.0,
                f.erScenes ? f.erError / f.erScenes : 0.0, f.erWithin, f.erScenes);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool perScene = argc > 1 && std::strcmp(argv[1], "--scenes") == 0;
    CalibrationTables tables;
    QString error;
    if (!LoadCalibrationTables(tables, systemDataDir(), &error)) {
        std::fprintf(stderr, "detect_eval: cannot read the calibration tables: %s\n",
                     qPrintable(error));
        return 1;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "detect_eval: no scratch folder\n");
        return 1;
    }

    std::map<std::string, Results> rows;
    auto addTo = [&](const std::string& key, const Tally& st, const Tally& ft) {
        rows[key].standard.add(st);
        rows[key].fitted.add(ft);
    };
    auto familyName = [](int family) { return family == 730 ? "730 RDD" : "940 ZVX"; };
    auto erKey = [](double er) { return "er " + std::to_string(static_cast<int>(er)); };
    auto spacingKey = [](double sp) {
        return "spacing " + std::to_string(static_cast<int>(sp)) + " mm";
    };

    uint64_t seed = 1;
    int failures = 0;
    for (int family : {730, 940})
        for (int noise = 0; noise <= SetNoiseLevels; ++noise)
            for (double er : Permittivities)
                for (double spacing : Spacings) {
                    const SceneCase c = makeCase(family, er, spacing, noise, seed++);
                    Tally ts, tf;
                    double estimate = 0;
                    if (!evaluate(c, tables, dir, ts, tf, estimate)) {
                        std::fprintf(stderr, "detect_eval: scene %llu not usable\n",
                                     static_cast<unsigned long long>(c.seed));
                        ++failures;
                        continue;
                    }
                    const std::string fam = familyName(family);
                    addTo(fam + " noise " + Noises[noise].name, ts, tf);
                    if (noise < SetNoiseLevels) {
                        addTo(erKey(er), ts, tf);
                        addTo(spacingKey(spacing), ts, tf);
                        addTo("overall", ts, tf);
                    }
                    if (perScene)
                        std::printf("scene %3llu %s er %4.1f spacing %3.0f noise %-11s: standard "
                                    "%d/%d of %d, fitted %d/%d of %d, er %.2f\n",
                                    static_cast<unsigned long long>(c.seed), fam.c_str(), er,
                                    spacing, Noises[noise].name, ts.found, ts.markers, ts.bars,
                                    tf.found, tf.markers, tf.bars, estimate);
                }

    printHeader();
    for (int family : {730, 940})
        for (int noise = 0; noise < SetNoiseLevels; ++noise) {
            const std::string key =
                std::string(familyName(family)) + " noise " + Noises[noise].name;
            printRow(key, rows[key]);
        }
    for (double er : Permittivities)
        printRow(erKey(er), rows[erKey(er)]);
    for (double sp : Spacings)
        printRow(spacingKey(sp), rows[spacingKey(sp)]);
    printRow("overall", rows["overall"]);
    std::printf("\nbeyond the set:\n");
    for (int family : {730, 940}) {
        const std::string key =
            std::string(familyName(family)) + " noise " + Noises[SetNoiseLevels].name;
        printRow(key, rows[key]);
    }
    return failures == 0 ? 0 : 1;
}
