#include "ReaderFixtures.h"
#include "data/RecordWriters.h"
#include "data/ZvxReader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace rebar;
using rebar::test::Opened;
using rebar::test::Scratch;
using H = rebar::ZvxHeader;
using test::getLE;
using test::putLE;

namespace {

// Word w of the record of trace t (t = 0, -1, -3 or a measured trace) in zvxFile.
int16_t pattern(int t, int w) {
    return static_cast<int16_t>((t * 7919 + w * 13) % 20000 - 10000);
}

// A ZVX file announcing `stored` traces and holding `records` measured-trace records (plus the
// three special records), every word filled from pattern().
QByteArray zvxFile(int32_t stored, int records, int16_t identifier = -4) {
    QByteArray b(ZvxLayout::OffMeasured + qint64(records) * ZvxLayout::RecordBytes, '\0');
    putLE<int16_t>(b, 0, identifier);
    putLE<int32_t>(b, H::OffStoredTraces, stored);
    auto record = [&b](int t, qint64 off) {
        for (int w = 0; w < ZvxLayout::WordsPerRecord; ++w)
            putLE<int16_t>(b, off + 2 * w, pattern(t, w));
    };
    record(0, ZvxLayout::OffTrace0);
    record(-1, ZvxLayout::OffTraceMinus1);
    record(-3, ZvxLayout::OffTraceMinus3);
    for (int k = 1; k <= records; ++k)
        record(k, ZvxLayout::OffMeasured + (k - 1) * ZvxLayout::RecordBytes);
    return b;
}

// A kind 10 file of a small scene with comments, GPS texts, options and marks in every group.
scangen::Scene smallScene(int traces = 40) {
    scangen::Scene s;
    s.traces = traces;
    s.er = 8.9;
    s.bars = {{25, 40}, {50, 45}, {75, 50}, {90, 55}};
    s.markGroups = 3;
    s.gain = 5;
    s.gainMode = 1;
    s.colorCode = 7;
    s.direction = 1;
    s.viewRange = 4;
    s.procCode = 3;
    s.xUnit = QStringLiteral("mm");
    s.yUnit = QStringLiteral("inch");
    s.tireOption = 2;
    s.speedOption = 3;
    s.processingLine = 5;
    s.latitude = QStringLiteral("35.681236");
    s.longitude = QStringLiteral("139.767125");
    s.company = QStringLiteral("東日本検査株式会社");
    s.site = QStringLiteral("第二高架橋");
    s.worker = QStringLiteral("山田 太郎");
    s.part = QStringLiteral("床版下面");
    s.measureDirection = 3;
    return s;
}

QByteArray sceneZvx(const scangen::Scene& s, int32_t kind = KindZvx4) {
    Scratch dir;
    const QString path = dir.path(QStringLiteral("S.ZVX"));
    EXPECT_TRUE(scangen::writeZvx(s, path, kind));
    return test::readFile(path);
}

// The display values as read become what a save writes (the open sequence's first step).
void keepAsRead(MeasurementRecord& r) {
    r.Saved = {static_cast<float>(r.Permittivity),
               static_cast<int16_t>(r.ColorCode),
               r.Direction,
               r.GainMode,
               r.Gain,
               r.ViewRange,
               r.ProcCode,
               r.XUnit,
               r.YUnit};
}

bool isDisplayByte(int off) {
    return (off >= H::OffPermittivity && off < H::OffPermittivity + 4) ||
           (off >= H::OffGainStep && off <= H::OffProcCode) || off == H::OffColorCode ||
           off == H::OffDirection || off == H::OffXUnit || off == H::OffYUnit ||
           (off >= H::OffMarkSlots && off < H::OffMarkSlots + 300 * 8 &&
            (off - H::OffMarkSlots) % 8 < 7);
}

} // namespace

TEST(ZvxReader, HeaderFieldsFromTheirOffsetsAndCodeTables) {
    Scratch dir;
    const scangen::Scene s = smallScene();
    const QByteArray file = sceneZvx(s);
    const Opened o = test::openBytes(dir, QStringLiteral("A.ZVX"), file);
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    const MeasurementRecord& r = o.r;
    EXPECT_EQ(r.FileKind, KindZvx4);
    EXPECT_EQ(r.SerialNo, s.serialNo);
    EXPECT_EQ(r.MeasureDate, "2024/05/17");
    EXPECT_EQ(r.DataNo, 1);
    EXPECT_EQ(r.TraceCount, 40);
    EXPECT_EQ(r.XDataSize, 40);
    EXPECT_EQ(r.YDataSize, 768);
    EXPECT_EQ(r.Permittivity, static_cast<double>(8.9f));
    EXPECT_EQ(r.PermittivityPreset, 2);
    EXPECT_EQ(r.Gain, 5);
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.ColorCode, 7);
    EXPECT_EQ(r.Direction, 1);
    EXPECT_EQ(r.ViewRange, 4);
    EXPECT_EQ(r.ProcCode, 3);
    EXPECT_EQ(r.ProcessingLine, 5);
    EXPECT_EQ(r.XPitch, 2.5f);
    EXPECT_EQ(r.XUnit, "mm");
    EXPECT_EQ(r.YUnit, "inch");
    EXPECT_EQ(r.TireOption, 2);
    EXPECT_EQ(r.SpeedOption, 3);
    EXPECT_EQ(r.AutoGainReady, 0);
    EXPECT_EQ(o.maxTraces, 6000);
    EXPECT_TRUE(r.LoadStage.isEmpty());
    EXPECT_EQ(QString::fromUtf8(r.Zvx.text(H::OffComment1, H::LenComment1)), s.company);
    EXPECT_EQ(QString::fromUtf8(r.Zvx.text(H::OffComment3, H::LenComment3)), s.worker);
    EXPECT_EQ(r.Zvx.MeasureDirection(), 3);
    EXPECT_EQ(r.Zvx.text(H::OffLatitude, H::LenLatitude), "35.681236");

    // Bytes changed one at a time; the record starts from values a code outside its table
    // must leave alone.
    auto patched = [&](std::initializer_list<std::pair<int, uint8_t>> bytes) {
        QByteArray b = file;
        for (auto [off, v] : bytes)
            b[off] = static_cast<char>(v);
        MeasurementRecord start;
        start.ProcCode = 4;
        start.ColorCode = 9;
        start.XUnit = QStringLiteral("m");
        start.YUnit = QStringLiteral("cm");
        SetRecordPath(start, dir.write(QStringLiteral("P.ZVX"), b));
        start.FileKind = KindZvx4;
        int16_t maxTraces = 0;
        ReadContext ctx;
        ctx.MaxTraces = &maxTraces;
        const ReadResult res = ReadZvx(start, ctx);
        EXPECT_TRUE(res.ok) << qPrintable(res.reason);
        return start;
    };
    EXPECT_EQ(patched({{H::OffColorCode, 5}}).ColorCode, 1);
    EXPECT_EQ(patched({{H::OffColorCode, 11}}).ColorCode, 11);
    EXPECT_EQ(patched({{H::OffColorCode, 12}}).ColorCode, 9);
    EXPECT_EQ(patched({{H::OffProcCode, 10}}).ProcCode, 6);
    EXPECT_EQ(patched({{H::OffProcCode, 5}}).ProcCode, 0);
    EXPECT_EQ(patched({{H::OffProcCode, 7}}).ProcCode, 4);
    EXPECT_EQ(patched({{H::OffGainBand, 5}}).GainMode, 1);
    EXPECT_EQ(patched({{H::OffGainBand, 0}}).GainMode, 0);
    EXPECT_EQ(patched({{H::OffXUnit, 4}, {H::OffYUnit, 5}}).XUnit, "ns");
    EXPECT_EQ(patched({{H::OffYUnit, 5}}).YUnit, "cm");
    const MeasurementRecord timeAxis = patched({{116, 0}, {117, 0}, {118, 0}, {119, 0}});
    EXPECT_EQ(timeAxis.PermittivityPreset, 7);
    EXPECT_EQ(timeAxis.Permittivity, 0.0);
}

TEST(ZvxReader, KindOptionsAndDataNumberChecks) {
    Scratch dir;
    const QByteArray file = sceneZvx(smallScene(12));
    auto open = [&](int off, std::initializer_list<uint8_t> bytes) {
        QByteArray b = file;
        int i = 0;
        for (uint8_t v : bytes)
            b[off + i++] = static_cast<char>(v);
        return test::openBytes(dir, QStringLiteral("K.ZVX"), b);
    };
    EXPECT_EQ(open(0, {0xFD, 0xFF}).r.FileKind, KindZvx3); // -3
    EXPECT_EQ(open(0, {0xFC, 0xFF}).r.FileKind, KindZvx4); // -4
    EXPECT_EQ(open(0, {0, 0}).r.FileKind, KindZvx4);
    EXPECT_EQ(open(0, {7, 1}).r.FileKind, KindZvx4);

    // The tyre caption group has three entries, the speed group four.
    EXPECT_TRUE(open(H::OffTireOption, {2}).ok());
    EXPECT_FALSE(open(H::OffTireOption, {3}).ok());
    EXPECT_TRUE(open(H::OffSpeedOption, {3}).ok());
    EXPECT_FALSE(open(H::OffSpeedOption, {4}).ok());
    EXPECT_FALSE(open(H::OffSpeedOption, {255}).ok());
    // The data number is 32 bits in the file, 16 in the record.
    EXPECT_EQ(open(H::OffDataNo, {0xFF, 0x7F, 0, 0}).r.DataNo, 32767);
    EXPECT_FALSE(open(H::OffDataNo, {0, 0x80, 0, 0}).ok());
    EXPECT_EQ(open(H::OffDataNo, {0, 0x80, 0xFF, 0xFF}).r.DataNo, -32768);
    // Refused reads carry no stage code.
    EXPECT_TRUE(open(H::OffTireOption, {3}).r.LoadStage.isEmpty());
}

TEST(ZvxReader, DirectionByteOtherThanOneReadsZeroAndIsSavedAsZero) {
    Scratch dir;
    QByteArray file = sceneZvx(smallScene(12));
    file[H::OffDirection] = 2;
    Opened o = test::openBytes(dir, QStringLiteral("D.ZVX"), file);
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.r.Direction, 0);
    EXPECT_EQ(o.r.Zvx.Bytes[H::OffDirection], 0);
    keepAsRead(o.r);
    const QString saved = dir.path(QStringLiteral("D2.ZVX"));
    ASSERT_TRUE(WriteZvx(o.r, saved));
    EXPECT_EQ(test::readFile(saved)[H::OffDirection], 0);

    file[H::OffDirection] = 1;
    EXPECT_EQ(test::openBytes(dir, QStringLiteral("D.ZVX"), file).r.Direction, 1);
}

TEST(ZvxReader, MarkSlotsToTheirGroups) {
    Scratch dir;
    scangen::Scene s = smallScene(12);
    s.markBars = false;
    QByteArray file = sceneZvx(s);
    auto slot = [&file](int index, int32_t x, int16_t y) {
        putLE<int32_t>(file, H::OffMarkSlots + index * 8, x);
        putLE<int16_t>(file, H::OffMarkSlots + index * 8 + 4, y);
    };
    slot(0, 3, 100);    // group 0 mark 1
    slot(98, 4, 101);   // group 0 mark 99
    slot(99, 5, 102);   // group 1 mark 1
    slot(197, 6, 103);  // group 1 mark 99
    slot(198, 7, 104);  // not used
    slot(199, 8, 105);  // group 2 mark 1
    slot(297, 9, 106);  // group 2 mark 99
    slot(298, 10, 107); // not used
    slot(299, 11, 108); // not used
    slot(10, 0, 109);   // position 0: free
    slot(11, -4, 110);  // negative: free
    const Opened o = test::openBytes(dir, QStringLiteral("M.ZVX"), file);
    ASSERT_TRUE(o.ok());
    const auto& m = o.r.Marks940;
    auto expectMark = [&m](int g, int i, int32_t x, int32_t y) {
        SCOPED_TRACE(testing::Message() << "group " << g << " mark " << i);
        EXPECT_EQ(m[g][i].InUse, FlagTrue);
        EXPECT_EQ(m[g][i].X, x);
        EXPECT_EQ(m[g][i].Y, y);
    };
    expectMark(0, 1, 3, 100);
    expectMark(0, 99, 4, 101);
    expectMark(1, 1, 5, 102);
    expectMark(1, 99, 6, 103);
    expectMark(2, 1, 8, 105);
    expectMark(2, 99, 9, 106);
    EXPECT_EQ(m[0][11].InUse, 0);
    EXPECT_EQ(m[0][12].InUse, 0);
    int used = 0;
    for (int g = 0; g < 3; ++g)
        for (int i = 1; i <= 99; ++i) {
            used += m[g][i].InUse != 0;
            EXPECT_NE(m[g][i].X, 7); // slot 198 is never read
            EXPECT_NE(m[g][i].X, 10);
            EXPECT_NE(m[g][i].X, 11);
        }
    EXPECT_EQ(used, 6);
}

TEST(ZvxReader, TracesFromTheirRecords) {
    Scratch dir;
    const QByteArray file = zvxFile(5, 5);
    const Opened o = test::openBytes(dir, QStringLiteral("T.ZVX"), file);
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    const MeasurementRecord& r = o.r;
    ASSERT_EQ(r.TraceCount, 5);
    // Special traces: word 0 and words 769..1536; their second channel stays zero.
    for (int t : {0, -1, -3}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(r.Raw940(t, 0), pattern(t, 0));
        for (int v = 1; v <= 768; ++v)
            ASSERT_EQ(r.Raw940(t, v), pattern(t, 768 + v)) << v;
        EXPECT_EQ(r.Raw940A(t, 100), 0);
    }
    EXPECT_EQ(r.Raw940(-2, 5), 0);
    // Measured traces: words 1..768 the second channel, 769..1536 the main one.
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(r.Raw940(k, 0), pattern(k, 0));
        EXPECT_EQ(r.Raw940A(k, 0), pattern(k, 0));
        for (int v = 1; v <= 768; ++v) {
            ASSERT_EQ(r.Raw940A(k, v), pattern(k, v)) << v;
            ASSERT_EQ(r.Raw940(k, v), pattern(k, 768 + v)) << v;
        }
    }
    // The header image holds the first bytes of the trace-0 record as the file has them.
    for (int off = 3072; off < H::Size; ++off)
        ASSERT_EQ(r.Zvx.Bytes[off], static_cast<uint8_t>(file[off])) << off;
    // The matrices cover exactly the traces.
    EXPECT_EQ(r.Samples940.firstTrace(), -3);
    EXPECT_EQ(r.Samples940A.lastTrace(), 5);
    EXPECT_EQ(r.Work940.firstTrace(), 1);
    EXPECT_EQ(r.Work940x2.lastSample(), 1536);
    EXPECT_TRUE(r.Raw730.empty());
}

TEST(ZvxReader, DoubleDensityOfBothChannels) {
    Scratch dir;
    const Opened o = test::openBytes(dir, QStringLiteral("DD.ZVX"), zvxFile(6, 6));
    ASSERT_TRUE(o.ok());
    const MeasurementRecord& r = o.r;
    for (int t = -1; t <= 6; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(r.Samples940(t, 1535), r.Raw940(t, 768));
        EXPECT_EQ(r.Samples940(t, 1536), r.Samples940(t, 1534));
        EXPECT_EQ(r.Samples940(t, 0), r.Raw940(t, 0));
        EXPECT_EQ(r.Samples940(t, 1), r.Raw940(t, 1));
        // The second channel is spread, not smoothed; its sample 0 stays 0.
        EXPECT_EQ(r.Samples940A(t, 0), 0);
        for (int k = 1; k < 768; ++k) {
            ASSERT_EQ(r.Samples940A(t, 2 * k - 1), r.Raw940A(t, k));
            ASSERT_EQ(r.Samples940A(t, 2 * k), r.Raw940A(t, k + 1));
        }
        EXPECT_EQ(r.Samples940A(t, 1536), r.Raw940A(t, 768));
    }
    for (int t : {-3, -2})
        for (int j : {0, 500, 1536}) {
            EXPECT_EQ(r.Samples940(t, j), 0);
            EXPECT_EQ(r.Samples940A(t, j), 0);
        }
}

TEST(ZvxReader, ProgressMilestonesOfTheResampling) {
    Scratch dir;
    // An exact milestone wins over the last-trace report.
    Opened o = test::openBytes(dir, QStringLiteral("P.ZVX"), zvxFile(5000, 5000));
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.reports, (std::vector<int>{40, 44, 48, 52, 56}));
    // Events run regularly, not after every one of the traces.
    EXPECT_GT(o.pumps, 5000 / 64);
    EXPECT_LT(o.pumps, 5000 / 8);

    o = test::openBytes(dir, QStringLiteral("P.ZVX"), zvxFile(2500, 2500));
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.reports, (std::vector<int>{40, 44, 63}));
    o = test::openBytes(dir, QStringLiteral("P.ZVX"), zvxFile(3, 3));
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.reports, (std::vector<int>{63}));
}

TEST(ZvxReader, MaxTracesFromTheFileSizeAndTracesFromTheRecordsHeld) {
    Scratch dir;
    // 7000 traces with their records: all read, the limit raised to 8000.
    Opened o = test::openBytes(dir, QStringLiteral("L.ZVX"), zvxFile(7000, 7000));
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    EXPECT_EQ(o.maxTraces, 8000);
    EXPECT_EQ(o.r.TraceCount, 7000);
    EXPECT_EQ(o.r.XDataSize, 7000);
    EXPECT_EQ(o.r.Raw940(7000, 768), pattern(7000, 1536));

    // 7000 announced, 5000 held: the limit stays 6000 and only the held records are read,
    // never anything past the end of the file.
    o = test::openBytes(dir, QStringLiteral("L.ZVX"), zvxFile(7000, 5000));
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    EXPECT_EQ(o.maxTraces, 6000);
    EXPECT_EQ(o.r.TraceCount, 5000);
    EXPECT_EQ(o.r.XDataSize, 7000);
    EXPECT_EQ(o.r.Raw940(5000, 1), pattern(5000, 769));

    // More than 8000 stored and held: the first 8000 are kept.
    o = test::openBytes(dir, QStringLiteral("L.ZVX"), zvxFile(9000, 8003));
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    EXPECT_EQ(o.maxTraces, 8000);
    EXPECT_EQ(o.r.TraceCount, 8000);
    EXPECT_EQ(o.r.XDataSize, 9000);

    // A partial record at the end does not count.
    QByteArray b = zvxFile(10, 10);
    b.chop(1);
    o = test::openBytes(dir, QStringLiteral("L.ZVX"), b);
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o.r.TraceCount, 9);
}

TEST(ZvxReader, RefusesFilesWithoutATraceToShow) {
    Scratch dir;
    const QByteArray full = zvxFile(3, 3);
    // Cut anywhere before the first measured record ends: refused; after it: the whole records
    // held are read.
    for (qsizetype len = 0; len < full.size(); len += len < 13000 ? 97 : 1031) {
        SCOPED_TRACE(len);
        const Opened o = test::openBytes(dir, QStringLiteral("C.ZVX"), full.left(len));
        const qint64 held = len < ZvxLayout::OffMeasured
                                ? 0
                                : (len - ZvxLayout::OffMeasured) / ZvxLayout::RecordBytes;
        if (held < 1) {
            EXPECT_FALSE(o.ok());
            EXPECT_FALSE(o.res.reason.isEmpty());
            EXPECT_TRUE(o.r.Raw940.empty());
        } else {
            ASSERT_TRUE(o.ok());
            EXPECT_EQ(o.r.TraceCount, held);
        }
    }
    // No traces announced.
    EXPECT_FALSE(test::openBytes(dir, QStringLiteral("Z.ZVX"), zvxFile(0, 3)).ok());
    EXPECT_FALSE(test::openBytes(dir, QStringLiteral("Z.ZVX"), zvxFile(-5, 3)).ok());
    // Two thousand million traces announced in a small file allocate nothing large.
    const Opened huge = test::openBytes(dir, QStringLiteral("Z.ZVX"), zvxFile(2000000000, 2));
    ASSERT_TRUE(huge.ok());
    EXPECT_EQ(huge.r.TraceCount, 2);
    EXPECT_EQ(huge.r.XDataSize, 2000000000);

    MeasurementRecord missing;
    SetRecordPath(missing, dir.path(QStringLiteral("none.ZVX")));
    EXPECT_FALSE(ReadZvx(missing, ReadContext{}).ok);
}

TEST(ZvxSave, Kind10KeepsEveryHeaderByteOutsideTheDisplayPart) {
    Scratch dir;
    QByteArray file = sceneZvx(smallScene(30));
    // Bytes the program does not interpret, filled so that losing any shows.
    for (int off : {2, 3, 4, 5, 6, 7, 144, 145, 146, 147, 150, 521, 522, 523})
        file[off] = static_cast<char>(off * 3 + 1);
    for (int off = 38; off < 58; ++off)
        file[off] = static_cast<char>('a' + off % 26);
    for (int off = 345; off < 521; ++off)
        file[off] = static_cast<char>(off & 0xFF);
    for (int off = 2924; off < 3072; ++off)
        file[off] = static_cast<char>(0xA5 ^ (off & 0xFF));
    for (int i = 0; i < 300; ++i)
        file[H::OffMarkSlots + 8 * i + 7] = static_cast<char>(i); // padding byte of each slot
    const QString first = dir.write(QStringLiteral("FIRST.ZVX"), file);

    Opened o = test::openFile(first);
    ASSERT_TRUE(o.ok());
    keepAsRead(o.r);
    const QString same = dir.path(QStringLiteral("SAME.ZVX"));
    ASSERT_TRUE(WriteZvx(o.r, same));
    // Nothing changed: the file comes back byte for byte.
    EXPECT_EQ(test::readFile(same), file);

    // Changed display settings change the display bytes and nothing else.
    o.r.Saved.Permittivity = 8.46f;
    o.r.Saved.ColorCode = 10;
    o.r.Saved.Gain = 2;
    o.r.Saved.GainMode = 0;
    o.r.Saved.ViewRange = 0;
    o.r.Saved.ProcCode = 6;
    o.r.Saved.Direction = 0;
    o.r.Saved.XUnit = QStringLiteral("cm");
    o.r.Saved.YUnit = QStringLiteral("ns");
    o.r.Marks940[0][2].InUse = 0;
    const QString changed = dir.path(QStringLiteral("CHANGED.ZVX"));
    ASSERT_TRUE(WriteZvx(o.r, changed));
    const QByteArray c = test::readFile(changed);
    ASSERT_EQ(c.size(), file.size());
    for (int off = 0; off < H::Size; ++off)
        if (!isDisplayByte(off)) {
            ASSERT_EQ(c[off], file[off]) << "header byte " << off;
        }
    EXPECT_EQ(c.mid(H::Size), file.mid(H::Size));
    EXPECT_EQ(getLE<float>(c, H::OffPermittivity), 8.5f); // 8.46 is stored as 8.5

    const Opened back = test::openFile(changed);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.r.Permittivity, static_cast<double>(8.5f));
    EXPECT_EQ(back.r.ColorCode, 10);
    EXPECT_EQ(back.r.Gain, 2);
    EXPECT_EQ(back.r.ProcCode, 6);
    EXPECT_EQ(back.r.XUnit, "cm");
    EXPECT_EQ(back.r.YUnit, "ns");
    EXPECT_EQ(back.r.Marks940[0][2].InUse, 0);
    EXPECT_EQ(back.r.Marks940[0][1].InUse, FlagTrue);
    EXPECT_EQ(back.r.Marks940[1][1].InUse, FlagTrue);
    EXPECT_EQ(QString::fromUtf8(back.r.Zvx.text(H::OffComment2, H::LenComment2)),
              QStringLiteral("第二高架橋"));
}

TEST(ZvxSave, VxdRecordSavedAsZvxReadsBackAsKind9) {
    Scratch dir;
    scangen::Scene s = smallScene(25);
    const QString vxd = dir.path(QStringLiteral("B0001.VXD"));
    ASSERT_TRUE(scangen::writeVxd(s, vxd, true));
    Opened o = test::openFile(vxd);
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    ASSERT_EQ(o.r.FileKind, KindVxd);
    keepAsRead(o.r);
    const QString zvx = dir.path(QStringLiteral("B0001.ZVX"));
    ASSERT_TRUE(WriteZvx(o.r, zvx));
    EXPECT_EQ(o.r.FileKind, KindZvx3);

    const QByteArray bytes = test::readFile(zvx);
    EXPECT_EQ(getLE<int16_t>(bytes, 0), -3);
    for (int k = 1; k <= 25; ++k)
        for (int w : {1, 400, 768})
            ASSERT_EQ(getLE<int16_t>(bytes, ZvxLayout::OffMeasured + (k - 1) * 3074 + 2 * w), 0);

    const Opened back = test::openFile(zvx);
    ASSERT_TRUE(back.ok()) << qPrintable(back.res.reason);
    EXPECT_EQ(back.r.FileKind, KindZvx3);
    EXPECT_EQ(back.r.TraceCount, 25);
    EXPECT_EQ(back.r.SerialNo.trimmed(), s.serialNo);
    EXPECT_EQ(back.r.ProcessingLine, 5);
    EXPECT_EQ(back.r.TireOption, 2);
    for (int k = 1; k <= 25; ++k)
        for (int v = 0; v <= 768; ++v) {
            ASSERT_EQ(back.r.Raw940(k, v), o.r.Raw940(k, v));
            ASSERT_EQ(back.r.Raw940A(k, v), v == 0 ? o.r.Raw940(k, 0) : 0);
        }
    for (int g = 0; g < 3; ++g)
        for (int i = 1; i <= 99; ++i) {
            EXPECT_EQ(back.r.Marks940[g][i].InUse, o.r.Marks940[g][i].InUse);
            EXPECT_EQ(back.r.Marks940[g][i].X, o.r.Marks940[g][i].X);
        }
}

TEST(ZvxSave, LongVxdRecordReadsBackAsItWasKept) {
    // A VXD file of 7000 traces keeps 6000; its ZVX announces the 7000 and holds 6000 records.
    Scratch dir;
    scangen::Scene s;
    s.traces = 7000;
    s.bars = {{100, 40}, {17000, 50}};
    const QString vxd = dir.path(QStringLiteral("B7000.VXD"));
    ASSERT_TRUE(scangen::writeVxd(s, vxd, true));
    Opened o = test::openFile(vxd);
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    EXPECT_EQ(o.r.TraceCount, 6000);
    EXPECT_EQ(o.r.XDataSize, 7000);
    keepAsRead(o.r);
    const QString zvx = dir.path(QStringLiteral("B7000.ZVX"));
    ASSERT_TRUE(WriteZvx(o.r, zvx));

    const Opened back = test::openFile(zvx);
    ASSERT_TRUE(back.ok()) << qPrintable(back.res.reason);
    EXPECT_EQ(back.r.TraceCount, 6000);
    EXPECT_EQ(back.r.XDataSize, 7000);
    EXPECT_EQ(back.r.Raw940(6000, 300), o.r.Raw940(6000, 300));
    EXPECT_EQ(back.r.Marks940[0][1].X, o.r.Marks940[0][1].X);
}
