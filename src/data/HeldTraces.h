#pragma once
// 940-family files longer than the traces a reader keeps (MaxTraces): the readers keep the
// reference traces and the last MaxTraces measured traces, so that the file's positions, counted
// from its first trace, hold for every trace shown. Marks and the processing line are stored in
// the file by the file's trace numbers and kept in the record by the record's.

#include "data/MeasurementRecord.h"

namespace rebar {

// The measured traces a reader keeps of `stored` traces with at most `limit` held: the last
// ones, after `skipped` traces it passes over.
struct HeldTraces {
    int32_t count = 0;
    int32_t skipped = 0;
};
HeldTraces LastTraces(int32_t stored, int32_t limit);

// After a read that set r.SkippedTraces: every mark and the processing line move from the
// file's trace numbers to the record's; marks on traces that are not held are dropped, and a
// processing line that is not held becomes 0 (none).
void MoveToHeldTraces(MeasurementRecord& r);

// A record's trace number (a mark's X, the processing line) as the file counts it: traces from 1
// on are moved past the skipped ones; 0 and below (no trace) stay.
int64_t FileTraceNumber(const MeasurementRecord& r, int64_t trace);

} // namespace rebar
