// Every format scangen writes, read back by the program's readers: the header values, the
// marks and the echo of a bar where the physics puts it.
#include "ReaderFixtures.h"
#include "base/DepthModel.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <cmath>
#include <set>

using namespace rebar;
using rebar::test::Opened;
using rebar::test::Scratch;

namespace {

struct FormatCase {
    scangen::Format format;
    const char* name;
    int32_t kind;
};

const FormatCase Cases[] = {
    {scangen::Format::Rdd, "SCENE.RDD", KindRdd},
    {scangen::Format::Txt, "SCENE.001", KindText730},
    {scangen::Format::TxtHex, "T0001.002", KindText730},
    {scangen::Format::Zvx, "SCENE.ZVX", KindZvx4},
    {scangen::Format::Zvx3, "SCENE3.ZVX", KindZvx3},
    {scangen::Format::VxdB, "B0001.VXD", KindVxd},
    {scangen::Format::VxdT, "T0001.VXD", KindVxd},
};

scangen::Scene scene() {
    scangen::Scene s;
    s.traces = 161;
    s.er = 6.5;
    s.pitchMm = 2.5;
    s.bars = {{200.0, 50.0}, {340.0, 70.0}}; // traces 81 and 137
    s.markGroups = 2;
    s.processingLine = 9;
    s.note = QStringLiteral("north wall\nsecond line");
    return s;
}

// The strongest echo after the surface wave, with the fixed surface wave taken off.
template <typename T> int peakSample(const Matrix<T>& m, int trace) {
    int best = 0;
    long long bestValue = -(1LL << 40);
    for (int j = DepthModel::TimeZeroSample + 64; j <= m.lastSample(); ++j) {
        const long long v = static_cast<long long>(m(trace, j)) - m(0, j);
        if (v > bestValue) {
            bestValue = v;
            best = j;
        }
    }
    return best;
}

} // namespace

TEST(SceneFormats, EveryFormatReadsBackWithItsBarsAndMarks) {
    Scratch dir;
    const scangen::Scene s = scene();
    const int apex50 = static_cast<int>(std::lround(DepthModel::sampleAt(50.0, 6.5)));
    const int apex70 = static_cast<int>(std::lround(DepthModel::sampleAt(70.0, 6.5)));
    for (const FormatCase& c : Cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.path(QString::fromLatin1(c.name));
        QString error;
        ASSERT_TRUE(scangen::writeScene(s, c.format, path, &error)) << qPrintable(error);
        const Opened o = test::openFile(path);
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        const MeasurementRecord& r = o.r;
        EXPECT_EQ(r.FileKind, c.kind);
        EXPECT_EQ(r.TraceCount, 161);
        EXPECT_EQ(r.Permittivity, 6.5);
        EXPECT_EQ(r.PermittivityPreset, 8);
        EXPECT_EQ(r.ProcessingLine, 9);
        std::vector<double> amp(769);
        if (!r.is940()) {
            EXPECT_EQ(peakSample(r.Samples730, 81), apex50);
            EXPECT_EQ(peakSample(r.Samples730, 137), apex70);
            EXPECT_GT(peakSample(r.Samples730, 61), apex50 + 10); // off the apex: later
            s.renderTrace(41, 512, amp.data());
            EXPECT_EQ(r.Raw730(41, 60), scangen::sample730(amp[60]));
            EXPECT_EQ(r.Raw730(9, 0), 48);
            ASSERT_GE(r.Markers730.size(), 2u);
            EXPECT_EQ(r.Markers730[0].Position, 80);
            EXPECT_EQ(r.Markers730[0].Sample, apex50);
            EXPECT_EQ(r.Markers730[1].Position, 136);
            EXPECT_EQ(r.Markers730[1].Sample, apex70);
            if (c.kind == KindRdd) {
                EXPECT_EQ(r.Note, "north wall\r\nsecond line");
            }
        } else {
            EXPECT_EQ(peakSample(r.Samples940, 81), apex50);
            EXPECT_EQ(peakSample(r.Samples940, 137), apex70);
            EXPECT_GT(peakSample(r.Samples940, 61), apex50 + 10);
            s.renderTrace(41, 768, amp.data());
            EXPECT_EQ(r.Raw940(41, 60), scangen::sample940(amp[60]));
            EXPECT_EQ(r.Raw940A(41, 60), c.kind == KindZvx4   ? scangen::sample940A(amp[60])
                                         : c.kind == KindZvx3 ? 0
                                                              : r.Raw940(41, 60));
            EXPECT_EQ(r.Raw940(9, 0), -3);
            // The bars' marks in groups 0 and 1, at the apex on the single-density grid.
            EXPECT_EQ(r.Marks940[0][1].InUse, FlagTrue);
            EXPECT_EQ(r.Marks940[0][1].X, 80);
            EXPECT_NEAR(2 * r.Marks940[0][1].Y + 1, apex50, 1);
            EXPECT_EQ(r.Marks940[1][1].X, 136);
            EXPECT_NEAR(2 * r.Marks940[1][1].Y + 1, apex70, 1);
            EXPECT_EQ(r.Marks940[0][2].InUse, 0);
        }
    }
}

TEST(SceneFormats, ShippedSamplesOpen) {
    const QDir samples(test::binDir() + QStringLiteral("/Samples"));
    const QStringList files = samples.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 8);
    std::set<int32_t> kinds;
    for (const QString& f : files) {
        SCOPED_TRACE(qPrintable(f));
        const Opened o = test::openFile(samples.filePath(f));
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        kinds.insert(o.r.FileKind);
        if (o.r.is940()) {
            EXPECT_GE(o.r.TraceCount, 1500);
        }
    }
    EXPECT_EQ(kinds, (std::set<int32_t>{6, 7, 8, 9, 10}));
}
