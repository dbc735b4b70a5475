#pragma once
// Writing a record back to disk: the 730 family as RDD, the 940 family as ZVX. What a save
// writes is the record's data with the saved copy of the display settings, never the settings
// currently shown and never processed samples. A save either completes or leaves the target as
// it was; a failure says why (the system's reason, the field that does not fit, the date that
// is no date).

#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

#include <QString>

namespace rebar {

// Writes r as an RDD file at path; FileKind becomes 7. Fails for an empty path, a record whose
// measurement date cannot be read as a date, a value outside its header field, and any write
// error.
WriteResult WriteRdd(MeasurementRecord& r, const QString& path);

// Writes r as a ZVX file at path; kind 8 becomes 9. Fails for an empty path, a value outside
// its header field (the tyre option is stored as 0 instead), a sample outside 16 bits and any
// write error.
WriteResult WriteZvx(MeasurementRecord& r, const QString& path);

} // namespace rebar
