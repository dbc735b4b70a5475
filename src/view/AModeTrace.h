#pragma once
// The A-mode picture: the processed amplitude of the cursor column, one point per display row.

#include "data/MeasurementRecord.h"

#include <QImage>

namespace rebar {

// Draws the trace of image column `column` into picture (cleared white first): the polyline of
// one point per display row (y = row + 20), the top line at y = 20 and the zero line.
void DrawAModeTrace(const MeasurementRecord& r, int column, QImage& picture);

} // namespace rebar
