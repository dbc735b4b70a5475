#pragma once
// The distance strip above the radargram: a W x 20 white bitmap (W = TraceCount, or
// TraceCount div 2 in the wide view ranges 3..5) with the distance (or time) ticks and labels,
// the flags of the marks the scanner recorded and the processing-line arrow.

#include "data/MeasurementRecord.h"

#include <QImage>
#include <cstdint>

namespace rebar {

constexpr int ScaleStripHeight = 20;
// First row of the B-mode picture in the composed image (display row r is image row r + 20).
constexpr int BModeTop = ScaleStripHeight + 1;

// Draw the strip of a record into strip (replaced). A record whose strip has no columns gives a
// null image. False, leaving strip alone, when the work matrix does not hold the traces.
bool DrawScaleStrip730(const MeasurementRecord& rec, QImage& strip);
// A 940 file longer than the traces held numbers its ticks from its first trace: the held
// traces are its last ones (SkippedTraces).
bool DrawScaleStrip940(const MeasurementRecord& rec, QImage& strip);

} // namespace rebar
