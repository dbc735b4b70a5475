#pragma once
// Processing of the 730 family: Raw730 and Samples730 into Work730 and Work730x2.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"

namespace rebar {

// Runs the mode, peak and half-wave stages for the record's settings (ProcCode 0..5, Gain,
// GainMode, PeakFlag, ProcessingLine, AModeSet) with the STC gains StcGain730Half and
// StcGain730. False on any arithmetic failure; the work matrices are then left as they were.
bool Process730(MeasurementRecord& r, const CalibrationTables& t);

} // namespace rebar
