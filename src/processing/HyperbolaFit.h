#pragma once
// Least-squares fit of a diffraction hyperbola to echo peak times:
//
//     t(x) = t0 + sqrt(tau^2 + C (x - x0)^2)
//
// with t0 known (the time of the concrete surface). For a bar at x0 with cover d in concrete
// whose wave speed is v: tau = 2 d / v and C = 4 / v^2, so 1 / sqrt(C) is the depth per
// nanosecond of two-way time.

#include <vector>

namespace rebar {

struct EchoPoint {
    double x = 0; // position along the scan line, mm
    double t = 0; // peak time, ns
};

struct Hyperbola {
    double x0 = 0, tau = 0, C = 0;
    double rms = 0;    // spread of the used points around the curve, ns
    double sigmaC = 0; // standard uncertainty of C
    int used = 0;      // points the fit kept
    bool ok = false;
    // The time of the curve at x.
    double at(double x, double t0) const;
};

// Fits the points, then leaves out those farther from the curve than three times the
// residuals' robust spread (and at least `outlierFloorNs`) and fits again, twice at most.
// Not ok with fewer than four points, points at or before t0, or no curve opening downward.
Hyperbola FitHyperbola(const std::vector<EchoPoint>& points, double t0, double outlierFloorNs);

} // namespace rebar
