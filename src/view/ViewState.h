#pragma once
// The state a measurement view keeps beside its record: cursor, scroll and layout flags, the
// window options, the depth of every display row and the rendered images.

#include "view/ViewLayout.h"

#include <QImage>
#include <cstdint>
#include <vector>

namespace rebar {

struct ViewState {
    int32_t CursorColumn = 1;
    int32_t CursorRow = 1;
    int32_t LastScrollValue = 1;
    int16_t Resizing = 0;
    int16_t ViewActive = 0;
    int16_t Rendered = 0;
    int16_t InfoPanelShown = 1;
    WindowOptions Options;
    ViewGeometry Geometry;
    std::vector<int32_t> RowDepthTable; // depth in mm of display rows 0..R (entry 0 = 0)

    // Marker command state
    int16_t DeleteWithoutPrompt = 0;
    int32_t MarkerToDelete = 0;
    int32_t LastPeakColumn = 0;
    int32_t LastPeakSample = 0;
    int32_t CurrentMarker = 0; // 730: the marker last added or chosen, 0 none
};

} // namespace rebar
