#pragma once
// Per-sample figures over the measured traces 1..N of an input matrix: the smallest and the
// largest value of every sample, and on request the sum of every sample as the processing
// forms it, a 32-bit integer summed trace by trace. Processing checks its whole result from
// the smallest and largest inputs before it writes anything.

#include "base/Numeric.h"
#include "data/Matrix.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace rebar {

// Last: the last sample of a trace (samples 1..Last are scanned; sample 0 is a status word).
template <typename Sample, int Last> class ColumnStats {
public:
    // Scans traces 1..traceCount (at least 1). With sums, false when a running 32-bit sum
    // leaves its range (the figures are then unusable).
    bool compute(const Matrix<Sample>& in, int traceCount, bool withSums) {
        m_lo.assign(in.trace(1), in.trace(1) + Last + 1);
        m_hi = m_lo;
        Sample* __restrict lo = m_lo.data();
        Sample* __restrict hi = m_hi.data();
        for (int i = 2; i <= traceCount; ++i) {
            const Sample* __restrict row = in.trace(i);
#pragma GCC ivdep
            for (int j = 1; j <= Last; ++j) {
                lo[j] = std::min(lo[j], row[j]);
                hi[j] = std::max(hi[j], row[j]);
            }
        }
        m_sum.clear();
        return !withSums || sums(in, traceCount);
    }

    Sample lo(int j) const {
        return m_lo[j];
    }
    Sample hi(int j) const {
        return m_hi[j];
    }
    // Sum of sample j over the traces divided by traceCount, truncated toward zero.
    int32_t mean(int j, int traceCount) const {
        return static_cast<int32_t>(truncDiv<int64_t>(m_sum[j], traceCount));
    }

private:
    bool sums(const Matrix<Sample>& in, int traceCount) {
        m_sum.assign(Last + 1, 0);
        // No running sum can leave 32 bits when N times the largest magnitude fits: the sums
        // then run in 32 bits without checks. Otherwise every step is checked.
        int64_t largest = 0;
        for (int j = 1; j <= Last; ++j)
            largest = std::max({largest, -static_cast<int64_t>(m_lo[j]), int64_t{m_hi[j]}});
        if (largest * traceCount <= std::numeric_limits<int32_t>::max()) {
            std::vector<int32_t> sum32(Last + 1, 0);
            int32_t* __restrict s = sum32.data();
            for (int i = 1; i <= traceCount; ++i) {
                const Sample* __restrict row = in.trace(i);
#pragma GCC ivdep
                for (int j = 1; j <= Last; ++j)
                    s[j] += row[j];
            }
            std::copy(sum32.begin(), sum32.end(), m_sum.begin());
            return true;
        }
        bool fits = true;
        for (int i = 1; i <= traceCount; ++i) {
            const Sample* row = in.trace(i);
            for (int j = 1; j <= Last; ++j) {
                m_sum[j] += row[j];
                fits &= fitsIn<int32_t>(m_sum[j]);
            }
        }
        return fits;
    }

    std::vector<Sample> m_lo;
    std::vector<Sample> m_hi;
    std::vector<int64_t> m_sum;
};

} // namespace rebar
