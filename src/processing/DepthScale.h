#pragma once
// The time-to-depth scale of a view: the permittivity index that addresses the depth tables,
// the depth of every display row (RowDepthTable), the row of a depth, and the depth-calibration
// menu item that a permittivity checks.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"

#include <array>
#include <cstdint>
#include <vector>

namespace rebar {

// The permittivities of the depth-calibration menu items 0..6; item 7 is the time axis (0) and
// item 8 any other value.
constexpr std::array<double, 7> PermittivityPresets = {10.7, 9.8, 8.9, 8.0, 7.4, 6.8, 6.2};
constexpr int PresetItemTime = 7;
constexpr int PresetItemOther = 8;

// e = er x 10 rounded half to even; 0 when e lies outside 20..200 (or er is not a number).
int PermittivityIndex(double er);

// Rebuilds RowDepthTable (entry 0 = 0, entry r = depth in mm of display row r) from the
// record's Permittivity, ViewRange and CoverMagnification. Does nothing and succeeds while
// Permittivity is 0; fails, leaving the table alone, when the permittivity index is out of
// range, the depth tables are not loaded or a depth does not fit an int32.
bool BuildRowDepthTable730(const MeasurementRecord& rec, const CalibrationTables& tables,
                           std::vector<int32_t>& RowDepthTable);
bool BuildRowDepthTable940(const MeasurementRecord& rec, const CalibrationTables& tables,
                           std::vector<int32_t>& RowDepthTable);

// The display row (1..R) of a depth: the row whose depth equals it, else the row before the
// first deeper row (0 when row 1 is already deeper); -100 when the depth lies below the last
// row R = RowDepthTable.size() - 1.
constexpr int DepthBelowRange = -100;
int DepthToRow(const std::vector<int32_t>& RowDepthTable, int depthMm);

// The depth-calibration menu item a permittivity checks, chosen from its text formatted "#.0":
// "10.7" .. "6.2" give items 0..6, ".0" item 7, anything else item 8.
int PresetItemForPermittivity(double er);

} // namespace rebar
