#pragma once
// The mode stage of one input matrix (raw or double density) of either family, modes 0..5:
//
//   out(i, j) = nearest integer, halves to even, to (in(i, j) - R(j)) * g * s(j) + zero level
//
// R(j) is the same for every trace in every mode, and for a fixed sample the result only grows
// (or only shrinks) with the input. So the smallest and the largest input of each sample decide
// whether any trace overflows, and prepare() can refuse a run before anything is written;
// writing is then free of checks and branches.

#include "data/Family.h"
#include "data/Numeric.h"
#include "processing/ColumnStats.h"

#include <algorithm>
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

template <class F> class ModeStage {
public:
    using Sample = typename F::Sample;

    // in: the input matrix; last: its last sample (512/1024, 768/1536); manualLead: the
    // leading samples mode 2 always subtracts; stc: the STC gain of sample j at j - 1.
    ModeStage(const Matrix<Sample>& in, int last, int manualLead, const typename F::StcGain* stc)
        : m_in(in), m_last(last), m_lead(manualLead), m_stc(stc) {}

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
        m_factor.assign(static_cast<std::size_t>(m_last) + 1, 1.0);
        if (r.GainMode == 1) {
            for (int j = 1; j <= m_last; ++j)
                m_factor[j] = static_cast<double>(m_stc[j - 1]);
        }
        ColumnStats<Sample> stats;
        if (n >= 1 && !stats.compute(m_in, n, m_last, code == ModeAverage))
            return false;
        if (!buildReference(code, r.ProcessingLine, n, stats))
            return false;
        m_refD.assign(m_ref.begin(), m_ref.end());
        m_outLo.assign(static_cast<std::size_t>(m_last) + 1, 0);
        m_outHi = m_outLo;
        if (n < 1)
            return true;
        for (int j = 1; j <= m_last; ++j) {
            const int64_t dLo = static_cast<int64_t>(stats.lo(j)) - m_ref[j];
            const int64_t dHi = static_cast<int64_t>(stats.hi(j)) - m_ref[j];
            Sample a = 0;
            Sample b = 0;
            if (!fitsIn<Sample>(dLo) || !fitsIn<Sample>(dHi) || !roundTo(value(dLo, j), a) ||
                !roundTo(value(dHi, j), b))
                return false;
            m_outLo[j] = std::min(a, b);
            m_outHi[j] = std::max(a, b);
        }
        return true;
    }

    // Trace i into out (samples 0..last); only after a successful prepare().
    void run(int i, Sample* out) const {
        const Sample* in = m_in.trace(i);
        const double* ref = m_refD.data();
        const double* factor = m_factor.data();
        const double g = m_gain;
        const double zero = m_zero;
        out[0] = in[0];
        for (int j = 1; j <= m_last; ++j) {
            // Both operands are integers, so the difference is exact, as the integer one is.
            const double v = (static_cast<double>(in[j]) - ref[j]) * g * factor[j] + zero;
            out[j] = static_cast<Sample>(static_cast<int32_t>(roundHalfEven(v)));
        }
    }

    // True when no window sum of the peak stage can overflow over this stage's results: every
    // running sum of up to 2H+1 results of a sample stays inside the sample range.
    bool peakSumsBounded() const {
        constexpr int64_t count = 2 * F::PeakHalfWidth + 1;
        for (int j = 1; j <= m_last; ++j) {
            if (!fitsIn<Sample>(count * std::max<int64_t>(m_outHi[j], 0)) ||
                !fitsIn<Sample>(count * std::min<int64_t>(m_outLo[j], 0)))
                return false;
        }
        return true;
    }

    int last() const { return m_last; }
    // The reference R(j) of the prepared run.
    int32_t reference(int j) const { return m_ref[j]; }

private:
    double value(int64_t difference, int j) const {
        return static_cast<double>(difference) * m_gain * m_factor[j] + m_zero;
    }

    bool buildReference(int code, int32_t line, int n, const ColumnStats<Sample>& stats) {
        const int32_t zero = F::ZeroLevel;
        m_ref.assign(static_cast<std::size_t>(m_last) + 1, zero);
        auto copyTrace = [&](int t) {
            const Sample* row = m_in.trace(t);
            std::copy(row, row + m_last + 1, m_ref.begin());
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
            for (int j = 1; j <= m_last; ++j)
                m_ref[j] = stats.mean(j, n);
            break;
        }
        return true;
    }

    // Mode 2: past the leading samples the reference goes on up to and including the first
    // sample where it meets the zero line; later samples use the zero level.
    void cutAtCrossing() {
        const int64_t zero = F::ZeroLevel;
        for (int j = m_lead + 1; j <= m_last; ++j) {
            if ((m_ref[j - 1] - zero) * (m_ref[j] - zero) <= 0) {
                std::fill(m_ref.begin() + j + 1, m_ref.end(), static_cast<int32_t>(zero));
                return;
            }
        }
    }

    const Matrix<Sample>& m_in;
    int m_last;
    int m_lead;
    const typename F::StcGain* m_stc;
    double m_gain = 0;
    double m_zero = 0;
    std::vector<int32_t> m_ref;   // R(j), sample 0 unused
    std::vector<double> m_refD;   // the same as doubles for the trace loop
    std::vector<double> m_factor; // s(j)
    std::vector<Sample> m_outLo;  // smallest and largest result of each sample
    std::vector<Sample> m_outHi;
};

} // namespace rebar
