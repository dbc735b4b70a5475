#include "view/WindowArrangement.h"

#include <gtest/gtest.h>

using namespace rebar;

namespace {

// Eight views as they open: a 730 view 860 wide (at least 640) and 620 high.
std::vector<ArrangedWindow> views(int n, int width = 860, int minWidth = 640, int height = 620) {
    return std::vector<ArrangedWindow>(static_cast<size_t>(n), {width, minWidth, height});
}

void expectInside(QSize ws, const std::vector<QRect>& rects) {
    const QRect area(QPoint(0, 0), ws);
    for (size_t i = 0; i < rects.size(); ++i)
        EXPECT_TRUE(area.contains(rects[i]))
            << "view " << i << " at " << rects[i].x() << "," << rects[i].y() << " "
            << rects[i].width() << "x" << rects[i].height();
}

} // namespace

TEST(WindowArrangement, NewViewsStepDownAndStayInside) {
    const QSize ws(1200, 900);
    const ArrangedWindow w{860, 640, 620};
    std::vector<QRect> placed;
    for (int k = 0; k < 8; ++k)
        placed.push_back(PlaceNewWindow(ws, w, k, 30));
    expectInside(ws, placed);
    EXPECT_EQ(placed[0], QRect(0, 0, 860, 620));
    EXPECT_EQ(placed[1].topLeft(), QPoint(30, 30));
    // 900 - 620 leaves room for offsets 0..270: the tenth step starts again at the top.
    EXPECT_EQ(PlaceNewWindow(ws, w, 10, 30).topLeft(), QPoint(0, 0));
    // Near the right edge the view narrows first (down to its minimum), then moves left.
    EXPECT_EQ(PlaceNewWindow(ws, w, 9, 30), QRect(270, 270, 860, 620));
    EXPECT_EQ(PlaceNewWindow(QSize(900, 900), w, 5, 30), QRect(150, 150, 750, 620));
    EXPECT_EQ(PlaceNewWindow(QSize(700, 900), w, 5, 30), QRect(60, 150, 640, 620));
    // A workspace lower than the view: it starts at the top and is not moved above it.
    EXPECT_EQ(PlaceNewWindow(QSize(1200, 500), w, 3, 30).topLeft(), QPoint(0, 0));
}

TEST(WindowArrangement, CascadeKeepsEveryTitleInSightAndEveryViewInside) {
    const QSize ws(1200, 900);
    const std::vector<QRect> r = CascadeWindows(ws, views(8), 30);
    ASSERT_EQ(r.size(), 8u);
    expectInside(ws, r);
    for (size_t i = 1; i < r.size(); ++i)
        EXPECT_NE(r[i].topLeft(), r[i - 1].topLeft()) << i;
    EXPECT_EQ(r[7].topLeft(), QPoint(210, 210));
    // With a 940 view 870 high the steps down shrink to (900 - 870) / 9; the steps right stay.
    std::vector<ArrangedWindow> mixed = views(9);
    mixed.push_back({900, 660, 870});
    const std::vector<QRect> m = CascadeWindows(ws, mixed, 30);
    expectInside(ws, m);
    EXPECT_EQ(m[1].topLeft(), QPoint(30, 3));
    EXPECT_EQ(m[9].top(), 27);
    EXPECT_EQ(m[9], QRect(270, 27, 900, 870));
    // In a narrow workspace the later views narrow, down to their minimum, then move back.
    const std::vector<QRect> narrow = CascadeWindows(QSize(900, 900), views(8), 30);
    expectInside(QSize(900, 900), narrow);
    EXPECT_EQ(narrow[2].width(), 840);
    EXPECT_EQ(narrow[7], QRect(210, 210, 690, 620));
    EXPECT_EQ(CascadeWindows(QSize(700, 900), views(8), 30)[7], QRect(60, 210, 640, 620));
}

TEST(WindowArrangement, TileFillsColumnsOfTheMinimumWidthAndOverlapsRowsEvenly) {
    const QSize ws(1900, 1000);
    // 1900 / 640: two columns; eight views in four rows stepped (1000 - 620) / 3 apart.
    const std::vector<QRect> r = TileWindows(ws, views(8));
    ASSERT_EQ(r.size(), 8u);
    expectInside(ws, r);
    EXPECT_EQ(r[0], QRect(0, 0, 950, 620));
    EXPECT_EQ(r[1], QRect(950, 0, 950, 620));
    EXPECT_EQ(r[2].topLeft(), QPoint(0, 126));
    EXPECT_EQ(r[7].bottom(), ws.height() - 1);
    // Two views side by side share the width; one view fills it.
    EXPECT_EQ(TileWindows(ws, views(2))[1], QRect(950, 0, 950, 620));
    EXPECT_EQ(TileWindows(ws, views(1))[0], QRect(0, 0, 1900, 620));
    // Three rows that fit one below the other do not overlap.
    const std::vector<QRect> low = TileWindows(QSize(700, 2000), views(3, 860, 640, 600));
    EXPECT_EQ(low[1].top(), 600);
    EXPECT_EQ(low[2].top(), 1200);
    // A workspace narrower than one view: the view keeps its minimum width at the left.
    EXPECT_EQ(TileWindows(QSize(500, 1000), views(1))[0], QRect(0, 0, 640, 620));
    EXPECT_TRUE(TileWindows(ws, {}).empty());
}
