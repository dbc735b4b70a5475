#pragma once
#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

namespace rebar {

// Reads the RDD file r.FilePath (730 family, kind 7) into r: header, markers, Raw730 and the
// double-density Samples730, and allocates the work matrices.
ReadResult ReadRdd(MeasurementRecord& r, const ReadContext& ctx);

} // namespace rebar
