#pragma once
// The last step of both 940-family readers: traces -1..TraceCount of Raw940 resampled to double
// density into Samples940 and Raw940A spread into Samples940A, with the resampling progress
// (40 .. 56 % at traces 1000 .. 5000, 63 % at the last trace). Traces -3 and -2 stay zero.

#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

namespace rebar {

// Fails when two samples of a trace add up beyond 32 bits; the reason names the trace.
ReadResult Resample940(MeasurementRecord& r, const ReadContext& ctx);

} // namespace rebar
