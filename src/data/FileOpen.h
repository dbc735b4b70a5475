#pragma once
// From a file name to a filled record: the file-kind detection and the choice of reader, and
// the settling of the display settings after a read. The view's open sequence drives these
// steps and shows progress and failures.

#include "config/Settings.h"
#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

namespace rebar {

// Sets FileKind from the extension, the file name and the first line (a DZT file becomes a
// kind 7 record through its import); on success also XUnit
// "m" and YUnit "cm". Returns false when the kind cannot be told (the caller decides about
// the "  FType001" stage for a VXD name that starts neither with "B" nor "T").
bool DetectFileKind(MeasurementRecord& r);

// Why DetectFileKind refused r: the file cannot be read, is empty, has a VXD name the program
// does not read, or is of no kind the program knows.
ReadResult ExplainDetectionFailure(const MeasurementRecord& r);

// True when the extension is VXD but the name starts neither with "B" nor with "T".
bool IsBadVxdName(const MeasurementRecord& r);

// Runs the reader of r.FileKind (or the import of a DZT file). A failure on a file without a
// byte is told as an empty file.
ReadResult ReadMeasurementFile(MeasurementRecord& r, const ReadContext& ctx);

// Copies the as-read display values into Saved and then applies the display defaults of the
// settings (the 730 or 940 keys by the record's family).
void SettleDisplaySettings(MeasurementRecord& r, const Settings& s);

// Sets FilePath and FileName (the part after the last "\" or "/").
void SetRecordPath(MeasurementRecord& r, const QString& path);

} // namespace rebar
