#include "view/WindowArrangement.h"

#include <algorithm>

namespace rebar {

namespace {

// The width of a view whose left edge is at x: its own width, narrowed to the room right of x,
// never below its minimum (nor below 1).
int fittedWidth(const ArrangedWindow& w, int room) {
    const int lowest = std::max(w.minWidth, 1);
    return std::max(lowest, std::min(std::max(w.width, lowest), room));
}

// A rectangle moved left and up, as far as needed and possible, to end inside the workspace.
QRect keptInside(QSize workspace, int x, int y, int width, int height) {
    x = std::max(0, std::min(x, workspace.width() - width));
    y = std::max(0, std::min(y, workspace.height() - height));
    return QRect(x, y, width, height);
}

// The cascade offset of the k-th view: k steps, counted again from 0 each time a view of this
// height would leave the workspace at the bottom.
int cascadeOffset(QSize workspace, int height, int k, int step) {
    if (step <= 0)
        return 0;
    const int room = workspace.height() - height;
    const int steps = room > 0 ? room / step + 1 : 1; // offsets 0, step, .. that fit
    return (k % steps) * step;
}

} // namespace

QRect PlaceNewWindow(QSize workspace, const ArrangedWindow& w, int k, int step) {
    const int offset = cascadeOffset(workspace, w.height, std::max(k, 0), step);
    const int width = fittedWidth(w, workspace.width() - offset);
    return keptInside(workspace, offset, offset, width, w.height);
}

std::vector<QRect> CascadeWindows(QSize workspace, const std::vector<ArrangedWindow>& windows,
                                  int step) {
    std::vector<QRect> out;
    const int n = static_cast<int>(windows.size());
    out.reserve(windows.size());
    // The steps down shrink where the tallest view would otherwise leave the workspace; the
    // steps right stay whole, so every title bar keeps a part of its own in sight.
    int tallest = 0;
    for (const ArrangedWindow& w : windows)
        tallest = std::max(tallest, w.height);
    const int room = std::max(0, workspace.height() - tallest);
    const int stepY = n > 1 ? std::min(step, room / (n - 1)) : 0;
    for (int i = 0; i < n; ++i) {
        const ArrangedWindow& w = windows[static_cast<size_t>(i)];
        const int x = i * step;
        const int width = fittedWidth(w, workspace.width() - x);
        out.push_back(keptInside(workspace, x, i * stepY, width, w.height));
    }
    return out;
}

std::vector<QRect> TileWindows(QSize workspace, const std::vector<ArrangedWindow>& windows) {
    std::vector<QRect> out;
    const int n = static_cast<int>(windows.size());
    if (n == 0)
        return out;
    int widest = 1, tallest = 1;
    for (const ArrangedWindow& w : windows) {
        widest = std::max(widest, std::max(w.minWidth, 1));
        tallest = std::max(tallest, w.height);
    }
    // Columns: as many as fit at the minimum width; rows: as few as hold every view; then the
    // columns evened out over those rows.
    const int fit = std::max(1, workspace.width() / widest);
    int columns = std::min(n, fit);
    const int rows = (n + columns - 1) / columns;
    columns = (n + rows - 1) / rows;
    const int cellWidth = std::max(1, workspace.width() / columns);
    // Rows stand a view's height apart, or closer where that is needed to end at the bottom.
    const int room = std::max(0, workspace.height() - tallest);
    auto rowTop = [&](int row) {
        return rows > 1 ? std::min(row * tallest, row * room / (rows - 1)) : 0;
    };
    out.reserve(windows.size());
    for (int i = 0; i < n; ++i) {
        const ArrangedWindow& w = windows[static_cast<size_t>(i)];
        const int row = i / columns;
        const int column = i % columns;
        const int width = std::max(std::max(w.minWidth, 1), cellWidth);
        out.push_back(keptInside(workspace, column * cellWidth, rowTop(row), width, w.height));
    }
    return out;
}

} // namespace rebar
