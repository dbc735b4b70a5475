#pragma once
// Conversions between the cursor's image column and display row and the trace, sample,
// distance, depth and echo time they stand for, and the texts of the cursor readouts.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "data/MeasurementRecord.h"

#include <QString>

namespace rebar {

// Display row -> sample of the double-density matrix (1..1024 or 1..1536).
int RowToSample730(int row, int viewRange, int coverMagnification);
int RowToSample940(int row, int viewRange, int coverMagnification);
inline int RowToSample(const MeasurementRecord& r, int row) {
    return r.is940() ? RowToSample940(row, r.ViewRange, r.CoverMagnification)
                     : RowToSample730(row, r.ViewRange, r.CoverMagnification);
}

// Image column -> trace.
int GetXPos730r(int column, int viewRange);
int GetXPos940r(int column, int viewRange);
inline int GetXPos(const MeasurementRecord& r, int column) {
    return r.is940() ? GetXPos940r(column, r.ViewRange) : GetXPos730r(column, r.ViewRange);
}
// Trace -> image column.
int TraceToColumn730(int trace, int viewRange);
double TraceToColumn940(int trace, int viewRange);

// The position at an image column and a double-density sample.
struct CursorPosition {
    double distance = 0; // metres, or seconds when XScale is non-zero
    double depthCm = 0;  // centimetres; the sample itself when no depth applies
    double timeNs = 0;   // echo time, truncated to 0.1 ns
    bool ok = true;      // false when the depth conversion failed
};
CursorPosition CalcPosition730(const MeasurementRecord& r, const CalibrationTables& t,
                               double column, double sample);
// The 940 column counts from 1 and its distance from the file's first trace (SkippedTraces).
CursorPosition CalcPosition940(const MeasurementRecord& r, const CalibrationTables& t,
                               double column, double sample);

// The texts of the readout labels.
struct ReadoutTexts {
    QString distanceCaption, distanceValue;
    QString depthCaption, depthValue;
    QString permittivityCaption, permittivityValue;
    bool distanceSet = false; // false: an unknown unit leaves the label as it was
    bool depthSet = false;
};
// Captions come from language.
ReadoutTexts FormatReadouts(const MeasurementRecord& r, const LanguageTables& language,
                            const CursorPosition& p);

// A figure with a fixed number of decimals as the program shows it: rounded from the double's
// exact value, an exact half to the even neighbour; no sign on a figure that shows as zero.
QString FormatFixed(double value, int decimals);
// The relative permittivity with its preset tag: "8.0εr [+0]", "8.5εr".
QString PermittivityText(double permittivity);

} // namespace rebar
