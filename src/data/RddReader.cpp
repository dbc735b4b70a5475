// PLACEHOLDER: being written.
#include "data/RddReader.h"
namespace rebar {
ReadResult ReadRdd(MeasurementRecord&, const ReadContext&) { return ReadResult::failure("not built"); }
} // namespace rebar
