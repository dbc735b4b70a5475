#include "ReaderFixtures.h"
#include "data/Text730Reader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <gtest/gtest.h>

#include <functional>

using namespace rebar;
using rebar::test::Opened;
using rebar::test::Scratch;

namespace {

using SampleFn = std::function<int(int trace, int sample)>; // 12-bit samples 1..512

int wave(int t, int j) {
    return (t * 37 + j * 11) % 4096;
}

QByteArray header(int traces, const QByteArray& extra = {}) {
    return "QTX-730 Measurement Data\r\nDATE : 2024/06/05\r\nTIME : 11:11:11\r\nX DATA SIZE: " +
           QByteArray::number(traces) + "\r\n" + extra + "END\r\n";
}

// Records 0, 1 and 2..traces + 1 with their status bytes (255 and 64 for the first two).
QByteArray records(int traces, const SampleFn& value = wave,
                   const std::function<int(int)>& status = nullptr) {
    QByteArray b;
    for (int t : [&] {
             std::vector<int> order{0, -1};
             for (int k = 1; k <= traces; ++k)
                 order.push_back(k);
             return order;
         }()) {
        b += static_cast<char>(status ? status(t) : t == 0 ? 255 : t == -1 ? 64 : 0);
        for (int g = 0; g < 256; ++g) {
            const int a = value(t, 1 + 2 * g) & 0xFFF;
            const int c = value(t, 2 + 2 * g) & 0xFFF;
            b += static_cast<char>(((a >> 8) << 4) | (c >> 8));
            b += static_cast<char>(a & 0xFF);
            b += static_cast<char>(c & 0xFF);
        }
    }
    return b;
}

QByteArray binaryFile(const QByteArray& head, const QByteArray& recs) {
    return head + QByteArray(3, '\x7f') + recs;
}

QByteArray hexFile(const QByteArray& head, const QByteArray& recs) {
    QByteArray b = head;
    for (const char c : recs)
        b +=
            QByteArray::number(static_cast<uchar>(c), 16).toUpper().rightJustified(2, '0') + "\r\n";
    return b;
}

void expectRefused(const Opened& o, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(o.ok());
    EXPECT_FALSE(o.res.reason.isEmpty());
    EXPECT_TRUE(o.r.LoadStage.isEmpty());
}

} // namespace

TEST(Text730Reader, HeaderLinesByPrefixInTheirOrder) {
    Scratch dir;
    const QByteArray extra = "data # : 12\r\nX SCALE : Time\r\nY SCALE : 10.7\r\n"
                             "X SCALE ADJUST : -4\r\nSCALE RANGE : 8nsw\r\nSEARCH MODE :  int \r\n"
                             "DIRE : 0\r\nDISP.COLOR : COLOR2\r\namplitude : Offset\r\n"
                             "X unit : mm\r\nY unit : cm \r\nGain : ad\r\nPRCS : Peak_sub\r\n"
                             "something else\r\n";
    const Opened o =
        test::openBytes(dir, QStringLiteral("A.001"), binaryFile(header(3, extra), records(3)));
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    const MeasurementRecord& r = o.r;
    EXPECT_EQ(r.FileKind, KindText730);
    EXPECT_EQ(r.MeasureDate, "2024/06/05");
    EXPECT_EQ(r.MeasureTime, "11:11:11");
    EXPECT_EQ(r.DataNo, 12);
    EXPECT_EQ(r.TraceCount, 3);
    EXPECT_EQ(r.XScale, 1);
    EXPECT_EQ(r.Permittivity, static_cast<double>(10.7f));
    EXPECT_EQ(r.PermittivityPreset, 0);
    EXPECT_EQ(r.XAdjust, -4);
    EXPECT_EQ(r.ViewRange, 5);
    EXPECT_EQ(r.Direction, 0);
    EXPECT_EQ(r.ColorCode, 3); // COLOR2, then offset
    EXPECT_EQ(r.XUnit, "mm");
    EXPECT_EQ(r.YUnit, "cm "); // taken as it stands
    EXPECT_EQ(r.Gain, 3);
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.ProcCode, 3); // PRCS after SEARCH wins
    EXPECT_EQ(r.PeakFlag, 1);
    ASSERT_EQ(r.Markers730.size(), 43u);
    EXPECT_TRUE(r.LoadStage.isEmpty());
    EXPECT_TRUE(o.reports.empty());

    auto read = [&](const QByteArray& lines) {
        Opened x =
            test::openBytes(dir, QStringLiteral("B.001"), binaryFile(header(1, lines), records(1)));
        EXPECT_TRUE(x.ok()) << qPrintable(x.res.reason);
        return x;
    };
    Opened x = read("Y SCALE : 8.5\r\n");
    EXPECT_EQ(x.r.PermittivityPreset, 8);
    EXPECT_EQ(x.r.Permittivity, 8.5);
    x = read("Y SCALE : 4ns\r\n");
    EXPECT_EQ(x.r.PermittivityPreset, 7);
    EXPECT_EQ(x.r.Permittivity, 0.0);
    x = read("Y SCALE : 6.2\r\nSCALE RANGE : 10NS\r\n");
    EXPECT_EQ(x.r.PermittivityPreset, 6);
    EXPECT_EQ(x.r.ViewRange, 1);
    // The same two lines in the other order: the offset adds to the colour before it is set.
    x = read("amplitude : offset\r\ndisp.color : COLOR2\r\n");
    EXPECT_EQ(x.r.ColorCode, 2);
    x = read("disp.color : rainbow\r\nDIRE : 0\r\ndisp.direction : Normal\r\n");
    EXPECT_EQ(x.r.ColorCode, 0);
    EXPECT_EQ(x.r.Direction, 1);
    x = read("PRCS : USER\r\nSEARCH MODE : INT\r\nGain : +3S\r\n");
    EXPECT_EQ(x.r.ProcCode, 1);
    EXPECT_EQ(x.r.PeakFlag, 0);
    EXPECT_EQ(x.r.Gain, 0); // an unknown word leaves the field
    x = read("SEARCH MODE : ORG\r\n");
    EXPECT_EQ(x.r.ProcCode, 5);
}

TEST(Text730Reader, RecordsOfTwelveBitPairs) {
    Scratch dir;
    // Trace 2 starts with the group 3F 12 AB; traces 3 and 5 carry 16 and 48.
    QByteArray recs = records(6, wave, [](int t) {
        return t == 0 ? 254 : t == -1 ? 64 : t == 3 ? 16 : t == 5 ? 48 : 7;
    });
    const qsizetype trace2 = 3 * 769;
    recs[trace2 + 1] = '\x3F';
    recs[trace2 + 2] = '\x12';
    recs[trace2 + 3] = '\xAB';
    const Opened o = test::openBytes(dir, QStringLiteral("R.001"), binaryFile(header(6), recs));
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    const MeasurementRecord& r = o.r;
    EXPECT_EQ(r.Raw730(2, 1), 786);
    EXPECT_EQ(r.Raw730(2, 2), 4011);
    EXPECT_EQ(r.Raw730(2, 0), 7);
    for (int j = 3; j <= 512; ++j)
        ASSERT_EQ(r.Raw730(2, j), wave(2, j));
    // Record 0 without its 255 leaves trace 0 all zero; record 1 with 64 is trace -1.
    for (int j = 0; j <= 512; ++j)
        ASSERT_EQ(r.Raw730(0, j), 0);
    EXPECT_EQ(r.Raw730(-1, 0), 64);
    EXPECT_EQ(r.Raw730(-1, 512), wave(-1, 512));
    EXPECT_EQ(r.ProcessingLine, 5);
    for (int t = -1; t <= 6; ++t) {
        EXPECT_EQ(r.Samples730(t, 1023), r.Raw730(t, 512));
        EXPECT_EQ(r.Samples730(t, 1024), r.Samples730(t, 1022));
    }
    EXPECT_EQ(r.Work730.lastTrace(), 6);
    EXPECT_EQ(r.Work730x2.lastSample(), 1024);

    // 255 decodes trace 0, 65 leaves trace -1.
    const Opened p = test::openBytes(dir, QStringLiteral("R.001"),
                                     binaryFile(header(1), records(1, wave, [](int t) {
                                                    return t == 0 ? 255 : t == -1 ? 65 : 0;
                                                })));
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.r.Raw730(0, 0), 255);
    EXPECT_EQ(p.r.Raw730(0, 7), wave(0, 7));
    EXPECT_EQ(p.r.Raw730(-1, 7), 0);
}

TEST(Text730Reader, MarkerLines) {
    Scratch dir;
    const Opened o = test::openBytes(
        dir, QStringLiteral("M.001"),
        binaryFile(header(2, "MarkX2:150\r\nMarkY2:99\r\nMarkX43:7\r\n"), records(2)));
    ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
    ASSERT_EQ(o.r.Markers730.size(), 43u);
    EXPECT_EQ(o.r.Markers730[1].Position, 150);
    EXPECT_EQ(o.r.Markers730[1].Sample, 100);
    EXPECT_EQ(o.r.Markers730[42].Position, 7);
    EXPECT_EQ(o.r.Markers730[42].Sample, 0);
    EXPECT_TRUE(o.r.Markers730[0].isFree());

    for (const char* bad : {"MarkX44:1", "MarkX0:1", "MarkY2 99", "MarkXa:1", "MarkX2:x",
                            "MarkY2:2147483647", "MarkX:5"}) {
        SCOPED_TRACE(bad);
        expectRefused(test::openBytes(dir, QStringLiteral("M.001"),
                                      binaryFile(header(2, QByteArray(bad) + "\r\n"), records(2))),
                      "bad marker line");
    }
}

TEST(Text730Reader, HexadecimalFormByFileName) {
    Scratch dir;
    const QByteArray head = header(4, "MarkX1:3\r\nMarkY1:40\r\n");
    const QByteArray recs = records(4);
    const Opened bin = test::openBytes(dir, QStringLiteral("d0001.txt"), binaryFile(head, recs));
    const Opened hex = test::openBytes(dir, QStringLiteral("t0001.txt"), hexFile(head, recs));
    ASSERT_TRUE(bin.ok()) << qPrintable(bin.res.reason);
    ASSERT_TRUE(hex.ok()) << qPrintable(hex.res.reason);
    EXPECT_EQ(hex.r.FileKind, KindText730);
    for (int t = -1; t <= 4; ++t)
        for (int j = 0; j <= 512; ++j)
            ASSERT_EQ(hex.r.Raw730(t, j), bin.r.Raw730(t, j)) << t << " " << j;
    EXPECT_EQ(hex.r.Markers730[0].Sample, 41);

    // One byte more than the records (the buffer's spare byte) is accepted; two are not.
    EXPECT_TRUE(test::openBytes(dir, QStringLiteral("T2.001"), hexFile(head, recs + 'x')).ok());
    expectRefused(test::openBytes(dir, QStringLiteral("T2.001"), hexFile(head, recs + "xy")),
                  "more lines than the buffer");
    expectRefused(test::openBytes(dir, QStringLiteral("T2.001"), hexFile(head, recs.chopped(1))),
                  "one line short");
    for (const char* bad : {"100", "", "3G", "-1", "0x3F"}) {
        SCOPED_TRACE(bad);
        QByteArray b = hexFile(head, recs);
        const qsizetype at = b.indexOf("END\r\n") + 5 + 4 * 100;
        b.replace(at, 2, bad);
        expectRefused(test::openBytes(dir, QStringLiteral("T3.001"), b), "not one byte");
    }
    // A header line that only begins with END: the bytes follow a later line that is END.
    QByteArray later = head;
    later.replace("END\r\n", "ENDE\r\n");
    EXPECT_TRUE(
        test::openBytes(dir, QStringLiteral("T4.001"), hexFile(later + "end\r\n", recs)).ok());
    expectRefused(test::openBytes(dir, QStringLiteral("T4.001"), hexFile(later, recs)),
                  "no line that is END");
}

TEST(Text730Reader, RefusesShortOrBrokenFiles) {
    Scratch dir;
    const QByteArray good = binaryFile(header(3, "DATA # : 5\r\n"), records(3));
    ASSERT_TRUE(test::openBytes(dir, QStringLiteral("G.001"), good).ok());
    // Cut anywhere: in the header, in the gap or in the records.
    for (qsizetype len = 0; len < good.size(); len += 37) {
        SCOPED_TRACE(len);
        const Opened o = test::openBytes(dir, QStringLiteral("G.001"), good.left(len));
        EXPECT_FALSE(o.ok());
        EXPECT_TRUE(o.r.Raw730.empty() || len > 100);
    }
    expectRefused(test::openBytes(dir, QStringLiteral("G.001"), good.chopped(1)),
                  "last byte missing");
    // Trailing bytes beyond the records do not matter.
    EXPECT_TRUE(test::openBytes(dir, QStringLiteral("G.001"), good + "tail").ok());

    auto withHeader = [&](const QByteArray& head) {
        return test::openBytes(dir, QStringLiteral("H.001"), binaryFile(head, records(3)));
    };
    expectRefused(withHeader(header(0)), "no traces");
    expectRefused(withHeader(header(-3)), "negative traces");
    expectRefused(withHeader(header(40000)), "more than 16 bits");
    expectRefused(withHeader(header(3, "DATA # : twelve\r\n")), "not a number");
    expectRefused(withHeader(header(3, "X SCALE ADJUST : \r\n")), "empty number");
    expectRefused(withHeader(header(3, "Y SCALE : 6,5\r\n")), "permittivity not a number");
    // 30 000 traces announced in a small file: refused before the matrices are allocated.
    const Opened big = withHeader(header(30000));
    expectRefused(big, "traces beyond the file");
    EXPECT_TRUE(big.r.Raw730.empty());
    // The first line decides, in any case of the rest.
    QByteArray wrong = good;
    wrong.replace("QTX-730 Measurement Data", "QTX-730 measurement data");
    EXPECT_FALSE(test::openBytes(dir, QStringLiteral("W.001"), wrong).ok());
    MeasurementRecord direct;
    SetRecordPath(direct, dir.write(QStringLiteral("W.001"), wrong));
    EXPECT_FALSE(ReadText730(direct, ReadContext{}).ok);
    // A header without its END line, even a long one, ends with the file.
    expectRefused(test::openBytes(dir, QStringLiteral("N.001"),
                                  "QTX-730 Measurement Data\r\n" + QByteArray(300000, 'x')),
                  "no END line");
}

TEST(Text730Reader, TypeDetectionByTheFirstLine) {
    Scratch dir;
    QByteArray file = binaryFile(header(2), records(2));
    file.replace("QTX-730 Measurement Data", "Exported: QTX-730 Measurement Data (v2)");
    const Opened txt = test::openBytes(dir, QStringLiteral("EXPORT.TXT"), file);
    ASSERT_TRUE(txt.ok()) << qPrintable(txt.res.reason);
    EXPECT_EQ(txt.r.FileKind, KindText730);
    EXPECT_EQ(txt.r.Raw730(2, 9), wave(2, 9));
    // Under an RDD name the same bytes go to the RDD reader, which finds no RDD header.
    const Opened rdd = test::openBytes(dir, QStringLiteral("EXPORT.RDD"), file);
    EXPECT_EQ(rdd.r.FileKind, KindRdd);
    EXPECT_FALSE(rdd.ok());
}
