#pragma once
// Per-sample figures over the measured traces 1..N of an input matrix: the smallest and the
// largest value of every sample, and on request the sum of every sample as the processing
// forms it, a 32-bit integer summed trace by trace. Processing checks its whole result from
// the smallest and largest inputs before it writes anything.

#include "data/Matrix.h"
#include "data/Numeric.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace rebar {

template <typename Sample> class ColumnStats {
public:
    // Scans traces 1..traceCount, samples 1..last. With sums, false when a running 32-bit sum
    // leaves its range (the figures are then unusable). traceCount must be at least 1.
    bool compute(const Matrix<Sample>& in, int traceCount, int last, bool withSums) {
        m_lo.assign(in.trace(1), in.trace(1) + last + 1);
        m_hi = m_lo;
        Sample* lo = m_lo.data();
        Sample* hi = m_hi.data();
        for (int i = 2; i <= traceCount; ++i) {
            const Sample* row = in.trace(i);
            for (int j = 1; j <= last; ++j) {
                lo[j] = std::min(lo[j], row[j]);
                hi[j] = std::max(hi[j], row[j]);
            }
        }
        m_sum.clear();
        if (!withSums)
            return true;
        m_sum.assign(static_cast<std::size_t>(last) + 1, 0);
        int64_t* sum = m_sum.data();
        // No running sum can leave 32 bits when N times the largest magnitude fits; otherwise
        // the sums are checked step by step.
        int64_t largest = 0;
        for (int j = 1; j <= last; ++j)
            largest =
                std::max({largest, -static_cast<int64_t>(lo[j]), static_cast<int64_t>(hi[j])});
        const bool bounded = largest * traceCount <= std::numeric_limits<int32_t>::max();
        bool fits = true;
        for (int i = 1; i <= traceCount; ++i) {
            const Sample* row = in.trace(i);
            for (int j = 1; j <= last; ++j)
                sum[j] += row[j];
            if (!bounded) {
                for (int j = 1; j <= last; ++j)
                    fits &= fitsIn<int32_t>(sum[j]);
            }
        }
        return fits;
    }

    Sample lo(int j) const { return m_lo[j]; }
    Sample hi(int j) const { return m_hi[j]; }
    // Sum of sample j over the traces divided by traceCount, truncated toward zero.
    int32_t mean(int j, int traceCount) const {
        return static_cast<int32_t>(truncDiv<int64_t>(m_sum[j], traceCount));
    }

private:
    std::vector<Sample> m_lo;
    std::vector<Sample> m_hi;
    std::vector<int64_t> m_sum;
};

} // namespace rebar
