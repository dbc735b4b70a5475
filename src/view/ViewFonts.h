#pragma once
// The fonts of the radargram pictures. Sizes are given as the height of the character cell
// (ascent plus descent) in pixels, as the scales and labels are laid out: a 15-pixel font
// fills rows y .. y + 14 below its top. Needs a QGuiApplication.

#include <QFont>

namespace rebar {

// "Arial" (a metric-compatible face where Arial itself is missing) whose character cell is at
// most cellHeight pixels high.
QFont ArialCellFont(int cellHeight);

} // namespace rebar
