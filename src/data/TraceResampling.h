#pragma once
// Moving traces of another unit onto the record's grid: band-limited interpolation in time,
// the median trace of a line, the surface echo in it, and one gain for a whole line.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rebar {

// Interpolation of traces of one sample interval at given fractional sample positions, with a
// windowed sinc (Lanczos, three lobes). Where the output grid is coarser than the input the
// kernel widens so that it also filters what the coarser grid cannot hold. Samples outside
// first..last of the input count as zero.
class TimeResampler {
public:
    // positions[j]: the input sample position (fractional) of output sample j.
    TimeResampler(const std::vector<double>& positions, double outputStep, double inputStep,
                  int first, int last);
    // out[j] for every output position from in[first..last].
    void apply(const float* in, float* out) const;
    // Output j takes at least one input sample (it lies inside the input's window).
    bool covered(int j) const { return m_count[static_cast<size_t>(j)] > 0; }
    int outputs() const { return static_cast<int>(m_first.size()); }

    static constexpr int Lobes = 3;
    static constexpr double MaxWidening = 8; // bounds the taps of very fine inputs

private:
    std::vector<int> m_first;
    std::vector<int> m_count;
    std::vector<float> m_weights; // m_taps per output
    int m_taps = 0;
};

// The median of every sample over the given traces (each `samples` long), written to out.
// traces holds them one after another; it is reordered.
void MedianTrace(std::vector<float>& traces, int count, int samples, std::vector<float>& out);

// The first strong peak of a trace from sample first on: the first sample whose distance from
// the trace's median level reaches StrongShare of the largest, followed to the top of its lobe
// and refined between samples. False when the trace is flat.
bool FindSurfaceEcho(const std::vector<float>& trace, int first, double& position);
constexpr double StrongShare = 0.6;

// Keeps the surface echo at `peak` (as found above) and what precedes it, and sets the rest of
// the trace to its median level: the echo ends where the trace has stayed below QuietShare of
// the peak's height for twice the width of the peak's lobe, and fades out over one width.
// What comes later (a back wall, any flat reflector) is no part of the surface wave.
void KeepSurfaceEcho(std::vector<float>& trace, int first, double peak);
constexpr double QuietShare = 0.05;

// The gain that maps values onto counts around a centre with room `headroom` on either side
// so that at most one value in `perClipped` lies beyond it. Built from a histogram of the
// magnitudes; add() every value first.
class ClipGain {
public:
    explicit ClipGain(double peak)
        : m_peak(peak), m_scale(peak > 0 ? Bins / peak : 0), m_bins(Bins, 0) {}
    void add(float v) {
        const double a = v < 0 ? -double(v) : double(v);
        const auto b = static_cast<int64_t>(a * m_scale);
        ++m_bins[static_cast<size_t>(b >= Bins ? Bins - 1 : b)];
        ++m_count;
    }
    double gain(double headroom, int64_t perClipped) const;
    int64_t count() const { return m_count; }

    static constexpr int Bins = 4096;

private:
    double m_peak;
    double m_scale;
    std::vector<int64_t> m_bins;
    int64_t m_count = 0;
};

} // namespace rebar
