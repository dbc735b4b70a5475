#include "processing/Process940.h"

#include "processing/ProcessPipeline.h"

namespace rebar {

bool Process940(MeasurementRecord& r, const CalibrationTables& t, const ProgressFn& progress) {
    return ProcessPipeline<Family940>::run(r, t, progress);
}

} // namespace rebar
