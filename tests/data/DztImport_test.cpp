// DZT files imported into 730-family records: bars of a scene where the scene put them for
// surfaces at different times and pitches finer and coarser than the record's, the channel
// and pitch questions, the gain, the time window, the record's header and its save.
#include "ReaderFixtures.h"
#include "base/DateText.h"
#include "base/DepthModel.h"
#include "data/DztImport.h"
#include "data/RddReader.h"
#include "data/RecordWriters.h"
#include "data/TraceResampling.h"
#include "scangen/DztWriter.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <numeric>

using namespace rebar;
using rebar::test::putLE;
using rebar::test::Scratch;

namespace {

struct Imported {
    MeasurementRecord r;
    ReadResult res;
    DztImportFigures fig;
};

Imported import(const QString& path, const DztImportOptions& o = {}) {
    Imported out;
    SetRecordPath(out.r, path);
    EXPECT_TRUE(DetectFileKind(out.r));
    ReadContext ctx;
    ctx.dztOptions = &o;
    ctx.dztFigures = &out.fig;
    out.res = ReadMeasurementFile(out.r, ctx);
    return out;
}

scangen::Scene lineScene(double pitchMm, int traces) {
    scangen::Scene s;
    s.traces = traces;
    s.pitchMm = pitchMm;
    s.er = 6.5;
    s.noise = 0.01;
    s.seed = 16;
    s.bars = {{150, 42}, {330, 68}, {500, 55}};
    return s;
}

QString written(const Scratch& dir, const QString& name, const scangen::Scene& s,
                const scangen::DztOutput& o) {
    const QString path = dir.path(name);
    QString error;
    EXPECT_TRUE(scangen::writeDzt(s, o, path, &error)) << error.toStdString();
    return path;
}

// Echo of trace t at raw sample j with the surface wave taken off.
double echo(const MeasurementRecord& r, int t, int j) {
    return double(r.Raw730(t, j)) - r.Raw730(0, j);
}

// The strongest echo of trace t after the surface: its raw sample, refined between samples.
double peakSample(const MeasurementRecord& r, int t, double* height = nullptr) {
    int best = 40;
    for (int j = 40; j < 500; ++j)
        if (echo(r, t, j) > echo(r, t, best))
            best = j;
    const double y0 = echo(r, t, best - 1), y1 = echo(r, t, best), y2 = echo(r, t, best + 1);
    if (height)
        *height = y1;
    const double d = y0 - 2 * y1 + y2;
    return best + (d != 0 ? 0.5 * (y0 - y2) / d : 0.0);
}

struct Apex {
    double trace = 0;   // 1-based, fractional
    double coverMm = 0; // at the record's permittivity
};

// The apex of a bar's hyperbola near trace `near`: the strongest trace first, then the vertex of
// a parabola fitted through the echo times of the traces within 40 mm of it; the cover from the
// echo time of the trace at the vertex.
Apex findApex(const MeasurementRecord& r, int near) {
    int strongest = near;
    double best = -1e9;
    for (int t = std::max(1, near - 12); t <= std::min(r.TraceCount, near + 12); ++t) {
        double h = 0;
        peakSample(r, t, &h);
        if (h > best) {
            best = h;
            strongest = t;
        }
    }
    double s[5] = {0, 0, 0, 0, 0}, st[3] = {0, 0, 0}; // sums of x^k and x^k t
    for (int t = std::max(1, strongest - 16); t <= std::min(r.TraceCount, strongest + 16); ++t) {
        const double x = t - strongest, y = peakSample(r, t);
        for (int k = 0; k < 5; ++k)
            s[k] += std::pow(x, k);
        for (int k = 0; k < 3; ++k)
            st[k] += std::pow(x, k) * y;
    }
    // Normal equations of y = a x^2 + b x + c, solved by Cramer's rule.
    auto det3 = [](double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    double m[3][3] = {{s[4], s[3], s[2]}, {s[3], s[2], s[1]}, {s[2], s[1], s[0]}};
    double mb[3][3] = {{s[4], st[2], s[2]}, {s[3], st[1], s[1]}, {s[2], st[0], s[0]}};
    double ma[3][3] = {{st[2], s[3], s[2]}, {st[1], s[2], s[1]}, {st[0], s[1], s[0]}};
    const double d = det3(m), a = det3(ma) / d, b = det3(mb) / d;
    Apex out;
    out.trace = strongest - b / (2 * a);
    const int at = static_cast<int>(std::lround(out.trace));
    const double ns = DepthModel::timeOfRawSample(peakSample(r, at));
    out.coverMm = DepthModel::depthAt(ns, r.Permittivity);
    return out;
}

} // namespace

// Surfaces early, middling and late in the window; pitches finer than, equal to and coarser
// than 2.5 mm; both sample sizes.
struct LineCase {
    double surfaceNs;
    double pitchMm;
    int bits;
};

class DztLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(DztLine, BarsLieAtTheSceneDistancesAndCovers) {
    const LineCase c = GetParam();
    Scratch dir;
    const scangen::Scene s = lineScene(c.pitchMm, static_cast<int>(650 / c.pitchMm));
    scangen::DztOutput o;
    o.bits = c.bits;
    o.surfaceNs = c.surfaceNs;
    o.rangeNs = c.surfaceNs + 9;
    o.samples = 400;
    const Imported im = import(written(dir, QStringLiteral("LINE.DZT"), s, o));
    ASSERT_TRUE(im.res.ok) << im.res.reason.toStdString();
    EXPECT_TRUE(im.fig.surfaceFound);
    EXPECT_NEAR(im.fig.surfaceNs, c.surfaceNs, 0.02);
    EXPECT_EQ(im.r.Permittivity, 6.5);
    EXPECT_NEAR(im.r.TraceCount, (s.traces - 1) * c.pitchMm / 2.5 + 1, 1.0);
    for (const scangen::SceneBar& bar : s.bars) {
        SCOPED_TRACE(bar.distanceMm);
        const double trace = bar.distanceMm / 2.5 + 1;
        const Apex a = findApex(im.r, static_cast<int>(std::lround(trace)));
        EXPECT_NEAR(a.trace, trace, 1.0);
        EXPECT_NEAR(a.coverMm, bar.coverMm, 2.0);
    }
}

INSTANTIATE_TEST_SUITE_P(SurfacesAndPitches, DztLine,
                         ::testing::Values(LineCase{0.6, 1.0, 16}, LineCase{1.5, 2.5, 32},
                                           LineCase{3.2, 4.0, 16}, LineCase{2.0, 0.5, 32},
                                           LineCase{0.9, 7.5, 32}));

TEST(DztImport, TheRecordIsAChangedRddBesideTheFile) {
    Scratch dir;
    scangen::Scene s = lineScene(2.5, 200);
    s.date = QDate(2022, 8, 1);
    s.time = QStringLiteral("07:30:10");
    const QString path = written(dir, QStringLiteral("Deck 2.dzt"), s, {});
    const QByteArray before = test::readFile(path);
    Imported im = import(path);
    ASSERT_TRUE(im.res.ok) << im.res.reason.toStdString();
    MeasurementRecord& r = im.r;
    EXPECT_EQ(r.FileKind, KindRdd);
    EXPECT_EQ(r.Modified, FlagTrue);
    EXPECT_EQ(r.FilePath, dir.path(QStringLiteral("Deck 2.rdd")));
    EXPECT_EQ(r.FileName, QStringLiteral("Deck 2.rdd"));
    EXPECT_EQ(r.TraceCount, 200);
    EXPECT_EQ(r.MeasureDate, ShortDateText(QDate(2022, 8, 1)));
    EXPECT_EQ(r.MeasureTime, QStringLiteral("07:30:10"));
    EXPECT_EQ(r.PermittivityPreset, 8);
    ASSERT_EQ(r.Markers730.size(), 1u);
    EXPECT_TRUE(r.Markers730[0].isFree());
    const QStringList note = r.Note.split(QStringLiteral("\r\n"));
    ASSERT_GE(note.size(), 5);
    EXPECT_EQ(note[0],
              QStringLiteral("Imported from Deck 2.dzt, channel 1 of 1 (antenna SG2000 CH1)"));
    EXPECT_TRUE(note[1].startsWith(QLatin1String("512 samples of 16 bits in 12 ns, 400 scans")));
    EXPECT_TRUE(note[2].startsWith(QLatin1String("Surface echo at ")));
    EXPECT_TRUE(note[2].contains(QLatin1String("moved to 0.25 ns")));
    EXPECT_TRUE(note[3].contains(QLatin1String("cut to 7.74 ns")));
    EXPECT_TRUE(note[4].startsWith(QStringLiteral("Gain %1,").arg(im.fig.gain, 0, 'g', 4)));
    // Every sample is a 12-bit count; the status words are clear.
    for (int t = -1; t <= r.TraceCount; ++t) {
        EXPECT_EQ(r.Raw730(t, 0), 0);
        for (int j = 1; j <= 512; ++j)
            ASSERT_TRUE(r.Raw730(t, j) >= 0 && r.Raw730(t, j) <= 4095) << t << ":" << j;
    }
    // The marks of the bars' scans map onto the bars' traces.
    EXPECT_TRUE(im.fig.marksKnown);
    EXPECT_EQ(im.fig.markTraces, (std::vector<int32_t>{61, 133})); // 500 mm is past the line

    // Saving writes the RDD beside the DZT, which reads back the same; the DZT is untouched.
    r.Saved.Permittivity = static_cast<float>(r.Permittivity);
    ASSERT_TRUE(WriteRdd(r, r.FilePath));
    MeasurementRecord back;
    SetRecordPath(back, r.FilePath);
    ASSERT_TRUE(ReadRdd(back, ReadContext{}).ok);
    EXPECT_EQ(back.TraceCount, r.TraceCount);
    EXPECT_EQ(back.Note, r.Note);
    EXPECT_EQ(
        std::memcmp(back.Raw730.trace(-1), r.Raw730.trace(-1), size_t(r.TraceCount + 2) * 513 * 2),
        0);
    EXPECT_EQ(test::readFile(path), before);
    // A second import does not take the name of the saved file.
    EXPECT_EQ(import(path).r.FileName, QStringLiteral("Deck 2 (2).rdd"));
}

TEST(DztImport, OneGainClipsAtMostOneSampleInAThousand) {
    Scratch dir;
    scangen::Scene s = lineScene(2.5, 300);
    s.noise = 0.3; // heavy noise spreads the magnitudes
    const Imported im = import(written(dir, QStringLiteral("N.DZT"), s, {}));
    ASSERT_TRUE(im.res.ok);
    EXPECT_EQ(im.fig.mapped, 300 * 512); // the whole record window lies in the file's
    EXPECT_LE(im.fig.clipped, im.fig.mapped / 1000);
    int64_t extreme = 0;
    for (int t = 1; t <= 300; ++t)
        for (int j = 1; j <= 512; ++j)
            extreme += im.r.Raw730(t, j) == 0 || im.r.Raw730(t, j) == 4095;
    EXPECT_LE(extreme, im.fig.mapped / 1000);
    // The gain fills the range: the largest values come close to the ends.
    int16_t hi = 0;
    for (int t = 1; t <= 300; ++t)
        hi = std::max(hi, *std::max_element(im.r.Raw730.trace(t) + 1, im.r.Raw730.trace(t) + 513));
    EXPECT_GT(hi, 3900);
}

TEST(DztImport, ShortWindowsArePaddedWithTheZeroLevel) {
    Scratch dir;
    scangen::DztOutput o;
    o.rangeNs = 4;
    o.samples = 256;
    o.surfaceNs = 0.1; // less than the record's 0.25 ns before the surface
    const Imported im = import(written(dir, QStringLiteral("S.DZT"), lineScene(2.5, 100), o));
    ASSERT_TRUE(im.res.ok) << im.res.reason.toStdString();
    EXPECT_TRUE(im.fig.padded);
    EXPECT_TRUE(im.fig.paddedBefore);
    EXPECT_FALSE(im.fig.cut);
    EXPECT_NEAR(im.fig.afterSurfaceNs, 4 - 4.0 / 256 - 0.1, 0.02);
    // Past the file's window (4 ns - 0.1 ns + 0.25 ns and a few kernel taps) every trace is 2048.
    const int firstPadded = static_cast<int>((4.2 + 0.25) * 64) + 8;
    for (int t = 1; t <= im.r.TraceCount; ++t)
        for (int j = firstPadded; j <= 512; ++j)
            ASSERT_EQ(im.r.Raw730(t, j), 2048) << t << ":" << j;
    EXPECT_TRUE(im.r.Note.contains(QLatin1String("padded to 7.74 ns")));
}

TEST(DztImport, ChannelIsChosenWhereTheFileHoldsSeveral) {
    Scratch dir;
    scangen::DztOutput o;
    o.channels = 2;
    o.bits = 32;
    const QString path = written(dir, QStringLiteral("TWO.DZT"), lineScene(2.5, 120), o);

    const Imported first = import(path); // no question: channel 1
    ASSERT_TRUE(first.res.ok);
    EXPECT_EQ(first.fig.channel, 1);
    EXPECT_EQ(first.r.FileName, QStringLiteral("TWO_CH1.RDD"));

    DztImportOptions ask;
    QStringList asked;
    ask.chooseChannel = [&asked](const QStringList& antennas) {
        asked = antennas;
        return std::optional<int>(2);
    };
    const Imported second = import(path, ask);
    ASSERT_TRUE(second.res.ok);
    EXPECT_EQ(asked, (QStringList{"SG2000 CH1", "SG2000 CH2"}));
    EXPECT_EQ(second.fig.channel, 2);
    EXPECT_EQ(second.fig.antenna, QStringLiteral("SG2000 CH2"));
    EXPECT_EQ(second.r.FileName, QStringLiteral("TWO_CH2.RDD"));
    // Channel 2 holds the scene at half the amplitude: twice the gain, the same record.
    EXPECT_NEAR(second.fig.gain / first.fig.gain, 2.0, 0.02);

    DztImportOptions given;
    given.channel = 2;
    given.chooseChannel = [](const QStringList&) -> std::optional<int> {
        ADD_FAILURE() << "a given channel asks nothing";
        return 1;
    };
    EXPECT_EQ(import(path, given).fig.channel, 2);
    given.channel = 3;
    const Imported none = import(path, given);
    EXPECT_FALSE(none.res.ok);
    EXPECT_TRUE(none.res.reason.contains(QLatin1String("channels 1 to 2")));

    DztImportOptions cancel;
    cancel.chooseChannel = [](const QStringList&) { return std::optional<int>(); };
    const Imported cancelled = import(path, cancel);
    EXPECT_FALSE(cancelled.res.ok);
    EXPECT_TRUE(cancelled.res.cancelled);
}

TEST(DztImport, LineRecordedByTimeTakesTheGivenPitch) {
    Scratch dir;
    scangen::DztOutput o;
    o.byTime = true;
    const scangen::Scene s = lineScene(5.0, 100);
    const QString path = written(dir, QStringLiteral("T.DZT"), s, o);

    const Imported refused = import(path);
    EXPECT_FALSE(refused.res.ok);
    EXPECT_TRUE(refused.res.reason.contains(QLatin1String("recorded by time")));

    DztImportOptions ask;
    int questions = 0;
    ask.askPitch = [&questions] {
        ++questions;
        return std::optional<double>(5.0);
    };
    const Imported im = import(path, ask);
    ASSERT_TRUE(im.res.ok) << im.res.reason.toStdString();
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(im.fig.pitchAsked);
    EXPECT_EQ(im.r.TraceCount, 199); // 99 x 5 mm = 495 mm
    const Apex a = findApex(im.r, 61);
    EXPECT_NEAR(a.trace, 61, 1.0);
    EXPECT_TRUE(im.r.Note.contains(QLatin1String("recorded by time, 5 mm between scans given")));

    DztImportOptions wide;
    wide.pitchMm = 300; // coarser than any rebar line
    EXPECT_FALSE(import(path, wide).res.ok);
    DztImportOptions cancel;
    cancel.askPitch = [] { return std::optional<double>(); };
    EXPECT_TRUE(import(path, cancel).res.cancelled);
}

TEST(DztImport, PermittivityOutsideTheDepthScaleFallsBackToTheDefault) {
    Scratch dir;
    const QString path = written(dir, QStringLiteral("E.DZT"), lineScene(2.5, 40), {});
    QByteArray bytes = test::readFile(path);
    DztImportOptions o;
    o.defaultPermittivity = 8.9f;
    for (float er : {1.0f, 25.0f, 120.0f, std::nanf("")}) {
        SCOPED_TRACE(er);
        putLE<float>(bytes, DztLayout::OffEpsr, er);
        const Imported im = import(dir.write(QStringLiteral("E.DZT"), bytes), o);
        ASSERT_TRUE(im.res.ok);
        EXPECT_FALSE(im.fig.permittivityFromFile);
        EXPECT_FLOAT_EQ(static_cast<float>(im.r.Permittivity), 8.9f);
        EXPECT_EQ(im.r.PermittivityPreset, 2);
        EXPECT_TRUE(im.r.Note.contains(QLatin1String("of the file not used, 8.9 taken")));
    }
}

TEST(DztImport, LongLinesAreRefusedBeforeAnythingIsAllocated) {
    Scratch dir;
    const QString path = written(dir, QStringLiteral("L.DZT"), lineScene(2.5, 30), {});
    QByteArray bytes = test::readFile(path);
    putLE<float>(bytes, DztLayout::OffSpm, 0.0001f); // 10 km between scans
    const Imported far = import(dir.write(QStringLiteral("L.DZT"), bytes));
    EXPECT_FALSE(far.res.ok);
    EXPECT_TRUE(far.r.Raw730.empty());
    putLE<float>(bytes, DztLayout::OffSpm, 4.0f); // 250 mm: 29 x 100 traces
    const Imported sparse = import(dir.write(QStringLiteral("L.DZT"), bytes));
    ASSERT_TRUE(sparse.res.ok);
    EXPECT_EQ(sparse.r.TraceCount, 2901);
}

// ---- The resampling steps -----------------------------------------------------------------

TEST(TraceResampling, WindowedSincFollowsABandLimitedSignal) {
    // A 2 GHz tone at 0.04 ns: onto 1/64 ns positions, and onto a coarser 0.1 ns grid where
    // the kernel widens.
    const double dt = 0.04;
    std::vector<float> in(300);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(std::sin(2 * M_PI * 2.0 * i * dt));
    for (double step : {1.0 / 64, 0.1}) {
        std::vector<double> pos;
        for (double t = 2.0; t < 9.0; t += step)
            pos.push_back(t / dt);
        TimeResampler rs(pos, step, dt, 0, 299);
        std::vector<float> out(pos.size());
        rs.apply(in.data(), out.data());
        double worst = 0;
        for (size_t j = 0; j < pos.size(); ++j)
            worst = std::max(worst, std::abs(out[j] - std::sin(2 * M_PI * 2.0 * pos[j] * dt)));
        EXPECT_LT(worst, step < 0.05 ? 0.01 : 0.15) << step;
    }
    // Outside the input nothing is taken.
    const TimeResampler rs({-50.0, 150.0, 400.0}, 1.0 / 64, dt, 2, 299);
    EXPECT_FALSE(rs.covered(0));
    EXPECT_TRUE(rs.covered(1));
    EXPECT_FALSE(rs.covered(2));
}

TEST(TraceResampling, SurfaceEchoIsTheFirstStrongPeakAndEndsBeforeLaterEchoes) {
    std::vector<float> t(200, 1.0f); // a level of 1
    auto pulse = [&](int at, float h) {
        t[static_cast<size_t>(at - 1)] += h / 2;
        t[static_cast<size_t>(at)] += h;
        t[static_cast<size_t>(at + 1)] += h / 2;
    };
    pulse(30, -50); // the direct wave's first lobe: strong enough
    pulse(36, 80);  // the largest lobe comes later
    pulse(150, 60); // a back wall
    double p = 0;
    ASSERT_TRUE(FindSurfaceEcho(t, 2, p));
    EXPECT_DOUBLE_EQ(p, 30.0);
    KeepSurfaceEcho(t, 2, p);
    EXPECT_FLOAT_EQ(t[30], -49);
    EXPECT_FLOAT_EQ(t[36], 81);
    EXPECT_FLOAT_EQ(t[150], 1); // the back wall is no surface wave
    std::vector<float> flat(50, 3.0f);
    EXPECT_FALSE(FindSurfaceEcho(flat, 2, p));
}

TEST(TraceResampling, ClipGainLeavesAtMostTheAllowedShareOutside) {
    ClipGain g(1000);
    for (int i = 0; i < 9990; ++i)
        g.add(static_cast<float>((i % 100) - 50));
    for (int i = 0; i < 10; ++i)
        g.add(i % 2 ? 1000.0f : -700.0f); // ten spikes in ten thousand
    const double gain = g.gain(2047, 1000);
    EXPECT_LE(50 * gain, 2047);       // the body fits
    EXPECT_GT(50 * gain, 2047 * 0.9); // and fills the range
    ClipGain none(0);
    none.add(0);
    EXPECT_EQ(none.gain(2047, 1000), 1.0);
}
