#include "processing/HyperbolaFit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace rebar {

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;
using Vector3 = std::array<double, 3>;

// Solves a x = b by Gaussian elimination with partial pivoting.
bool solve3(Matrix3 a, Vector3 b, Vector3& x) {
    for (int col = 0; col < 3; ++col) {
        int piv = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[piv][col]))
                piv = r;
        if (!(std::fabs(a[piv][col]) > 1e-300))
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

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    const auto h = static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), v.begin() + h, v.end());
    return v[static_cast<size_t>(h)];
}

// The normal equations of the Gauss-Newton step at h over the used points, and their sum of
// squared residuals.
struct Normal {
    Matrix3 JJ{};
    Vector3 Jr{};
    double rss = 0;
};

Normal normalEquations(const Hyperbola& h, const std::vector<EchoPoint>& pts,
                       const std::vector<char>& use, double t0) {
    Normal n;
    for (size_t k = 0; k < pts.size(); ++k) {
        if (!use[k])
            continue;
        const double u = pts[k].x - h.x0;
        const double q = std::sqrt(h.tau * h.tau + h.C * u * u);
        const double r = pts[k].t - (t0 + q);
        const Vector3 J = {-h.C * u / q, h.tau / q, u * u / (2 * q)};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                n.JJ[i][j] += J[i] * J[j];
            n.Jr[i] += J[i] * r;
        }
        n.rss += r * r;
    }
    return n;
}

// The straight start: (t - t0)^2 = a + b x + c x^2 by weighted least squares (the square
// spreads with t - t0), from which C = c, x0 = -b / 2c and tau^2 = a - c x0^2.
bool startingCurve(const std::vector<EchoPoint>& pts, const std::vector<char>& use, double t0,
                   Hyperbola& h, int& n) {
    Matrix3 a{};
    Vector3 b{};
    n = 0;
    for (size_t k = 0; k < pts.size(); ++k) {
        if (!use[k])
            continue;
        const double dt = pts[k].t - t0;
        if (!(dt > 0))
            return false;
        const double w = 1.0 / (dt * dt);
        const double x = pts[k].x;
        const Vector3 row = {1.0, x, x * x};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                a[i][j] += w * row[i] * row[j];
            b[i] += w * row[i] * dt * dt;
        }
        ++n;
    }
    Vector3 q{};
    if (n < 4 || !solve3(a, b, q) || !(q[2] > 0))
        return false;
    h.C = q[2];
    h.x0 = -q[1] / (2 * q[2]);
    const double tau2 = q[0] - q[2] * h.x0 * h.x0;
    if (!(tau2 > 0))
        return false;
    h.tau = std::sqrt(tau2);
    return true;
}

Hyperbola fitUsed(const std::vector<EchoPoint>& pts, const std::vector<char>& use, double t0) {
    Hyperbola h;
    int n = 0;
    if (!startingCurve(pts, use, t0, h, n))
        return h;
    for (int iter = 0; iter < 8; ++iter) {
        const Normal ne = normalEquations(h, pts, use, t0);
        Vector3 d{};
        if (!solve3(ne.JJ, ne.Jr, d))
            return h;
        h.x0 += d[0];
        h.tau += d[1];
        h.C += d[2];
        if (!(h.C > 0) || !(h.tau > 0))
            return h;
        if (std::fabs(d[0]) < 1e-6 && std::fabs(d[1]) < 1e-9 && std::fabs(d[2]) < 1e-9 * h.C)
            break;
    }
    const Normal ne = normalEquations(h, pts, use, t0);
    h.used = n;
    h.rms = std::sqrt(ne.rss / std::max(1, n - 3));
    Vector3 column{};
    if (n < 4 || !solve3(ne.JJ, {0, 0, 1}, column) || !(column[2] >= 0))
        return h;
    h.sigmaC = h.rms * std::sqrt(column[2]);
    h.ok = true;
    return h;
}

} // namespace

double Hyperbola::at(double x, double t0) const {
    const double u = x - x0;
    return t0 + std::sqrt(tau * tau + C * u * u);
}

Hyperbola FitHyperbola(const std::vector<EchoPoint>& points, double t0, double outlierFloorNs) {
    std::vector<char> use(points.size(), 1);
    Hyperbola h = fitUsed(points, use, t0);
    for (int round = 0; round < 2 && h.ok; ++round) {
        std::vector<double> res(points.size());
        for (size_t k = 0; k < points.size(); ++k)
            res[k] = std::fabs(points[k].t - h.at(points[k].x, t0));
        const double limit = std::max(3.0 * 1.4826 * median(res), outlierFloorNs);
        bool changed = false;
        for (size_t k = 0; k < points.size(); ++k) {
            const char keep = res[k] <= limit;
            changed |= keep != use[k];
            use[k] = keep;
        }
        if (!changed)
            break;
        const Hyperbola again = fitUsed(points, use, t0);
        if (!again.ok)
            break;
        h = again;
    }
    return h;
}

} // namespace rebar
