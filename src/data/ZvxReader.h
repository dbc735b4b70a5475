#pragma once
// The ZVX reader: the 940 family's own binary file (kinds 9 and 10), a 3384-byte header kept
// whole in the record followed by trace records of 1537 little-endian words.

#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

namespace rebar {

// Byte layout of the trace area.
namespace ZvxLayout {
constexpr int WordsPerRecord = 1537;
constexpr qint64 RecordBytes = WordsPerRecord * 2; // 3074
constexpr qint64 OffTrace0 = 3072;
constexpr qint64 OffTraceMinus1 = 6146;
constexpr qint64 OffTraceMinus3 = 9220;
constexpr qint64 OffMeasured = 12294; // trace k at OffMeasured + (k - 1) x RecordBytes
} // namespace ZvxLayout

// Reads r.FilePath into r: sets FileKind 9 or 10 from the header identifier and the
// program-wide *ctx.MaxTraces (8000 when the file's size holds 6000 traces or more, else 6000).
// The record keeps the last MaxTraces of the stored traces (XDataSize keeps the stored count,
// SkippedTraces the traces before the kept ones), and never more than the whole trace records
// the file holds; marks and the processing line are moved to the kept traces. A file without a
// single trace record is refused.
ReadResult ReadZvx(MeasurementRecord& r, const ReadContext& ctx);

} // namespace rebar
