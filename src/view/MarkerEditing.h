#pragma once
// What the marker commands of a view compute before they change anything: the numbers a
// delete request names, the display row that shows a sample, and where the peak search and the
// snap put the cursor.

#include "data/MeasurementRecord.h"

#include <QString>
#include <vector>

namespace rebar {

// The answer of the delete input box, read against the last number of the marker list.
struct DeleteRequest {
    enum Kind {
        Nothing, // an empty answer (or cancel), or a single item that is not a number
        All,     // "ALL": every marker the view shows
        Numbers, // the marker numbers below, in the order they are deleted
    };
    Kind kind = Nothing;
    std::vector<int> numbers;
    // The warning that ends the request (27 a bad text, 28 a number outside the list), 0 for
    // none. Numbers listed before the warning are deleted all the same.
    int message = 0;
};
// The forms: "ALL" (any case, blanks around it allowed); one number k; numbers joined by "+"
// (deleted left to right; the first bad item stops the request); two numbers joined by "-" in
// either order (every number between them). Every number must lie in 1..lastNumber.
DeleteRequest ParseDeleteInput(const QString& answer, int lastNumber);

// The single-density sample (1..512 or 1..768) a display row shows: its double-density sample
// integer-divided by 2.
int SingleSampleOfRow(const MeasurementRecord& r, int row);
// The first display row (1..512 or 1..768) that shows single-density sample s, or when no row
// shows it, the first row of the nearest shown sample before it; 0 when none.
int RowOfSingleSample(const MeasurementRecord& r, int s);
// The first display row that shows double-density sample s (or the nearest shown one before);
// 0 when none.
int RowOfSample(const MeasurementRecord& r, int s);
// The image column that shows trace t (1..N).
int ColumnOfTrace(const MeasurementRecord& r, int t);

// Where a peak search or a snap puts the cursor.
struct CursorTarget {
    bool found = false; // false: the cursor stays where it is
    int column = 0;     // the new column (the snap only; 0 keeps the column)
    int row = 0;        // the new row, 0 when the sample lies below the rows
};

// The peak search in the cursor's trace t (only for t >= 2): the first sample of the trace's
// largest value; or, when the cursor still sits where the previous search put it (t and the
// row's sample equal lastColumn and lastSample), the peak of the next weaker positive lobe.
CursorTarget PeakSearchTarget(const MeasurementRecord& r, int column, int row, int lastColumn,
                              int lastSample);
// The snap: of the traces t - 10..t + 10 (inside 2..N - 1), each with its first largest value
// among the samples s0 - 10..s0 + 10, the one with the largest value (730: compared in steps of
// 256), of equal ones the shallowest. The cursor goes to the column and row that show it.
CursorTarget SnapTarget(const MeasurementRecord& r, int column, int row);

} // namespace rebar
