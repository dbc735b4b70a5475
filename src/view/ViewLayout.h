#pragma once
// The geometry of a measurement view, without widgets: the columns of the information panel,
// depth axis, radargram and A-mode picture, the window widths, the scroll range of the
// radargram, which image columns a scroll value shows, and what a resize does to them.
// Lengths are in pixels; the twips-per-pixel factors of the screen convert the few
// quantities that the layout rules give in twips.

#include <QImage>
#include <cstdint>

namespace rebar {

// The nine window options of a view (1 = show, 0 = hide; AModeSetChoice 0..2).
struct WindowOptions {
    int16_t AModeWin = 1;
    int16_t MKList = 1;
    int16_t CursorInfo = 1;
    int16_t Dielectric = 1;
    int16_t Position = 1;
    int16_t MarkerInfo = 1;
    int16_t AModeSetChoice = 0;
    int16_t Tire = 1;
    int16_t MeasurementSpeed = 1;

    // True when any part of the information panel is on (AModeWin does not count).
    bool infoPanelShown() const {
        return MKList == 1 || CursorInfo == 1 || Dielectric == 1 || Position == 1 ||
               MarkerInfo == 1 || Tire == 1 || MeasurementSpeed == 1;
    }
};

struct ViewGeometry {
    static constexpr int Margin = 5;          // left edge of the information panel, top of pictures
    static constexpr int DepthAxisWidth = 54; // picd
    static constexpr int AModeWidth = 132;    // pica and ClrBar
    static constexpr int RightMargin = 10;
    static constexpr int PictureTop = 5;
    static constexpr int LoadPictureHeight = 310;
    static constexpr int LoadPictureWidth = 404;
    static constexpr int MinimumPictureWidth = 202;

    int ScreenDpi = 96;
    double TwipsPerPixelX = 15;
    double TwipsPerPixelY = 15;
    int InfoPanelWidth = 230;  // pixels
    int InfoPanelHeight = 220; // pixels
    int PictureWidth = LoadPictureWidth;
    int MinPictureWidth = MinimumPictureWidth;
    int FormWidth = 0;
    int MinFormWidth = 0;
    int x1 = Margin, x2 = 0, x3 = 0, x4 = 0;

    // Reads the screen factors and sizes the information panel (230 x 220 pixels at 96 dpi).
    void setScreen(int dpi);
    // Recomputes x1..x4, FormWidth and MinFormWidth.
    void computeColumns(bool infoPanelShown, bool aModeWin);
    // A length given in twips, in pixels (rounded).
    int twipsX(double twips) const { return qRound(twips / TwipsPerPixelX); }
    int twipsY(double twips) const { return qRound(twips / TwipsPerPixelY); }
};

// Image columns of the radargram: one per trace, or one per two traces in the wide ranges.
inline int ImageWidth(int traceCount, int viewRange) {
    return viewRange >= 3 && viewRange <= 5 ? traceCount / 2 : traceCount;
}

struct ScrollRange {
    int minimum = 1;
    int maximum = 1;
};

// The range of the scroll bar for an image of imageWidth columns in a picture of
// pictureWidth pixels. With Direction 1 the bar runs backwards (its minimum holds the
// largest position).
ScrollRange ComputeScrollRange(int imageWidth, int pictureWidth, int direction);

// Which overlay columns a picture of pictureWidth pixels shows at scroll value v: overlay column
// srcX + i at picture x = dstX + i, for i = 0..width-1 (before clipping to either image).
struct ImageCopy {
    int srcX = 0;
    int dstX = 0;
    int width = 0;
    // The picture x of overlay column j (may lie outside the picture).
    int pictureX(int j) const { return dstX + (j - srcX); }
};
ImageCopy ShowImageCopy(int v, int imageWidth, int pictureWidth, int direction, int viewRange);

// The overlay column that shows cursor column c: the column itself, or counted from the other
// end in the mirrored view (the k-th trace drawn goes to column x0 - k there).
int OverlayColumnOfCursor(int c, int traceCount, int direction, int viewRange);

// Copies the part of the overlay that scroll value v shows into the picture, filling the rest
// of the picture (beyond a short image) with background. Rows copied: copyHeight (536/280 for
// the 730 family, 792/408 for the 940 family).
void ShowImageInto(const QImage& overlay, QImage& picture, int v, int imageWidth, int direction,
                   int viewRange, int copyHeight, QRgb background = qRgb(0, 0, 0));

// The copy height of ShowImage by family and cover magnification.
int ShowImageHeight(bool family940, int coverMagnification);

// The height of a view's pictures (radargram, A-mode trace, depth axis) by family and cover
// magnification, and the window height the view takes before its resize handler fixes it (0: the
// window keeps its height). At load the 730 family's pictures are one row shorter than after a
// refresh; a load at half cover magnification leaves the window as it is.
struct PictureHeights {
    int picture = 0;
    int window = 0;
};
PictureHeights ComputePictureHeights(const ViewGeometry& g, bool family940, bool halfCover,
                                     bool refresh);

// The view window's fixed height: below the scroll bar or the statistics labels, whichever lies
// lower, plus frame (the window's height beyond the view's) and a margin of 120 twips.
int FixedWindowHeight(const ViewGeometry& g, int scrollBarBottom, int statisticsBottom, int frame);

// Synchronised scrolling: the value another view's bar takes when one view scrolls to value,
// limited to the other bar's largest position (its minimum while it runs backwards).
int SynchronisedScrollValue(int value, const ScrollRange& other);

// What the resize handler decides for a new window width.
struct ResizeInput {
    int newWidth = 0;      // window width in pixels
    bool rightEdge = true; // the user drags the right edge
    int imageWidth = 0;
    int direction = 0;
    int lastScrollValue = 1;
    int pictureWidthNow = 0; // current width of picb
};
struct ResizeOutcome {
    bool clamped = false; // the width was below the minimum and snaps back
    int windowWidth = 0;
    int pictureWidth = 0;
    ScrollRange range;
    int scrollValue = 1;
    bool rangeChanged = false;
};
ResizeOutcome ComputeResize(ViewGeometry& g, const ResizeInput& in);

} // namespace rebar
