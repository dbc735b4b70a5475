#include "view/ViewRefresh.h"

#include "processing/Process730.h"
#include "processing/Process940.h"
#include "view/BModeRenderer.h"
#include "view/DepthAxis.h"
#include "view/MarkerOverlay.h"

namespace rebar {

bool ProcessView(MeasurementRecord& r, const CalibrationTables& t, const ProgressFn& progress) {
    return r.is940() ? Process940(r, t, progress) : Process730(r, t);
}

bool RenderView(const MeasurementRecord& r, const CalibrationTables& t, ViewImages& images,
                const ProgressFn& progress, const ComplianceSettings* compliance) {
    const bool rendered =
        r.is940() ? RenderBMode940(r, t, images, progress) : RenderBMode730(r, t, images);
    if (!rendered)
        return false;
    if (!compliance)
        return DrawViewMarkers(r, images);
    const CoverWarning warning{t, *compliance};
    return DrawViewMarkers(r, images, &warning);
}

bool DrawViewDepthAxis(const MeasurementRecord& r, const CalibrationTables& t,
                       std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap) {
    return r.is940() ? DrawDepthAxis940(r, t, RowDepthTable, DepthAxisBitmap)
                     : DrawDepthAxis730(r, t, RowDepthTable, DepthAxisBitmap);
}

} // namespace rebar
