#include "processing/FittedDetector.h"

#include "base/Numeric.h"
#include "data/Family.h"
#include "processing/HyperbolaFit.h"

#include <algorithm>
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
constexpr double PickNoiseFactor = 2;
constexpr int PickMaxMisses = 6;   // a flank ends after this many traces without a peak
constexpr int ApexShiftTraces = 3; // the stack tries the apex this far to either side
constexpr double StackStep = 1.03; // permittivities the stack tries: ratio of neighbours
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
    // C of the hyperbola at a permittivity.
    double curvatureFor(double er) const {
        const double v = mmPerNs(er);
        return 1.0 / (v * v);
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

// The rows of the detection grid, their times and the smoothing that suits the scanner's
// pulse: a quarter of the width at half height of the surface wave's main lobe on each side
// (so the smoothing hardly widens an echo but averages out most of the noise).
template <class F> struct Grid {
    static constexpr int S = F::DetectionRows;
    static constexpr int Step = F::DetectionRowStep;
    static double timeOfRow(double row) { return (Step * row - (Step - 1)) / DDSamplesPerNs; }
    static double rowOfTime(double ns) { return (ns * DDSamplesPerNs + (Step - 1)) / Step; }
    static int smoothingHalfRows(const Matrix<typename F::Sample>& D) {
        const typename F::Sample* ref = D.trace(0);
        int peak = 1;
        double top = 0;
        for (int r = 1; r <= S; ++r) {
            const double a = std::fabs(static_cast<double>(ref[r]) - F::ZeroLevel);
            if (a > top) {
                top = a;
                peak = r;
            }
        }
        int lo = peak, hi = peak;
        while (lo > 1 && std::fabs(static_cast<double>(ref[lo - 1]) - F::ZeroLevel) >= top / 2)
            --lo;
        while (hi < S && std::fabs(static_cast<double>(ref[hi + 1]) - F::ZeroLevel) >= top / 2)
            ++hi;
        return std::clamp((hi - lo + 1) / 4, 1, 8);
    }
};

// The background-free samples of every trace smoothed over 2H + 1 rows, one float block
// (traces 1..N, rows 0..S).
class EchoField {
public:
    int N = 0, S = 0, H = 0;
    int firstRow = 0; // rows before it (the surface) hold 0
    Matrix<float> v;
    const float* trace(int t) const { return v.trace(t); }
    // Linear between rows; 0 outside the field.
    double interpolated(int trace, double row) const {
        if (trace < 1 || trace > N || !(row >= firstRow) || row >= S - H)
            return 0;
        const int r = static_cast<int>(row);
        const double f = row - r;
        const float* x = this->trace(trace);
        return (1 - f) * x[r] + f * x[r + 1];
    }
};

template <class T>
bool buildField(const Matrix<T>& D, const std::vector<int32_t>& bg, EchoField& f) {
    if (!f.v.allocate(1, f.N, f.S))
        return false;
    std::vector<double> prefix(static_cast<size_t>(f.S) + 1, 0);
    const double scale = 1.0 / (2 * f.H + 1);
    for (int i = 1; i <= f.N; ++i) {
        const T* x = D.trace(i);
        for (int r = 1; r <= f.S; ++r)
            prefix[r] = prefix[r - 1] + (static_cast<double>(x[r]) - bg[static_cast<size_t>(r)]);
        float* out = f.v.trace(i);
        for (int r = f.firstRow; r <= f.S - f.H; ++r)
            out[r] = static_cast<float>((prefix[r + f.H] - prefix[r - f.H - 1]) * scale);
    }
    return true;
}

// The row profile of the laterally averaged echoes: for every trace the row of its strongest
// echo below the surface and that echo's amplitude; and the noise of the field.
struct Profile {
    std::vector<int32_t> row; // 1..N, 0 where nothing positive was found
    std::vector<float> amplitude;
    double noise = 0;        // spread of one field sample
    double lateralNoise = 0; // spread of a laterally averaged sample
};

Profile buildProfile(const EchoField& f) {
    const int N = f.N, last = f.S - f.H;
    constexpr int L = LateralHalfWidth;
    Profile p;
    p.row.assign(static_cast<size_t>(N) + 1, 0);
    p.amplitude.assign(static_cast<size_t>(N) + 1, 0);
    std::vector<double> sum(static_cast<size_t>(last) + 1, 0); // field rows of traces lo..hi
    std::vector<double> noise, lateral;
    const int noiseEvery = std::max(1, N / 300); // about 300 traces give the noise level
    int lo = 1, hi = 0;
    for (int c = 1; c <= N; ++c) {
        const int wantLo = std::max(1, c - L), wantHi = std::min(N, c + L);
        for (; hi < wantHi; ++hi) {
            const float* x = f.trace(hi + 1);
            for (int r = f.firstRow; r <= last; ++r)
                sum[static_cast<size_t>(r)] += x[r];
        }
        for (; lo < wantLo; ++lo) {
            const float* x = f.trace(lo);
            for (int r = f.firstRow; r <= last; ++r)
                sum[static_cast<size_t>(r)] -= x[r];
        }
        const double scale = 1.0 / (hi - lo + 1);
        double best = 0;
        int bestRow = 0;
        for (int r = f.firstRow; r <= last; ++r)
            if (sum[static_cast<size_t>(r)] * scale > best) {
                best = sum[static_cast<size_t>(r)] * scale;
                bestRow = r;
            }
        p.row[static_cast<size_t>(c)] = bestRow;
        p.amplitude[static_cast<size_t>(c)] = static_cast<float>(best);
        if (c % noiseEvery == 0 && hi - lo == 2 * L) {
            const float* x = f.trace(c);
            for (int r = f.firstRow; r <= last; r += 3) {
                noise.push_back(std::fabs(x[r]));
                lateral.push_back(std::fabs(sum[static_cast<size_t>(r)] * scale));
            }
        }
    }
    // The median absolute value of mostly echo-free samples, as a standard deviation.
    p.noise = 1.4826 * medianOf(std::move(noise));
    p.lateralNoise = 1.4826 * medianOf(std::move(lateral));
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
            minimum = k < i ? rk > r : rk >= r; // of a flat top, its first trace
        }
        if (minimum)
            out.push_back(i);
    }
    return out;
}

// The largest positive local maximum of one trace's field between two rows, at the
// fractional row of the parabola through it and its neighbours.
struct Peak {
    double row = 0;
    double value = 0;
    bool found = false;
};

Peak peakBetween(const EchoField& f, int trace, int lo, int hi) {
    lo = std::max(lo, f.firstRow + 1);
    hi = std::min(hi, f.S - f.H - 1);
    Peak best;
    if (trace < 1 || trace > f.N || lo > hi)
        return best;
    const float* x = f.trace(trace);
    for (int r = lo; r <= hi; ++r) {
        const double prev = x[r - 1], cur = x[r], next = x[r + 1];
        if (!(cur > 0 && cur >= prev && cur > next) || (best.found && cur <= best.value))
            continue;
        const double den = prev - 2.0 * cur + next;
        const double shift = den < 0 ? 0.5 * (prev - next) / den : 0.0;
        best = {r + std::clamp(shift, -0.5, 0.5), cur, true};
    }
    return best;
}

// One candidate bar: where its apex lies and how its echo bends.
struct Curve {
    int apexTrace = 0; // trace of x0 = 0
    double tau = 0;    // apex time after the surface, ns
    double C = 0;      // curvature
    double level = 0;  // mean field value along the curve
};

template <class F> double rowOf(const TableScale& ts, double tau, double C, double u) {
    return Grid<F>::rowOfTime(ts.t0Ns + std::sqrt(tau * tau + C * u * u));
}

// The mean field value along the trial hyperbola of apex trace a, apex time tau and
// curvature C over the traces a - U .. a + U.
template <class F>
double stackAlong(const EchoField& f, const TableScale& ts, int a, double tau, double C, int U,
                  double pitchMm) {
    double sum = 0;
    int n = 0;
    for (int u = -U; u <= U; ++u) {
        if (a + u < 1 || a + u > f.N)
            continue;
        sum += f.interpolated(a + u, rowOf<F>(ts, tau, C, u * pitchMm));
        ++n;
    }
    return n > 0 ? sum / n : -1e300;
}

// The curve through the candidate's apex along which the echo is strongest on average, over
// permittivities 2..20 and apexes a few traces to either side: a stack of the field along
// each trial hyperbola, so that a noisy flank still tells its bend. A coarse pass over the
// permittivities and the apexes, then finer permittivities around the best.
template <class F>
Curve stackCurve(const EchoField& f, const TableScale& ts, int c, double apexRow, double pitchMm) {
    Curve best;
    const double tau = Grid<F>::timeOfRow(apexRow) - ts.t0Ns;
    if (!(tau > 0))
        return best;
    const double reachMm = std::clamp(1.2 * tau * ts.mmPerNs(8.0), 30.0, 150.0);
    const int U = static_cast<int>(reachMm / pitchMm);
    best.level = -1e300;
    double bestEr = 0;
    auto trial = [&](double er, int a) {
        const double C = ts.curvatureFor(er);
        const double level = stackAlong<F>(f, ts, a, tau, C, U, pitchMm);
        if (level > best.level) {
            best = {a, tau, C, level};
            bestEr = er;
        }
    };
    constexpr double Coarse = StackStep * StackStep * StackStep;
    for (double er = SmallestPermittivity; er <= LargestPermittivity; er *= Coarse)
        for (int shift = -ApexShiftTraces; shift <= ApexShiftTraces; ++shift)
            trial(er, c + shift);
    const double around = bestEr;
    const int apex = best.apexTrace;
    for (int k = -2; k <= 2; ++k)
        if (k != 0)
            trial(std::clamp(around * std::pow(StackStep, k), SmallestPermittivity,
                             LargestPermittivity),
                  apex);
    return best;
}

struct Picks {
    std::vector<EchoPoint> points;
    int left = 0, right = 0;
};

// On every trace around the apex, the echo peak next to the curve, out to 2.5 covers on each
// side; a side ends where several traces in a row show no peak above the noise.
template <class F>
Picks pickAlong(const EchoField& f, const TableScale& ts, const Curve& cv, double pitchMm,
                double floor) {
    Picks p;
    const double coverMm = cv.tau / std::sqrt(cv.C);
    const int reach = static_cast<int>(std::clamp(2.5 * coverMm, 40.0, 250.0) / pitchMm);
    const int h = std::max(2, f.H);
    for (int dir : {-1, 1}) {
        int misses = 0;
        for (int u = dir < 0 ? 0 : 1; u <= reach; ++u) {
            const int i = cv.apexTrace + dir * u;
            if (i < 1 || i > f.N)
                break;
            const double row = rowOf<F>(ts, cv.tau, cv.C, u * pitchMm);
            const int r = static_cast<int>(std::lround(row));
            const Peak pk = peakBetween(f, i, r - h, r + h);
            if (!pk.found || pk.value < floor) {
                if (++misses > PickMaxMisses)
                    break;
                continue;
            }
            misses = 0;
            p.points.push_back({(i - cv.apexTrace) * pitchMm, Grid<F>::timeOfRow(pk.row)});
            if (u > 0)
                ++(dir < 0 ? p.left : p.right);
        }
    }
    return p;
}

// How far one fit can be trusted, 0..1: peaks on both flanks, many of them kept by the fit,
// an echo clear of the noise, and a curvature that pins the permittivity down.
double confidenceOf(const Hyperbola& h, const Picks& p, double level, double noise) {
    const double relative = h.sigmaC / h.C;
    const double qEr = 1.0 / (1.0 + (relative / 0.08) * (relative / 0.08));
    const double qPoints = std::min(1.0, h.used / 20.0);
    const double qSides = std::min(1.0, std::min(p.left, p.right) / 6.0);
    const double qKept =
        std::clamp((h.used / static_cast<double>(p.points.size()) - 0.5) / 0.3, 0.0, 1.0);
    const double snr = noise > 0 ? level / noise : 100.0;
    const double qSnr = 1.0 - std::exp(-snr / 2.0);
    return qEr * qPoints * qSides * qKept * qSnr;
}

// The peaks counted on each side of the fitted apex instead of the trial one.
void countSides(Picks& p, double x0) {
    p.left = p.right = 0;
    for (const EchoPoint& e : p.points) {
        if (e.x < x0)
            ++p.left;
        else if (e.x > x0)
            ++p.right;
    }
}

template <class F>
bool fitCandidate(const EchoField& f, const TableScale& ts, const Profile& profile, int c,
                  double pitchMm, FittedBar& bar) {
    const int window = std::max(2, f.H) + 2;
    const int r0 = profile.row[static_cast<size_t>(c)];
    const Peak apex = peakBetween(f, c, r0 - window, r0 + window);
    if (!apex.found)
        return false;
    Curve cv = stackCurve<F>(f, ts, c, apex.row, pitchMm);
    if (!(cv.C > 0))
        return false;
    const double floor = PickNoiseFactor * profile.noise;
    const double sampleNs = F::DetectionRowStep / DDSamplesPerNs;
    Picks picks = pickAlong<F>(f, ts, cv, pitchMm, floor);
    Hyperbola h = FitHyperbola(picks.points, ts.t0Ns, 1.5 * sampleNs);
    if (!h.ok)
        return false;
    // Once more along the fitted curve, which is closer than the stack's trial.
    const Curve fitted{cv.apexTrace + static_cast<int>(std::lround(h.x0 / pitchMm)), h.tau, h.C,
                       cv.level};
    const Picks again = pickAlong<F>(f, ts, fitted, pitchMm, floor);
    const Hyperbola h2 = FitHyperbola(again.points, ts.t0Ns, 1.5 * sampleNs);
    if (h2.ok && h2.used >= MinimumPoints) {
        h = h2;
        picks = again;
        cv = fitted;
    }
    countSides(picks, h.x0);
    if (h.used < MinimumPoints || picks.left < MinimumPointsPerSide ||
        picks.right < MinimumPointsPerSide)
        return false;
    bar.permittivity = ts.permittivityFor(1.0 / std::sqrt(h.C));
    bar.permittivitySigma = bar.permittivity * h.sigmaC / h.C;
    if (bar.permittivity < SmallestPermittivity || bar.permittivity > LargestPermittivity)
        return false;
    const double x0 = (cv.apexTrace - 1) * pitchMm + h.x0;
    const double trace = x0 / pitchMm + 1;
    bar.positionMm = x0;
    bar.apexTimeNs = ts.t0Ns + h.tau;
    bar.points = h.used;
    bar.confidence = confidenceOf(h, picks, cv.level, profile.noise);
    int32_t x = 0, y = 0;
    if (!roundTo(trace, x) || x < 1 || x > f.N || !roundTo(Grid<F>::rowOfTime(bar.apexTimeNs), y) ||
        y < 1 || y > Grid<F>::S)
        return false; // an apex outside the scan
    bar.apex = {x, y};
    return bar.confidence >= MarkerConfidence;
}

// One bar per apex: the most confident fit, then the others far enough from every bar taken.
std::vector<FittedBar> separateBars(std::vector<FittedBar> fits) {
    std::sort(fits.begin(), fits.end(),
              [](const FittedBar& a, const FittedBar& b) { return a.confidence > b.confidence; });
    std::vector<FittedBar> bars;
    for (const FittedBar& f : fits) {
        const bool taken = std::any_of(bars.begin(), bars.end(), [&](const FittedBar& b) {
            return std::fabs(b.positionMm - f.positionMm) < SameBarMm;
        });
        if (!taken)
            bars.push_back(f);
    }
    std::sort(bars.begin(), bars.end(),
              [](const FittedBar& a, const FittedBar& b) { return a.positionMm < b.positionMm; });
    return bars;
}

// The file's permittivity from the confident fits, and every cover depth at it.
void settlePermittivity(const TableScale& ts, FittedDetection& out) {
    std::vector<double> confident;
    for (const FittedBar& b : out.bars)
        if (b.confidence >= FittedConfidentFrom)
            confident.push_back(b.permittivity);
    out.confidentBars = static_cast<int>(confident.size());
    out.permittivity = medianOf(confident);
    if (out.permittivity > 0)
        out.permittivitySetting = std::clamp(roundHalfEven(out.permittivity * 10.0),
                                             SmallestPermittivity * 10, LargestPermittivity * 10) /
                                  10.0;
    for (FittedBar& b : out.bars) {
        const double er = out.permittivity > 0 ? out.permittivity : b.permittivity;
        b.depthMm = ts.mmPerNs(er) * (b.apexTimeNs - ts.t0Ns);
    }
}

FittedDetection failure(int messageKey, const QString& reason) {
    FittedDetection out;
    out.messageKey = messageKey;
    out.reason = reason;
    return out;
}

// Where the fitted detector may look: the trace pitch, the depth tables' time scale and the
// first row below the surface; a refusal (message key and reason) when it cannot run.
struct FitSetup {
    double pitchMm = 0;
    TableScale ts;
    int H = 0;
    int firstRow = 0;
    int refusal = 0;
    QString reason;
};

template <class F>
FitSetup setupFor(const MeasurementRecord& rec, const CalibrationTables& tables) {
    FitSetup s;
    auto refuse = [&](int key, const char* why) {
        s.refusal = key;
        s.reason = QString::fromLatin1(why);
        return s;
    };
    constexpr int S = F::DetectionRows;
    if (!HasDetectionSamples(rec))
        return refuse(18, "the record holds no samples to detect in");
    if (rec.XScale != 0)
        return refuse(26, "a scan recorded by time has no trace distance to fit");
    if (!tableScaleOf<F>(tables, s.ts))
        return refuse(18, "the depth tables are not loaded");
    s.pitchMm = 2.5 * (1.0 + rec.XAdjust / 100.0);
    if (!(s.pitchMm > 0))
        return refuse(18, "the scan has no positive trace pitch");
    s.H = Grid<F>::smoothingHalfRows(F::detectionInput(rec));
    const double first = std::ceil(Grid<F>::rowOfTime(s.ts.t0Ns + SurfaceGuardNs));
    s.firstRow = static_cast<int>(std::clamp(first, static_cast<double>(s.H + 1), double{S}));
    if (s.firstRow >= S - s.H - 2)
        return refuse(18, "the scan holds no samples below the surface");
    return s;
}

template <class F>
FittedDetection detectFitted(const MeasurementRecord& rec, const CalibrationTables& tables,
                             DetectionProgress& progress) {
    const FitSetup setup = setupFor<F>(rec, tables);
    if (setup.refusal)
        return failure(setup.refusal, setup.reason);
    const int N = rec.TraceCount;
    constexpr int S = F::DetectionRows;
    const auto& D = F::detectionInput(rec);
    const TableScale& ts = setup.ts;
    const double pitchMm = setup.pitchMm;

    // The background of the automatic marker detection, reported as 40 % of the run.
    std::vector<int32_t> background;
    DetectionProgress bgProgress{[&](int v) { progress.set(1 + (v - 1) * 39 / 84); }, 1};
    EstimateBackground(D, N, S, background, bgProgress);

    EchoField field;
    field.N = N;
    field.S = S;
    field.H = setup.H;
    field.firstRow = setup.firstRow;
    if (!buildField(D, background, field))
        return failure(18, QStringLiteral("not enough memory for the detection"));
    progress.set(55);
    const Profile profile = buildProfile(field);
    progress.set(70);

    const double candidateFloor = std::max(CandidateNoiseFactor * profile.lateralNoise, 1.0);
    const std::vector<int> candidates = apexCandidates(profile, candidateFloor);
    std::vector<FittedBar> fits;
    for (size_t k = 0; k < candidates.size(); ++k) {
        FittedBar bar;
        if (fitCandidate<F>(field, ts, profile, candidates[k], pitchMm, bar))
            fits.push_back(bar);
        if (k % 32 == 31)
            progress.set(70 + static_cast<int>(29 * (k + 1) / candidates.size()));
    }
    FittedDetection out;
    out.bars = separateBars(std::move(fits));
    settlePermittivity(ts, out);
    out.ok = true;
    progress.set(100);
    return out;
}

} // namespace

int FittedDetectorRefusal(const MeasurementRecord& rec, const CalibrationTables& tables,
                          QString* reason) {
    const FitSetup s =
        rec.is940() ? setupFor<Family940>(rec, tables) : setupFor<Family730>(rec, tables);
    if (reason)
        *reason = s.reason;
    return s.refusal;
}

FittedDetection DetectFitted(const MeasurementRecord& rec, const CalibrationTables& tables,
                             const ProgressFn& progress) {
    DetectionProgress p{progress, 1};
    try {
        return rec.is940() ? detectFitted<Family940>(rec, tables, p)
                           : detectFitted<Family730>(rec, tables, p);
    } catch (const std::bad_alloc&) {
        return failure(18, QStringLiteral("not enough memory for the detection"));
    }
}

} // namespace rebar
