#include "export/MarkerTable.h"

#include "view/MeasurementDocument.h"

#include <cmath>

namespace rebar {

MarkerTable TakeMarkers(const MeasurementDocument& doc, int start, int end,
                        int16_t distanceFromFile) {
    MarkerTable table;
    const MeasurementRecord& r = doc.record();
    if (!doc.context().complete()) {
        table.ok = false;
        return table;
    }
    const MarkerMeasure measure(r, *doc.context().tables, distanceFromFile == 0 ? start : 0);
    double previous = 0;
    ForEachShownMarker(r, [&](const MarkerEntry& m) {
        const int64_t f = MarkerColumn(r, m);
        if (f < start - 1 || f > end - 1)
            return true;
        MarkerTableRow row;
        row.number = m.number;
        row.figures = measure(m);
        if (!row.figures.ok) {
            table.ok = false;
            return false;
        }
        const double d = row.figures.distance;
        row.pitch = table.rows.isEmpty() ? 0.0 : std::fabs(d - previous);
        previous = d;
        table.statistics.add(r.Permittivity <= 0 ? row.figures.timeNs : row.figures.depthCm,
                             row.pitch);
        table.rows << row;
        return true;
    });
    return table;
}

} // namespace rebar
