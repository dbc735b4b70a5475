#include "scangen/Scene.h"

#include "base/DepthModel.h"

#include <algorithm>
#include <cmath>

namespace rebar::scangen {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Amplitudes relative to the surface wave.
constexpr double SurfaceAmplitude = 1.0;
constexpr double UserSurfaceAmplitude = 0.96; // the user's own recording of the surface wave
constexpr double BarAmplitude = 0.6;
constexpr double BackWallAmplitude = 0.25;
constexpr double AttenuationMm = 250.0;      // amplitude falls by e over this path in concrete
constexpr double SmallestAngleFactor = 0.02; // (d / r)^2 below this: the bar is out of view

// Ricker wavelet of centre frequency f (GHz) at tau (ns): (1 - 2a) exp(-a), a = (pi f tau)^2.
double ricker(double f, double tau) {
    const double a = (Pi * f * tau) * (Pi * f * tau);
    return (1.0 - 2.0 * a) * std::exp(-a);
}

// Adds amp * ricker(t - at) to the raw samples whose times lie within the wavelet's support.
void addWavelet(double f, double at, double amp, int rawLast, double* out) {
    const double halfWidthNs = 1.6 / f; // the wavelet is below 1e-10 of its peak beyond
    // raw sample j lies at (2j - 1) / SamplesPerNs ns
    const double perNs = DepthModel::SamplesPerNs / 2.0;
    const int first = std::max(1, static_cast<int>(std::floor((at - halfWidthNs) * perNs + 0.5)));
    const int last =
        std::min(rawLast, static_cast<int>(std::ceil((at + halfWidthNs) * perNs + 0.5)));
    for (int j = first; j <= last; ++j)
        out[j] += amp * ricker(f, DepthModel::timeOfRawSample(j) - at);
}

// Deterministic normal deviates: splitmix64 and the Box-Muller transform (both fully
// specified, so a seed gives the same file on every platform).
class Noise {
public:
    explicit Noise(uint64_t seed) : m_state(seed) {}
    double normal() {
        if (m_has) {
            m_has = false;
            return m_spare;
        }
        double u1 = uniform();
        const double u2 = uniform();
        if (u1 < 1e-300)
            u1 = 1e-300;
        const double r = std::sqrt(-2.0 * std::log(u1));
        m_spare = r * std::sin(2.0 * Pi * u2);
        m_has = true;
        return r * std::cos(2.0 * Pi * u2);
    }

private:
    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

    uint64_t m_state;
    double m_spare = 0;
    bool m_has = false;
};

} // namespace

double Scene::apexSample(double coverMm) const {
    return DepthModel::sampleAt(coverMm, er);
}

void Scene::renderTrace(int trace, int rawLast, double* amplitude) const {
    std::fill(amplitude, amplitude + rawLast + 1, 0.0);
    const double f = centreGHz;
    const double t0 = surfaceNs;
    if (trace == 0) {
        addWavelet(f, t0, -SurfaceAmplitude, rawLast, amplitude);
        return;
    }
    if (trace == -1) {
        addWavelet(f, t0, -UserSurfaceAmplitude, rawLast, amplitude);
        return;
    }
    if (trace < 1 || trace > traces)
        return;

    const double x = traceDistance(trace);
    const double drift = 1.0 + surfaceDrift * std::sin(2.0 * Pi * x / surfacePeriodMm);
    const double shift =
        surfaceShiftNs == 0
            ? 0.0
            : surfaceShiftNs * std::sin(2.0 * Pi * x / (1.618 * surfacePeriodMm) + 1.0);
    addWavelet(f, t0 + shift, -SurfaceAmplitude * drift, rawLast, amplitude);

    const double slowness = 2.0 * std::sqrt(er) / DepthModel::SpeedOfLightMmPerNs; // ns per mm
    for (const SceneBar& bar : bars) {
        const double d = bar.coverMm;
        const double dx = x - bar.distanceMm;
        const double r = std::sqrt(d * d + dx * dx);
        if (r <= 0)
            continue;
        const double angle = (d / r) * (d / r);
        if (angle < SmallestAngleFactor)
            continue;
        const double amp = barPolarity * BarAmplitude * angle * std::exp(-r / AttenuationMm);
        addWavelet(f, t0 + r * slowness, amp, rawLast, amplitude);
    }
    if (slabMm > 0)
        addWavelet(f, t0 + slabMm * slowness,
                   -BackWallAmplitude * std::exp(-slabMm / AttenuationMm), rawLast, amplitude);

    if (noise > 0) {
        Noise n(seed * 0x2545F4914F6CDD1Dull + static_cast<uint64_t>(trace));
        for (int j = 1; j <= rawLast; ++j)
            amplitude[j] += noise * n.normal();
    }
    amplitude[0] = 0;
}

std::vector<Scene::Apex> Scene::apexes() const {
    std::vector<Apex> out;
    for (const SceneBar& bar : bars) {
        if (pitchMm <= 0)
            break;
        const double position = std::nearbyint(bar.distanceMm / pitchMm); // trace - 1
        if (position < 0 || position > traces - 1)
            continue;
        Apex a;
        a.position = static_cast<int32_t>(position);
        a.exactSample = apexSample(bar.coverMm);
        a.sample = static_cast<int32_t>(std::nearbyint(a.exactSample));
        out.push_back(a);
    }
    return out;
}

} // namespace rebar::scangen
