#pragma once
// The computing steps of a view refresh for the record's family: processing the samples,
// rendering the radargram with its markers, and drawing the depth axis. The view window runs
// them in its refresh, between the steps that place its controls; benchmarks run them alone.

#include "base/Progress.h"
#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "view/ViewImages.h"

#include <QImage>
#include <vector>

namespace rebar {

// Process730 or Process940.
bool ProcessView(MeasurementRecord& r, const CalibrationTables& t, const ProgressFn& progress);
struct ComplianceSettings;
// The B-mode image with its strip (ComposedImage), then the marker overlay (OverlayImage); with
// compliance settings, markers below the minimum cover show in the warning colour.
bool RenderView(const MeasurementRecord& r, const CalibrationTables& t, ViewImages& images,
                const ProgressFn& progress, const ComplianceSettings* compliance = nullptr);
// The depth (or time) axis; rebuilds RowDepthTable first.
bool DrawViewDepthAxis(const MeasurementRecord& r, const CalibrationTables& t,
                       std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap);

} // namespace rebar
