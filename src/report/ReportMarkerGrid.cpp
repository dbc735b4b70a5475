#include "report/ReportMarkerGrid.h"

#include "view/MarkerList.h"

namespace rebar {

int MarkerGridRows(int markers, int markersPerLine) {
    if (markers < markersPerLine)
        return MarkerBandRows;
    const int bands = markers / markersPerLine;
    return MarkerBandRows * bands + (markers % markersPerLine == 0 ? 3 : MarkerBandRows);
}

namespace {

ReportMarkerGrid gridOf(const MarkerListContent& list) {
    ReportMarkerGrid g;
    g.captions = {QStringLiteral("ID"), list.captions[0], list.captions[1], list.captions[2]};
    g.markers.reserve(static_cast<size_t>(list.lines.size()));
    for (const MarkerListLine& line : list.lines)
        g.markers.push_back(line.figures);
    return g;
}

} // namespace

bool BuildReportMarkerGrids(const MeasurementRecord& r, const CalibrationTables& t,
                            const LanguageTables& language, ReportMarkerGrids& grids) {
    grids = {};
    if (!r.is940()) {
        const MarkerListContent list = BuildMarkerList(r, t, language, 0);
        grids[0] = gridOf(list);
        return list.ok;
    }
    bool ok = true;
    for (int g = 0; g < MarkGroups940; ++g) {
        const MarkerListContent list = BuildMarkerList(r, t, language, 0, g);
        ReportMarkerGrid& grid = grids[static_cast<size_t>(g)];
        grid = gridOf(list);
        grid.groupHeading = true;
        grid.heading = QStringLiteral("Gr%1").arg(g);
        ok = ok && list.ok;
    }
    return ok;
}

} // namespace rebar
