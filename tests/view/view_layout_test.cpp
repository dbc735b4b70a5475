// The geometry of a view: columns and widths, the scroll range, which image columns a scroll
// value shows, and what a resize does to the scroll value.

#include "view/ViewLayout.h"

#include <gtest/gtest.h>

using namespace rebar;

namespace {

// An overlay whose pixel in column c carries c in its colour, so a copy tells which column a
// picture pixel shows.
QImage numberedOverlay(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, qRgb(x & 0xff, (x >> 8) & 0xff, 7));
    return img;
}

int columnAt(const QImage& picture, int x) {
    const QRgb c = picture.pixel(x, 10);
    if (qBlue(c) != 7)
        return -1; // black: nothing copied there
    return qRed(c) | (qGreen(c) << 8);
}

} // namespace

TEST(ViewGeometry, ColumnsAndWidthsFollowThePanelsShown) {
    ViewGeometry g;
    g.setScreen(96);
    EXPECT_EQ(g.InfoPanelWidth, 230);
    EXPECT_EQ(g.InfoPanelHeight, 220);
    g.computeColumns(true, true);
    EXPECT_EQ(g.x2, 5 + 230 + 5);
    EXPECT_EQ(g.x3, g.x2 + 54);
    EXPECT_EQ(g.x4, g.x3 + 404);
    EXPECT_EQ(g.FormWidth, g.x4 + 132 + 10);
    EXPECT_EQ(g.MinFormWidth, g.x3 + 202 + 132 + 10);
    const int full = g.FormWidth;
    g.computeColumns(true, false); // no A-mode column: 132 pixels narrower
    EXPECT_EQ(g.FormWidth, full - 132);
    g.computeColumns(false, true); // no information panel: the depth axis moves to 5
    EXPECT_EQ(g.x2, 5);
    g.setScreen(144);
    EXPECT_EQ(g.InfoPanelWidth, 230 * 144 / 96 + 48);
}

TEST(ScrollModel, RangeByDirection) {
    EXPECT_EQ(ComputeScrollRange(1000, 404, 0).maximum, 597);
    EXPECT_EQ(ComputeScrollRange(1000, 404, 0).minimum, 1);
    EXPECT_EQ(ComputeScrollRange(1000, 404, 1).minimum, 597); // backwards bar
    EXPECT_EQ(ComputeScrollRange(1000, 404, 1).maximum, 1);
    for (int dir : {0, 1}) { // narrower than the picture: 1..1
        EXPECT_EQ(ComputeScrollRange(300, 404, dir).minimum, 1);
        EXPECT_EQ(ComputeScrollRange(300, 404, dir).maximum, 1);
    }
    EXPECT_EQ(ImageWidth(1001, 4), 500);
    EXPECT_EQ(ImageWidth(1001, 1), 1001);
}

TEST(ScrollModel, ShowImageMapsScrollValueToColumns) {
    const QImage overlay = numberedOverlay(1000, 40);
    QImage picture(404, 40, QImage::Format_RGB32);
    // Value 1 shows image columns 1..404 (column 0 lies at x = -1).
    ShowImageInto(overlay, picture, 1, 1000, 0, 0, 40);
    EXPECT_EQ(columnAt(picture, 0), 1);
    EXPECT_EQ(columnAt(picture, 403), 404);
    // Value 597 shows 597..1000; the last pixel lies past the image and stays black.
    ShowImageInto(overlay, picture, 597, 1000, 0, 0, 40);
    EXPECT_EQ(columnAt(picture, 0), 597);
    EXPECT_EQ(columnAt(picture, 402), 999);
    EXPECT_EQ(columnAt(picture, 403), -1);
    // Backwards: value 1 shows the right end of the image, the largest value its left end.
    ShowImageInto(overlay, picture, 1, 1000, 1, 0, 40);
    EXPECT_EQ(columnAt(picture, 403), 999);
    ShowImageInto(overlay, picture, 597, 1000, 1, 0, 40);
    EXPECT_EQ(columnAt(picture, 0), 0);
    // A narrow image is right-aligned with its last column just outside the picture.
    const QImage narrow = numberedOverlay(300, 40);
    ShowImageInto(narrow, picture, 1, 300, 1, 0, 40);
    EXPECT_EQ(columnAt(picture, 404 - 300), -1);
    EXPECT_EQ(columnAt(picture, 404 - 300 + 1), 0);
    EXPECT_EQ(columnAt(picture, 403), 298);
    // Only the copy height is copied.
    ShowImageInto(overlay, picture, 1, 1000, 0, 0, 20);
    EXPECT_EQ(qBlue(picture.pixel(5, 25)), 0);
}

TEST(ResizeModel, DraggingAnEdgeKeepsTheOtherEdgesContent) {
    ViewGeometry g;
    g.setScreen(96);
    g.computeColumns(true, true);
    ResizeInput in;
    in.imageWidth = 2000;
    in.direction = 0;
    in.lastScrollValue = 100;
    in.pictureWidthNow = g.PictureWidth;
    // The left edge 30 pixels outward: the value drops by 30, the right edge keeps its column.
    in.newWidth = g.FormWidth + 30;
    in.rightEdge = false;
    ResizeOutcome out = ComputeResize(g, in);
    EXPECT_FALSE(out.clamped);
    EXPECT_EQ(out.pictureWidth, 434);
    EXPECT_EQ(out.scrollValue, 70);
    EXPECT_EQ(out.range.maximum, 2000 - 434 + 1);
    // The right edge: the value stays.
    in.pictureWidthNow = out.pictureWidth;
    in.lastScrollValue = 70;
    in.newWidth = g.FormWidth + 30;
    in.rightEdge = true;
    out = ComputeResize(g, in);
    EXPECT_EQ(out.scrollValue, 70);
    // Never below 1.
    in.pictureWidthNow = out.pictureWidth;
    in.lastScrollValue = 10;
    in.newWidth = g.FormWidth + 50;
    in.rightEdge = false;
    EXPECT_EQ(ComputeResize(g, in).scrollValue, 1);
}

TEST(ResizeModel, BackwardsBarAndNarrowImagesAndTheMinimum) {
    ViewGeometry g;
    g.setScreen(96);
    g.computeColumns(true, true);
    ResizeInput in;
    in.imageWidth = 1000;
    in.direction = 1;
    in.lastScrollValue = 500;
    in.pictureWidthNow = g.PictureWidth;
    in.newWidth = g.FormWidth - 40; // the right edge dragged in: the value grows by 40
    in.rightEdge = true;
    ResizeOutcome out = ComputeResize(g, in);
    EXPECT_EQ(out.range.maximum, 1);
    EXPECT_EQ(out.range.minimum, 1000 - 364 + 1);
    EXPECT_EQ(out.scrollValue, 540);
    // An image narrower than the picture: back to 1..1.
    in.imageWidth = 200;
    in.pictureWidthNow = out.pictureWidth;
    in.newWidth = g.FormWidth + 10;
    out = ComputeResize(g, in);
    EXPECT_EQ(out.range.minimum, 1);
    EXPECT_EQ(out.scrollValue, 1);
    // Below the minimum width: snapped back with the smallest picture.
    in.newWidth = g.MinFormWidth - 1;
    out = ComputeResize(g, in);
    EXPECT_TRUE(out.clamped);
    EXPECT_EQ(out.windowWidth, g.MinFormWidth);
    EXPECT_EQ(out.pictureWidth, 202);
}

TEST(ViewGeometry, PictureHeightsByFamilyMagnificationAndStep) {
    ViewGeometry g;
    g.setScreen(96); // 15 twips to the pixel
    struct Case {
        bool f940, half, refresh;
        int picture, window;
    };
    const Case cases[] = {
        // At load the 730 family's pictures are a row shorter; a load at full cover takes the
        // window to 9075 twips, one at half cover leaves it.
        {false, false, false, 536, 605},
        {false, true, false, 280, 0},
        {true, false, false, 792, 605},
        {true, true, false, 408, 0},
        // A refresh sets the window height of the family and magnification.
        {false, false, true, 537, 605},
        {false, true, true, 281, 362},
        {true, false, true, 792, 860},
        {true, true, true, 408, 476},
    };
    for (const Case& c : cases) {
        const PictureHeights h = ComputePictureHeights(g, c.f940, c.half, c.refresh);
        EXPECT_EQ(h.picture, c.picture) << c.f940 << c.half << c.refresh;
        EXPECT_EQ(h.window, c.window) << c.f940 << c.half << c.refresh;
    }
    g.setScreen(120); // 12 twips to the pixel
    EXPECT_EQ(ComputePictureHeights(g, true, false, true).window, 1075);
}

TEST(ViewGeometry, FixedHeightLiesBelowTheLowerOfScrollBarAndStatistics) {
    ViewGeometry g;
    g.setScreen(96);
    EXPECT_EQ(FixedWindowHeight(g, 600, 500, 30), 600 + 30 + 8);
    EXPECT_EQ(FixedWindowHeight(g, 600, 700, 30), 700 + 30 + 8);
    EXPECT_EQ(FixedWindowHeight(g, 600, 600, 0), 608);
}

TEST(ScrollModel, SynchronisedViewsStopAtTheirLargestPosition) {
    const ScrollRange forward{1, 300};
    const ScrollRange backward{300, 1}; // Direction 1: the minimum holds the largest position
    const ScrollRange narrow{1, 1};
    EXPECT_EQ(SynchronisedScrollValue(120, forward), 120);
    EXPECT_EQ(SynchronisedScrollValue(500, forward), 300);
    EXPECT_EQ(SynchronisedScrollValue(120, backward), 120);
    EXPECT_EQ(SynchronisedScrollValue(500, backward), 300);
    EXPECT_EQ(SynchronisedScrollValue(50, narrow), 1);
}
