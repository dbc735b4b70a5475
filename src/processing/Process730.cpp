#include "processing/Process730.h"

#include "processing/ProcessPipeline.h"

namespace rebar {

bool Process730(MeasurementRecord& r, const CalibrationTables& t) {
    return ProcessPipeline<Family730>::run(r, t, ProgressFn{});
}

} // namespace rebar
