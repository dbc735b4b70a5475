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

// Folds one trace into the two smallest non-negative deviations of every row so far (None
// where there is none yet), without branches. W holds every deviation and None is above them.
template <typename W, typename T> void foldTrace(const T* x, const T* ref, int S, W* m1, W* m2) {
    constexpr W None = std::numeric_limits<W>::max();
    for (int k = 1; k <= S; ++k) {
        const W d = static_cast<W>(x[k]) - static_cast<W>(ref[k]);
        const W v = d < 0 ? None : d;
        m2[k] = std::min(m2[k], std::max(m1[k], v));
        m1[k] = std::min(m1[k], v);
    }
}

// True when every sample of the block's traces and of the reference lies so close to 0 that
// each deviation fits 32 bits below the largest 32-bit value.
template <typename T> bool narrowDeviations(const Matrix<T>& D, int first, int last, int S) {
    if constexpr (sizeof(T) < sizeof(int32_t)) {
        return true;
    } else {
        constexpr T Bound = (T{1} << 30) - 1;
        T lo = 0, hi = 0;
        auto scan = [&](const T* x) {
            for (int k = 1; k <= S; ++k) {
                lo = std::min(lo, x[k]);
                hi = std::max(hi, x[k]);
            }
        };
        scan(D.trace(0));
        for (int t = first; t <= last; ++t)
            scan(D.trace(t));
        return lo >= -Bound && hi <= Bound;
    }
}

// Adds to sumPos, row by row, the rounded average of the block's two smallest non-negative
// deviations from the reference. False when a deviation does not fit 32 bits.
template <typename T>
bool addBlock(const Matrix<T>& D, int b, int S, std::vector<int64_t>& sumPos) {
    constexpr int BW = AutoMarkerGrid::BlockWidth;
    const T* ref = D.trace(0);
    const int first = b * BW + 1, last = b * BW + BW;
    auto add = [&](auto none, auto& m1, auto& m2) {
        for (int k = 1; k <= S; ++k) {
            const int64_t a = m1[k] == none ? 0 : m1[k];
            const int64_t c = m2[k] == none ? 0 : m2[k];
            sumPos[k] += static_cast<int64_t>(roundHalfEven(static_cast<double>(a + c) / 2.0));
        }
    };
    if (narrowDeviations(D, first, last, S)) {
        constexpr int32_t None = std::numeric_limits<int32_t>::max();
        std::vector<int32_t> m1(static_cast<size_t>(S) + 1, None), m2 = m1;
        for (int t = first; t <= last; ++t)
            foldTrace<int32_t>(D.trace(t), ref, S, m1.data(), m2.data());
        add(None, m1, m2);
        return true;
    }
    // Samples far from 0: deviations in 64 bits, each checked against 32.
    constexpr int64_t None = std::numeric_limits<int64_t>::max();
    std::vector<int64_t> m1(static_cast<size_t>(S) + 1, None), m2 = m1;
    for (int t = first; t <= last; ++t) {
        const T* x = D.trace(t);
        for (int k = 1; k <= S; ++k)
            if (!fitsIn<int32_t>(static_cast<int64_t>(x[k]) - ref[k]))
                return false;
        foldTrace<int64_t>(x, ref, S, m1.data(), m2.data());
    }
    add(None, m1, m2);
    return true;
}

template <typename T>
bool estimateBackground(const Matrix<T>& D, int N, int S, std::vector<int32_t>& bg,
                        DetectionProgress& progress) {
    constexpr int BW = AutoMarkerGrid::BlockWidth;
    const T* ref = D.trace(0);
    const int B = N / BW; // whole blocks; the traces after the last one take no part
    bool ok = true;

    // Per row: the sum over the blocks of the average of the block's two smallest
    // non-negative deviations from the reference.
    std::vector<int64_t> sumPos(static_cast<size_t>(S) + 1, 0);
    int reported = 0;
    for (int b = 0; b < B && ok; ++b) {
        ok = addBlock(D, b, S, sumPos);
        if (!ok)
            break;
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

// True when every background-free sample of traces 1..N lies within 2^27, so that neither
// the gain nor a sum of five amplified rows can leave 32 bits.
template <typename T>
bool boundedDeviations(const Matrix<T>& D, int N, int S, const std::vector<int32_t>& bg) {
    int64_t lo = 0, hi = 0;
    for (int i = 1; i <= N; ++i) {
        const T* x = D.trace(i);
        T a = x[1], b = x[1];
        for (int j = 1; j <= S; ++j) {
            a = std::min(a, x[j]);
            b = std::max(b, x[j]);
        }
        lo = std::min<int64_t>(lo, a);
        hi = std::max<int64_t>(hi, b);
    }
    const auto [bgLo, bgHi] = std::minmax_element(bg.begin() + 1, bg.end());
    constexpr int64_t Bound = int64_t{1} << 27;
    return hi - *bgLo <= Bound && *bgHi - lo <= Bound;
}

// SubtractBackground, the smoothing and the peak row of one trace whose deviations are
// bounded, in loops that vectorise. amplified and smoothed are work rows 0..S.
template <typename T>
int32_t quickPeakRow(const T* x, const int32_t* bg, int S, int32_t* amplified,
                     std::vector<int32_t>& smoothed) {
    for (int j = 1; j <= S; ++j)
        amplified[j] = static_cast<int32_t>(roundHalfEvenInRange(
            AutoMarkerGrid::Gain * static_cast<double>(static_cast<int32_t>(x[j]) - bg[j])));
    smoothed.assign(amplified, amplified + S + 1);
    // A sum of five rows divided by 5 never ends in a half, so a product with 0.2, off by far
    // less than the 0.1 to the nearest half, rounds the same.
    for (int j = 3; j <= S - 3; ++j)
        smoothed[static_cast<size_t>(j)] = static_cast<int32_t>(
            roundHalfEvenInRange(0.2 * (amplified[j - 2] + amplified[j - 1] + amplified[j] +
                                        amplified[j + 1] + amplified[j + 2])));
    return PeakRowOf(smoothed.data(), S);
}

template <typename T>
ProfileSteps buildPeakProfile(const Matrix<T>& D, int N, int S, const std::vector<int32_t>& bg,
                              std::vector<int32_t>& peakRow, DetectionProgress& progress) {
    ProfileSteps steps;
    peakRow.assign(static_cast<size_t>(N) + 1, 0);
    bool& subtractOk = steps.subtractOk;
    std::vector<int32_t> trace(static_cast<size_t>(S) + 1, 0), copy;
    const bool bounded = boundedDeviations(D, N, S, bg);
    for (int i = 1; i <= N; ++i) {
        if (bounded) {
            // Nothing can overflow: the quick way, which gives the same rows.
            peakRow[i] = quickPeakRow(D.trace(i), bg.data(), S, trace.data(), copy);
            continue;
        }
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
    // The largest value (values up to 0 never count), then the first row that holds it.
    int32_t mx = 0;
    for (int j = 1; j <= S; ++j)
        mx = std::max(mx, values[j]);
    if (mx < AutoMarkerGrid::MinimumPeak)
        return 0;
    int first = 1;
    while (values[first] != mx)
        ++first;
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
    if (!HasDetectionSamples(rec)) {
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

bool HasDetectionSamples(const MeasurementRecord& rec) {
    auto has = [&](const auto& D, int S) {
        return rec.TraceCount >= 1 && D.hasTrace(0) && D.hasTrace(rec.TraceCount) &&
               D.lastSample() >= S;
    };
    return rec.is940() ? has(Family940::detectionInput(rec), Family940::DetectionRows)
                       : has(Family730::detectionInput(rec), Family730::DetectionRows);
}

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
