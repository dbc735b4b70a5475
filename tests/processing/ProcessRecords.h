#pragma once
// Small hand-made records for the processing tests: every matrix of one family allocated for
// N traces, inputs at the zero level, outputs filled with a marker value so that a test sees
// what a run wrote and what it left alone.

#include "config/CalibrationTables.h"
#include "data/Family.h"
#include "data/MeasurementRecord.h"

#include <memory>

namespace rebar::test {

template <class F> void fill(Matrix<typename F::Sample>& m, typename F::Sample v) {
    for (int t = m.firstTrace(); t <= m.lastTrace(); ++t)
        for (int s = 0; s <= m.lastSample(); ++s)
            m(t, s) = v;
}

// A record of family F with n traces; inputs hold the zero level, outputs `untouched`.
template <class F>
std::unique_ptr<MeasurementRecord> makeRecord(int n, typename F::Sample untouched = 7) {
    auto r = std::make_unique<MeasurementRecord>();
    r->FileKind = F::Number == 730 ? KindRdd : KindZvx4;
    r->TraceCount = n;
    r->Gain = 1;
    F::raw(*r).allocate(F::FirstTrace, n, F::RawLast);
    F::samples(*r).allocate(F::FirstTrace, n, F::DDLast);
    F::work(*r).allocate(1, n, F::RawLast);
    F::workX2(*r).allocate(1, n, F::DDLast);
    if constexpr (F::HasAutoSensitivity) {
        r->Raw940A.allocate(F::FirstTrace, n, F::RawLast);
        r->Samples940A.allocate(F::FirstTrace, n, F::DDLast);
    }
    fill<F>(F::raw(*r), F::ZeroLevel);
    fill<F>(F::samples(*r), F::ZeroLevel);
    fill<F>(F::work(*r), untouched);
    fill<F>(F::workX2(*r), untouched);
    return r;
}

// Calibration tables whose STC gains are all 1 unless a test sets some.
inline std::unique_ptr<CalibrationTables> makeTables() {
    auto t = std::make_unique<CalibrationTables>();
    t->StcGain730.fill(1.0f);
    t->StcGain730Half.fill(1.0f);
    t->StcGain940.fill(1.0);
    t->StcGain940x2.fill(1.0);
    return t;
}

} // namespace rebar::test
