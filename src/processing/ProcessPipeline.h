#pragma once
// The processing run shared by both families (Process730, Process940): the mode stage, the
// peak stage when PeakFlag is 1 and the half-wave stage when AModeSet is 1 or 2, each over both
// output matrices (Work from Raw, WorkX2 from Samples), written once over the family traits.
//
// A run either rewrites the work matrices or leaves them as they were: every failure the mode
// stage and (730) the peak stage can meet is found before the first sample is written. So a
// failed 730 run leaves the matrices matching the picture still shown, and a failed 940 mode
// stage leaves the previous results whole rather than half old, half new.

#include "config/CalibrationTables.h"
#include "data/Family.h"
#include "platform/Platform.h"
#include "processing/AutoSensitivity.h"
#include "processing/HalfWaveStage.h"
#include "processing/ModeStage.h"
#include "processing/PeakStage.h"

#include <array>
#include <vector>

namespace rebar {

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
        const bool peak = r.PeakFlag == 1;
        bool modeOk = false;
        if (F::HasAutoSensitivity && r.ProcCode == ModeAutoGain) {
            modeOk = autoGainStage(r, progress);
        } else {
            ModeStage<F> raw(F::raw(r), F::RawLast, F::ManualLeadRaw, F::stcRaw(t));
            ModeStage<F> dd(F::samples(r), F::DDLast, F::ManualLeadDD, F::stcDD(t));
            modeOk = raw.prepare(r) && dd.prepare(r);
            // A peak stage that would overflow fails the run before anything is written.
            if (modeOk && peak && !(peakSumsFit(raw, n) && peakSumsFit(dd, n)))
                return false;
            if (modeOk) {
                Matrix<Sample>& work = F::work(r);
                Matrix<Sample>& workX2 = F::workX2(r);
                for (int i = 1; i <= n; ++i) {
                    raw.run(i, work.trace(i));
                    dd.run(i, workX2.trace(i));
                    reportAt(i, progress);
                }
            }
        }
        if (!modeOk && F::ModeFailureFailsRun)
            return false;
        // Without the check above (a failed mode stage that does not fail the run) a wide
        // window could overflow half-way; no family has both.
        static_assert(F::ModeFailureFailsRun || F::PeakHalfWidth == 0);
        if (peak) {
            const bool a = PeakStage<F>::run(F::work(r), n, F::RawLast);
            const bool b = PeakStage<F>::run(F::workX2(r), n, F::DDLast);
            if (!a || !b)
                return false;
        }
        HalfWaveStage<F>::run(F::work(r), n, F::RawLast, r.AModeSet);
        HalfWaveStage<F>::run(F::workX2(r), n, F::DDLast, r.AModeSet);
        return true;
    }

private:
    static void reportAt(int trace, const ProgressFn& progress) {
        if (trace == F::ProgressTrace && progress)
            progress(70);
    }

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

    // Whether the peak stage's window sums fit over the results stage will write. The bound
    // from the results' extremes settles nearly every run; otherwise the results are made
    // trace by trace into a small ring of rows, without writing, and summed.
    static bool peakSumsFit(const ModeStage<F>& stage, int n) {
        if (stage.peakSumsBounded())
            return true;
        constexpr int count = PeakStage<F>::Count;
        const std::size_t stride = static_cast<std::size_t>(stage.last()) + 1;
        std::vector<Sample> ring(stride * count);
        std::array<int, count> held;
        held.fill(0); // trace 0 is never a window member
        auto rowOf = [&](int t) {
            Sample* row = ring.data() + stride * (t % count);
            if (held[t % count] != t) {
                stage.run(t, row);
                held[t % count] = t;
            }
            return static_cast<const Sample*>(row);
        };
        return PeakStage<F>::sumsFit(n, stage.last(), rowOf);
    }

    // Mode 6: compute the gain once per loaded file, then show the gained matrices.
    static bool autoGainStage(MeasurementRecord& r, const ProgressFn& progress) {
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
                reportAt(i, progress);
            }
            r.AutoGainReady = 1;
            return true;
        } else {
            (void)r;
            (void)progress;
            return false;
        }
    }
};

} // namespace rebar
