#pragma once
// The state a view window keeps beside its document: scroll and layout flags, the window
// options and the geometry of its controls. Cursor, marker command state and the depth of the
// display rows belong to the document (DocumentState).

#include "view/ViewLayout.h"

#include <cstdint>

namespace rebar {

struct ViewState {
    int32_t LastScrollValue = 1;
    int16_t Resizing = 0;
    int16_t ViewActive = 0;
    int16_t Rendered = 0;
    int16_t InfoPanelShown = 1;
    WindowOptions Options;
    ViewGeometry Geometry;
};

} // namespace rebar
