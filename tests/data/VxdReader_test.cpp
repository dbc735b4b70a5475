#include "ReaderFixtures.h"
#include "base/DateText.h"
#include "data/VxdReader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

using namespace rebar;
using rebar::test::Opened;
using rebar::test::Scratch;

namespace {

using ValueFn = std::function<int32_t(int trace, int sample)>;
using Mark = std::array<int32_t, 3>; // identifier, X, Y

int32_t numbered(int t, int v) {
    return v == 0 ? 0 : (t * 31 + v * 7) % 4000 - 2000;
}

// A VXD file: header records (the counts first, then extra), "END", then the data of `traces`
// traces (0, -1, -3, 1..traces) and the marks, binary (big-endian) or as decimal text.
QByteArray vxd(bool binary, int traces, const QByteArray& extra = {},
               const std::vector<Mark>& marks = {}, const ValueFn& value = numbered) {
    QByteArray b = "\"Ser No.\",\"940-0042\"\r\n\"X Data Size\"," + QByteArray::number(traces) +
                   "\r\n\"Marks\"," + QByteArray::number(qsizetype(marks.size())) + "\r\n" + extra +
                   "\"END\",\"\"\r\n";
    std::vector<int> order{0, -1, -3};
    for (int k = 1; k <= traces; ++k)
        order.push_back(k);
    for (int t : order)
        for (int v = 0; v <= 768; ++v) {
            if (binary) {
                test::appendBE16(b, value(t, v));
            } else {
                b += QByteArray::number(value(t, v));
                b += v < 768 ? "," : "\r\n";
            }
        }
    for (const Mark& m : marks) {
        if (binary) {
            for (int32_t x : m)
                test::appendBE32(b, x);
        } else {
            b += QByteArray::number(m[0]) + ',' + QByteArray::number(m[1]) + ',' +
                 QByteArray::number(m[2]) + "\r\n";
        }
    }
    return b;
}

Opened openVxd(const Scratch& dir, bool binary, const QByteArray& bytes) {
    return test::openBytes(dir, binary ? QStringLiteral("B0001.VXD") : QStringLiteral("T0001.VXD"),
                           bytes);
}

void expectRefused(const Opened& o, const QString& stage, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(o.ok());
    EXPECT_EQ(o.r.LoadStage, stage);
    EXPECT_FALSE(o.res.reason.isEmpty());
}

} // namespace

TEST(VxdReader, HeaderRecords) {
    Scratch dir;
    const QByteArray extra = "\"NOTE\",\"first@@second, with a comma\"\r\n"
                             "\"Date\",\"2024/06/04\"\r\n\"Time\",\"13:20:00\"\r\n"
                             "\"DataNo\",12\r\n\"Y Data Size\",768\r\n\"X Scale\",1\r\n"
                             "\"X Adjust\",-3\r\n\"Sensitivity\",7\r\n\"Y Scale\",8.9\r\n"
                             "\"Color\",15\r\n\"Handle\",-1\r\n\"Direction\",-1\r\n"
                             "\"X Pitch\",2.5\r\n\"Processing\",2\r\n\"Prcs as MS\",1\r\n"
                             "\"Processing Line\",4\r\n\"Peak\",1\r\n\"Tire Op\",2\r\n"
                             "\"ViewRange\",5\r\n\"X Unit\",\"2\"\r\n\"Y Unit\",\"3\"\r\n"
                             "\"Unknown Key\",\"whatever\"\r\n\"marks\",\"x\"\r\n";
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const Opened o = openVxd(dir, binary, vxd(binary, 6, extra));
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        const MeasurementRecord& r = o.r;
        EXPECT_EQ(r.FileKind, KindVxd);
        EXPECT_EQ(r.SerialNo, "940-0042");
        EXPECT_EQ(r.Note, "first\r\nsecond, with a comma");
        EXPECT_EQ(r.MeasureDate, ShortDateText(QDate(2024, 6, 4)));
        EXPECT_EQ(r.MeasureTime, "13:20:00");
        EXPECT_EQ(r.DataNo, 12);
        EXPECT_EQ(r.TraceCount, 6);
        EXPECT_EQ(r.XDataSize, 6);
        EXPECT_EQ(r.YDataSize, 768);
        EXPECT_EQ(r.XScale, 1);
        EXPECT_EQ(r.XAdjust, -3);
        EXPECT_EQ(r.Gain, 3);
        EXPECT_EQ(r.GainMode, 1);
        EXPECT_EQ(r.Permittivity, static_cast<double>(8.9f));
        EXPECT_EQ(r.PermittivityPreset, 2);
        EXPECT_EQ(r.ColorCode, 1); // 15 - 10 = 5, the first offset gradation
        EXPECT_EQ(r.Handle, 0);
        EXPECT_EQ(r.Direction, 0);
        EXPECT_EQ(r.XPitch, 2.5f);
        EXPECT_EQ(r.ProcCode, 3);
        EXPECT_EQ(r.PrcsAsMS, 1);
        EXPECT_EQ(r.ProcessingLine, 4);
        EXPECT_EQ(r.PeakFlag, 1);
        EXPECT_EQ(r.TireOption, 2);
        EXPECT_EQ(r.ViewRange, 5);
        EXPECT_EQ(r.XUnit, "m");
        EXPECT_EQ(r.YUnit, "inch");
        EXPECT_EQ(r.AutoGainReady, 0);
        EXPECT_EQ(o.maxTraces, 6000);
        EXPECT_TRUE(r.LoadStage.isEmpty());
    }
}

TEST(VxdReader, ValuesOutsideTheirTablesLeaveTheField) {
    Scratch dir;
    auto open = [&](const QByteArray& extra) {
        MeasurementRecord r;
        SetRecordPath(r, dir.write(QStringLiteral("B0002.VXD"), vxd(true, 2, extra)));
        r.FileKind = KindVxd;
        r.Gain = 6;
        r.GainMode = 1;
        r.ColorCode = 11;
        r.ProcCode = 6;
        r.XUnit = QStringLiteral("m");
        r.YUnit = QStringLiteral("cm");
        r.MarkerGroup = 2;
        const ReadResult res = ReadVxd(r, ReadContext{});
        EXPECT_TRUE(res.ok) << qPrintable(res.reason);
        return r;
    };
    MeasurementRecord r = open("\"Sensitivity\",12\r\n\"Color\",25\r\n\"Processing\",6\r\n"
                               "\"X Unit\",\"02\"\r\n\"Y Unit\",\"5\"\r\n");
    EXPECT_EQ(r.Gain, 6);
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.ColorCode, 11);
    EXPECT_EQ(r.ProcCode, 6);
    EXPECT_EQ(r.XUnit, "m");
    EXPECT_EQ(r.YUnit, "cm");
    EXPECT_EQ(r.MarkerGroup, 0); // "Marks" starts the view at group 0

    r = open("\"Sensitivity\",0\r\n\"Color\",9\r\n\"Processing\",5\r\n\"Y Scale\",0\r\n"
             "\"Direction\",1\r\n\"Handle\",1\r\n\"X Unit\",\"4\"\r\n");
    EXPECT_EQ(r.Gain, 1);
    EXPECT_EQ(r.GainMode, 0);
    EXPECT_EQ(r.ColorCode, 9);
    EXPECT_EQ(r.ProcCode, 0);
    EXPECT_EQ(r.PermittivityPreset, 7);
    EXPECT_EQ(r.Direction, 1);
    EXPECT_EQ(r.Handle, 1);
    EXPECT_EQ(r.XUnit, "ns");
    // Keys are compared exactly, trailing blanks removed.
    r = open("\"Sensitivity  \",4\r\n\"color\",3\r\n");
    EXPECT_EQ(r.Gain, 5);
    EXPECT_EQ(r.ColorCode, 11);
}

TEST(VxdReader, BinaryAndTextVariantsHoldTheSameRecord) {
    Scratch dir;
    scangen::Scene s;
    s.traces = 60;
    s.er = 7.4;
    s.bars = {{50, 40}, {100, 45}, {125, 60}};
    s.markGroups = 3;
    s.processingLine = 17;
    s.noise = 0.02;
    const QString b = dir.path(QStringLiteral("B0003.VXD"));
    const QString t = dir.path(QStringLiteral("T0003.VXD"));
    ASSERT_TRUE(scangen::writeVxd(s, b, true));
    ASSERT_TRUE(scangen::writeVxd(s, t, false));
    const Opened ob = test::openFile(b);
    const Opened ot = test::openFile(t);
    ASSERT_TRUE(ob.ok()) << qPrintable(ob.res.reason);
    ASSERT_TRUE(ot.ok()) << qPrintable(ot.res.reason);
    for (const Opened* o : {&ob, &ot}) {
        const MeasurementRecord& r = o->r;
        EXPECT_EQ(r.ProcessingLine, 17);
        for (int v = 0; v <= 768; ++v) {
            // Trace -3 is the flagged trace as stored; the copy keeps the measured traces only.
            ASSERT_EQ(r.Raw940(-3, v), r.Raw940(17, v));
            ASSERT_EQ(r.Raw940A(17, v), r.Raw940(17, v));
            ASSERT_EQ(r.Raw940A(-3, v), 0);
            ASSERT_EQ(r.Raw940A(0, v), 0);
        }
        EXPECT_EQ(r.Raw940(17, 0), -3);
        EXPECT_EQ(r.Marks940[0][1].X, 20);
        EXPECT_EQ(r.Marks940[1][1].X, 40);
        EXPECT_EQ(r.Marks940[2][1].X, 50);
        EXPECT_EQ(r.Marks940[2][1].InUse, FlagTrue);
        EXPECT_EQ(r.Marks940[0][2].InUse, 0);
    }
    for (int t2 = -3; t2 <= 60; ++t2)
        for (int v = 0; v <= 768; ++v) {
            ASSERT_EQ(ob.r.Raw940(t2, v), ot.r.Raw940(t2, v)) << t2 << " " << v;
            ASSERT_EQ(ob.r.Samples940(t2, 2 * v), ot.r.Samples940(t2, 2 * v));
        }
    // The double density of both matrices.
    EXPECT_EQ(ob.r.Samples940(30, 1535), ob.r.Raw940(30, 768));
    EXPECT_EQ(ob.r.Samples940(30, 1536), ob.r.Samples940(30, 1534));
    EXPECT_EQ(ob.r.Samples940A(30, 99), ob.r.Raw940A(30, 50));
}

TEST(VxdReader, MarkIdentifiersToGroups) {
    Scratch dir;
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const Opened o = openVxd(dir, binary,
                                 vxd(binary, 3, {},
                                     {{205, 40, 300},
                                      {1, 2, 3},
                                      {99, 4, 5},
                                      {101, 6, 7},
                                      {199, 8, 9},
                                      {299, 10, 11},
                                      {250, -6, 12}}));
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        const auto& m = o.r.Marks940;
        EXPECT_EQ(m[2][5].InUse, FlagTrue);
        EXPECT_EQ(m[2][5].X, 40);
        EXPECT_EQ(m[2][5].Y, 300);
        EXPECT_EQ(m[0][1].X, 2);
        EXPECT_EQ(m[0][99].Y, 5);
        EXPECT_EQ(m[1][1].X, 6);
        EXPECT_EQ(m[1][99].X, 8);
        EXPECT_EQ(m[2][99].X, 10);
        EXPECT_EQ(m[2][50].X, -6);
        EXPECT_EQ(m[0][5].InUse, 0);
        EXPECT_EQ(o.r.MarkCount, 7);

        const QString stage = binary ? Stage::Data002 : Stage::Data102;
        for (int32_t id : {100, 200, 300, 0, -1, 399}) {
            SCOPED_TRACE(id);
            expectRefused(openVxd(dir, binary, vxd(binary, 3, {}, {{1, 2, 3}, {id, 1, 1}})), stage,
                          "mark number outside 1..99");
        }
    }
    // Only the low 16 bits of each binary mark value count.
    QByteArray b = vxd(true, 2, {}, {{0x00010005, 0x7FFF0010, int32_t(0xFFFF0020)}});
    const Opened o = openVxd(dir, true, b);
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    EXPECT_EQ(o.r.Marks940[0][5].X, 16);
    EXPECT_EQ(o.r.Marks940[0][5].Y, 32);
}

TEST(VxdReader, MoreTracesThanKeptReadsTheLastOnesAndMovesTheMarks) {
    Scratch dir;
    auto value = [](int t, int v) -> int32_t { return v <= 1 ? t % 30000 : 0; };
    // Marks on file traces 6500 (held as 5500), 1001 (the first held) and 10 (passed over).
    const std::vector<Mark> marks{{205, 6500, 300}, {3, 10, 20}, {104, 1001, 7}};
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const Opened o = openVxd(dir, binary, vxd(binary, 7000, {}, marks, value));
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        EXPECT_EQ(o.r.XDataSize, 7000);
        EXPECT_EQ(o.r.TraceCount, 6000);
        EXPECT_EQ(o.r.SkippedTraces, 1000);
        EXPECT_EQ(o.maxTraces, 6000);
        EXPECT_EQ(o.r.Raw940.lastTrace(), 6000);
        for (int t : {0, -1})
            ASSERT_EQ(o.r.Raw940(t, 1), t) << t;
        for (int k : {1, 2, 3000, 6000})
            ASSERT_EQ(o.r.Raw940(k, 1), k + 1000) << k;
        EXPECT_EQ(o.r.Marks940[2][5].X, 5500);
        EXPECT_EQ(o.r.Marks940[2][5].Y, 300);
        EXPECT_EQ(o.r.Marks940[1][4].X, 1);
        EXPECT_EQ(o.r.Marks940[0][3].InUse, 0);
    }
}

TEST(VxdReader, ProgressOfReadingAndResampling) {
    Scratch dir;
    const Opened o = openVxd(dir, true, vxd(true, 5000));
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.reports, (std::vector<int>{6, 12, 18, 24, 32, 40, 44, 48, 52, 56}));
    EXPECT_LT(o.pumps, 2 * 5000 / 8);
    const Opened t = openVxd(dir, false, vxd(false, 1500));
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t.reports, (std::vector<int>{6, 35, 40, 63}));
}

TEST(VxdReader, RefusedWithTheStageReached) {
    Scratch dir;
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const QString data1 = binary ? Stage::Data001 : Stage::Data101;
        const QByteArray good = vxd(binary, 4, {}, {{1, 2, 3}});
        ASSERT_TRUE(openVxd(dir, binary, good).ok());
        QByteArray noEnd = good;
        noEnd.replace("\"END\"", "\"ENDE\"");
        expectRefused(openVxd(dir, binary, noEnd.left(120)), Stage::Header001, "no END");
        expectRefused(openVxd(dir, binary, vxd(binary, 4, "\"DataNo\",12x\r\n")), Stage::Header001,
                      "not a number");
        expectRefused(openVxd(dir, binary, vxd(binary, 4, "\"DataNo\",40000\r\n")),
                      Stage::Header001, "16-bit value out of range");
        expectRefused(openVxd(dir, binary, vxd(binary, 4, "\"Date\",\"someday\"\r\n")),
                      Stage::Header001, "not a date");
        expectRefused(openVxd(dir, binary, vxd(binary, 0)), Stage::Header001, "no traces");
        QByteArray negativeMarks = good;
        negativeMarks.replace("\"Marks\",1", "\"Marks\",-1");
        expectRefused(openVxd(dir, binary, negativeMarks), Stage::Header001, "negative marks");

        // Counts beyond the file: refused before anything large is allocated.
        QByteArray inflated = good;
        inflated.replace("\"X Data Size\",4", "\"X Data Size\",2000000000");
        Opened o = openVxd(dir, binary, inflated);
        expectRefused(o, data1, "two thousand million traces");
        EXPECT_TRUE(o.r.Raw940.empty());
        inflated = good;
        inflated.replace("\"Marks\",1", "\"Marks\",30000");
        expectRefused(openVxd(dir, binary, inflated), binary ? data1 : Stage::Data102,
                      "more marks than the file holds");
        QByteArray oneMore = good;
        oneMore.replace("\"X Data Size\",4", "\"X Data Size\",5");
        expectRefused(openVxd(dir, binary, oneMore), data1, "one trace more than the data");
    }
    // Text data that is not a number, or missing.
    QByteArray t = vxd(false, 3);
    t.replace(t.lastIndexOf(",0,") + 1, 1, "x");
    expectRefused(openVxd(dir, false, t), Stage::Data101, "text field not a number");
    expectRefused(openVxd(dir, false, vxd(false, 3).left(3000)), Stage::Data101, "text cut short");
    expectRefused(openVxd(dir, false, vxd(false, 3, {}, {{1, 2, 3}}).chopped(4)), Stage::Data102,
                  "mark cut short");
    // The block of a binary file may not reach back into the header.
    QByteArray b = vxd(true, 3);
    expectRefused(openVxd(dir, true, b.remove(b.indexOf("\"END\"") + 9, 3)), Stage::Data001,
                  "block overlapping the header");

    MeasurementRecord missing;
    SetRecordPath(missing, dir.path(QStringLiteral("B_none.VXD")));
    EXPECT_FALSE(ReadVxd(missing, ReadContext{}).ok);
    EXPECT_EQ(missing.LoadStage, Stage::Open001);
    MeasurementRecord lower;
    SetRecordPath(lower, dir.write(QStringLiteral("b0001.VXD"), vxd(true, 2)));
    EXPECT_FALSE(ReadVxd(lower, ReadContext{}).ok);
    EXPECT_EQ(lower.LoadStage, Stage::Open001);
}

TEST(VxdReader, CutFilesAreRefusedAtTheStageOfTheCut) {
    Scratch dir;
    const std::vector<Mark> marks{{1, 2, 3}, {102, 4, 5}};
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const QByteArray full = vxd(binary, 3, "\"NOTE\",\"x\"\r\n", marks);
        const qsizetype endKey = full.indexOf("\"END\"") + 5; // the END record without its value
        const qsizetype markStart = full.size() - (binary ? 24 : 14);
        for (qsizetype len = 0; len < full.size(); len += len < endKey + 10 ? 3 : 101) {
            SCOPED_TRACE(len);
            const Opened o = openVxd(dir, binary, full.left(len));
            if (len <= endKey) {
                expectRefused(o, Stage::Header001, "cut in the header");
            } else if (binary) {
                // The block is found from the end: a cut leaves it reaching into the header.
                if (len <= full.size() - 3)
                    expectRefused(o, Stage::Data001, "cut in the data");
            } else if (len < markStart - 10) {
                expectRefused(o, Stage::Data101, "cut in the traces");
            } else if (len >= markStart && len < full.size() - 6) {
                expectRefused(o, Stage::Data102, "cut in the marks");
            }
        }
    }
}

TEST(VxdReader, DoubleDensityOverflowShowsItsStage) {
    Scratch dir;
    // Two neighbouring samples adding up beyond 32 bits (possible only in the text variant).
    auto big = [](int t, int v) -> int32_t {
        return t == 2 && (v == 300 || v == 301) ? 2000000000 : numbered(t, v);
    };
    const Opened o = openVxd(dir, false, vxd(false, 3, {}, {}, big));
    expectRefused(o, Stage::Data201, "32-bit overflow");
    EXPECT_EQ(openVxd(dir, false,
                      vxd(false, 3, {}, {},
                          [](int t, int v) -> int32_t {
                              return t == 2 && v == 300 ? 2000000000 : numbered(t, v);
                          }))
                  .r.LoadStage,
              QString());
}
