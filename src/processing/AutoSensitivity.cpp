#include "processing/AutoSensitivity.h"

#include "base/Numeric.h"
#include "data/Family.h"
#include "processing/ColumnStats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace rebar {

namespace {

constexpr int Last = Family940::RawLast; // 768
constexpr int RisingLast = 575;          // the target rises over samples 1..575
constexpr int SmoothBefore = 6;          // the level is smoothed over j-6..j+7
constexpr int SmoothAfter = 7;

// Level in decibels of every sample: 10 log10 of the mean squared residual. False when a
// sample has no power.
bool levels(const Matrix<int32_t>& raw, int n, const std::vector<int32_t>& mean,
            std::vector<double>& level) {
    std::vector<double> power(Last + 1, 0.0);
    const double count = n;
    double* __restrict p = power.data();
    const int32_t* __restrict m = mean.data();
    for (int i = 1; i <= n; ++i) {
        const int32_t* __restrict row = raw.trace(i);
#pragma GCC ivdep
        for (int j = 1; j <= Last; ++j) {
            const int32_t d = row[j] - m[j]; // checked to fit 32 bits, and so is its square
            p[j] += static_cast<double>(d * d) / count;
        }
    }
    level.assign(Last + 1, 0.0);
    for (int j = 1; j <= Last; ++j) {
        if (!(power[j] > 0.0))
            return false;
        level[j] = 10.0 * std::log10(power[j]);
    }
    return true;
}

} // namespace

double AutoSensitivity::target(int j) {
    if (j > RisingLast)
        return 75.0;
    return 70.0 + 5.0 * std::sin(j * 3.14 / 575 * 0.5);
}

bool AutoSensitivity::compute(MeasurementRecord& r) {
    const int n = r.TraceCount;
    if (n < 1)
        return false;
    const Matrix<int32_t>& raw = r.Raw940;

    // 1. Mean trace, and from the extremes of every sample the proof that each residual and
    // its square fit 32 bits.
    ColumnStats<int32_t, Last> stats;
    if (!stats.compute(raw, n, true))
        return false;
    std::vector<int32_t> mean(Last + 1, 0);
    for (int j = 1; j <= Last; ++j) {
        mean[j] = stats.mean(j, n);
        for (const int64_t d : {int64_t{stats.lo(j)} - mean[j], int64_t{stats.hi(j)} - mean[j]}) {
            if (!fitsIn<int32_t>(d) || !fitsIn<int32_t>(d * d))
                return false;
        }
    }

    // 2..5. Residual power, its level and the level smoothed over neighbouring samples.
    std::vector<double> level;
    if (!levels(raw, n, mean, level))
        return false;
    std::vector<double> gain(Last + 1, 0.0);
    for (int j = 1; j <= Last; ++j) {
        const int from = std::max(1, j - SmoothBefore);
        const int to = std::min(Last, j + SmoothAfter);
        double sum = 0.0;
        for (int k = from; k <= to; ++k)
            sum += level[k];
        const double smoothed = sum / (to - from + 1);
        // 6, 7. Gain towards the target level.
        gain[j] = std::pow(10.0, -(smoothed - target(j)) / 20.0);
    }

    // 7. The gained residuals, limited to 16 bits, into both second matrices.
    for (int i = 1; i <= n; ++i) {
        const int32_t* row = raw.trace(i);
        int32_t* outA = r.Raw940A.trace(i);
        int32_t* outX2 = r.Samples940A.trace(i);
        for (int j = 1; j <= Last; ++j) {
            const double v = roundHalfEven(gain[j] * static_cast<double>(row[j] - mean[j]));
            const auto g = static_cast<int32_t>(std::clamp(v, -32768.0, 32767.0));
            outA[j] = g;
            outX2[2 * j - 1] = g;
            outX2[2 * j] = g;
        }
    }
    return true;
}

} // namespace rebar
