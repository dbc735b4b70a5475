#pragma once
// The vertical axis beside the radargram: a 50 x 536 (730) or 50 x 792 (940) white bitmap
// with depth ticks every 50 mm (or echo-time ticks when Permittivity is 0), their labels in
// the depth unit, the axis unit label and the distance unit label in the corner.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"

#include <QImage>
#include <cstdint>
#include <vector>

namespace rebar {

constexpr int DepthAxisWidth = 50;

// Rebuilds RowDepthTable (unless Permittivity is 0) and draws the axis into DepthAxisBitmap.
// False when the depth table cannot be built (permittivity outside 2.0..20.0, tables not
// loaded); DepthAxisBitmap is then null (the view shows its axis picture cleared).
bool DrawDepthAxis730(const MeasurementRecord& rec, const CalibrationTables& tables,
                      std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap);
bool DrawDepthAxis940(const MeasurementRecord& rec, const CalibrationTables& tables,
                      std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap);

} // namespace rebar
