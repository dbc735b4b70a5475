#pragma once
// The colour bar of a view's gradation and the colours of the cursor lines that go with it.

#include "config/CalibrationTables.h"

#include <QImage>
#include <QRgb>

namespace rebar {

constexpr int ColorBarWidth = 132;
constexpr int ColorBarHeight = 20;

struct CursorLineColors {
    QRgb xbar;  // vertical cursor line over the radargram
    QRgb ybar;  // horizontal cursor line over the radargram
    QRgb yabar; // cursor line over the A-mode trace
};

struct ColorBar {
    QImage bar; // 132 x 20, white; column i (1..128) in the colour of the i-th step
    CursorLineColors cursor{};
};

// 730: column i takes level 2i of the gradation (colour palette for 0..5, grey for 6..9; the
// gradations 10 and 11 draw no columns). Cursor lines white/white/red for 0..4, else all red.
bool DrawColorBar730(int gradation, const CalibrationTables& tables, ColorBar& out);
// 940: column i takes amplitude 516 i - 33284 (-32768 .. 32764). Cursor lines white/white/red
// for the colour gradations 0..5, else all red.
bool DrawColorBar940(int gradation, const CalibrationTables& tables, ColorBar& out);

} // namespace rebar
