#pragma once
// The A-mode picture: the processed amplitude of the cursor column, one point per display row.

#include "data/MeasurementRecord.h"

#include <QImage>

namespace rebar {

// Draws the trace of image column `column` into picture (cleared white first): the polyline of
// one point per display row (y = row + 20), the top line at y = 20 and the zero line.
void DrawAModeTrace(const MeasurementRecord& r, int column, QImage& picture);

// The processed value the A-mode trace shows on display row `row` (1-based) of trace `trace`
// (the view range and cover magnification choose the matrix and the sample). False when the
// record's matrices do not hold that sample.
bool AModeValueOfRow(const MeasurementRecord& r, int trace, int row, int& value);

} // namespace rebar
