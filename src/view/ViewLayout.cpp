#include "view/ViewLayout.h"

#include "base/Numeric.h"

#include <QPainter>
#include <algorithm>

namespace rebar {

void ViewGeometry::setScreen(int dpi) {
    ScreenDpi = dpi > 0 ? dpi : 96;
    TwipsPerPixelX = 1440.0 / ScreenDpi;
    TwipsPerPixelY = 1440.0 / ScreenDpi;
    // 230 pixels at 96 dpi, grown with the screen's resolution.
    InfoPanelWidth = static_cast<int>(roundHalfEven(230.0 * ScreenDpi / 96 + (ScreenDpi - 96)));
    InfoPanelHeight = static_cast<int>(roundHalfEven(220.0 * ScreenDpi / 96));
}

void ViewGeometry::computeColumns(bool infoPanelShown, bool aModeWin) {
    x1 = Margin;
    x2 = infoPanelShown ? x1 + InfoPanelWidth + Margin : x1;
    x3 = x2 + DepthAxisWidth;
    x4 = x3 + PictureWidth;
    const int right = aModeWin ? AModeWidth : 0;
    FormWidth = x4 + right + RightMargin;
    MinFormWidth = x3 + MinPictureWidth + right + RightMargin;
}

ScrollRange ComputeScrollRange(int imageWidth, int pictureWidth, int direction) {
    ScrollRange r;
    if (imageWidth > pictureWidth) {
        if (direction == 1)
            r.minimum = imageWidth - pictureWidth + 1;
        else
            r.maximum = imageWidth - pictureWidth + 1;
    }
    return r;
}

int ShowImageHeight(bool family940, int coverMagnification) {
    if (family940)
        return coverMagnification ? 408 : 792;
    return coverMagnification ? 280 : 536;
}

ImageCopy ShowImageCopy(int v, int imageWidth, int pictureWidth, int direction, int viewRange) {
    const int wp = pictureWidth;
    const bool wide = viewRange >= 3 && viewRange <= 5;
    ImageCopy c;
    c.width = wide ? imageWidth : wp;
    if (direction != 1) {
        // Column v - 1 lands at x = -1, so picture pixel x shows image column v + x across the
        // whole picture.
        c.srcX = v - 1;
        c.dstX = -1;
        c.width += 1;
    } else if (wp > imageWidth) {
        // Right-aligned; the image's last column falls just outside the picture.
        c.srcX = 0;
        c.dstX = wp - imageWidth + 1;
        c.width = imageWidth;
    } else {
        c.srcX = imageWidth - wp - (v - 1);
        c.dstX = 0;
    }
    return c;
}

int OverlayColumnOfCursor(int c, int traceCount, int direction, int viewRange) {
    if (direction != 1)
        return c;
    const bool wide = viewRange >= 3 && viewRange <= 5;
    return (wide ? (traceCount - 1) / 2 : traceCount - 1) - c;
}

void ShowImageInto(const QImage& overlay, QImage& picture, int v, int imageWidth, int direction,
                   int viewRange, int copyHeight, QRgb background) {
    picture.fill(background);
    if (overlay.isNull())
        return;
    const int wp = picture.width();
    const ImageCopy copy = ShowImageCopy(v, imageWidth, wp, direction, viewRange);
    int srcX = copy.srcX;
    int dstX = copy.dstX;
    int width = copy.width;
    // Clip the copy to both images; only what is shown is copied.
    if (dstX < 0) {
        srcX -= dstX;
        width += dstX;
        dstX = 0;
    }
    if (srcX < 0) {
        dstX -= srcX;
        width += srcX;
        srcX = 0;
    }
    width = std::min({width, overlay.width() - srcX, wp - dstX});
    const int rows = std::min({copyHeight, overlay.height(), picture.height()});
    if (width <= 0 || rows <= 0)
        return;
    for (int y = 0; y < rows; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(overlay.constScanLine(y)) + srcX;
        QRgb* dst = reinterpret_cast<QRgb*>(picture.scanLine(y)) + dstX;
        std::copy(src, src + width, dst);
    }
}

ResizeOutcome ComputeResize(ViewGeometry& g, const ResizeInput& in) {
    ResizeOutcome out;
    if (g.MinFormWidth >= in.newWidth) {
        out.clamped = true;
        out.windowWidth = g.MinFormWidth;
        g.FormWidth = g.MinFormWidth;
        out.pictureWidth = g.MinPictureWidth;
        out.scrollValue = in.lastScrollValue;
        return out;
    }
    const int d = g.FormWidth - in.newWidth;
    g.FormWidth = in.newWidth;
    g.PictureWidth = in.pictureWidthNow - d;
    out.windowWidth = in.newWidth;
    out.pictureWidth = g.PictureWidth;
    const int wp = g.PictureWidth;
    const int wimg = in.imageWidth;
    int last = in.lastScrollValue;
    if (in.direction != 0) {
        out.range.maximum = 1;
        if (wimg > wp) {
            out.range.minimum = wimg - wp + 1;
            if (in.rightEdge)
                last += d;
            last = std::min(last, out.range.minimum);
        } else {
            out.range.minimum = 1;
            last = 1;
        }
    } else {
        out.range.minimum = 1;
        if (wimg > wp) {
            out.range.maximum = wimg - wp + 1;
            if (!in.rightEdge)
                last += d;
            last = std::min(last, out.range.maximum);
        } else {
            out.range.maximum = 1;
            last = 1;
        }
    }
    out.scrollValue = std::max(last, 1);
    out.rangeChanged = true;
    return out;
}

PictureHeights ComputePictureHeights(const ViewGeometry& g, bool family940, bool halfCover,
                                     bool refresh) {
    PictureHeights out;
    if (family940)
        out.picture = halfCover ? 408 : 792;
    else
        out.picture = refresh ? (halfCover ? 281 : 537) : (halfCover ? 280 : 536);
    if (refresh) {
        static const int twipsHeight[2][2] = {{9075, 5427}, {12900, 7140}};
        out.window = g.twipsY(twipsHeight[family940 ? 1 : 0][halfCover ? 1 : 0]);
    } else if (!halfCover) {
        out.window = g.twipsY(9075);
    }
    return out;
}

int FixedWindowHeight(const ViewGeometry& g, int scrollBarBottom, int statisticsBottom, int frame) {
    const int h1 = scrollBarBottom + frame + g.twipsY(120);
    const int h2 = statisticsBottom + frame + g.twipsY(120);
    return h2 < h1 ? h1 : h2;
}

int SynchronisedScrollValue(int value, const ScrollRange& other) {
    return other.minimum > 1 ? std::min(value, other.minimum) : std::min(value, other.maximum);
}

} // namespace rebar
