#pragma once
// The VXD reader: the 940 family's scanner file (kind 8), a quoted-field text header followed
// by the samples, as big-endian binary words (file names starting with "B") or as decimal text
// fields (names starting with "T").

#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

namespace rebar {

namespace VxdLayout {
constexpr qint64 TraceBytes = 769 * 2; // 1538: one trace of big-endian words
constexpr qint64 MarkBytes = 12;       // identifier, X, Y as big-endian 32-bit values
} // namespace VxdLayout

// Reads r.FilePath into r, setting r.LoadStage to each stage as it is reached ("  Open001",
// "  Header001", "  Data001"/"  Data002" or "  Data101"/"  Data102", "  Data201"); empty again
// after a successful read. Sets *ctx.MaxTraces to 6000 and keeps at most that many measured
// traces, the last ones of the file: TraceCount is reduced, XDataSize keeps the stored count,
// SkippedTraces counts the traces passed over, and marks and the processing line are moved to
// the kept traces (marks on traces passed over are dropped).
ReadResult ReadVxd(MeasurementRecord& r, const ReadContext& ctx);

} // namespace rebar
