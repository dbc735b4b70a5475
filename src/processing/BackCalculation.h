#pragma once
// Permittivity back-calculation: the user puts the cursor on an echo whose true depth is known
// (a bar whose cover was measured) and enters that depth; the view takes the permittivity at
// which the depth table gives that depth for the cursor's sample.
//
// The command, as the view runs it:
//   1. input box with message 31 (depth in cm), or 38 when the depth unit is "inch"; no title,
//      no default text;
//   2. ReadDepthEntry(answer, YUnit): Empty ends the command; Invalid shows message 18 titled
//      with the file path; otherwise
//   3. BackCalculatePermittivity(rec, tables, depth, RowToSample(rec, CursorRow)): Error shows
//      the error text and message 18 on two lines and ends the command; NoFit shows message 22
//      and goes on with the current permittivity;
//   4. ApplyBackCalculation(rec, result.permittivity), then check the depth-calibration item it
//      returns (and no other), enable the depth-unit menu when the permittivity is not 0, and
//      redraw the depth axis, the row depth table, the marker list and the readouts.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"

#include <QString>

namespace rebar {

// The answer of the input box as a depth in millimetres.
struct DepthEntry {
    enum Kind { Empty, Invalid, Depth } kind = Empty;
    double mm = 0;
};
// An empty answer (also Cancel) is Empty; an answer that is not a number, or a number not
// above 0, is Invalid; otherwise the depth, taken in inches when the depth unit is "inch" and in
// centimetres for every other unit.
DepthEntry ReadDepthEntry(const QString& answer, const QString& yUnit);

struct BackCalculation {
    enum Outcome {
        Fits,  // permittivity is the table's answer
        NoFit, // no table permittivity gives the depth: permittivity is the current one
        Error, // the sample lies outside the depth tables: nothing changes
    } outcome = Error;
    float permittivity = 0; // single precision, a multiple of 0.1 in 2.0..20.0 when it fits
    int messageKey = 0;     // 22 for NoFit, 18 for Error
    QString error;          // what went wrong, for Error
};

// The permittivity at which the family's depth table gives `depthMm` for the double-density
// sample `rowSample` of the cursor's display row. The table is read at s = 2 (rowSample div 2),
// the row's single-density sample on the double-density grid. The 730 family compares in
// single precision, the 940 family in double precision. Of the permittivities 2.0..20.0 it
// takes the one of the largest table depth that is not above the entered depth, and of equal
// depths the highest permittivity.
BackCalculation BackCalculatePermittivity(const MeasurementRecord& rec,
                                          const CalibrationTables& tables, double depthMm,
                                          int rowSample);

// Writes a back-calculated permittivity into the record as choosing "any other permittivity"
// in the depth-calibration menu does: Permittivity, the preset index 8 (7 while the scan stays
// on the time axis, which a depth that no permittivity fits leaves as it is), the saved copy
// in single precision, and Modified. Returns the depth-calibration item to check.
int ApplyBackCalculation(MeasurementRecord& rec, float permittivity);

} // namespace rebar
