#pragma once
// The processing run shared by both families (Process730, Process940): the mode stage, the
// peak stage when PeakFlag is 1 and the half-wave stage when AModeSet is 1 or 2, each over both
// output matrices (Work from Raw, WorkX2 from Samples), written once over the family traits.
//
// A run either rewrites the work matrices or leaves them as they were: every failure the mode
// stage can meet is found before the first sample is written (the later stages cannot fail). So
// a failed 730 run leaves the matrices matching the picture still shown, and a failed 940 mode
// stage leaves the previous results whole rather than half old, half new.

#include "base/Progress.h"
#include "config/CalibrationTables.h"
#include "data/Family.h"
#include "processing/AutoSensitivity.h"
#include "processing/HalfWaveStage.h"
#include "processing/ModeStage.h"
#include "processing/PeakStage.h"

#include <array>
#include <vector>

namespace rebar {

// The STC gain curves of a family in the calibration tables, for the raw and the
// double-density samples.
template <class F> struct StcCurves;
template <> struct StcCurves<Family730> {
    static const float* raw(const CalibrationTables& t) { return t.StcGain730Half.data(); }
    static const float* dd(const CalibrationTables& t) { return t.StcGain730.data(); }
};
template <> struct StcCurves<Family940> {
    static const double* raw(const CalibrationTables& t) { return t.StcGain940.data(); }
    static const double* dd(const CalibrationTables& t) { return t.StcGain940x2.data(); }
};

template <class F> class ProcessPipeline {
public:
    using Sample = typename F::Sample;

    // False when the run fails. A 730 run fails on any arithmetic failure; a failing 940 mode
    // stage keeps the previous results and lets the later stages run. progress, when set, gets
    // 70 when the mode stage reaches the family's progress trace.
    static bool run(MeasurementRecord& r, const CalibrationTables& t, const ProgressFn& progress) {
        if (!matricesFit(r))
            return false;
        const int n = r.TraceCount;
        Later<F::RawLast> laterRaw(F::work(r), r);
        Later<F::DDLast> laterDD(F::workX2(r), r);
        auto traceDone = [&](int i) {
            laterRaw.traceDone(i);
            laterDD.traceDone(i);
            if (i == F::ProgressTrace && progress)
                progress(70);
        };
        bool modeOk = false;
        if (F::HasAutoSensitivity && r.ProcCode == ModeAutoGain) {
            modeOk = autoGainStage(r, traceDone);
        } else {
            ModeStage<F, F::RawLast> raw(F::raw(r), F::ManualLeadRaw, StcCurves<F>::raw(t));
            ModeStage<F, F::DDLast> dd(F::samples(r), F::ManualLeadDD, StcCurves<F>::dd(t));
            modeOk = raw.prepare(r) && dd.prepare(r);
            if (modeOk) {
                Matrix<Sample>& work = F::work(r);
                Matrix<Sample>& workX2 = F::workX2(r);
                for (int i = 1; i <= n; ++i) {
                    raw.run(i, work.trace(i));
                    dd.run(i, workX2.trace(i));
                    traceDone(i);
                }
            }
        }
        if (!modeOk) {
            if (F::ModeFailureFailsRun)
                return false;
            // The later stages run on the results the matrices already hold.
            for (int i = 1; i <= n; ++i) {
                laterRaw.traceDone(i);
                laterDD.traceDone(i);
            }
        }
        laterRaw.finish();
        laterDD.finish();
        return true;
    }

private:
    // The stages after the mode stage on one output matrix, trace by trace right behind it:
    // the peak stage when PeakFlag is 1, the half-wave stage on every finished row; neither
    // can fail.
    template <int Last> class Later {
    public:
        Later(Matrix<Sample>& out, const MeasurementRecord& r)
            : m_out(out), m_aModeSet(r.AModeSet), m_peak(r.PeakFlag == 1),
              m_peakStage(out, r.TraceCount) {}
        void traceDone(int i) {
            if (m_peak)
                m_peakStage.traceDone(i, written());
            else
                HalfWaveStage<F, Last>::row(m_out.trace(i), m_aModeSet);
        }
        void finish() {
            if (m_peak)
                m_peakStage.finish(written());
        }

    private:
        auto written() {
            return [this](Sample* row) { HalfWaveStage<F, Last>::row(row, m_aModeSet); };
        }
        Matrix<Sample>& m_out;
        int16_t m_aModeSet;
        bool m_peak;
        PeakStage<F, Last> m_peakStage;
    };
    // The matrices the run reads and writes exist and cover traces and samples it touches.
    static bool matricesFit(const MeasurementRecord& r) {
        const int n = r.TraceCount;
        auto covers = [n](const Matrix<Sample>& m, int firstTrace, int last) {
            return !m.empty() && m.firstTrace() <= firstTrace && m.lastTrace() >= n &&
                   m.lastSample() == last;
        };
        if (n < 0 || !covers(F::raw(r), F::FirstTrace, F::RawLast) ||
            !covers(F::samples(r), F::FirstTrace, F::DDLast) ||
            !covers(F::work(r), 1, F::RawLast) || !covers(F::workX2(r), 1, F::DDLast))
            return false;
        if constexpr (F::HasAutoSensitivity) {
            if (r.ProcCode == ModeAutoGain &&
                (!covers(r.Raw940A, 1, F::RawLast) || !covers(r.Samples940A, 1, F::DDLast)))
                return false;
        }
        return true;
    }

    // Mode 6: compute the gain once per loaded file, then show the gained matrices.
    template <class TraceDone>
    static bool autoGainStage(MeasurementRecord& r, [[maybe_unused]] TraceDone& traceDone) {
        if constexpr (F::HasAutoSensitivity) {
            if (r.AutoGainReady == 0 && !AutoSensitivity::compute(r))
                return false;
            Matrix<Sample>& work = F::work(r);
            Matrix<Sample>& workX2 = F::workX2(r);
            for (int i = 1; i <= r.TraceCount; ++i) {
                const Sample* a = r.Raw940A.trace(i);
                const Sample* ax2 = r.Samples940A.trace(i);
                Sample* out = work.trace(i);
                Sample* outX2 = workX2.trace(i);
                out[0] = F::raw(r).trace(i)[0];
                outX2[0] = F::samples(r).trace(i)[0];
                std::copy(a + 1, a + F::RawLast + 1, out + 1);
                std::copy(ax2 + 1, ax2 + F::DDLast + 1, outX2 + 1);
                traceDone(i);
            }
            r.AutoGainReady = 1;
            return true;
        } else {
            (void)r;
            return false;
        }
    }
};

} // namespace rebar
