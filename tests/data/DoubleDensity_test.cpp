#include "base/Numeric.h"
#include "data/DoubleDensity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace rebar;

namespace {

// The pass written the long way, in doubles, following the reader's steps literally: the
// odd/even loop over m with h and h', then the weighted sum rounded half to even and divided
// by 4 with truncation. The integer routine must agree with it everywhere.
template <typename F> std::vector<double> referenceTrace(const std::vector<typename F::Sample>& x) {
    constexpr int R = F::RawLast;
    constexpr int D = F::DDLast;
    std::vector<double> y(D + 1), s(D + 1);
    y[0] = x[0];
    for (int m = 1; m <= D - 1; m += 2) {
        const int h = (m + 1) / 2;
        y[m] = x[h];
        const int h2 = h + 2 <= R ? h + 1 : R;
        y[m + 1] = std::trunc((double(x[h2]) + double(x[h2 - 1])) / 2.0);
    }
    for (int j = 0; j < 4; ++j)
        s[j] = y[j];
    for (int j = D - 2; j <= D; ++j)
        s[j] = y[j];
    for (int j = 4; j <= D - 3; ++j) {
        const double v = y[j] + 0.75 * (y[j - 1] + y[j + 1]) + 0.5 * (y[j - 2] + y[j + 2]) +
                         0.25 * (y[j - 3] + y[j + 3]);
        s[j] = std::trunc(roundHalfEven(v) / 4.0);
    }
    return s;
}

template <typename F>
std::vector<typename F::Sample> run(const std::vector<typename F::Sample>& x, bool* ok = nullptr) {
    std::vector<typename F::Sample> s(F::DDLast + 1, 0);
    const bool r = DoubleDensityTrace<F>(x.data(), s.data());
    if (ok)
        *ok = r;
    return s;
}

template <typename F> void expectMatchesReference(const std::vector<typename F::Sample>& x) {
    bool ok = false;
    const auto s = run<F>(x, &ok);
    ASSERT_TRUE(ok);
    const auto ref = referenceTrace<F>(x);
    for (int j = 0; j <= F::DDLast; ++j)
        ASSERT_EQ(double(s[j]), ref[j]) << "sample " << j;
}

} // namespace

TEST(DoubleDensity, AgreesWithTheLiteralStepsOnRandomTraces) {
    std::mt19937 rng(42);
    // 730: scanner values around 2048, and signed values of either sign (rounding of negative
    // sums truncates toward zero).
    std::uniform_int_distribution<int> around2048(0, 4095), signed730(-16000, 16000);
    for (int round = 0; round < 40; ++round) {
        std::vector<int16_t> x(Family730::RawLast + 1);
        for (auto& v : x)
            v = static_cast<int16_t>(round % 2 ? around2048(rng) : signed730(rng));
        expectMatchesReference<Family730>(x);
    }
    std::uniform_int_distribution<int32_t> signed940(-1'000'000'000, 1'000'000'000);
    for (int round = 0; round < 20; ++round) {
        std::vector<int32_t> x(Family940::RawLast + 1);
        for (auto& v : x)
            v = signed940(rng);
        expectMatchesReference<Family940>(x);
    }
}

TEST(DoubleDensity, TwelveBitTracesAtTheirLimitsAgreeToo) {
    // 12-bit traces take their own way; the largest sums (all 4095, and 0/4095 alternating,
    // where round-half cases abound), a status word of any value, and one sample just outside
    // 0..4095 (which must give the same result by the general way) all match the steps.
    std::vector<int16_t> x(513, 4095);
    x[0] = -32768;
    expectMatchesReference<Family730>(x);
    for (int k = 1; k <= 512; ++k)
        x[k] = static_cast<int16_t>(k % 2 ? 0 : 4095);
    x[0] = 48;
    expectMatchesReference<Family730>(x);
    for (int k = 1; k <= 512; ++k)
        x[k] = static_cast<int16_t>((k * 2731) % 4096);
    expectMatchesReference<Family730>(x);
    x[512] = 4096;
    expectMatchesReference<Family730>(x);
    x[512] = 4095;
    x[1] = -1;
    expectMatchesReference<Family730>(x);
}

TEST(DoubleDensity, RoundsHalvesToEvenThenTruncatesTheQuarter) {
    // A single raw impulse: y holds it at 2k - 1 and halves of it at 2k - 2 and 2k.
    // x[100] = 3 elsewhere 0: y[199] = 3, y[198] = y[200] = 1 (3 div 2).
    std::vector<int16_t> x(513, 0);
    x[100] = 3;
    auto s = run<Family730>(x);
    // s[199] = round(3 + 0.75*2 + 0) = round(4.5) = 4 (even) -> 1
    EXPECT_EQ(s[199], 1);
    // s[200] = round(1 + 0.75*3 + 0.5*1) = round(3.75) = 4 -> 1
    EXPECT_EQ(s[200], 1);
    // s[201] = round(0 + 0.75*1 + 0.5*3 + 0.25*1) = round(2.5) = 2 (even) -> 0
    EXPECT_EQ(s[201], 0);
    // s[202] = round(0.5*1 + 0.25*3) = round(1.25) = 1 -> 0
    EXPECT_EQ(s[202], 0);

    // The same impulse negative: y[199] = -3, neighbours -1 (truncated toward zero).
    x[100] = -3;
    s = run<Family730>(x);
    EXPECT_EQ(s[199], -1); // round(-4.5) = -4 -> -1
    EXPECT_EQ(s[200], -1); // round(-3.75) = -4 -> -1
    EXPECT_EQ(s[201], 0);  // round(-2.5) = -2 -> 0 (truncated, not floored)

    // A level trace keeps its level.
    std::fill(x.begin(), x.end(), int16_t{2048});
    s = run<Family730>(x);
    for (int j = 0; j <= 1024; ++j)
        ASSERT_EQ(s[j], 2048) << j;

    // An impulse of 7: y[199] = 7, y[198] = y[200] = 3, s[199] = round(7 + 4.5) = 12 (11.5
    // goes up to the even 12) -> 3.
    x.assign(513, 0);
    x[100] = 7;
    s = run<Family730>(x);
    EXPECT_EQ(s[199], 3);
}

TEST(DoubleDensity, KeepsTheEdgesAndRepeatsTheLastMidpoint) {
    std::vector<int16_t> x(513);
    for (int k = 0; k <= 512; ++k)
        x[k] = static_cast<int16_t>(1000 + 7 * k - (k % 5) * 13);
    x[0] = 48; // the status word is copied, never filtered
    const auto s = run<Family730>(x);
    EXPECT_EQ(s[0], 48);
    EXPECT_EQ(s[1], x[1]);
    EXPECT_EQ(s[2], (x[1] + x[2]) / 2);
    EXPECT_EQ(s[3], x[2]);
    EXPECT_EQ(s[1022], (x[511] + x[512]) / 2);
    EXPECT_EQ(s[1023], x[512]);
    EXPECT_EQ(s[1024], s[1022]);

    std::vector<int32_t> w(769);
    for (int k = 0; k <= 768; ++k)
        w[k] = -500000 + 1234 * k;
    w[0] = -3;
    const auto t = run<Family940>(w);
    EXPECT_EQ(t[0], -3);
    EXPECT_EQ(t[1535], w[768]);
    EXPECT_EQ(t[1536], t[1534]);
    EXPECT_EQ(t[1534], (w[767] + w[768]) / 2);
}

TEST(DoubleDensity, FailsWhenAPairSumLeavesTheSampleRange) {
    // Neighbours adding up beyond 16 bits: the midpoint sum overflows.
    std::vector<int16_t> x(513, 0);
    x[10] = 20000;
    x[11] = 20000;
    bool ok = true;
    run<Family730>(x, &ok);
    EXPECT_FALSE(ok);

    // Only the outer filter pair overflows: x[10] and x[13] are y[19] and y[25], three
    // double-density samples either side of y[22], while every midpoint stays in range.
    x.assign(513, 0);
    x[10] = 30000;
    x[13] = 30000;
    run<Family730>(x, &ok);
    EXPECT_FALSE(ok);

    // Near the ends only the pairs the filter forms count: x[1] + x[3] is never formed (its
    // centre would be y[3]), x[510] + x[512] and x[509] + x[512] are.
    x.assign(513, 0);
    x[1] = 30000;
    x[3] = 30000;
    run<Family730>(x, &ok);
    EXPECT_TRUE(ok);
    x.assign(513, 0);
    x[510] = 30000;
    x[512] = 30000;
    run<Family730>(x, &ok);
    EXPECT_FALSE(ok);
    x.assign(513, 0);
    x[509] = 30000;
    x[512] = 30000;
    run<Family730>(x, &ok);
    EXPECT_FALSE(ok);
    x.assign(513, 0);
    x[1] = -30000;
    x[4] = -30000;
    run<Family730>(x, &ok);
    EXPECT_FALSE(ok);

    // Sums exactly at the limits are fine.
    x.assign(513, 0);
    x[10] = 16384;
    x[11] = 16383; // 32767
    x[300] = -16384;
    x[301] = -16384; // -32768
    run<Family730>(x, &ok);
    EXPECT_TRUE(ok);

    // 32-bit sums for the 940 family.
    std::vector<int32_t> w(769, 0);
    w[400] = 1'500'000'000;
    w[401] = 1'000'000'000;
    run<Family940>(w, &ok);
    EXPECT_FALSE(ok);
    w[401] = 647'483'647; // 2147483647
    run<Family940>(w, &ok);
    EXPECT_TRUE(ok);
    // Status words are not part of any pair.
    w[0] = 2'147'483'647;
    w[1] = 1;
    run<Family940>(w, &ok);
    EXPECT_TRUE(ok);
}

TEST(DoubleDensity, PassSpreadsTheSecondChannelAndReportsTheFailingTrace) {
    Matrix<int32_t> raw, rawA, s, sa;
    ASSERT_TRUE(raw.allocate(-3, 4, 768));
    ASSERT_TRUE(rawA.allocate(-3, 4, 768));
    ASSERT_TRUE(s.allocate(-3, 4, 1536));
    ASSERT_TRUE(sa.allocate(-3, 4, 1536));
    for (int t = -3; t <= 4; ++t)
        for (int k = 0; k <= 768; ++k) {
            raw(t, k) = t * 1000 + k;
            rawA(t, k) = -(t * 100000 + k);
        }
    sa(2, 0) = 77; // sample 0 of the second channel is left alone

    std::vector<int> seen;
    int failed = 0;
    ASSERT_TRUE((DoubleDensityPass<Family940>(raw, s, &rawA, &sa, -1, 4, &failed,
                                              [&](int t) { seen.push_back(t); })));
    EXPECT_EQ(seen, (std::vector<int>{-1, 0, 1, 2, 3, 4}));
    EXPECT_EQ(sa(2, 0), 77);
    for (int k = 1; k <= 768; ++k) {
        ASSERT_EQ(sa(2, 2 * k - 1), rawA(2, k));
        ASSERT_EQ(sa(2, 2 * k), rawA(2, std::min(k + 1, 768)));
    }
    // Traces below the first are left zero.
    for (int j = 0; j <= 1536; ++j) {
        ASSERT_EQ(s(-3, j), 0);
        ASSERT_EQ(sa(-2, j), 0);
    }
    EXPECT_EQ(s(3, 1535), raw(3, 768));

    raw(2, 50) = 2'000'000'000;
    raw(2, 51) = 2'000'000'000;
    seen.clear();
    EXPECT_FALSE((DoubleDensityPass<Family940>(raw, s, &rawA, &sa, -1, 4, &failed,
                                               [&](int t) { seen.push_back(t); })));
    EXPECT_EQ(failed, 2);
    EXPECT_EQ(seen, (std::vector<int>{-1, 0, 1}));
}
