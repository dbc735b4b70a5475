#pragma once
// The radargram picture: the processed samples of a record as a B-mode bitmap (one column per
// trace, or per second trace in the wide view ranges 3..5; one row per display row), composed
// with the distance strip into the view's ComposedImage:
//   rows 0..19   the distance strip, shifted one column right (left when Direction is 1)
//   row  20      black
//   rows 21..    the B-mode bitmap (536 rows for the 730 family, 792 for the 940 family)
// The image is W x 560 (730) or W x 816 (940), W = TraceCount, or TraceCount div 2 in the wide
// ranges. Column k shows the k-th drawn trace (column x0 - k when Direction is 1); the last
// drawn trace falls outside the image.

#include "base/Progress.h"
#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "view/ViewImages.h"

#include <cstdint>

namespace rebar {

// Image columns of a record's radargram (W).
int BModeImageWidth(const MeasurementRecord& rec);

// Rebuild images.ComposedImage from Work730 / Work730x2. False, leaving images untouched, when
// the record has no traces, the view range is not 0..5, a matrix does not hold the drawn
// traces and samples, or memory runs out. A record one trace long in a wide range has no image
// columns; it succeeds with a null ComposedImage.
bool RenderBMode730(const MeasurementRecord& rec, const CalibrationTables& tables,
                    ViewImages& images);

// The same from Work940 / Work940x2. With a progress callback it reports 77 before drawing,
// then 82, 87 and 92 once the drawing has passed traces 1500, 3000 and 4500, and 99 at the end.
bool RenderBMode940(const MeasurementRecord& rec, const CalibrationTables& tables,
                    ViewImages& images, const ProgressFn& progress = {});

} // namespace rebar
