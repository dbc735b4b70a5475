#pragma once
// Double density: every trace is resampled to twice its samples and smoothed, the same way for
// both families. With x the raw trace (samples 0..R) and y a work line (0..2R):
//   y[0] = x[0]; y[2k - 1] = x[k]; y[2k] = (x[k'] + x[k' - 1]) div 2 with k' = min(k + 1, R),
// so the last even sample repeats the midpoint before it. The result s keeps y at its first
// four and last three samples; in between
//   s[j] = round(y[j] + 3/4 (y[j-1] + y[j+1]) + 1/2 (y[j-2] + y[j+2]) + 1/4 (y[j-3] + y[j+3]))
//          div 4
// with halves rounded to even. Every sum of two samples (the midpoints and the three symmetric
// pairs of the filter) must fit the sample type (16 bits for 730, 32 bits for 940); a pair that
// leaves it fails the trace.
//
// How it is computed:
// - The arithmetic is integer: V = 4y + 3p1 + 2p2 + p3 (four times the bracket) is exact in the
//   family's wide type, and round(V / 4) is (V + 1 + ((V >> 2) & 1)) >> 2.
// - Odd outputs (j = 2k - 1) and even outputs (j = 2k) are computed side by side for each k
//   from the raw samples a[k] = x[k] and the midpoints b[k]:
//     V(2k - 1) = 4a[k] + 3(b[k-1] + b[k]) + 2(a[k-1] + a[k+1]) + (b[k-2] + b[k+1])
//     V(2k)     = 4b[k] + 3(a[k] + a[k+1]) + 2(b[k-1] + b[k+1]) + (a[k-1] + a[k+2])
//   so every loop walks its arrays contiguously.
// - The pairs of two midpoints never leave the range (a midpoint is half a sum that fits), so
//   the pairs to check are pairs of raw samples: (k, k+1) for k = 1..R-1, (k, k+2) for
//   k = 2..R-2 and (k, k+3) for k = 1..R-3. They are checked as the smallest and largest sum of
//   the trace, without a branch.
// - Traces of 12-bit samples (the 730 scanners') take a shorter way on 16-bit lanes, below.
// - The loops run on vectors of the compiler's vector extension (16 bytes, which every target
//   of the program has); zero padding past the ends keeps every block whole, and the edge
//   samples the filter does not touch are written afterwards.

#include "data/Family.h"
#include "data/Matrix.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace rebar {

namespace detail {

// Vector types of a wide sample type: V holds Lanes wide values, U the same as unsigned, and
// Narrow Lanes samples of the family's own type.
template <typename W> struct DDVectors;
template <> struct DDVectors<int32_t> {
    typedef int32_t V __attribute__((vector_size(16)));
    typedef uint32_t U __attribute__((vector_size(16)));
    typedef int16_t Narrow __attribute__((vector_size(8)));
    static constexpr int Lanes = 4;
};
template <> struct DDVectors<int64_t> {
    typedef int64_t V __attribute__((vector_size(16)));
    typedef uint64_t U __attribute__((vector_size(16)));
    typedef int32_t Narrow __attribute__((vector_size(8)));
    static constexpr int Lanes = 2;
};

template <typename V, typename T> inline V load(const T* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <typename V, typename T> inline void store(T* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}
template <typename V> inline V vmin(V a, V b) {
    return a < b ? a : b;
}
template <typename V> inline V vmax(V a, V b) {
    return a > b ? a : b;
}

// round(v / 4) with halves to even, then divided by 4 truncating toward zero.
template <typename V> inline V roundQuarterThenQuarter(V v) {
    v = (v + 1 + ((v >> 2) & 1)) >> 2; // shifts of negative values are arithmetic
    return v / 4;
}

// The scanners of the 730 family deliver 12-bit samples. When every sample 1..R of a trace
// lies in 0..4095, no pair can leave 16 bits and V (at most 16 x 4095) stays below 2^16, so
// the pass runs on twice as many unsigned 16-bit lanes, directly on the double-density line.
// Returns false, having written nothing, when the trace has other values.
template <int R> bool doubleDensity12Bit(const int16_t* x, int16_t* s) {
    typedef int16_t V16 __attribute__((vector_size(16)));
    typedef uint16_t U16 __attribute__((vector_size(16)));
    constexpr int L = 8;
    constexpr int D = 2 * R;
    constexpr int Pad = 8;                 // y[j] is yp[Pad + j]
    constexpr int N = Pad + D + 1 + 2 * L; // room for the reads past D
    static_assert(R % L == 0);

    V16 lo = load<V16>(x + 1);
    V16 hi = lo;
    for (int k = 1 + L; k <= R; k += L) {
        const V16 v = load<V16>(x + k);
        lo = vmin(lo, v);
        hi = vmax(hi, v);
    }
    for (int i = 0; i < L; ++i)
        if (lo[i] < 0 || hi[i] > 4095)
            return false;

    alignas(16) uint16_t yp[N];
    uint16_t* y = yp + Pad;
    std::fill(yp, yp + Pad, uint16_t{0});
    std::fill(y + D + 1, yp + N, uint16_t{0});
    y[0] = static_cast<uint16_t>(x[0]);
    int k = 1;
    for (; k + L <= R; k += L) { // y[2k - 1] = x[k], y[2k] = midpoint, eight k at a time
        const U16 a = load<U16>(x + k);
        const U16 b = (a + load<U16>(x + k + 1)) >> 1;
        store(y + 2 * k - 1, __builtin_shufflevector(a, b, 0, 8, 1, 9, 2, 10, 3, 11));
        store(y + 2 * k + 7, __builtin_shufflevector(a, b, 4, 12, 5, 13, 6, 14, 7, 15));
    }
    for (; k < R; ++k) {
        y[2 * k - 1] = static_cast<uint16_t>(x[k]);
        y[2 * k] = static_cast<uint16_t>((x[k] + x[k + 1]) >> 1);
    }
    y[D - 1] = static_cast<uint16_t>(x[R]);
    y[D] = y[D - 2];

    for (int j = 0; j < D; j += L) {
        const U16 v = 4 * load<U16>(y + j) + 3 * (load<U16>(y + j - 1) + load<U16>(y + j + 1)) +
                      2 * (load<U16>(y + j - 2) + load<U16>(y + j + 2)) +
                      (load<U16>(y + j - 3) + load<U16>(y + j + 3));
        const U16 rounded = (v + 1 + ((v >> 2) & 1)) >> 2;
        store(s + j, rounded >> 2);
    }
    for (int j = 0; j < 4; ++j)
        s[j] = static_cast<int16_t>(y[j]);
    for (int j = D - 2; j <= D; ++j)
        s[j] = static_cast<int16_t>(y[j]);
    return true;
}

} // namespace detail

// Resamples trace x (RawLast + 1 samples) into s (DDLast + 1 samples). Returns false when a pair
// sum leaves the range of the family's sample type; s is then written all the same.
template <typename F> bool DoubleDensityTrace(const typename F::Sample* x, typename F::Sample* s) {
    using S = typename F::Sample;
    using W = typename F::Wide;
    using Vec = detail::DDVectors<W>;
    using V = typename Vec::V;
    using U = typename Vec::U;
    using detail::load;
    using detail::store;
    constexpr int L = Vec::Lanes;
    constexpr int R = F::RawLast;
    constexpr int D = F::DDLast;
    constexpr int Off = 8;               // a[Off + k] = x[k], b[Off + k] = midpoint k
    constexpr int N = Off + R + 2 * Off; // room for the blocks past R
    static_assert(D == 2 * R && R % L == 0);
    static_assert(sizeof(typename Vec::Narrow) == L * sizeof(S));
    if constexpr (sizeof(S) == 2) {
        if (detail::doubleDensity12Bit<R>(x, s))
            return true;
    }

    alignas(16) W a[N];
    alignas(16) W b[N];
    std::fill(a, a + Off, W{0});
    std::fill(a + Off + R + 1, a + N, W{0});
    std::fill(b, b + Off, W{0});
    std::fill(b + Off + R + 1, b + N, W{0});

    for (int k = 0; k < R; k += L)
        store(a + Off + k, __builtin_convertvector(load<typename Vec::Narrow>(x + k), V));
    a[Off + R] = x[R];

    // Midpoints and the raw pairs (the padding past R adds zeros, which fit).
    V lo{};
    V hi{};
    for (int k = 1; k <= R; k += L) {
        const V a0 = load<V>(a + Off + k);
        const V p1 = a0 + load<V>(a + Off + k + 1);
        const V p3 = a0 + load<V>(a + Off + k + 3);
        lo = detail::vmin(lo, detail::vmin(p1, p3));
        hi = detail::vmax(hi, detail::vmax(p1, p3));
        store(b + Off + k, p1 / 2);
    }
    for (int k = 2; k <= R + 1; k += L) {
        const V p2 = load<V>(a + Off + k) + load<V>(a + Off + k + 2);
        lo = detail::vmin(lo, p2);
        hi = detail::vmax(hi, p2);
    }
    b[Off] = x[0];
    b[Off + R] = b[Off + R - 1];

    // Odd and even outputs of each k, packed as the two neighbouring samples s[2k - 1], s[2k].
    constexpr int Bits = 8 * sizeof(S);
    using UW = std::make_unsigned_t<W>;
    constexpr UW LowMask = (UW{1} << Bits) - 1;
    alignas(16) W packed[R];
    for (int k = 1; k <= R; k += L) {
        const W* A = a + Off + k;
        const W* B = b + Off + k;
        const V a0 = load<V>(A), am = load<V>(A - 1), ap = load<V>(A + 1), ap2 = load<V>(A + 2);
        const V b0 = load<V>(B), bm = load<V>(B - 1), bp = load<V>(B + 1), bm2 = load<V>(B - 2);
        const V odd =
            detail::roundQuarterThenQuarter(4 * a0 + 3 * (bm + b0) + 2 * (am + ap) + (bm2 + bp));
        const V even =
            detail::roundQuarterThenQuarter(4 * b0 + 3 * (a0 + ap) + 2 * (bm + bp) + (am + ap2));
        if constexpr (std::endian::native == std::endian::little) {
            const U pair = (__builtin_convertvector(odd, U) & LowMask) |
                           (__builtin_convertvector(even, U) << Bits);
            store(packed + k - 1, pair);
        } else {
            for (int i = 0; i < L; ++i) {
                s[2 * (k + i) - 1] = static_cast<S>(odd[i]);
                s[2 * (k + i)] = static_cast<S>(even[i]);
            }
        }
    }
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(s + 1, packed, sizeof packed); // s[1..2R]

    // The edges keep y.
    s[0] = x[0];
    s[1] = x[1];
    s[2] = static_cast<S>(b[Off + 1]);
    s[3] = x[2];
    s[D - 2] = static_cast<S>(b[Off + R - 1]);
    s[D - 1] = x[R];
    s[D] = static_cast<S>(b[Off + R]);

    W low = 0;
    W high = 0;
    for (int i = 0; i < L; ++i) {
        low = std::min<W>(low, lo[i]);
        high = std::max<W>(high, hi[i]);
    }
    return low >= static_cast<W>(std::numeric_limits<S>::min()) &&
           high <= static_cast<W>(std::numeric_limits<S>::max());
}

// The second channel of the 940 family is only spread onto the double-density grid:
// sa[2k - 1] = xa[k], sa[2k] = xa[k'] with k' = min(k + 1, RawLast); sa[0] is left alone.
template <typename F>
void DoubleDensitySpread(const typename F::Sample* xa, typename F::Sample* sa) {
    constexpr int R = F::RawLast;
    for (int k = 1; k < R; ++k) {
        sa[2 * k - 1] = xa[k];
        sa[2 * k] = xa[k + 1];
    }
    sa[2 * R - 1] = xa[R];
    sa[2 * R] = xa[R];
}

struct NoAfterTrace {
    void operator()(int) const {}
};

// Runs the pass over traces first..last of raw into samples (both must cover them). When
// rawA and samplesA are given (940 family), their traces are spread alongside. afterTrace(t)
// runs after each trace (progress, letting events run). Returns false at the first trace
// whose pair sums overflow and stores its number in failedTrace.
template <typename F, typename AfterTrace = NoAfterTrace>
bool DoubleDensityPass(const Matrix<typename F::Sample>& raw, Matrix<typename F::Sample>& samples,
                       const Matrix<typename F::Sample>* rawA, Matrix<typename F::Sample>* samplesA,
                       int first, int last, int* failedTrace = nullptr,
                       AfterTrace&& afterTrace = {}) {
    const bool second = rawA && samplesA && !rawA->empty() && !samplesA->empty();
    for (int t = first; t <= last; ++t) {
        if (!DoubleDensityTrace<F>(raw.trace(t), samples.trace(t))) {
            if (failedTrace)
                *failedTrace = t;
            return false;
        }
        if (second)
            DoubleDensitySpread<F>(rawA->trace(t), samplesA->trace(t));
        afterTrace(t);
    }
    return true;
}

} // namespace rebar
