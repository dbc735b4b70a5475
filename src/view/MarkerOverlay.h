#pragma once
// The marker overlay: OverlayImage is the top-left TraceCount x 536 (730) or
// TraceCount x 792 (940) part of the ComposedImage (black where the composed image is
// narrower) with every marker drawn on it as the hata/maka sprite pair and its number above.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "view/CoverCompliance.h"
#include "view/ViewImages.h"

namespace rebar {

// Markers whose cover lies below the minimum cover of `settings` are drawn in the warning
// colours (a magenta marker with a white rim, seen on every gradation); covers are measured as
// the marker list measures them, and not at all on the time axis.
struct CoverWarning {
    const CalibrationTables& tables;
    const ComplianceSettings& settings;
};

// Markers730 entries whose Position + Sample is positive, numbered " 1", " 2", ... by list
// position. False, leaving images untouched, when the record has no traces.
bool DrawMarkers730(const MeasurementRecord& rec, ViewImages& images,
                    const CoverWarning* warning = nullptr);
// The slots in use of mark group MarkerGroup, numbered group x 100 + slot. False, leaving
// images untouched, when the record has no traces or MarkerGroup is not 0..2.
bool DrawMarkers940(const MeasurementRecord& rec, ViewImages& images,
                    const CoverWarning* warning = nullptr);
// DrawMarkers730 or DrawMarkers940 for the record's family.
bool DrawViewMarkers(const MeasurementRecord& rec, ViewImages& images,
                     const CoverWarning* warning = nullptr);

// Display row (1-based) of sample y in view ranges 1 and 4, where every three samples
// s, s + 1, s + 2 share two rows (s and s + 1 advance the row, s + 2 shows on the next row);
// 0 when y lies beyond maxSample or below maxRow rows.
int WalkedRowOfSample(int64_t y, int maxSample, int maxRow);

} // namespace rebar
