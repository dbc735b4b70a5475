#pragma once
// The markers an export takes: the shown markers whose image column lies in the exported range,
// in storage order, with their figures measured by the marker list's rule (from the range's
// first column when the export counts distances from there), the pitch to the marker taken
// before, and their statistics. The marker CSV and the data workbooks write this table.

#include "data/Markers.h"
#include "view/MarkerFigures.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace rebar {

class MeasurementDocument;

struct MarkerTableRow {
    int number = 0; // as the marker list numbers it (940: group x 100 + slot)
    MarkerFigures figures;
    double pitch = 0; // |distance - distance of the row before|; 0 for the first row
};

struct MarkerTable {
    QList<MarkerTableRow> rows;
    MarkerStatistics statistics; // over the rows
    bool ok = true;              // false: a marker could not be measured (rows holds those before)
};

// start and end are the exported image columns (1-based, inclusive) as the composition returned
// them; distanceFromFile 0 counts distances from the first trace of column start.
MarkerTable TakeMarkers(const MeasurementDocument& doc, int start, int end,
                        int16_t distanceFromFile);

} // namespace rebar
