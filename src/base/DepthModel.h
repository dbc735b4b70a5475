#pragma once
// The time-depth relation behind the calibration tables that make_systemdata generates, for
// every program that must agree with them (the table generator, the scene generator placing
// echoes, tests checking shown depths).
//
// Both families sample the echo on a double-density grid of SamplesPerNs samples per
// nanosecond: double-density sample s (1-based) lies at s / SamplesPerNs ns. A raw sample j
// (1-based, 512 of the 730 family, 768 of the 940 family) is double-density sample 2j - 1 (the
// readers copy raw sample j there and interpolate 2j), so it lies at (2j - 1) / SamplesPerNs ns.
// The 940 depth tables hold one value per raw sample m = j - 1 (0-based) for the pair 2m + 1,
// 2m + 2; that value is the depth at the time of the odd sample 2m + 1.
//
// The echo of the concrete surface arrives at TimeZeroNs; an echo at time t > TimeZeroNs comes
// from the depth c (t - TimeZeroNs) / 2 / sqrt(er), c the speed of light, er the relative
// permittivity; earlier samples have depth 0.

#include <cmath>

namespace rebar {

struct DepthModel {
    static constexpr double SpeedOfLightMmPerNs = 299.792458;
    static constexpr double SamplesPerNs = 128.0; // double-density samples per nanosecond
    static constexpr double TimeZeroNs = 0.25;    // time of the concrete surface
    static constexpr int TimeZeroSample = 32;     // the double-density sample at TimeZeroNs

    // Echo time in ns of double-density sample s (1-based, fractional allowed).
    static constexpr double timeOfSample(double s) { return s / SamplesPerNs; }
    // Echo time in ns of raw sample j (1-based, fractional allowed): double-density 2j - 1.
    static constexpr double timeOfRawSample(double j) { return (2.0 * j - 1.0) / SamplesPerNs; }

    // Depth in mm of an echo arriving at timeNs in concrete of relative permittivity er.
    static double depthAt(double timeNs, double er) {
        if (timeNs <= TimeZeroNs)
            return 0.0;
        return SpeedOfLightMmPerNs * (timeNs - TimeZeroNs) / 2.0 / std::sqrt(er);
    }
    // Echo time in ns of a reflector depthMm below the surface (the inverse of depthAt).
    static double timeAt(double depthMm, double er) {
        return TimeZeroNs + 2.0 * depthMm * std::sqrt(er) / SpeedOfLightMmPerNs;
    }
    // The (fractional) double-density sample and raw sample of a reflector depthMm deep.
    static double sampleAt(double depthMm, double er) { return timeAt(depthMm, er) * SamplesPerNs; }
    static double rawSampleAt(double depthMm, double er) {
        return (sampleAt(depthMm, er) + 1.0) / 2.0;
    }
};

static_assert(DepthModel::TimeZeroSample == DepthModel::TimeZeroNs * DepthModel::SamplesPerNs);

} // namespace rebar
