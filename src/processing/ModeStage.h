#pragma once
// The mode stage of one input matrix (raw or double density) of either family, modes 0..5:
//
//   out(i, j) = nearest integer, halves to even, to (in(i, j) - R(j)) * g * s(j) + zero level
//
// R(j) is the same for every trace in every mode, and for a fixed sample the result only grows
// (or only shrinks) with the input. So the smallest and the largest input of each sample decide
// whether any trace overflows, and prepare() can refuse a run before anything is written;
// writing is then free of checks and branches.

#include "base/Numeric.h"
#include "data/Family.h"
#include "processing/ColumnStats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace rebar {

// Processing modes (ProcCode).
enum ProcMode : int16_t {
    ModePlain = 0,         // ORG: reference is the zero level
    ModeFixedSurface = 1,  // INT: trace 0
    ModeManualSurface = 2, // MAN: trace ProcessingLine over the leading samples
    ModeSubtract = 3,      // SUB: trace ProcessingLine
    ModeAverage = 4,       // AVR: the mean trace
    ModeUserSurface = 5,   // USER: trace -1
    ModeAutoGain = 6,      // 940 only: automatic sensitivity
};

// Last: the input matrix's last sample (512/1024, 768/1536), a constant so that the trace loop
// vectorises.
template <class F, int Last> class ModeStage {
public:
    using Sample = typename F::Sample;

    // in: the input matrix; manualLead: the leading samples mode 2 always subtracts; stc: the
    // STC gain of sample j at j - 1.
    ModeStage(const Matrix<Sample>& in, int manualLead, const typename F::StcGain* stc)
        : m_in(in), m_lead(manualLead), m_stc(stc) {}

    // Builds the reference and factor rows for the record's settings and checks every result.
    // False when the mode cannot run: an unknown mode, a reference trace outside the matrix,
    // no traces in mode 4, a 32-bit sum, a difference or a result that does not fit.
    bool prepare(const MeasurementRecord& r) {
        const int n = r.TraceCount;
        const int code = r.ProcCode;
        if (code < ModePlain || code > ModeUserSurface)
            return false;
        if (code == ModeAverage && n < 1)
            return false;
        m_gain = F::gainFactor(r.Gain);
        m_zero = static_cast<double>(F::ZeroLevel);
        m_factor.assign(Last + 1, 1.0);
        if (r.GainMode == 1) {
            for (int j = 1; j <= Last; ++j)
                m_factor[j] = static_cast<double>(m_stc[j - 1]);
        }
        ColumnStats<Sample, Last> stats;
        if (n >= 1 && !stats.compute(m_in, n, code == ModeAverage))
            return false;
        if (!buildReference(code, r.ProcessingLine, n, stats))
            return false;
        m_refD.assign(m_ref.begin(), m_ref.end());
        m_whole.clear();
        if (std::floor(m_gain) == m_gain) {
            // A whole gain and whole STC factors make every product exact: the loop can then
            // run on integers, with the same results and several times faster.
            m_whole.assign(Last + 1, 0);
            for (int j = 1; j <= Last && !m_whole.empty(); ++j) {
                const double k = m_gain * m_factor[j];
                if (std::floor(m_factor[j]) == m_factor[j] && fitsIn<int32_t>(k))
                    m_whole[j] = static_cast<int32_t>(k);
                else
                    m_whole.clear();
            }
        }
        if (n < 1)
            return true;
        for (int j = 1; j <= Last; ++j) {
            const int64_t dLo = static_cast<int64_t>(stats.lo(j)) - m_ref[j];
            const int64_t dHi = static_cast<int64_t>(stats.hi(j)) - m_ref[j];
            Sample a = 0;
            Sample b = 0;
            if (!fitsIn<Sample>(dLo) || !fitsIn<Sample>(dHi) || !roundTo(value(dLo, j), a) ||
                !roundTo(value(dHi, j), b))
                return false;
        }
        return true;
    }

    // Trace i into out (samples 0..Last); only after a successful prepare(), which has proven
    // every result to fit, so the loop needs neither checks nor the rounding's range branch.
    void run(int i, Sample* out) const {
        const Sample* __restrict in = m_in.trace(i);
        const double* __restrict ref = m_refD.data();
        const double* __restrict factor = m_factor.data();
        Sample* __restrict dst = out;
        const double g = m_gain;
        const double zero = m_zero;
        dst[0] = in[0];
        if (!m_whole.empty()) {
            const int32_t* __restrict refI = m_ref.data();
            const int32_t* __restrict k = m_whole.data();
#pragma GCC ivdep
            for (int j = 1; j <= Last; ++j)
                dst[j] = static_cast<Sample>((in[j] - refI[j]) * k[j] + F::ZeroLevel);
            return;
        }
#pragma GCC ivdep
        for (int j = 1; j <= Last; ++j) {
            // Both operands are integers, so the difference is exact, as the integer one is.
            const double v = (static_cast<double>(in[j]) - ref[j]) * g * factor[j] + zero;
            dst[j] = static_cast<Sample>(static_cast<int32_t>(roundHalfEvenInRange(v)));
        }
    }

private:
    double value(int64_t difference, int j) const {
        return static_cast<double>(difference) * m_gain * m_factor[j] + m_zero;
    }

    bool buildReference(int code, int32_t line, int n, const ColumnStats<Sample, Last>& stats) {
        const int32_t zero = F::ZeroLevel;
        m_ref.assign(Last + 1, zero);
        auto copyTrace = [&](int t) {
            const Sample* row = m_in.trace(t);
            std::copy(row, row + Last + 1, m_ref.begin());
        };
        switch (code) {
        case ModePlain:
            break;
        case ModeFixedSurface:
            copyTrace(0);
            break;
        case ModeUserSurface:
            copyTrace(-1);
            break;
        case ModeSubtract:
        case ModeManualSurface:
            if (line < F::FirstTrace || line > n)
                return false;
            copyTrace(line);
            if (code == ModeManualSurface)
                cutAtCrossing();
            break;
        case ModeAverage:
            for (int j = 1; j <= Last; ++j)
                m_ref[j] = stats.mean(j, n);
            break;
        }
        return true;
    }

    // Mode 2: past the leading samples the reference goes on up to and including the first
    // sample where it meets the zero line; later samples use the zero level.
    void cutAtCrossing() {
        const int64_t zero = F::ZeroLevel;
        for (int j = m_lead + 1; j <= Last; ++j) {
            if ((m_ref[j - 1] - zero) * (m_ref[j] - zero) <= 0) {
                std::fill(m_ref.begin() + j + 1, m_ref.end(), static_cast<int32_t>(zero));
                return;
            }
        }
    }

    const Matrix<Sample>& m_in;
    int m_lead;
    const typename F::StcGain* m_stc;
    double m_gain = 0;
    double m_zero = 0;
    std::vector<int32_t> m_ref;   // R(j), sample 0 unused
    std::vector<double> m_refD;   // the same as doubles for the trace loop
    std::vector<double> m_factor; // s(j)
    std::vector<int32_t> m_whole; // g * s(j) when all are whole numbers, else empty
};

} // namespace rebar
