#pragma once
// The peak stage of either family on one output matrix: every trace keeps only the single
// positive lobe that contains its first value above the family's threshold; everything else
// becomes the zero level.
//
// The value W(j) of trace i is the mean (truncated) of sample j over a window of 2H+1 traces
// i-H..i+H, ends clamped to 1..N, minus the zero level; H is 2 for the 730 family and 0 (no
// smoothing) for the 940 family. Windows always read the mode stage's results: a trace's
// result is held back until no later window reads the trace.

#include "data/Family.h"
#include "data/Numeric.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace rebar {

template <class F> class PeakStage {
public:
    using Sample = typename F::Sample;
    static constexpr int H = F::PeakHalfWidth;
    static constexpr int Count = 2 * H + 1;
    using Rows = std::array<const Sample*, Count>;

    // W(1..last) of one window into w. False when a running window sum leaves the sample
    // type (16 bits in the 730 family).
    static bool windowValues(const Rows& rows, int last, int32_t* w) {
        using Acc = std::conditional_t<(sizeof(Sample) < sizeof(int32_t)), int32_t, int64_t>;
        bool fits = true;
        for (int j = 1; j <= last; ++j) {
            Acc s = rows[0][j];
            for (int k = 1; k < Count; ++k) {
                s += rows[k][j];
                fits &= fitsIn<Sample>(s);
            }
            w[j] = static_cast<int32_t>(truncDiv<Acc>(s, Count) - F::ZeroLevel);
        }
        return fits;
    }

    // Checks every window sum of traces 1..n over the rows rowOf(t) gives, without writing.
    template <class RowOf> static bool sumsFit(int n, int last, RowOf&& rowOf) {
        std::vector<int32_t> w(static_cast<std::size_t>(last) + 1);
        for (int i = 1; i <= n; ++i) {
            if (!windowValues(window(i, n, rowOf), last, w.data()))
                return false;
        }
        return true;
    }

    // Runs the stage on traces 1..n, samples 1..last of out. False when a window sum
    // overflows; out is then partly rewritten, so callers that must keep it whole check
    // sumsFit first.
    static bool run(Matrix<Sample>& out, int n, int last) {
        const std::size_t stride = static_cast<std::size_t>(last) + 1;
        std::vector<Sample> pending(stride * (H + 1));
        std::vector<int32_t> w(stride);
        auto pendingRow = [&](int t) { return pending.data() + stride * (t % (H + 1)); };
        auto flush = [&](int t) {
            const Sample* src = pendingRow(t);
            std::copy(src + 1, src + stride, out.trace(t) + 1);
        };
        auto rowOf = [&](int t) { return static_cast<const Sample*>(out.trace(t)); };
        bool fits = true;
        for (int i = 1; i <= n; ++i) {
            fits &= windowValues(window(i, n, rowOf), last, w.data());
            keepLobe(w.data(), last, pendingRow(i));
            if (i - H >= 1)
                flush(i - H);
        }
        if constexpr (H > 0) {
            for (int t = std::max(1, n - H + 1); t <= n; ++t)
                flush(t);
        }
        return fits;
    }

    // Result of one trace: W over the positive lobe around the first W above the threshold,
    // plus the zero level; the zero level everywhere else or when no W exceeds it.
    static void keepLobe(const int32_t* w, int last, Sample* result) {
        constexpr Sample zero = static_cast<Sample>(F::ZeroLevel);
        std::fill(result + 1, result + last + 1, zero);
        int p = 1;
        while (p <= last && w[p] <= F::PeakThreshold)
            ++p;
        if (p > last)
            return;
        int a = p;
        while (a > 1 && w[a - 1] > 0)
            --a;
        int b = p;
        while (b < last && w[b + 1] > 0)
            ++b;
        for (int k = a; k <= b; ++k)
            result[k] = static_cast<Sample>(w[k] + F::ZeroLevel);
    }

private:
    template <class RowOf> static Rows window(int i, int n, RowOf& rowOf) {
        Rows rows{};
        for (int k = 0; k < Count; ++k)
            rows[k] = rowOf(std::clamp(i + k - H, 1, n));
        return rows;
    }
};

} // namespace rebar
