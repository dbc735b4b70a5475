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
                const ProgressFn& progress) {
    if (r.is940())
        return RenderBMode940(r, t, images, progress) && DrawMarkers940(r, images);
    return RenderBMode730(r, t, images) && DrawMarkers730(r, images);
}

bool DrawViewDepthAxis(const MeasurementRecord& r, const CalibrationTables& t,
                       std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap) {
    return r.is940() ? DrawDepthAxis940(r, t, RowDepthTable, DepthAxisBitmap)
                     : DrawDepthAxis730(r, t, RowDepthTable, DepthAxisBitmap);
}

} // namespace rebar
