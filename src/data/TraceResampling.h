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
//
// Every output takes the same number of taps (a multiple of four, the weights of taps past the
// kernel zero) from a padded copy of the input, so the sums run on four lanes at a time.
class TimeResampler {
public:
    // positions[j]: the input sample position (fractional) of output sample j; inputs: the
    // length of an input trace (first..last lie inside it).
    TimeResampler(const std::vector<double>& positions, double outputStep, double inputStep,
                  int first, int last);
    // The input trace to fill before apply(): input()[i] is sample i, for i in first..last.
    // Nothing outside first..last may be written (it stays zero).
    float* input() { return m_padded.data() + m_pad; }
    // out[j] for every output position from the input filled in input().
    void apply(float* out) const;
    // The same from in[first..last].
    void apply(const float* in, float* out);
    // Output j takes at least one input sample (it lies inside the input's window); the
    // covered outputs are firstCovered()..lastCovered() (an empty range when none is).
    bool covered(int j) const { return j >= m_firstCovered && j <= m_lastCovered; }
    int firstCovered() const { return m_firstCovered; }
    int lastCovered() const { return m_lastCovered; }
    int outputs() const { return static_cast<int>(m_base.size()); }

    static constexpr int Lobes = 3;
    static constexpr double MaxWidening = 8; // bounds the taps of very fine inputs

private:
    std::vector<int> m_base;      // first tap of output j in m_padded
    std::vector<float> m_weights; // m_taps per output
    std::vector<float> m_padded;  // the input with m_pad zeros on either side
    int m_taps = 0;
    int m_pad = 0;
    int m_first = 0, m_last = -1;
    int m_firstCovered = 0, m_lastCovered = -1;
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
    explicit ClipGain(double peak);
    void add(float v) { add(&v, 1); }
    void add(const float* v, int n);
    double gain(double headroom, int64_t perClipped) const;
    int64_t count() const { return m_count; }

    static constexpr int Bins = 4096;

private:
    double m_peak;
    float m_scale;
    // Four histograms filled in turn, so that neighbouring values never wait for each other's
    // count; summed when the gain is asked for.
    std::vector<int64_t> m_bins;
    int64_t m_count = 0;
};

} // namespace rebar
