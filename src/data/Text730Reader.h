#pragma once
// The text measurement-data reader (kind 6): the 730 family's export format, a header of
// labelled lines whose first line holds "QTX-730 Measurement Data", followed by records of
// 12-bit samples, in binary or, for file names starting with "T", one hexadecimal byte a line.

#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

namespace rebar {

namespace Text730Layout {
constexpr qint64 RecordBytes = 769; // sample 0, then 256 groups of two 12-bit samples
constexpr qint64 StreamGap = 3;     // bytes between the "END" line and a binary stream
constexpr int MarkerEntries = 43;
} // namespace Text730Layout

// Reads r.FilePath into r. Sets no LoadStage and reports no progress. A sample stream shorter
// than the TraceCount + 2 records the header announces is refused.
ReadResult ReadText730(MeasurementRecord& r, const ReadContext& ctx);

} // namespace rebar
