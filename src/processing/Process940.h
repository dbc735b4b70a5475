#pragma once
// Processing of the 940 family: Raw940 and Samples940 into Work940 and Work940x2, and in
// mode 6 (automatic sensitivity) through Raw940A and Samples940A.

#include "base/Progress.h"
#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"

namespace rebar {

// Runs the mode, peak and half-wave stages for the record's settings (ProcCode 0..6, Gain,
// GainMode, PeakFlag, ProcessingLine, AModeSet, AutoGainReady) with the STC gains StcGain940
// and StcGain940x2. A mode stage that cannot run (overflow, reference trace outside -3..N, no
// power in mode 6) leaves the work matrices as they were and the later stages still run on
// them; only a failure of a later stage, or matrices that do not match TraceCount, return
// false. progress, when given, receives 70 when the mode stage reaches trace 3000.
bool Process940(MeasurementRecord& r, const CalibrationTables& t, const ProgressFn& progress = {});

} // namespace rebar
