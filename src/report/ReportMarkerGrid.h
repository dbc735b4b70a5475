#pragma once
// The marker tables of a report data entry: the figures of a measurement's marker list laid out
// in bands of four rows (number, distance, depth, pitch), a caption column first, then one
// column per marker; a band holds MarkersPerLine markers and the table grows by a band for the
// next ones. The 730 family fills table 0 with all its markers; the 940 family fills tables
// 0, 1 and 2 with its three mark groups, each band headed by the group ("Gr0").

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "data/MeasurementRecord.h"

#include <QString>
#include <array>
#include <vector>

namespace rebar {

constexpr int ReportMarkerGridCount = 3;
constexpr int MarkerBandRows = 4;

struct ReportMarkerGrid {
    bool groupHeading = false;       // the 940 family: each band starts with the group heading
    QString heading;                 // "Gr" and the group number
    std::array<QString, 4> captions; // "ID", distance, depth and pitch with their units
    std::vector<std::array<QString, 4>> markers; // number, distance, depth, pitch per marker

    int count() const { return static_cast<int>(markers.size()); }
};

using ReportMarkerGrids = std::array<ReportMarkerGrid, ReportMarkerGridCount>;

// Rows the designer gives a table of n markers (n > 0): 4 for less than a band, else four rows a
// band, where a table that fills its last band exactly takes 3 rows for that band.
int MarkerGridRows(int markers, int markersPerLine);

// The cover compliance table under the marker tables: caption and value pairs side by side,
// a caption over four columns and its value over six, ComplianceFiguresPerRow to a row.
constexpr int ComplianceFiguresPerRow = 3;
inline int ComplianceTableRows(int figures) {
    return (figures + ComplianceFiguresPerRow - 1) / ComplianceFiguresPerRow;
}

// The tables of a record's markers. False (the tables then hold what was built) when a marker's
// position could not be converted.
bool BuildReportMarkerGrids(const MeasurementRecord& r, const CalibrationTables& t,
                            const LanguageTables& language, ReportMarkerGrids& grids);

} // namespace rebar
