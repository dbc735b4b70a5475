#pragma once
// The peak stage of either family on one output matrix: every trace keeps only the single
// positive lobe that contains its first value above the family's threshold; everything else
// becomes the zero level.
//
// The value W(j) of trace i is the mean (truncated) of sample j over a window of 2H+1 traces
// i-H..i+H, ends clamped to 1..N, minus the zero level; H is 2 for the 730 family and 0 (no
// smoothing) for the 940 family. Windows always read the mode stage's results: a trace's
// result is held back until no later window reads the trace. The stage follows the mode stage
// trace by trace, so the rows it reads are still in the cache.
//
// A trace only needs W up to the end of its lobe, so W is made in blocks of samples as the
// search goes. Window sums are formed in 32 bits (64 for the 940 family's 32-bit samples): five
// 730 values near the top of their range add up to more than 16 bits hold, and their mean,
// which is what the stage keeps, always fits the sample type again. So the stage cannot fail.

#include "base/Numeric.h"
#include "data/Family.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

namespace rebar {

// Last: the matrix's last sample (512/1024, 768/1536).
template <class F, int Last> class PeakStage {
public:
    using Sample = typename F::Sample;
    static constexpr int H = F::PeakHalfWidth;
    static constexpr int Count = 2 * H + 1;
    static constexpr int Block = 64;
    static_assert(Last % Block == 0);
    using Rows = std::array<const Sample*, Count>;

    // The stage runs alongside the stage before it: traceDone(i) says that row i of out holds
    // its input, finish() that all rows do. Every result row is written once no window needs
    // the row any more, and then passed to written(row).
    PeakStage(Matrix<Sample>& out, int traceCount) : m_out(out), m_n(traceCount), m_w(Last + 1) {}

    template <class Written> void traceDone(int i, Written&& written) {
        // the window of trace i - H is complete
        if (i - H >= 1)
            step(i - H, written);
    }

    template <class Written> void finish([[maybe_unused]] Written&& written) {
        if constexpr (H > 0) {
            for (int c = std::max(1, m_n - H + 1); c <= m_n; ++c)
                step(c, written);
            for (int t = std::max(1, m_n - H + 1); t <= m_n; ++t)
                flush(t, written);
        }
    }

private:
    // The kept lobe of one trace: samples a..b with their results, empty when b < a.
    struct Lobe {
        int a = 1;
        int b = 0;
        std::vector<Sample> value = std::vector<Sample>(Last + 1);
        void writeTo(Sample* row) const {
            std::fill(row + 1, row + Last + 1, static_cast<Sample>(F::ZeroLevel));
            std::copy(value.begin() + a, value.begin() + b + 1, row + a);
        }
    };

    template <class RowOf> static Rows window(int i, int n, RowOf& rowOf) {
        Rows rows{};
        for (int k = 0; k < Count; ++k)
            rows[k] = rowOf(std::clamp(i + k - H, 1, n));
        return rows;
    }

    // Finds the lobe of trace c, then writes trace c - H, which no later window reads.
    template <class Written> void step(int c, Written& written) {
        auto rowOf = [this](int t) { return static_cast<const Sample*>(m_out.trace(t)); };
        findLobe(window(c, m_n, rowOf), m_w.data(), m_pending[c % (H + 1)]);
        if (c - H >= 1)
            flush(c - H, written);
    }

    template <class Written> void flush(int t, Written& written) {
        Sample* row = m_out.trace(t);
        m_pending[t % (H + 1)].writeTo(row);
        written(row);
    }

    // W of samples j0..j0+Block-1 into w; returns the largest.
    static int32_t block(const Rows& rows, int j0, int32_t* __restrict w) {
        return blockOf(rows, j0, w, std::make_index_sequence<Count - 1>{});
    }

    // The window's rows unrolled, so that the sample loop vectorises. The sums are wider than
    // the samples, so they never overflow.
    template <std::size_t... K>
    static int32_t blockOf(const Rows& rows, int j0, int32_t* __restrict w,
                           std::index_sequence<K...>) {
        using Acc = std::conditional_t<(sizeof(Sample) < sizeof(int32_t)), int32_t, int64_t>;
        const Sample* __restrict first = rows[0];
        [[maybe_unused]] const std::array<const Sample*, Count - 1> rest{rows[K + 1]...};
        int32_t top = std::numeric_limits<int32_t>::min();
#pragma GCC ivdep
        for (int j = j0; j < j0 + Block; ++j) {
            Acc s = first[j];
            ((s += rest[K][j]), ...);
            w[j] = static_cast<int32_t>(truncDiv<Acc>(s, Count) - F::ZeroLevel);
            top = std::max(top, w[j]);
        }
        return top;
    }

    // The lobe around the first W above the threshold: W made block by block up to its end.
    static void findLobe(const Rows& rows, int32_t* w, Lobe& lobe) {
        int made = 0; // W is made for samples 1..made
        int p = 0;
        while (p == 0 && made < Last) {
            const int j0 = made + 1;
            made += Block;
            if (block(rows, j0, w) > F::PeakThreshold) {
                p = j0;
                while (w[p] <= F::PeakThreshold)
                    ++p;
            }
        }
        lobe.a = 1;
        lobe.b = 0;
        if (p == 0)
            return;
        int a = p;
        while (a > 1 && w[a - 1] > 0)
            --a;
        int b = p;
        for (; b < Last; ++b) {
            if (b + 1 > made) {
                block(rows, made + 1, w);
                made += Block;
            }
            if (w[b + 1] <= 0)
                break;
        }
        for (int k = a; k <= b; ++k)
            lobe.value[k] = static_cast<Sample>(w[k] + F::ZeroLevel);
        lobe.a = a;
        lobe.b = b;
    }

    Matrix<Sample>& m_out;
    int m_n;
    std::vector<int32_t> m_w;
    std::array<Lobe, H + 1> m_pending;
};

} // namespace rebar
