#pragma once
// From a file name to a filled record: the file-kind detection and the choice of reader. Every
// open goes through ReadMeasurementPath, the one place where a reader or an import step plugs
// in; the measurement document builds its open sequence on it.

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

// Sets FilePath and FileName (the part after the last "\" or "/").
void SetRecordPath(MeasurementRecord& r, const QString& path);

// The outcome of an open: the load stage reached when it failed (the code shown in front of the
// failure message, often empty), a reason text for logs and command-line tools, and the result
// of the detection or the reader that failed (what the user's message tells; empty when the
// file was read and a later step failed).
struct OpenResult {
    bool ok = false;
    QString stage;
    QString reason;
    ReadResult read;

    static OpenResult success() { return {true, {}, {}, ReadResult::success()}; }
    explicit operator bool() const { return ok; }
};

// The reading half of every open: sets the path, clears LoadStage, detects the kind and runs its
// reader. kindKnown (may be empty) runs between detection and reading: the window shows its
// progress dialog there. A VXD name that starts neither with "B" nor with "T" fails with the
// stage "  FType001".
OpenResult ReadMeasurementPath(MeasurementRecord& r, const QString& path, const ReadContext& ctx,
                               const std::function<void()>& kindKnown = {});

} // namespace rebar
