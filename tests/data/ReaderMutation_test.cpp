// Every reader against damaged files: a few hundred seeded mutations (cuts, changed bytes,
// inflated counts, inserted and removed bytes) of a small valid file of each format. Whatever
// the damage, the reader returns: refused with a reason, or read into a record that holds what
// its counts say.
#include "ReaderFixtures.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace rebar;
using rebar::test::Opened;
using rebar::test::Scratch;

namespace {

struct Seed {
    scangen::Format format;
    const char* name;
    int traces;
    bool textHeader; // counts are decimal text in the header
};

const Seed Seeds[] = {
    {scangen::Format::Rdd, "M.RDD", 12, true},     {scangen::Format::Zvx, "M.ZVX", 6, false},
    {scangen::Format::VxdB, "B0001.VXD", 6, true}, {scangen::Format::VxdT, "T0001.VXD", 4, true},
    {scangen::Format::Txt, "M.001", 6, true},      {scangen::Format::TxtHex, "T0001.001", 3, true},
    {scangen::Format::Dzt, "M.DZT", 6, false},
};

QByteArray seedFile(const Seed& seed) {
    scangen::Scene s;
    s.traces = seed.traces;
    s.er = 7.4;
    s.pitchMm = 5;
    s.bars = {{5, 30}, {15, 45}, {25, 60}};
    s.markGroups = 3;
    s.processingLine = 2;
    s.note = QStringLiteral("a\nb");
    s.company = QStringLiteral("検査");
    s.noise = 0.01;
    Scratch dir;
    const QString path = dir.path(QString::fromLatin1(seed.name));
    EXPECT_TRUE(scangen::writeScene(s, seed.format, path));
    return test::readFile(path);
}

class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_rng(seed) {}

    QByteArray mutate(QByteArray b, bool textHeader, bool dzt) {
        switch (below(6)) {
        case 0: // cut
            return b.left(below(static_cast<uint32_t>(b.size())));
        case 1: // a few bytes changed
            for (uint32_t n = 1 + below(8); n > 0 && !b.isEmpty(); --n)
                b[below(static_cast<uint32_t>(b.size()))] = static_cast<char>(below(256));
            return b;
        case 2: // a count inflated (or deflated)
            return textHeader ? inflateText(b) : inflateBinary(b, dzt);
        case 3: { // bytes inserted
            const auto at = below(static_cast<uint32_t>(b.size()) + 1);
            QByteArray extra;
            for (uint32_t n = 1 + below(40); n > 0; --n)
                extra += static_cast<char>(below(256));
            return b.insert(at, extra);
        }
        case 4: { // bytes removed
            const auto at = below(static_cast<uint32_t>(b.size()));
            return b.remove(at, 1 + below(2000));
        }
        default: // a cut and a changed count
            b = textHeader ? inflateText(b) : inflateBinary(b, dzt);
            return b.left(b.size() -
                          below(std::min<uint32_t>(5000, static_cast<uint32_t>(b.size()))));
        }
    }

private:
    uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(m_rng() % n); }

    QByteArray value() {
        static const char* const values[] = {
            "0",    "-1",    "1",     "2",           "7",          "99",
            "100",  "32767", "32768", "65535",       "2147483647", "-2147483648",
            "6001", "8001",  "1e9",   "99999999999", "",           "3.5"};
        return values[below(sizeof values / sizeof *values)];
    }

    // A run of digits in the first 2000 bytes (the header) replaced by another number.
    QByteArray inflateText(QByteArray b) {
        const qsizetype limit = std::min<qsizetype>(b.size(), 2000);
        std::vector<qsizetype> starts;
        for (qsizetype i = 0; i < limit; ++i)
            if (b[i] >= '0' && b[i] <= '9' && (i == 0 || b[i - 1] < '0' || b[i - 1] > '9'))
                starts.push_back(i);
        if (starts.empty())
            return b;
        const qsizetype at = starts[below(static_cast<uint32_t>(starts.size()))];
        qsizetype end = at;
        while (end < b.size() && b[end] >= '0' && b[end] <= '9')
            ++end;
        return b.replace(at, end - at, value());
    }

    // A count or code of the ZVX header set to an edge value.
    QByteArray inflateBinary(QByteArray b, bool dzt) {
        if (dzt)
            return inflateDzt(b);
        static const int offsets[] = {104, 104, 104, 100, 0, 134, 344, 133, 123, 121, 136, 524};
        static const int32_t values[] = {0,    -1,    1,          7,           6000,  6001, 8000,
                                         8001, 32767, 2147483647, -2147483647, 65535, 255};
        const int off = offsets[below(sizeof offsets / sizeof *offsets)];
        const int32_t v = values[below(sizeof values / sizeof *values)];
        if (off + 4 <= b.size())
            test::putLE<int32_t>(b, off, v);
        return b;
    }

    // A count or setting of a DZT header block set to an edge value: data offset, samples,
    // bits, channels (16 bits), or scan rate, scans per metre, time window, permittivity.
    QByteArray inflateDzt(QByteArray b) {
        static const int counts[] = {2, 4, 6, 52, 1024 + 4, 1024 + 6};
        static const uint16_t countValues[] = {0, 1, 2, 3, 4, 8, 12, 32, 1023, 1024, 65535};
        static const int reals[] = {10, 14, 26, 54};
        static const float realValues[] = {0.0f,
                                           -1.0f,
                                           1e-6f,
                                           1e-3f,
                                           0.5f,
                                           4.0f,
                                           1e5f,
                                           1e7f,
                                           std::numeric_limits<float>::infinity(),
                                           std::numeric_limits<float>::quiet_NaN()};
        if (below(2) == 0) {
            const int off = counts[below(sizeof counts / sizeof *counts)];
            if (off + 2 <= b.size())
                test::putLE<uint16_t>(b, off, countValues[below(sizeof countValues / 2)]);
        } else {
            const int off = reals[below(sizeof reals / sizeof *reals)];
            if (off + 4 <= b.size())
                test::putLE<float>(b, off, realValues[below(sizeof realValues / 4)]);
        }
        return b;
    }

    std::mt19937 m_rng;
};

// A record the reader accepted holds what its counts say.
void expectConsistent(const Opened& o) {
    const MeasurementRecord& r = o.r;
    ASSERT_GE(r.TraceCount, 1);
    EXPECT_TRUE(r.LoadStage.isEmpty());
    if (r.is940()) {
        EXPECT_LE(r.TraceCount, o.maxTraces);
        for (const Matrix<int32_t>* m : {&r.Raw940, &r.Raw940A, &r.Samples940, &r.Samples940A}) {
            EXPECT_EQ(m->firstTrace(), -3);
            EXPECT_EQ(m->lastTrace(), r.TraceCount);
        }
        EXPECT_EQ(r.Work940.lastTrace(), r.TraceCount);
    } else {
        EXPECT_EQ(r.Raw730.lastTrace(), r.TraceCount);
        EXPECT_EQ(r.Samples730.lastTrace(), r.TraceCount);
        EXPECT_EQ(r.Work730x2.lastTrace(), r.TraceCount);
    }
}

} // namespace

TEST(ReaderMutation, EveryReaderReturnsOnDamagedFiles) {
    Scratch dir;
    for (const Seed& seed : Seeds) {
        SCOPED_TRACE(seed.name);
        const QByteArray good = seedFile(seed);
        ASSERT_FALSE(good.isEmpty());
        ASSERT_TRUE(test::openBytes(dir, QString::fromLatin1(seed.name), good).ok());
        Mutator mutator(20240617u + static_cast<uint32_t>(seed.format));
        int refused = 0;
        for (int i = 0; i < 300; ++i) {
            SCOPED_TRACE(i);
            const QByteArray bad =
                mutator.mutate(good, seed.textHeader, seed.format == scangen::Format::Dzt);
            const Opened o = test::openBytes(dir, QString::fromLatin1(seed.name), bad);
            if (o.ok()) {
                expectConsistent(o);
            } else {
                ++refused;
                EXPECT_FALSE(o.res.reason.isEmpty());
            }
            if (HasFatalFailure())
                return;
        }
        // The damage is real: most mutations are refused.
        EXPECT_GT(refused, 30);
    }
}

TEST(ReaderMutation, GarbageUnderEveryReadersName) {
    Scratch dir;
    std::mt19937 rng(7);
    for (const Seed& seed : Seeds) {
        SCOPED_TRACE(seed.name);
        for (int i = 0; i < 25; ++i) {
            QByteArray bytes(static_cast<qsizetype>(rng() % 40000), '\0');
            for (char& c : bytes)
                c = static_cast<char>(rng() & 0xFF);
            if (seed.format == scangen::Format::Txt || seed.format == scangen::Format::TxtHex)
                bytes.prepend("QTX-730 Measurement Data\r\n"); // past the type detection
            const Opened o = test::openBytes(dir, QString::fromLatin1(seed.name), bytes);
            if (o.ok())
                expectConsistent(o);
            else
                EXPECT_FALSE(o.res.reason.isEmpty());
            if (HasFatalFailure())
                return;
        }
    }
}
