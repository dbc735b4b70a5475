#include "base/DateText.h"
#include "data/FileOpen.h"
#include "data/RddReader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"
#include "support/TestSupport.h"

#include "base/DepthModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace rebar;
using rebar::test::Scratch;

namespace {

using SampleFn = std::function<int16_t(int trace, int sample)>;

int16_t flat(int, int sample) {
    return sample == 0 ? 0 : 2048;
}

// The sample block of traces -1..n (513 little-endian 16-bit words each).
QByteArray block(int n, const SampleFn& value = flat) {
    QByteArray b;
    b.reserve((n + 2) * 1026);
    for (int t = -1; t <= n; ++t)
        for (int j = 0; j <= 512; ++j) {
            const auto u = static_cast<uint16_t>(value(t, j));
            b.append(static_cast<char>(u & 0xFF));
            b.append(static_cast<char>(u >> 8));
        }
    return b;
}

// A header in the program's own layout with the given extra lines before "MAINDATA".
QByteArray header(int lc, const QByteArray& extra = {}) {
    return "\"VER\",\"730\"\r\n\"DATE\",\"2024/05/17\"\r\n\"TIME\",\"09:15:00\"\r\n\"LC\"," +
           QByteArray::number(lc) + "\r\n" + extra + "\"MAINDATA\",\"\"\r\n";
}

struct Read {
    MeasurementRecord r;
    ReadResult res;
};

Read readBytes(const Scratch& dir, const QByteArray& bytes, const char* name = "T.RDD") {
    Read out;
    SetRecordPath(out.r, dir.write(QString::fromLatin1(name), bytes));
    out.r.FileKind = KindRdd;
    out.r.XUnit = QStringLiteral("m");
    out.r.YUnit = QStringLiteral("cm");
    out.res = ReadRdd(out.r, ReadContext{});
    return out;
}

// A refused file: a reason, no stage code, no matrix left allocated.
void expectRefused(const Read& rd, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(rd.res.ok);
    EXPECT_FALSE(rd.res.reason.isEmpty());
    EXPECT_TRUE(rd.r.LoadStage.isEmpty());
}

} // namespace

TEST(RddReader, ReadsTheHeaderFieldsWhateverTheKeyCase) {
    Scratch dir;
    const QByteArray extra = " \"data\" ,12\r\n\"xsca\",1\r\n\" Xadj \",-4\r\n\"GAIN\",5\r\n"
                             "\"af\",1\r\n\"DEPTH\",8\r\n\"e\",7.25\r\n\"COLOR\",13\r\n"
                             "\"DIR\",1\r\n\"PROC\",3\r\n\"PEAK\",1\r\n\"REF\",2\r\n"
                             "\"RANGE\",4\r\n\"XUNIT\",\"mm\"\r\n\"YUNIT\",\"inch\"\r\n"
                             "\"SEARCH\",\"INT\"\r\n\"SOMETHING\",\"else\"\r\n";
    const Read rd = readBytes(dir, header(3, extra) + block(3));
    ASSERT_TRUE(rd.res.ok) << qPrintable(rd.res.reason);
    const MeasurementRecord& r = rd.r;
    EXPECT_EQ(r.TraceCount, 3);
    EXPECT_EQ(r.DataNo, 12);
    EXPECT_EQ(r.XScale, 1);
    EXPECT_EQ(r.XAdjust, -4);
    EXPECT_EQ(r.Gain, 5);
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.PermittivityPreset, 8);
    EXPECT_EQ(r.Permittivity, 7.25);
    EXPECT_EQ(r.ColorCode, 3); // 13 has 10 taken off
    EXPECT_EQ(r.Direction, 1);
    EXPECT_EQ(r.ProcCode, 3);
    EXPECT_EQ(r.PeakFlag, 1);
    EXPECT_EQ(r.ProcessingLine, 2);
    EXPECT_EQ(r.ViewRange, 4);
    EXPECT_EQ(r.XUnit, "mm");
    EXPECT_EQ(r.YUnit, "inch");
    EXPECT_EQ(r.MeasureTime, "09:15:00");
    EXPECT_EQ(r.MeasureDate, ShortDateText(QDate(2024, 5, 17)));
    EXPECT_TRUE(r.Markers730.empty());
    // Every matrix of the family covers the traces it should.
    EXPECT_EQ(r.Raw730.firstTrace(), -1);
    EXPECT_EQ(r.Raw730.lastTrace(), 3);
    EXPECT_EQ(r.Raw730.lastSample(), 512);
    EXPECT_EQ(r.Samples730.firstTrace(), -1);
    EXPECT_EQ(r.Samples730.lastSample(), 1024);
    EXPECT_EQ(r.Work730.firstTrace(), 1);
    EXPECT_EQ(r.Work730.lastTrace(), 3);
    EXPECT_EQ(r.Work730x2.lastSample(), 1024);
    EXPECT_TRUE(r.Raw940.empty());

    // 9 stays 9; the single precision of "E" shows in the double field.
    const Read rd9 = readBytes(dir, header(1, "\"COLOR\",9\r\n\"E\",8.9\r\n") + block(1));
    ASSERT_TRUE(rd9.res.ok);
    EXPECT_EQ(rd9.r.ColorCode, 9);
    EXPECT_EQ(rd9.r.Permittivity, static_cast<double>(8.9f));
}

TEST(RddReader, ProcessingLineComesFromTheLastFlaggedTrace) {
    Scratch dir;
    auto flagged = [](std::initializer_list<std::pair<int, int16_t>> flags) {
        return [flags](int t, int j) -> int16_t {
            if (j == 0) {
                for (auto [trace, status] : flags)
                    if (t == trace)
                        return status;
                return 0;
            }
            return 2048;
        };
    };
    // 48 at traces 5 and 9 (and 16 on the surface-wave traces, which do not count).
    Read rd = readBytes(dir, header(12, "\"REF\",3\r\n") +
                                 block(12, flagged({{-1, 16}, {0, 48}, {5, 48}, {9, 48}})));
    ASSERT_TRUE(rd.res.ok);
    EXPECT_EQ(rd.r.ProcessingLine, 9);

    rd = readBytes(dir, header(12, "\"REF\",3\r\n") + block(12, flagged({{4, 16}, {2, 48}})));
    ASSERT_TRUE(rd.res.ok);
    EXPECT_EQ(rd.r.ProcessingLine, 4);

    // 17 and 32 flag nothing: "REF" stands, and without "REF" the line stays 0.
    rd = readBytes(dir, header(12, "\"REF\",3\r\n") + block(12, flagged({{4, 17}, {6, 32}})));
    ASSERT_TRUE(rd.res.ok);
    EXPECT_EQ(rd.r.ProcessingLine, 3);
    rd = readBytes(dir, header(12) + block(12, flagged({{4, 17}, {6, 32}})));
    ASSERT_TRUE(rd.res.ok);
    EXPECT_EQ(rd.r.ProcessingLine, 0);
}

TEST(RddReader, MarkersAndNote) {
    Scratch dir;
    // "MARKER" 0 announces one line; samples are stored minus 1.
    Read rd =
        readBytes(dir, header(2, "\"MARKER\",0\r\n17,99\r\n\"NOTE\",\"a@@b@@\"\r\n") + block(2));
    ASSERT_TRUE(rd.res.ok) << qPrintable(rd.res.reason);
    ASSERT_EQ(rd.r.Markers730.size(), 1u);
    EXPECT_EQ(rd.r.Markers730[0].Position, 17);
    EXPECT_EQ(rd.r.Markers730[0].Sample, 100);
    EXPECT_EQ(rd.r.Note, "a\r\nb\r\n");

    // Several markers; a note whose line breaks were written as they are, with a comma.
    rd = readBytes(dir, header(2, "\"NOTE\",\"first, line\r\nsecond\"\r\n\"MARKER\",2\r\n"
                                  "1,10\r\n 2 , 20 \r\n3,-1\r\n") +
                            block(2));
    ASSERT_TRUE(rd.res.ok) << qPrintable(rd.res.reason);
    ASSERT_EQ(rd.r.Markers730.size(), 3u);
    EXPECT_EQ(rd.r.Markers730[1].Position, 2);
    EXPECT_EQ(rd.r.Markers730[1].Sample, 21);
    EXPECT_EQ(rd.r.Markers730[2].Sample, 0);
    EXPECT_EQ(rd.r.Note, "first, line\r\nsecond");

    // -1 is an empty list.
    rd = readBytes(dir, header(2, "\"MARKER\",-1\r\n") + block(2));
    ASSERT_TRUE(rd.res.ok) << qPrintable(rd.res.reason);
    EXPECT_TRUE(rd.r.Markers730.empty());
}

TEST(RddReader, TheBlockIsTakenFromTheEndOfTheFile) {
    Scratch dir;
    auto numbered = [](int t, int j) -> int16_t { return j == 0 ? 0 : int16_t(t * 10 + j % 7); };
    // Padding between "MAINDATA" and the block is skipped.
    Read rd = readBytes(dir, header(4) + QByteArray(333, 'x') + block(4, numbered));
    ASSERT_TRUE(rd.res.ok) << qPrintable(rd.res.reason);
    EXPECT_EQ(rd.r.Raw730(-1, 3), numbered(-1, 3));
    EXPECT_EQ(rd.r.Raw730(4, 512), numbered(4, 512));

    // A block of 7 traces behind a header announcing 4: only the last 6 traces' worth of
    // bytes are read, so file trace 2 becomes trace -1.
    rd = readBytes(dir, header(4) + block(7, numbered));
    ASSERT_TRUE(rd.res.ok) << qPrintable(rd.res.reason);
    EXPECT_EQ(rd.r.Raw730(-1, 5), numbered(2, 5));
    EXPECT_EQ(rd.r.Raw730(1, 5), numbered(4, 5));
    EXPECT_EQ(rd.r.Raw730(4, 5), numbered(7, 5));
}

TEST(RddReader, DoubleDensityOfEveryTrace) {
    Scratch dir;
    auto wave = [](int t, int j) -> int16_t {
        return j == 0 ? 0 : int16_t(2048 + ((j * 37 + t * 11) % 200) - 100);
    };
    const Read rd = readBytes(dir, header(5) + block(5, wave));
    ASSERT_TRUE(rd.res.ok);
    for (int t = -1; t <= 5; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(rd.r.Samples730(t, 1), rd.r.Raw730(t, 1));
        EXPECT_EQ(rd.r.Samples730(t, 1023), rd.r.Raw730(t, 512));
        EXPECT_EQ(rd.r.Samples730(t, 1024), rd.r.Samples730(t, 1022));
    }
    // The work matrices start empty.
    EXPECT_EQ(rd.r.Work730(3, 100), 0);
}

TEST(RddReader, RefusesBadInputWithAReason) {
    Scratch dir;
    const QByteArray good = header(3) + block(3);
    ASSERT_TRUE(readBytes(dir, good).res.ok);

    expectRefused(readBytes(dir, QByteArray()), "empty file");
    expectRefused(readBytes(dir, good.left(40)), "header cut short");
    expectRefused(readBytes(dir, header(3).replace("MAINDATA", "MAINDATX") + block(3)),
                  "no MAINDATA");
    expectRefused(readBytes(dir, header(4) + block(3)), "LC one trace more than the block");
    expectRefused(readBytes(dir, header(3) + block(3).left(3000)), "block cut short");
    expectRefused(readBytes(dir, header(0) + block(3)), "LC 0");
    expectRefused(readBytes(dir, header(-2) + block(3)), "LC negative");
    expectRefused(readBytes(dir, QByteArray(good).replace("\"LC\",3", "\"LC\",three")),
                  "LC not a number");
    expectRefused(readBytes(dir, QByteArray(good).replace("\"LC\",3", "\"LC\",3x")),
                  "LC with trailing text");
    expectRefused(readBytes(dir, header(3, "\"DATA\",32768\r\n") + block(3)),
                  "16-bit field above 32767");
    expectRefused(readBytes(dir, header(3, "\"GAIN\",\r\n") + block(3)), "empty number");
    expectRefused(readBytes(dir, header(3, "\"E\",1e39\r\n") + block(3)),
                  "permittivity beyond single precision");
    expectRefused(readBytes(dir, header(3, "\"REF\",2147483648\r\n") + block(3)),
                  "32-bit field out of range");
    expectRefused(readBytes(dir, QByteArray(good).replace("2024/05/17", "someday")),
                  "DATE not a date");
    expectRefused(readBytes(dir, QByteArray(good).replace("2024/05/17", "2024/02/30")),
                  "DATE not a real day");
    expectRefused(readBytes(dir, header(3, "\"MARKER\",5\r\n1,1\r\n2,2\r\n") + block(3)),
                  "fewer marker lines than announced");
    expectRefused(readBytes(dir, header(3, "\"MARKER\",-2\r\n") + block(3)),
                  "negative marker count");
    expectRefused(readBytes(dir, header(3, "\"MARKER\",0\r\n1,2147483647\r\n") + block(3)),
                  "marker sample beyond 32 bits");

    // Counts that would need more memory than the file can hold are refused before any
    // allocation: a marker count of two thousand million, and a 2 GB trace count.
    Read rd = readBytes(dir, header(3, "\"MARKER\",2000000000\r\n1,1\r\n") + block(3));
    expectRefused(rd, "marker count beyond the file");
    EXPECT_TRUE(rd.r.Markers730.empty());
    rd = readBytes(dir, header(2093000) + block(3));
    expectRefused(rd, "2 GB of traces announced");
    EXPECT_TRUE(rd.r.Raw730.empty());
    EXPECT_TRUE(rd.r.Samples730.empty());
    rd = readBytes(dir, header(2147483647) + block(3));
    expectRefused(rd, "the largest LC");
    EXPECT_TRUE(rd.r.Raw730.empty());

    // The block may not reach back into the header: a file shorter by less than the header
    // would otherwise pass the length check with header text read as samples.
    expectRefused(readBytes(dir, header(3) + block(3).mid(60)), "block overlapping the header");

    // Two neighbouring samples adding up beyond 16 bits.
    expectRefused(readBytes(dir, header(3) + block(3,
                                                   [](int t, int j) -> int16_t {
                                                       return t == 2 && (j == 40 || j == 41) ? 20000
                                                                                             : 2048;
                                                   })),
                  "16-bit pair overflow");

    MeasurementRecord missing;
    SetRecordPath(missing, dir.path(QStringLiteral("nothing here.RDD")));
    EXPECT_FALSE(ReadRdd(missing, ReadContext{}).ok);
}

TEST(RddReader, ReadsWhatSceneGeneratorWritesWithTheApexWhereThePhysicsPutsIt) {
    Scratch dir;
    scangen::Scene scene;
    scene.traces = 161;
    scene.er = 6.5;
    scene.pitchMm = 2.5;
    scene.bars = {{200.0, 50.0}}; // trace 81 (position 80)
    scene.note = QStringLiteral("line 1@@line 2");
    scene.processingLine = 7;
    const QString path = dir.path(QStringLiteral("SCENE.RDD"));
    QString error;
    ASSERT_TRUE(scangen::writeRdd(scene, path, &error)) << qPrintable(error);

    MeasurementRecord r;
    SetRecordPath(r, path);
    ASSERT_TRUE(DetectFileKind(r));
    ASSERT_EQ(r.FileKind, KindRdd);
    const ReadResult res = ReadMeasurementFile(r, ReadContext{});
    ASSERT_TRUE(res.ok) << qPrintable(res.reason);
    EXPECT_EQ(r.TraceCount, 161);
    EXPECT_EQ(r.Permittivity, 6.5);
    EXPECT_EQ(r.PermittivityPreset, 8);
    EXPECT_EQ(r.XAdjust, 0);
    EXPECT_EQ(r.ProcessingLine, 7);
    EXPECT_EQ(r.Note, "line 1\r\nline 2");

    const int expected = static_cast<int>(std::lround(DepthModel::sampleAt(50.0, 6.5)));
    ASSERT_EQ(r.Markers730.size(), 1u);
    EXPECT_EQ(r.Markers730[0].Position, 80);
    EXPECT_EQ(r.Markers730[0].Sample, expected);

    // The strongest echo after the surface wave, with the fixed surface wave taken off.
    auto peakSample = [&](int trace) {
        int best = 0;
        int bestValue = -1 << 30;
        for (int j = DepthModel::TimeZeroSample + 64; j <= 1024; ++j) {
            const int v = r.Samples730(trace, j) - r.Samples730(0, j);
            if (v > bestValue) {
                bestValue = v;
                best = j;
            }
        }
        return best;
    };
    EXPECT_NEAR(peakSample(81), expected, 1);
    // Off the apex the echo arrives later, the same on both sides.
    const int left = peakSample(61);
    const int right = peakSample(101);
    EXPECT_GT(left, expected + 10);
    EXPECT_NEAR(left, right, 1);
    const double slant = std::sqrt(50.0 * 50.0 + 50.0 * 50.0);
    EXPECT_NEAR(left, DepthModel::sampleAt(slant, 6.5), 1.5);
}

TEST(RddReader, SceneGeneratorIsDeterministicBySeed) {
    Scratch dir;
    scangen::Scene scene;
    scene.traces = 50;
    scene.noise = 0.02;
    scene.bars = {{60.0, 40.0}};
    scene.seed = 5;
    ASSERT_TRUE(scangen::writeRdd(scene, dir.path(QStringLiteral("A.RDD"))));
    ASSERT_TRUE(scangen::writeRdd(scene, dir.path(QStringLiteral("B.RDD"))));
    scene.seed = 6;
    ASSERT_TRUE(scangen::writeRdd(scene, dir.path(QStringLiteral("C.RDD"))));
    const QByteArray a = test::readFile(dir.path(QStringLiteral("A.RDD")));
    EXPECT_EQ(a, test::readFile(dir.path(QStringLiteral("B.RDD"))));
    EXPECT_NE(a, test::readFile(dir.path(QStringLiteral("C.RDD"))));
    EXPECT_EQ(a.size(), test::readFile(dir.path(QStringLiteral("C.RDD"))).size());
}
