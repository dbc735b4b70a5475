#pragma once
// Double density: every trace is resampled to twice its samples and smoothed, the same way for
// both families. With x the raw trace (samples 0..RawLast) and y a work line (0..DDLast):
//   y[0] = x[0]; y[2k - 1] = x[k]; y[2k] = (x[k'] + x[k' - 1]) div 2 with k' = min(k + 1, RawLast),
// so the last even sample repeats the midpoint before it. The result s keeps y at its first
// four and last three samples; in between
//   s[j] = round(y[j] + 3/4 (y[j-1] + y[j+1]) + 1/2 (y[j-2] + y[j+2]) + 1/4 (y[j-3] + y[j+3])) div
//   4
// with halves rounded to even. Every sum of two samples (the midpoints and the three symmetric
// pairs of the filter) must fit the sample type (16 bits for 730, 32 bits for 940); a pair that
// leaves it fails the trace.
//
// The arithmetic is integer throughout: 4 times the bracket, V = 4y + 3p1 + 2p2 + p3, is exact,
// and the rounding of V / 4 is done on its quotient and remainder. Overflow is collected as the
// smallest and largest pair sum of the trace, so the loops carry no branch.

#include "data/Family.h"
#include "data/Matrix.h"

#include <algorithm>
#include <limits>

namespace rebar {

namespace detail {

// round(v / 4) with halves to even, then divided by 4 truncating toward zero.
template <typename W> constexpr W quarterRoundedThenQuartered(W v) {
    const W q = v >> 2; // floor(v / 4): shifts of negative values are arithmetic
    const W r = v & 3;  // v - 4q, 0..3
    const W rounded = q + static_cast<W>((r + (q & 1)) > 2);
    return rounded / 4;
}

} // namespace detail

// Resamples trace x (RawLast + 1 samples) into s (DDLast + 1 samples). Returns false when a pair
// sum leaves the range of the family's sample type; s is then partly written.
template <typename F> bool DoubleDensityTrace(const typename F::Sample* x, typename F::Sample* s) {
    using S = typename F::Sample;
    using W = typename F::Wide;
    constexpr int R = F::RawLast;
    constexpr int D = F::DDLast;
    static_assert(D == 2 * R);

    W y[D + 1];
    W lo = 0;
    W hi = 0;

    y[0] = x[0];
    for (int k = 1; k < R; ++k) {
        const W pair = static_cast<W>(x[k]) + static_cast<W>(x[k + 1]);
        lo = std::min(lo, pair);
        hi = std::max(hi, pair);
        y[2 * k - 1] = x[k];
        y[2 * k] = pair / 2;
    }
    y[2 * R - 1] = x[R];
    y[2 * R] = y[2 * R - 2]; // k = R uses the pair of k = R - 1 again

    for (int j = 0; j < 4; ++j)
        s[j] = static_cast<S>(y[j]);
    for (int j = 4; j <= D - 3; ++j) {
        const W p1 = y[j - 1] + y[j + 1];
        const W p2 = y[j - 2] + y[j + 2];
        const W p3 = y[j - 3] + y[j + 3];
        lo = std::min(lo, std::min(p1, std::min(p2, p3)));
        hi = std::max(hi, std::max(p1, std::max(p2, p3)));
        const W v = 4 * y[j] + 3 * p1 + 2 * p2 + p3;
        s[j] = static_cast<S>(detail::quarterRoundedThenQuartered(v));
    }
    for (int j = D - 2; j <= D; ++j)
        s[j] = static_cast<S>(y[j]);

    return lo >= static_cast<W>(std::numeric_limits<S>::min()) &&
           hi <= static_cast<W>(std::numeric_limits<S>::max());
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
