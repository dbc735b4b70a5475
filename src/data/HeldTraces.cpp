#include "data/HeldTraces.h"

#include <algorithm>

namespace rebar {

HeldTraces LastTraces(int32_t stored, int32_t limit) {
    HeldTraces h;
    h.count = std::max<int32_t>(0, std::min(stored, limit));
    h.skipped = std::max<int32_t>(0, stored - h.count);
    return h;
}

void MoveToHeldTraces(MeasurementRecord& r) {
    const int64_t skipped = r.SkippedTraces;
    if (skipped <= 0)
        return;
    for (auto& group : r.Marks940)
        for (Mark940& m : group) {
            if (m.InUse == 0)
                continue;
            const int64_t x = m.X - skipped;
            if (x >= 1 && x <= r.TraceCount)
                m.X = static_cast<int32_t>(x);
            else
                m = Mark940{};
        }
    if (r.ProcessingLine >= 1) {
        const int64_t line = r.ProcessingLine - skipped;
        r.ProcessingLine = line >= 1 && line <= r.TraceCount ? static_cast<int32_t>(line) : 0;
    }
}

int64_t FileTraceNumber(const MeasurementRecord& r, int64_t trace) {
    return trace >= 1 ? trace + std::max<int64_t>(r.SkippedTraces, 0) : trace;
}

} // namespace rebar
