#pragma once
// The distance strip above the radargram: a W x 20 white bitmap (W = TraceCount, or
// TraceCount div 2 in the wide view ranges 3..5) with the distance (or time) ticks and labels,
// the flags of the marks the scanner recorded and the processing-line arrow.

#include "data/MeasurementRecord.h"

#include <QImage>
#include <cstdint>

namespace rebar {

constexpr int ScaleStripHeight = 20;

// Draw the strip of a record into strip (replaced). A record whose strip has no columns gives a
// null image. False, leaving strip alone, when the work matrix does not hold the traces.
bool DrawScaleStrip730(const MeasurementRecord& rec, QImage& strip);
// MaxTraces: the program-wide limit of held 940 traces; a file that stored more (XDataSize)
// numbers its ticks as the distances of its last MaxTraces traces.
bool DrawScaleStrip940(const MeasurementRecord& rec, int16_t MaxTraces, QImage& strip);

} // namespace rebar
