#pragma once
// Where the measurement views stand in the main frame's workspace: a new view, the cascade and
// the tiling. A view's height is fixed by its layout; its width may shrink down to its minimum
// (the narrowest radargram) and, when tiled, grow to fill its cell. Every arrangement keeps each
// view inside the visible workspace wherever its size allows, so that title bars, close buttons,
// scroll bars and the A-mode pane stay in sight.

#include <QRect>
#include <QSize>
#include <vector>

namespace rebar {

struct ArrangedWindow {
    int width = 0;    // the width the view has now (its preferred width)
    int minWidth = 0; // the narrowest it may be
    int height = 0;   // its fixed height
};

// The place of the k-th open view (0-based) as it opens: one cascade step further down and right
// than the view before, starting again at the top-left corner once a step would take it below
// the workspace; narrowed (down to its minimum) or moved left so that its right edge stays
// inside.
QRect PlaceNewWindow(QSize workspace, const ArrangedWindow& w, int k, int step);

// Cascade: the views in order, each one step right and down of the one before. Where the
// tallest view would leave the workspace the steps down are made smaller, so that every view
// stays inside and every title bar keeps a part in sight. Widths as PlaceNewWindow gives them.
std::vector<QRect> CascadeWindows(QSize workspace, const std::vector<ArrangedWindow>& windows,
                                  int step);

// Tile: the views in a grid of as many columns as views of their minimum width fit side by side
// and as few rows as hold them all, each view as wide as its cell (at least its minimum). Rows
// that do not fit one below the other overlap evenly, the last one ending at the workspace's
// bottom; the columns likewise at the right.
std::vector<QRect> TileWindows(QSize workspace, const std::vector<ArrangedWindow>& windows);

} // namespace rebar
