#include "data/TraceResampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rebar {

namespace {

constexpr double Pi = 3.14159265358979323846;

double sinc(double x) {
    if (std::abs(x) < 1e-12)
        return 1.0;
    return std::sin(Pi * x) / (Pi * x);
}

// The Lanczos kernel of a lobes.
double lanczos(double x, int a) {
    if (std::abs(x) >= a)
        return 0.0;
    return sinc(x) * sinc(x / a);
}

} // namespace

TimeResampler::TimeResampler(const std::vector<double>& positions, double outputStep,
                             double inputStep, int first, int last)
    : m_first(first), m_last(last) {
    const double widen = std::clamp(outputStep / inputStep, 1.0, MaxWidening);
    const double half = Lobes * widen;
    const int span = static_cast<int>(std::ceil(2 * half)) + 1;
    m_taps = (span + 3) & ~3;
    m_pad = m_taps + 1;
    const size_t n = positions.size();
    m_base.assign(n, 0);
    m_weights.assign(n * static_cast<size_t>(m_taps), 0.0f);
    m_padded.assign(static_cast<size_t>(std::max(last, 0)) + 1 + 2 * static_cast<size_t>(m_pad),
                    0.0f);
    std::vector<double> w(static_cast<size_t>(m_taps));
    for (size_t j = 0; j < n; ++j) {
        const double u = positions[j];
        // Positions outside the input (or not finite) take nothing: their taps read zeros.
        if (!std::isfinite(u) || u <= first - half || u >= last + half)
            continue;
        const int lo = static_cast<int>(std::ceil(u - half));
        double sum = 0;
        bool inside = false;
        for (int k = 0; k < span; ++k) {
            w[static_cast<size_t>(k)] = lanczos((u - (lo + k)) / widen, Lobes);
            sum += w[static_cast<size_t>(k)];
            inside =
                inside || (lo + k >= first && lo + k <= last && w[static_cast<size_t>(k)] != 0);
        }
        if (!inside || sum == 0)
            continue;
        // The weights of the whole kernel sum to one (a constant stays itself); taps outside
        // the input read zeros.
        m_base[j] = lo + m_pad;
        float* out = m_weights.data() + j * static_cast<size_t>(m_taps);
        for (int k = 0; k < span; ++k)
            out[k] = static_cast<float>(w[static_cast<size_t>(k)] / sum);
        if (m_lastCovered < m_firstCovered)
            m_firstCovered = static_cast<int>(j);
        m_lastCovered = static_cast<int>(j);
    }
}

void TimeResampler::apply(float* out) const {
    typedef float V4 __attribute__((vector_size(16)));
    const size_t n = m_base.size();
    for (size_t j = 0; j < n; ++j) {
        const float* w = m_weights.data() + j * static_cast<size_t>(m_taps);
        const float* x = m_padded.data() + m_base[j];
        V4 acc{};
        for (int k = 0; k < m_taps; k += 4) {
            V4 a, b;
            std::memcpy(&a, w + k, sizeof a);
            std::memcpy(&b, x + k, sizeof b);
            acc += a * b;
        }
        out[j] = (acc[0] + acc[1]) + (acc[2] + acc[3]);
    }
}

void TimeResampler::apply(const float* in, float* out) {
    std::copy(in + m_first, in + m_last + 1, input() + m_first);
    apply(out);
}

void MedianTrace(std::vector<float>& traces, int count, int samples, std::vector<float>& out) {
    out.assign(static_cast<size_t>(samples), 0.0f);
    if (count <= 0)
        return;
    std::vector<float> column(static_cast<size_t>(count));
    for (int i = 0; i < samples; ++i) {
        for (int t = 0; t < count; ++t)
            column[static_cast<size_t>(t)] =
                traces[static_cast<size_t>(t) * static_cast<size_t>(samples) + i];
        const auto mid = column.begin() + count / 2;
        std::nth_element(column.begin(), mid, column.end());
        float m = *mid;
        if (count % 2 == 0) // the mean of the two middle values
            m = (m + *std::max_element(column.begin(), mid)) / 2;
        out[static_cast<size_t>(i)] = m;
    }
}

namespace {

// The median of trace[first..].
double medianLevel(const std::vector<float>& trace, int first) {
    std::vector<float> sorted(trace.begin() + first, trace.end());
    const auto mid = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), mid, sorted.end());
    return *mid;
}

} // namespace

bool FindSurfaceEcho(const std::vector<float>& trace, int first, double& position) {
    const int n = static_cast<int>(trace.size());
    if (first < 0 || first >= n)
        return false;
    const double level = medianLevel(trace, first);
    auto at = [&](int i) { return trace[static_cast<size_t>(i)] - level; };

    double largest = 0;
    for (int i = first; i < n; ++i)
        largest = std::max(largest, std::abs(at(i)));
    if (!(largest > 0))
        return false;
    int i = first;
    while (std::abs(at(i)) < StrongShare * largest)
        ++i;
    // Up to the top of this lobe.
    const double sign = at(i) < 0 ? -1.0 : 1.0;
    while (i + 1 < n && sign * at(i + 1) > sign * at(i))
        ++i;
    // Between samples: the top of the parabola through the peak and its neighbours.
    double offset = 0;
    if (i > first && i + 1 < n) {
        const double y0 = at(i - 1), y1 = at(i), y2 = at(i + 1);
        const double d = y0 - 2 * y1 + y2;
        if (d != 0)
            offset = std::clamp(0.5 * (y0 - y2) / d, -0.5, 0.5);
    }
    position = i + offset;
    return true;
}

void KeepSurfaceEcho(std::vector<float>& trace, int first, double peak) {
    const int n = static_cast<int>(trace.size());
    const int p = static_cast<int>(std::lround(peak));
    if (first < 0 || p < first || p >= n)
        return;
    const double level = medianLevel(trace, first);
    auto at = [&](int i) { return trace[static_cast<size_t>(i)] - level; };
    const double height = std::abs(at(p));
    const bool positive = at(p) > 0;
    int left = p, right = p;
    while (left > first && (at(left - 1) > 0) == positive)
        --left;
    while (right + 1 < n && (at(right + 1) > 0) == positive)
        ++right;
    const int width = right - left + 1;

    int quiet = 0;
    int end = n; // the first sample of the quiet stretch
    for (int i = right + 1; i < n && end == n; ++i) {
        quiet = std::abs(at(i)) < QuietShare * height ? quiet + 1 : 0;
        if (quiet >= 2 * width)
            end = i - quiet + 1;
    }
    for (int i = end; i < n; ++i) {
        const int k = i - end;
        const double fade = k < width ? 0.5 * (1 + std::cos(Pi * k / width)) : 0.0;
        trace[static_cast<size_t>(i)] = static_cast<float>(level + fade * at(i));
    }
}

ClipGain::ClipGain(double peak)
    : m_peak(peak), m_scale(peak > 0 ? static_cast<float>(Bins / peak) : 0.0f),
      m_bins(4 * Bins, 0) {}

void ClipGain::add(const float* v, int n) {
    typedef float F4 __attribute__((vector_size(16)));
    typedef int32_t I4 __attribute__((vector_size(16)));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        F4 x;
        std::memcpy(&x, v + i, sizeof x);
        x = (x < 0 ? -x : x) * m_scale;
        // Beyond the last bin (and a peak of 0 or below) go to the last bin.
        x = x < float(Bins - 1) ? x : float(Bins - 1);
        const I4 b = __builtin_convertvector(x, I4);
        for (int k = 0; k < 4; ++k)
            ++m_bins[static_cast<size_t>(k * Bins + b[k])];
    }
    for (; i < n; ++i) {
        float x = std::abs(v[i]) * m_scale;
        x = x < float(Bins - 1) ? x : float(Bins - 1);
        ++m_bins[static_cast<size_t>(static_cast<int>(x))];
    }
    m_count += n;
}

double ClipGain::gain(double headroom, int64_t perClipped) const {
    if (!(m_peak > 0) || m_count == 0)
        return 1.0;
    auto bin = [this](int b) {
        return m_bins[static_cast<size_t>(b)] + m_bins[static_cast<size_t>(Bins + b)] +
               m_bins[static_cast<size_t>(2 * Bins + b)] +
               m_bins[static_cast<size_t>(3 * Bins + b)];
    };
    const int64_t allowed = m_count / perClipped;
    int64_t above = 0; // values in bins above b
    int b = Bins - 1;
    while (b > 0 && above + bin(b) <= allowed) {
        above += bin(b);
        --b;
    }
    // Every value below the top of bin b stays inside the headroom.
    return headroom / ((b + 1) * m_peak / Bins);
}

} // namespace rebar
