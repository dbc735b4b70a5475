#pragma once
// Writing a record back to disk: the 730 family as RDD, the 940 family as ZVX. What a save
// writes is the record's data with the saved copy of the display settings, never the settings
// currently shown and never processed samples.

#include "data/MeasurementRecord.h"

#include <QString>

namespace rebar {

// Writes r as an RDD file at path; FileKind becomes 7. False (with a reason) for an empty
// path or any write error; a failed write never leaves a half-written file behind.
bool WriteRdd(MeasurementRecord& r, const QString& path, QString* error = nullptr);

// Writes r as a ZVX file at path; kind 8 becomes 9. False for an empty path, a sample outside
// 16 bits or any write error.
bool WriteZvx(MeasurementRecord& r, const QString& path, QString* error = nullptr);

// The header bytes of an RDD file as WriteRdd writes them.
QByteArray RddHeaderBytes(const MeasurementRecord& r);

} // namespace rebar
