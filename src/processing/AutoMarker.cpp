#include "processing/AutoMarker.h"

#include "base/Numeric.h"
#include "data/Family.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace rebar {

int AutoMarkerGrid::jumpLimit() const {
    int32_t v = 0;
    roundTo(300.0 * S / 12000.0, v);
    return v;
}

void DetectionProgress::set(int v) {
    value = std::clamp(v, 0, 100);
    if (fn)
        fn(value);
}

namespace {

// Background progress: 12 rises of 7, as after every S/12 rows of a row-by-row estimate.
constexpr int BackgroundSteps = 12;
constexpr int BackgroundStep = 7;

template <typename T>
bool estimateBackground(const Matrix<T>& D, int N, int S, std::vector<int32_t>& bg,
                        DetectionProgress& progress) {
    constexpr int BW = AutoMarkerGrid::BlockWidth;
    const T* ref = D.trace(0);
    const int B = N / BW; // whole blocks; the traces after the last one take no part
    bool ok = true;

    // Per row: the sum over the blocks of the average of the block's two smallest
    // non-negative deviations from the reference.
    constexpr int64_t None = std::numeric_limits<int64_t>::max();
    std::vector<int64_t> sumPos(static_cast<size_t>(S) + 1, 0);
    std::vector<int64_t> m1(static_cast<size_t>(S) + 1), m2(static_cast<size_t>(S) + 1);
    int reported = 0;
    for (int b = 0; b < B && ok; ++b) {
        std::fill(m1.begin(), m1.end(), None);
        std::fill(m2.begin(), m2.end(), None);
        for (int j = 1; j <= BW; ++j) {
            const T* x = D.trace(b * BW + j);
            for (int k = 1; k <= S; ++k) {
                const int64_t d = static_cast<int64_t>(x[k]) - ref[k];
                if constexpr (sizeof(T) >= sizeof(int32_t))
                    ok &= fitsIn<int32_t>(d);
                if (d < 0)
                    continue;
                if (d < m1[k]) {
                    m2[k] = m1[k];
                    m1[k] = d;
                } else if (d < m2[k]) {
                    m2[k] = d;
                }
            }
        }
        if (!ok)
            break;
        for (int k = 1; k <= S; ++k) {
            const int64_t sum = (m1[k] == None ? 0 : m1[k]) + (m2[k] == None ? 0 : m2[k]);
            sumPos[k] += static_cast<int64_t>(roundHalfEven(static_cast<double>(sum) / 2.0));
        }
        // The progress of the rows of a row-by-row estimate, spread over the blocks.
        const int due = (b + 1) * BackgroundSteps / B;
        for (; reported < due; ++reported)
            progress.add(BackgroundStep);
    }

    // The step stops at its first failure; rows it did not reach keep a background of 0.
    bg.assign(static_cast<size_t>(S) + 1, 0);
    auto finish = [&](bool result) {
        for (; reported < BackgroundSteps; ++reported)
            progress.add(BackgroundStep);
        return result;
    };
    if (!ok)
        return finish(false); // a deviation that a 32-bit value cannot hold

    // A(k) averaged over the blocks, then smoothed over rows k - 2..k + 2 with A(0) = 0 and
    // divided by the number of terms minus one.
    std::vector<int32_t> A(static_cast<size_t>(S) + 1, 0);
    for (int k = 1; k <= S && B > 0; ++k)
        if (!roundTo(static_cast<double>(sumPos[k]) / B, A[k]))
            return finish(false);
    int64_t window = 0; // A(lo) + .. + A(hi), kept as the window slides
    for (int k = 0; k <= std::min(S, 2); ++k)
        window += A[k];
    for (int k = 1; k <= S; ++k) {
        const int lo = std::max(0, k - 2);
        const int hi = std::min(S, k + 2);
        if (k + 2 <= S)
            window += A[k + 2];
        if (k - 3 >= 0)
            window -= A[k - 3];
        int32_t avg = 0;
        if (!roundTo(static_cast<double>(window) / (hi - lo), avg) ||
            !checkedAdd<int32_t>(avg, static_cast<int32_t>(ref[k]), bg[k]))
            return finish(false);
    }
    return finish(true);
}

// The five-row moving average of rows 3..S - 3 of one trace, in place; the two rows at the
// top and the three at the bottom keep their values. False when a sum of five rows does not
// fit 32 bits.
bool smoothRows(std::vector<int32_t>& v, std::vector<int32_t>& copy, int S) {
    copy = v;
    if (S < 6)
        return true;
    int64_t sum = int64_t{copy[1]} + copy[2] + copy[3] + copy[4] + copy[5];
    bool ok = true;
    for (int j = 3; j <= S - 3; ++j) {
        ok &= fitsIn<int32_t>(sum);
        // sum / 5 never ends in a half, so nearest is the plain rounding.
        v[j] = static_cast<int32_t>(roundHalfEven(static_cast<double>(sum) / 5.0));
        sum += copy[j + 3] - int64_t{copy[j - 2]};
    }
    return ok;
}

template <typename T>
ProfileSteps buildPeakProfile(const Matrix<T>& D, int N, int S, const std::vector<int32_t>& bg,
                              std::vector<int32_t>& peakRow, DetectionProgress& progress) {
    ProfileSteps steps;
    peakRow.assign(static_cast<size_t>(N) + 1, 0);
    bool& subtractOk = steps.subtractOk;
    std::vector<int32_t> trace(static_cast<size_t>(S) + 1, 0), copy;
    for (int i = 1; i <= N; ++i) {
        const T* x = D.trace(i);
        for (int j = 1; j <= S; ++j) {
            int32_t v = 0;
            if (subtractOk) {
                const double d = static_cast<double>(static_cast<int64_t>(x[j]) - bg[j]);
                if (!roundTo(AutoMarkerGrid::Gain * d, v)) {
                    subtractOk = false; // this and every later sample stays 0
                    v = 0;
                }
            }
            trace[j] = v;
        }
        if (!smoothRows(trace, copy, S)) {
            // The profile step ends before it finds any peak row.
            std::fill(peakRow.begin(), peakRow.end(), 0);
            steps.profileOk = false;
            return steps;
        }
        peakRow[i] = PeakRowOf(trace.data(), S);
    }
    progress.add(5); // smoothing
    progress.add(5); // peak rows
    AutoMarkerGrid grid;
    grid.S = S;
    ApplyContinuityFilter(peakRow, grid.jumpLimit());
    progress.add(5);
    return steps;
}

// The score of the apex candidate o: the spread of the left/right differences of its window
// in the score's units, or -1 when the window does not qualify.
double candidateScore(const std::vector<int32_t>& P, int N, int o, const AutoMarkerGrid& g) {
    constexpr int m = AutoMarkerGrid::HalfWidth;
    if (o - m < 1 || o + m > N)
        return -1;
    for (int t = o - m; t <= o + m; ++t)
        if (P[t] == 0)
            return -1;
    const double c = g.scale();
    double Q = 0;
    for (int k = 1; k <= m; ++k) {
        const double diff = static_cast<double>(P[o - k]) - P[o + k];
        if (std::fabs(diff) > g.largestStep())
            return -1;
        Q += (diff * c) * (diff * c);
    }
    if (P[o + m] - P[o] < g.minimumRise() || P[o - m] - P[o] < g.minimumRise())
        return -1;
    return std::sqrt(Q / 12.0);
}

} // namespace

bool EstimateBackground(const Matrix<int16_t>& D, int N, int S,
                        std::vector<int32_t>& BackgroundTrace, DetectionProgress& progress) {
    return estimateBackground(D, N, S, BackgroundTrace, progress);
}
bool EstimateBackground(const Matrix<int32_t>& D, int N, int S,
                        std::vector<int32_t>& BackgroundTrace, DetectionProgress& progress) {
    return estimateBackground(D, N, S, BackgroundTrace, progress);
}

ProfileSteps BuildPeakProfile(const Matrix<int16_t>& D, int N, int S,
                              const std::vector<int32_t>& BackgroundTrace,
                              std::vector<int32_t>& PeakRow, DetectionProgress& progress) {
    return buildPeakProfile(D, N, S, BackgroundTrace, PeakRow, progress);
}
ProfileSteps BuildPeakProfile(const Matrix<int32_t>& D, int N, int S,
                              const std::vector<int32_t>& BackgroundTrace,
                              std::vector<int32_t>& PeakRow, DetectionProgress& progress) {
    return buildPeakProfile(D, N, S, BackgroundTrace, PeakRow, progress);
}

int32_t PeakRowOf(const int32_t* values, int S) {
    int32_t mx = 0;
    int first = 0;
    for (int j = 1; j <= S; ++j)
        if (values[j] > mx) {
            mx = values[j];
            first = j;
        }
    if (mx < AutoMarkerGrid::MinimumPeak)
        return 0;
    int last = first;
    while (last < S && values[last + 1] == mx)
        ++last;
    return first + (last - first) / 2;
}

void ApplyContinuityFilter(std::vector<int32_t>& PeakRow, int jumpLimit) {
    const int N = static_cast<int>(PeakRow.size()) - 1;
    int start = 1;
    auto endRun = [&](int end) {
        if (end - start + 1 < AutoMarkerGrid::MinimumRun)
            std::fill(PeakRow.begin() + start, PeakRow.begin() + end + 1, 0);
    };
    for (int i = 2; i <= N; ++i) {
        if (std::abs(int64_t{PeakRow[i]} - PeakRow[i - 1]) <= jumpLimit)
            continue;
        endRun(i - 1);
        start = i;
    }
    if (N >= 1)
        endRun(N);
}

std::vector<DetectedApex> FindApexes(const std::vector<int32_t>& P, const AutoMarkerGrid& grid) {
    constexpr int m = AutoMarkerGrid::HalfWidth;
    const int N = static_cast<int>(P.size()) - 1;
    std::vector<DetectedApex> out;
    int l = AutoMarkerGrid::FirstTrace;
    while (l < N - m) {
        if (!(P[l] < P[l + 1] && P[l] < P[l + 2])) {
            ++l;
            continue;
        }
        double best = 100000;
        int t = -1;
        for (int o = l - m; o <= l + m + 1; ++o) {
            const double score = candidateScore(P, N, o, grid);
            if (score >= 0 && score < best) {
                best = score;
                t = o;
            }
        }
        if (t >= 0 && best < AutoMarkerGrid::ScoreLimit && P[t] > AutoMarkerGrid::MinimumApexRow) {
            out.push_back({t, P[t]});
            if (static_cast<int>(out.size()) == AutoMarkerGrid::MaximumMarkers)
                break;
            l = t + 2 * m - 1;
            continue;
        }
        int next = l + m + 1;
        while (next < N - m && P[next] == 0)
            ++next;
        l = next; // the loop ends when no trace up to N - 13 holds a peak
    }
    return out;
}

namespace {

template <class F>
AutoMarkerResult computeAutoMarker(const MeasurementRecord& rec, bool fromEnd,
                                   DetectionProgress& progress) {
    AutoMarkerResult res;
    const int N = rec.TraceCount;
    constexpr int S = F::DetectionRows;
    const auto& D = F::detectionInput(rec);
    if (N < 1 || !D.hasTrace(0) || !D.hasTrace(N) || D.lastSample() < S) {
        res.reason = QStringLiteral("the record holds no samples to detect in");
        return res;
    }
    AutoMarkerGrid grid;
    grid.S = S;
    std::vector<int32_t> background, peakRow;
    res.stepOk[0] = EstimateBackground(D, N, S, background, progress);
    const ProfileSteps steps = BuildPeakProfile(D, N, S, background, peakRow, progress);
    res.stepOk[1] = steps.subtractOk;
    res.stepOk[2] = steps.profileOk;
    if (fromEnd)
        std::reverse(peakRow.begin() + 1, peakRow.end());
    res.apexes = FindApexes(peakRow, grid);
    res.stepOk[3] = true;
    if (fromEnd)
        for (DetectedApex& a : res.apexes)
            a.x = N - a.x + 1;
    if (res.apexes.empty() && F::Number == 730) {
        // The 730 list keeps its free entries; the run counts as failed.
        res.nothingFound = true;
        res.reason = QStringLiteral("no apex was found");
        return res;
    }
    res.ok = true;
    return res;
}

} // namespace

AutoMarkerResult ComputeAutoMarker(const MeasurementRecord& rec, bool fromEnd,
                                   const ProgressFn& progress) {
    DetectionProgress p{progress, 1};
    try {
        return rec.is940() ? computeAutoMarker<Family940>(rec, fromEnd, p)
                           : computeAutoMarker<Family730>(rec, fromEnd, p);
    } catch (const std::bad_alloc&) {
        AutoMarkerResult res;
        res.reason = QStringLiteral("not enough memory for the detection");
        return res;
    }
}

} // namespace rebar
