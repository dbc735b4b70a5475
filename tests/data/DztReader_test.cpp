// The DZT reader: header fields of every block, the two sample encodings, channels, the data
// offset rules, marks, and what it refuses or only warns about.
#include "ReaderFixtures.h"
#include "data/DztReader.h"
#include "scangen/DztWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using namespace rebar;
using namespace rebar::DztLayout;
using rebar::test::putLE;
using rebar::test::Scratch;

namespace {

// A file of hand-made header blocks and raw scan bytes.
struct Built {
    int channels = 1;
    int samples = 4;
    int bits = 16;
    uint16_t dataCode = 1024;
    float range = 8, spm = 400, sps = 50, epsr = 6.5f;
    QByteArray data; // the scans as stored

    QByteArray block(int index) const {
        QByteArray b(BlockSize, '\0');
        putLE<uint16_t>(b, OffTag, static_cast<uint16_t>(index << 8 | 0xFF));
        putLE<uint16_t>(b, OffData, dataCode);
        putLE<uint16_t>(b, OffSamples, static_cast<uint16_t>(samples));
        putLE<uint16_t>(b, OffBits, static_cast<uint16_t>(bits));
        putLE<float>(b, OffSps, sps);
        putLE<float>(b, OffSpm, spm);
        putLE<float>(b, OffRange, range);
        putLE<uint16_t>(b, OffChannels, static_cast<uint16_t>(channels));
        putLE<float>(b, OffEpsr, epsr);
        return b;
    }
    QByteArray bytes() const {
        QByteArray out;
        for (int c = 0; c < std::max(channels, 1); ++c)
            out += block(c);
        return out + data;
    }
};

template <typename T> void append(QByteArray& b, std::initializer_list<T> values) {
    for (T v : values)
        b.append(reinterpret_cast<const char*>(&v), sizeof v);
}

ReadResult parsed(DztFile& f, const QByteArray& bytes) {
    return f.parse(bytes);
}

std::vector<int32_t> traceOf(const DztFile& f, int channel, int64_t scan) {
    std::vector<int32_t> out(static_cast<size_t>(f.samples()));
    f.trace(channel, scan, out.data());
    return out;
}

} // namespace

TEST(DztReader, ReadsTheFieldsOfEveryHeaderBlock) {
    Scratch dir;
    scangen::Scene s;
    s.traces = 40;
    s.pitchMm = 2.0;
    s.er = 7.25;
    s.note = QStringLiteral("deck\nnorth");
    s.date = QDate(2023, 11, 4);
    s.time = QStringLiteral("13:07:42");
    scangen::DztOutput o;
    o.bits = 32;
    o.channels = 2;
    o.samples = 256;
    o.rangeNs = 10;
    const QString path = dir.path(QStringLiteral("LINE.DZT"));
    ASSERT_TRUE(scangen::writeDzt(s, o, path));

    DztFile f;
    const ReadResult res = f.read(path);
    ASSERT_TRUE(res.ok) << res.reason.toStdString();
    EXPECT_TRUE(f.warnings().isEmpty()) << f.warnings().join('|').toStdString();
    EXPECT_EQ(f.channels(), 2);
    EXPECT_EQ(f.samples(), 256);
    EXPECT_EQ(f.bits(), 32);
    EXPECT_EQ(f.dataOffset(), 2048);
    EXPECT_EQ(f.scans(), 40);
    const DztHeader& h = f.header();
    EXPECT_FLOAT_EQ(h.RangeNs, 10.0f);
    EXPECT_FLOAT_EQ(h.ScansPerMetre, 500.0f);
    EXPECT_FLOAT_EQ(h.Permittivity, 7.25f);
    EXPECT_EQ(h.Comment, QStringLiteral("deck north")); // the line break is no text
    EXPECT_EQ(h.OriginalName, QStringLiteral("LINE.DZT"));
    EXPECT_EQ(DztDate::decode(h.Created).toDateTime(),
              QDateTime(QDate(2023, 11, 4), QTime(13, 7, 42)));
    EXPECT_EQ(f.header(0).Antenna, QStringLiteral("SG2000 CH1"));
    EXPECT_EQ(f.header(1).Antenna, QStringLiteral("SG2000 CH2"));
}

TEST(DztReader, PackedDatesFollowTheBitFields) {
    // 2021-03-09 17:45:58: years 41, month 3, day 9, hour 17, minute 45, seconds 29 x 2.
    const uint32_t v = 41u << 25 | 3u << 21 | 9u << 16 | 17u << 11 | 45u << 5 | 29u;
    const DztDate d = DztDate::decode(v);
    EXPECT_EQ(d.toDateTime(), QDateTime(QDate(2021, 3, 9), QTime(17, 45, 58)));
    EXPECT_EQ(DztDate::encode(d.toDateTime()), v);
    EXPECT_FALSE(DztDate::decode(0).isSet());
    EXPECT_FALSE(DztDate::decode(41u << 25 | 13u << 21 | 9u << 16).isValid()); // month 13
    EXPECT_FALSE(DztDate::decode(41u << 25 | 2u << 21 | 30u << 16).isValid()); // 30 February
}

TEST(DztReader, OffsetBinaryAndSignedSamplesAreCentred) {
    struct Case {
        int bits;
        QByteArray trace;
        std::vector<int32_t> expected;
    };
    Case cases[3];
    cases[0].bits = 8;
    append<uint8_t>(cases[0].trace, {0xFF, 0xE8, 0x00, 0x80, 0xFF, 0x81});
    cases[0].expected = {0, 0, -128, 0, 127, 1};
    cases[1].bits = 16;
    append<uint16_t>(cases[1].trace, {0xFFFF, 0xF100, 0, 32768, 65535, 32767});
    cases[1].expected = {0, 0, -32768, 0, 32767, -1};
    cases[2].bits = 32;
    append<int32_t>(cases[2].trace, {1, 0, -5, std::numeric_limits<int32_t>::max(),
                                     std::numeric_limits<int32_t>::min(), -27000});
    cases[2].expected = {
        0, 0, -5, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), -27000};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Built b;
        b.bits = c.bits;
        b.samples = 6;
        b.data = c.trace;
        DztFile f;
        ASSERT_TRUE(parsed(f, b.bytes()).ok);
        EXPECT_EQ(traceOf(f, 0, 0), c.expected);
        std::vector<float> asFloat(6);
        f.trace(0, 0, asFloat.data());
        EXPECT_EQ(asFloat[2], static_cast<float>(c.expected[2]));
        // The leading words are kept apart, as stored.
        EXPECT_EQ(f.word(0, 0, 1), c.bits == 32 ? 0u : c.bits == 16 ? 0xF100u : 0xE8u);
    }
}

TEST(DztReader, ScansHoldOneTracePerChannelInChannelOrder) {
    Built b;
    b.channels = 2;
    b.samples = 3;
    append<uint16_t>(b.data, {0xFFFF, 0, 32769, /* ch 2 */ 0xFFFF, 0, 32778,
                              /* scan 2 */ 0xFFFF, 0, 32770, 0xFFFF, 0, 32788});
    DztFile f;
    ASSERT_TRUE(parsed(f, b.bytes()).ok);
    EXPECT_EQ(f.dataOffset(), 2048);
    EXPECT_EQ(f.scans(), 2);
    EXPECT_EQ(traceOf(f, 0, 1)[2], 2);
    EXPECT_EQ(traceOf(f, 1, 0)[2], 10);
    EXPECT_EQ(traceOf(f, 1, 1)[2], 20);
}

TEST(DztReader, DataOffsetCountsBlocksBelow1024) {
    Built b;
    b.samples = 3;
    b.dataCode = 3; // data at 3072: two blocks of other bytes lie between
    QByteArray gap(2048, '\x55');
    append<uint16_t>(b.data, {0xFFFF, 0, 32800});
    DztFile f;
    ASSERT_TRUE(parsed(f, b.block(0) + gap + b.data).ok);
    EXPECT_EQ(f.dataOffset(), 3072);
    EXPECT_EQ(f.scans(), 1);
    EXPECT_EQ(traceOf(f, 0, 0)[2], 32);
}

TEST(DztReader, RefusesWhatIsNoSoundFileWithAReason) {
    struct Case {
        const char* what;
        std::function<void(Built&)> damage;
        qsizetype cutTo = -1;
    };
    const Case cases[] = {
        {"bits", [](Built& b) { b.bits = 12; }},
        {"samples", [](Built& b) { b.samples = 2; }},
        {"channel", [](Built& b) { b.channels = 0; }},
        {"inside", [](Built& b) { b.dataCode = 0; }},
        {"bytes", [](Built& b) { b.dataCode = 900; }},
        {"time window", [](Built& b) { b.range = 0; }},
        {"time window", [](Built& b) { b.range = std::nanf(""); }},
        {"time window", [](Built& b) { b.range = 2e6f; }},
        {"scan pitch", [](Built& b) { b.spm = -1; }},
        {"scan pitch", [](Built& b) { b.spm = 1e6f; }},
        {"scan rate", [](Built& b) { b.sps = std::numeric_limits<float>::infinity(); }},
        {"less than one scan", [](Built& b) { b.data.chop(1); }},
        {"less than one 1024-byte header", [](Built&) {}, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Built b;
        b.samples = 4;
        append<uint16_t>(b.data, {0xFFFF, 0, 1, 2});
        c.damage(b);
        QByteArray bytes = b.bytes();
        if (c.cutTo >= 0)
            bytes.truncate(c.cutTo);
        DztFile f;
        const ReadResult res = parsed(f, bytes);
        EXPECT_FALSE(res.ok);
        EXPECT_TRUE(res.reason.contains(QLatin1String(c.what))) << res.reason.toStdString();
    }
    // Every block must state the same samples and bits.
    Built two;
    two.channels = 2;
    two.samples = 3;
    append<uint16_t>(two.data, {0xFFFF, 0, 1, 0xFFFF, 0, 1});
    QByteArray bytes = two.bytes();
    putLE<uint16_t>(bytes, BlockSize + OffBits, 32);
    DztFile f;
    EXPECT_FALSE(parsed(f, bytes).ok);
}

TEST(DztReader, OddButReadableFilesWarn) {
    Built b;
    b.samples = 5; // not a power of two
    b.epsr = 0.5f;
    append<uint16_t>(b.data, {0xFFFF, 0, 1, 2, 3, 0xFFFF, 0, 4, 5, 6});
    QByteArray bytes = b.bytes() + QByteArray(3, '\0'); // part of a third scan
    putLE<uint16_t>(bytes, OffTag, 0x0700);             // a processed file's tag
    putLE<uint16_t>(bytes, ChecksumOffset, 0x1234);     // not the sum of the block
    putLE<uint16_t>(bytes, OffText, 1000);              // a comment past the block's end
    putLE<uint16_t>(bytes, OffNtext, 40);
    putLE<uint32_t>(bytes, OffCreated, 41u << 25 | 13u << 21 | 1u << 16);
    DztFile f;
    ASSERT_TRUE(parsed(f, bytes).ok);
    EXPECT_EQ(f.scans(), 2);
    EXPECT_TRUE(f.header().Comment.isEmpty());
    const QString w = f.warnings().join('|');
    for (const char* part : {"power of two", "permittivity", "whole scan", "tag", "checksum",
                             "comment", "creation date"})
        EXPECT_TRUE(w.contains(QLatin1String(part))) << part << ": " << w.toStdString();

    // A right checksum gives no warning.
    bytes = b.bytes();
    putLE<uint16_t>(bytes, ChecksumOffset, DztLayout::checksum(bytes.constData()));
    ASSERT_TRUE(parsed(f, bytes).ok);
    EXPECT_FALSE(f.warnings().join('|').contains(QLatin1String("checksum")));
}

TEST(DztReader, MarksOnlyFromKnownMarkWords) {
    Built b;
    b.samples = 3;
    append<uint16_t>(b.data,
                     {0xFFFF, 0xF100, 7, 0xFFFF, 0xE800, 7, 0xFFFF, 0, 7, 0xFFFF, 0xEC00, 7});
    DztFile f;
    ASSERT_TRUE(parsed(f, b.bytes()).ok);
    bool known = false;
    std::vector<DztMark> m = f.marks(0, &known);
    EXPECT_TRUE(known);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].scan, 1);
    EXPECT_EQ(m[0].code, 0xE8);
    EXPECT_EQ(m[1].scan, 3);

    // 32-bit files mark with E4 in the top byte.
    Built w;
    w.bits = 32;
    w.samples = 3;
    append<uint32_t>(w.data, {1, 0, 5, 2, 0xE4000000u, 5});
    ASSERT_TRUE(parsed(f, w.bytes()).ok);
    m = f.marks(0, &known);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].scan, 1);

    // A processed file that wrote samples over the words reports no marks at all.
    Built p;
    p.samples = 3;
    append<uint16_t>(p.data, {33000, 0xE800, 33000, 33010, 33010, 33010});
    ASSERT_TRUE(parsed(f, p.bytes()).ok);
    EXPECT_TRUE(f.marks(0, &known).empty());
    EXPECT_FALSE(known);
}
