#include "processing/FittedDetector.h"

#include "base/Numeric.h"
#include "data/Family.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

namespace rebar {

namespace {

constexpr double DDSamplesPerNs = 128.0; // double-density samples per nanosecond

// How the detector looks at the echoes.
constexpr double SurfaceGuardNs = 0.2; // no bar is looked for this soon after the surface
constexpr int LateralHalfWidth = 2;    // apex candidates: traces averaged on each side
constexpr int CandidateHalfWindow = 8; // an apex is the shallowest peak of 17 traces
constexpr double CandidateNoiseFactor = 4;
constexpr double TrackNoiseFactor = 3;
constexpr double TrackAmplitudeFloor = 0.12; // of the apex amplitude
constexpr int TrackMaxTraces = 120;          // on each side of the apex
constexpr int TrackMaxMisses = 3;
constexpr double TrackWindowNs = 4.0 / DDSamplesPerNs; // half the search window of a peak
constexpr int MinimumPoints = 9;
constexpr int MinimumPointsPerSide = 3;
constexpr double MarkerConfidence = 0.2; // fits below this are not taken for bars
constexpr double SameBarMm = 40;         // two apexes closer than this are one bar
constexpr double SmallestPermittivity = 2.0;
constexpr double LargestPermittivity = 20.0;

// The time scale of the family's depth tables: the time zero (depth 0) and the depth per
// nanosecond of two-way time at permittivity 8.0, read off the straight part of the table.
// Depth per nanosecond goes with 1 / sqrt(permittivity).
struct TableScale {
    double t0Ns = 0;
    double mmPerNsAt8 = 0;
    double mmPerNs(double er) const { return mmPerNsAt8 * std::sqrt(8.0 / er); }
    // The permittivity at which the echo travels `mmPerNs` of depth per ns of two-way time.
    double permittivityFor(double mmPerNs) const {
        const double r = mmPerNsAt8 / mmPerNs;
        return 8.0 * r * r;
    }
};

template <class F> double tableDepth(const CalibrationTables& t, int e, int s) {
    if constexpr (F::Number == 730)
        return t.depth730(e, s);
    else
        return t.depth940(e, s);
}

template <class F> bool tableScaleOf(const CalibrationTables& t, TableScale& out) {
    constexpr int DD = F::DDLast;
    const size_t need = static_cast<size_t>(CalibrationTables::PermittivityCount) * (DD + 1);
    const size_t have = F::Number == 730 ? t.DepthTable730.size() : t.DepthTable940.size();
    if (have < need)
        return false;
    // Two odd samples well past the surface (the 940 tables hold one value per odd/even pair,
    // taken at the odd sample's time).
    constexpr int s1 = DD / 4 + 1, s2 = 3 * DD / 4 + 1;
    const double d1 = tableDepth<F>(t, 80, s1), d2 = tableDepth<F>(t, 80, s2);
    const double perSample = (d2 - d1) / (s2 - s1);
    if (!(perSample > 0) || !std::isfinite(perSample))
        return false;
    out.mmPerNsAt8 = perSample * DDSamplesPerNs;
    out.t0Ns = (s1 - d1 / perSample) / DDSamplesPerNs;
    return std::isfinite(out.t0Ns);
}

// A median that leaves its input alone.
double medianOf(std::vector<double> v) {
    if (v.empty())
        return 0;
    const size_t h = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h), v.end());
    const double hi = v[h];
    if (v.size() % 2 == 1)
        return hi;
    return (*std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h)) + hi) / 2;
}

// The background-free samples of the detection grid smoothed over a few rows, on demand.
template <class F> class EchoField {
public:
    EchoField(const Matrix<typename F::Sample>& d, const std::vector<int32_t>& bg, int n)
        : m_d(d), m_bg(bg), m_n(n) {}
    static constexpr int S = F::DetectionRows;
    static constexpr int Half = 2 / F::DetectionRowStep; // 2 rows of 730, 1 row of 940

    int traces() const { return m_n; }
    // Rows whose smoothing window lies inside 1..S.
    static constexpr int firstRow() { return 1 + Half; }
    static constexpr int lastRow() { return S - Half; }

    float at(int trace, int row) const {
        const typename F::Sample* x = m_d.trace(trace);
        double sum = 0;
        for (int r = row - Half; r <= row + Half; ++r)
            sum += static_cast<double>(x[r]) - m_bg[static_cast<size_t>(r)];
        return static_cast<float>(sum / (2 * Half + 1));
    }
    // One trace's smoothed rows first..last into out[first..last].
    void traceInto(int trace, int first, int last, std::vector<float>& out) const {
        for (int r = first; r <= last; ++r)
            out[static_cast<size_t>(r)] = at(trace, r);
    }

    // Time in ns of a (fractional) row.
    static double timeOfRow(double row) {
        constexpr int st = F::DetectionRowStep;
        return (st * row - (st - 1)) / DDSamplesPerNs;
    }
    static double rowOfTime(double ns) {
        constexpr int st = F::DetectionRowStep;
        return (ns * DDSamplesPerNs + (st - 1)) / st;
    }

private:
    const Matrix<typename F::Sample>& m_d;
    const std::vector<int32_t>& m_bg;
    int m_n;
};

// The row profile of the laterally averaged echoes: for every trace the shallowest row of its
// strongest echo below the surface, that echo's amplitude, and noise levels of the field.
struct Profile {
    std::vector<int32_t> row; // 1..N, 0 where nothing positive was found
    std::vector<float> amplitude;
    double noise = 0;        // spread of one smoothed sample
    double lateralNoise = 0; // spread of a laterally averaged sample
};

template <class F>
Profile buildProfile(const EchoField<F>& f, int firstRow, DetectionProgress& progress, int from,
                     int to) {
    const int N = f.traces();
    const int last = f.lastRow();
    constexpr int L = LateralHalfWidth;
    Profile p;
    p.row.assign(static_cast<size_t>(N) + 1, 0);
    p.amplitude.assign(static_cast<size_t>(N) + 1, 0);
    // A ring of the smoothed traces c - L .. c + L.
    std::vector<std::vector<float>> ring(2 * L + 1,
                                         std::vector<float>(static_cast<size_t>(last) + 1, 0));
    std::vector<float> avg(static_cast<size_t>(last) + 1, 0);
    std::vector<double> noiseSamples, lateralSamples;
    const int noiseEvery = std::max(1, N / 400); // about 400 traces give the noise level
    int reported = from;
    for (int i = 1; i <= N + L; ++i) {
        if (i <= N)
            f.traceInto(i, firstRow, last, ring[static_cast<size_t>(i % (2 * L + 1))]);
        const int c = i - L;
        if (c < 1)
            continue;
        const int lo = std::max(1, c - L), hi = std::min(N, c + L);
        std::fill(avg.begin() + firstRow, avg.end(), 0.0f);
        for (int t = lo; t <= hi; ++t) {
            const std::vector<float>& tr = ring[static_cast<size_t>(t % (2 * L + 1))];
            for (int r = firstRow; r <= last; ++r)
                avg[static_cast<size_t>(r)] += tr[static_cast<size_t>(r)];
        }
        const float scale = 1.0f / static_cast<float>(hi - lo + 1);
        float best = 0;
        int bestRow = 0;
        for (int r = firstRow; r <= last; ++r) {
            const float v = avg[static_cast<size_t>(r)] * scale;
            if (v > best) {
                best = v;
                bestRow = r;
            }
        }
        p.row[static_cast<size_t>(c)] = bestRow;
        p.amplitude[static_cast<size_t>(c)] = best;
        if (c % noiseEvery == 0) {
            const std::vector<float>& tr = ring[static_cast<size_t>(c % (2 * L + 1))];
            for (int r = firstRow; r <= last; r += 2) {
                noiseSamples.push_back(std::fabs(tr[static_cast<size_t>(r)]));
                lateralSamples.push_back(std::fabs(avg[static_cast<size_t>(r)] * scale));
            }
        }
        const int due = from + (to - from) * c / N;
        if (due > reported) {
            progress.set(due);
            reported = due;
        }
    }
    // The median absolute value of mostly echo-free samples, as a standard deviation.
    p.noise = 1.4826 * medianOf(std::move(noiseSamples));
    p.lateralNoise = 1.4826 * medianOf(std::move(lateralSamples));
    return p;
}

// Traces whose profile row is the shallowest of the traces around them that carry an echo.
std::vector<int> apexCandidates(const Profile& p, double threshold) {
    const int N = static_cast<int>(p.row.size()) - 1;
    auto strong = [&](int i) {
        return p.row[static_cast<size_t>(i)] > 0 &&
               p.amplitude[static_cast<size_t>(i)] >= threshold;
    };
    std::vector<int> out;
    for (int i = 1; i <= N; ++i) {
        if (!strong(i))
            continue;
        const int r = p.row[static_cast<size_t>(i)];
        bool minimum = true;
        for (int k = std::max(1, i - CandidateHalfWindow);
             k <= std::min(N, i + CandidateHalfWindow) && minimum; ++k) {
            if (k == i || !strong(k))
                continue;
            const int rk = p.row[static_cast<size_t>(k)];
            // Of a flat top, only its first trace counts.
            minimum = k < i ? rk > r : rk >= r;
        }
        if (minimum)
            out.push_back(i);
    }
    return out;
}

// A peak of one trace: the largest local maximum of the smoothed samples between two rows,
// with its fractional row from the parabola through it and its neighbours.
struct Peak {
    double row = 0;
    double value = 0;
    bool found = false;
};

template <class F> Peak peakBetween(const EchoField<F>& f, int trace, int lo, int hi) {
    lo = std::max(lo, f.firstRow() + 1);
    hi = std::min(hi, f.lastRow() - 1);
    Peak best;
    if (lo > hi)
        return best;
    float prev = f.at(trace, lo - 1);
    float cur = f.at(trace, lo);
    for (int r = lo; r <= hi; ++r) {
        const float next = f.at(trace, r + 1);
        if (cur > 0 && cur >= prev && cur > next && (!best.found || cur > best.value)) {
            const double den = static_cast<double>(prev) - 2.0 * cur + next;
            const double shift = den < 0 ? 0.5 * (static_cast<double>(prev) - next) / den : 0.0;
            best.row = r + std::clamp(shift, -0.5, 0.5);
            best.value = cur;
            best.found = true;
        }
        prev = cur;
        cur = next;
    }
    return best;
}

struct EchoPoint {
    double x = 0; // mm from the candidate trace
    double t = 0; // ns
};

struct Track {
    std::vector<EchoPoint> points;
    int left = 0, right = 0; // points on each side of the candidate
    double apexValue = 0;
};

// Follows the echo of the apex candidate c down both flanks: on each trace the peak next to
// where the flank so far leads, never shallower than the last one, as long as it stays clear
// of the noise and of a small part of the apex amplitude.
template <class F>
Track trackEcho(const EchoField<F>& f, int c, int apexRow, double pitchMm, double trackFloor) {
    Track tr;
    const double window = TrackWindowNs * DDSamplesPerNs / F::DetectionRowStep;
    const Peak apex = peakBetween(f, c, apexRow - static_cast<int>(std::ceil(window)),
                                  apexRow + static_cast<int>(std::ceil(window)));
    if (!apex.found || apex.value < trackFloor)
        return tr;
    tr.apexValue = apex.value;
    tr.points.push_back({0.0, f.timeOfRow(apex.row)});
    const double floor = std::max(trackFloor, TrackAmplitudeFloor * apex.value);
    const int N = f.traces();
    for (int dir : {-1, 1}) {
        double prevRow = apex.row;
        double slope = 0; // rows per trace
        int lastK = 0;
        int misses = 0;
        for (int k = 1; k <= TrackMaxTraces; ++k) {
            const int i = c + dir * k;
            if (i < 1 || i > N)
                break;
            const double predicted = prevRow + slope * (k - lastK);
            const int lo =
                static_cast<int>(std::floor(std::max(prevRow - 1.0, predicted - window)));
            const int hi = static_cast<int>(std::ceil(predicted + window + slope));
            const Peak p = peakBetween(f, i, lo, hi);
            if (!p.found || p.value < floor || p.row < prevRow - 1.0) {
                if (++misses > TrackMaxMisses)
                    break;
                continue;
            }
            misses = 0;
            slope = std::max(0.0, (p.row - prevRow) / (k - lastK));
            prevRow = p.row;
            lastK = k;
            tr.points.push_back({dir * k * pitchMm, f.timeOfRow(p.row)});
            ++(dir < 0 ? tr.left : tr.right);
        }
    }
    return tr;
}

// The hyperbola t = t0 + sqrt(tau^2 + C (x - x0)^2), C = 4 / v^2, fitted by least squares.
struct Hyperbola {
    double x0 = 0, tau = 0, C = 0;
    double rms = 0;    // residual spread, ns
    double sigmaC = 0; // standard uncertainty of C
    int used = 0;
    bool ok = false;
};

bool solve3(std::array<std::array<double, 3>, 3> a, std::array<double, 3> b,
            std::array<double, 3>& x) {
    for (int col = 0; col < 3; ++col) {
        int piv = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[piv][col]))
                piv = r;
        if (std::fabs(a[piv][col]) < 1e-300)
            return false;
        std::swap(a[col], a[piv]);
        std::swap(b[col], b[piv]);
        for (int r = col + 1; r < 3; ++r) {
            const double m = a[r][col] / a[col][col];
            for (int k = col; k < 3; ++k)
                a[r][k] -= m * a[col][k];
            b[r] -= m * b[col];
        }
    }
    for (int r = 2; r >= 0; --r) {
        double s = b[r];
        for (int k = r + 1; k < 3; ++k)
            s -= a[r][k] * x[k];
        x[r] = s / a[r][r];
    }
    return std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]);
}

// Least squares over the points marked in `use`: a straight start from (t - t0)^2 being a
// parabola in x, then Gauss-Newton steps on the times themselves.
Hyperbola fitHyperbola(const std::vector<EchoPoint>& pts, const std::vector<char>& use, double t0) {
    Hyperbola h;
    std::array<std::array<double, 3>, 3> a{};
    std::array<double, 3> b{};
    int n = 0;
    for (size_t k = 0; k < pts.size(); ++k) {
        if (!use[k])
            continue;
        const double dt = pts[k].t - t0;
        if (dt <= 0)
            return h;
        const double w = 1.0 / (dt * dt); // (t - t0)^2 spreads with t - t0
        const double x = pts[k].x, s = dt * dt;
        const std::array<double, 3> row = {1.0, x, x * x};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                a[i][j] += w * row[i] * row[j];
            b[i] += w * row[i] * s;
        }
        ++n;
    }
    if (n < 4)
        return h;
    std::array<double, 3> q{};
    if (!solve3(a, b, q) || !(q[2] > 0))
        return h;
    h.C = q[2];
    h.x0 = -q[1] / (2 * q[2]);
    const double tau2 = q[0] - q[2] * h.x0 * h.x0;
    if (!(tau2 > 0))
        return h;
    h.tau = std::sqrt(tau2);

    std::array<std::array<double, 3>, 3> JJ{};
    double rss = 0;
    for (int iter = 0; iter < 6; ++iter) {
        JJ = {};
        std::array<double, 3> Jr{};
        rss = 0;
        for (size_t k = 0; k < pts.size(); ++k) {
            if (!use[k])
                continue;
            const double u = pts[k].x - h.x0;
            const double qq = std::sqrt(h.tau * h.tau + h.C * u * u);
            const double r = pts[k].t - (t0 + qq);
            const std::array<double, 3> J = {-h.C * u / qq, h.tau / qq, u * u / (2 * qq)};
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j)
                    JJ[i][j] += J[i] * J[j];
                Jr[i] += J[i] * r;
            }
            rss += r * r;
        }
        std::array<double, 3> d{};
        if (!solve3(JJ, Jr, d))
            return h;
        h.x0 += d[0];
        h.tau += d[1];
        h.C += d[2];
        if (!(h.C > 0) || !(h.tau > 0))
            return h;
        if (std::fabs(d[0]) < 1e-6 && std::fabs(d[1]) < 1e-9 && std::fabs(d[2]) < 1e-12 * h.C)
            break;
    }
    // Residuals and the uncertainty of C at the solution.
    rss = 0;
    JJ = {};
    for (size_t k = 0; k < pts.size(); ++k) {
        if (!use[k])
            continue;
        const double u = pts[k].x - h.x0;
        const double qq = std::sqrt(h.tau * h.tau + h.C * u * u);
        const double r = pts[k].t - (t0 + qq);
        const std::array<double, 3> J = {-h.C * u / qq, h.tau / qq, u * u / (2 * qq)};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                JJ[i][j] += J[i] * J[j];
        rss += r * r;
    }
    h.used = n;
    h.rms = std::sqrt(rss / std::max(1, n - 3));
    std::array<double, 3> e2{0, 0, 1}, col{};
    if (!solve3(JJ, e2, col) || !(col[2] >= 0))
        return h;
    h.sigmaC = h.rms * std::sqrt(col[2]);
    h.ok = true;
    return h;
}

// The fit with the points that lie far off the first fit left out.
Hyperbola robustFit(const std::vector<EchoPoint>& pts, double t0, double sampleNs) {
    std::vector<char> use(pts.size(), 1);
    Hyperbola h = fitHyperbola(pts, use, t0);
    for (int round = 0; round < 2 && h.ok; ++round) {
        std::vector<double> res(pts.size());
        for (size_t k = 0; k < pts.size(); ++k) {
            const double u = pts[k].x - h.x0;
            res[k] = std::fabs(pts[k].t - (t0 + std::sqrt(h.tau * h.tau + h.C * u * u)));
        }
        const double limit = std::max(3.0 * 1.4826 * medianOf(res), 1.5 * sampleNs);
        bool changed = false;
        for (size_t k = 0; k < pts.size(); ++k) {
            const char keep = res[k] <= limit;
            changed |= keep != use[k];
            use[k] = keep;
        }
        if (!changed)
            break;
        h = fitHyperbola(pts, use, t0);
    }
    return h;
}

// How far one fit can be trusted, 0..1: enough peaks on both flanks, a small spread around
// the hyperbola, and a permittivity the curvature pins down.
double confidenceOf(const Hyperbola& h, const Track& tr, double sampleNs) {
    const double spread = h.rms / sampleNs; // in samples of the grid
    const double relative = h.sigmaC / h.C; // relative uncertainty of the permittivity
    const double qFit = 1.0 / (1.0 + (spread / 2.0) * (spread / 2.0));
    const double qEr = 1.0 / (1.0 + (relative / 0.1) * (relative / 0.1));
    const double qPoints = std::min(1.0, h.used / 15.0);
    const double qSides = std::min(1.0, std::min(tr.left, tr.right) / 5.0);
    return qFit * qEr * qPoints * qSides;
}

template <class F>
FittedDetection detectFitted(const MeasurementRecord& rec, const CalibrationTables& tables,
                             DetectionProgress& progress) {
    FittedDetection out;
    const int N = rec.TraceCount;
    constexpr int S = F::DetectionRows;
    const auto& D = F::detectionInput(rec);
    if (N < 1 || !D.hasTrace(0) || !D.hasTrace(N) || D.lastSample() < S) {
        out.reason = QStringLiteral("the record holds no samples to detect in");
        out.messageKey = 18;
        return out;
    }
    if (rec.XScale != 0) {
        out.reason = QStringLiteral("a scan recorded by time has no trace distance to fit");
        out.messageKey = 26;
        return out;
    }
    TableScale scale;
    if (!tableScaleOf<F>(tables, scale)) {
        out.reason = QStringLiteral("the depth tables are not loaded");
        out.messageKey = 18;
        return out;
    }
    const double pitchMm = 2.5 * (1.0 + rec.XAdjust / 100.0);
    if (!(pitchMm > 0)) {
        out.reason = QStringLiteral("the scan has no positive trace pitch");
        out.messageKey = 18;
        return out;
    }

    // The background of the automatic marker detection, reported as half of the run.
    std::vector<int32_t> background;
    DetectionProgress bgProgress{[&](int v) { progress.set(1 + (v - 1) * 49 / 84); }, 1};
    EstimateBackground(D, N, S, background, bgProgress);

    const EchoField<F> field(D, background, N);
    const double sampleNs = F::DetectionRowStep / DDSamplesPerNs;
    const int firstRow =
        std::max(field.firstRow(),
                 static_cast<int>(std::ceil(field.rowOfTime(scale.t0Ns + SurfaceGuardNs))));
    if (firstRow >= field.lastRow() - 2) {
        out.reason = QStringLiteral("the scan holds no samples below the surface");
        out.messageKey = 18;
        return out;
    }
    const Profile profile = buildProfile(field, firstRow, progress, 50, 80);
    const double candidateFloor = std::max(CandidateNoiseFactor * profile.lateralNoise, 1.0);
    const double trackFloor = std::max(TrackNoiseFactor * profile.noise, 1.0);

    // Fit around every candidate; the best fit of each bar wins.
    std::vector<FittedBar> fits;
    const std::vector<int> candidates = apexCandidates(profile, candidateFloor);
    for (size_t ci = 0; ci < candidates.size(); ++ci) {
        const int c = candidates[ci];
        const Track tr =
            trackEcho(field, c, profile.row[static_cast<size_t>(c)], pitchMm, trackFloor);
        if (static_cast<int>(tr.points.size()) < MinimumPoints || tr.left < MinimumPointsPerSide ||
            tr.right < MinimumPointsPerSide)
            continue;
        const Hyperbola h = robustFit(tr.points, scale.t0Ns, sampleNs);
        if (!h.ok || h.used < MinimumPoints)
            continue;
        FittedBar bar;
        bar.permittivity = scale.permittivityFor(1.0 / std::sqrt(h.C));
        bar.permittivitySigma = bar.permittivity * h.sigmaC / h.C;
        if (bar.permittivity < SmallestPermittivity || bar.permittivity > LargestPermittivity)
            continue;
        const double x0 = (c - 1) * pitchMm + h.x0;
        const double trace = x0 / pitchMm + 1;
        if (trace < 0.5 || trace >= N + 0.5 || std::fabs(h.x0) > TrackMaxTraces * pitchMm)
            continue;
        bar.positionMm = x0;
        bar.apexTimeNs = scale.t0Ns + h.tau;
        bar.points = h.used;
        bar.confidence = confidenceOf(h, tr, sampleNs);
        if (bar.confidence < MarkerConfidence)
            continue;
        int32_t x = 0, y = 0;
        if (!roundTo(trace, x) || !roundTo(field.rowOfTime(bar.apexTimeNs), y) || y < 1 || y > S)
            continue;
        bar.apex = {x, y};
        fits.push_back(bar);
        if (ci % 64 == 0)
            progress.set(80 + static_cast<int>(19 * (ci + 1) / candidates.size()));
    }

    // One bar per apex: the most confident fit, then the others far enough from it.
    std::sort(fits.begin(), fits.end(),
              [](const FittedBar& a, const FittedBar& b) { return a.confidence > b.confidence; });
    for (const FittedBar& f : fits) {
        const bool taken = std::any_of(out.bars.begin(), out.bars.end(), [&](const FittedBar& b) {
            return std::fabs(b.positionMm - f.positionMm) < SameBarMm;
        });
        if (!taken)
            out.bars.push_back(f);
    }
    std::sort(out.bars.begin(), out.bars.end(),
              [](const FittedBar& a, const FittedBar& b) { return a.positionMm < b.positionMm; });

    // The file's permittivity, and every cover depth at it.
    std::vector<double> confident;
    for (const FittedBar& b : out.bars)
        if (b.confidence >= FittedConfidentFrom)
            confident.push_back(b.permittivity);
    out.confidentBars = static_cast<int>(confident.size());
    out.permittivity = medianOf(confident);
    if (out.permittivity > 0) {
        const double tenths = std::clamp(roundHalfEven(out.permittivity * 10.0),
                                         SmallestPermittivity * 10, LargestPermittivity * 10);
        out.permittivitySetting = tenths / 10.0;
    }
    for (FittedBar& b : out.bars) {
        const double er = out.permittivity > 0 ? out.permittivity : b.permittivity;
        b.depthMm = scale.mmPerNs(er) * (b.apexTimeNs - scale.t0Ns);
    }
    out.ok = true;
    progress.set(100);
    return out;
}

} // namespace

FittedDetection DetectFitted(const MeasurementRecord& rec, const CalibrationTables& tables,
                             const ProgressFn& progress) {
    DetectionProgress p{progress, 1};
    try {
        return rec.is940() ? detectFitted<Family940>(rec, tables, p)
                           : detectFitted<Family730>(rec, tables, p);
    } catch (const std::bad_alloc&) {
        FittedDetection out;
        out.reason = QStringLiteral("not enough memory for the detection");
        out.messageKey = 18;
        return out;
    }
}

} // namespace rebar
