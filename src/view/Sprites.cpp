#include "view/Sprites.h"

namespace rebar {

namespace {

constexpr QRgb White = 0xffffffffu;
constexpr QRgb Black = 0xff000000u;
constexpr QRgb MarkerFill = 0xffff0000u;  // red
constexpr QRgb WarningFill = 0xffff00ffu; // magenta

// The marker shape: a triangle with its tip at the bottom centre.
constexpr const char* MarkerShape[MarkerSpriteSize] = {
    "XXXXXXXXXXX", //
    "XXXXXXXXXXX", //
    ".XXXXXXXXX.", //
    ".XXXXXXXXX.", //
    "..XXXXXXX..", //
    "..XXXXXXX..", //
    "...XXXXX...", //
    "...XXXXX...", //
    "....XXX....", //
    "....XXX....", //
    ".....X.....", //
};

constexpr const char* ArrowShape[ArrowHeight] = {
    "..XX..", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..",
    "XXXXXX", ".XXXX.", ".XXXX.", "..XX..", "..XX..",
};

bool inMarker(int x, int y) {
    return x >= 0 && y >= 0 && x < MarkerSpriteSize && y < MarkerSpriteSize &&
           MarkerShape[y][x] == 'X';
}

QImage picture(int w, int h, const char* const* shape, QRgb ink, QRgb paper) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = shape[y][x] == 'X' ? ink : paper;
    }
    return img;
}

QImage markerPicture(QRgb fill, QRgb rim) {
    QImage img(MarkerSpriteSize, MarkerSpriteSize, QImage::Format_RGB32);
    for (int y = 0; y < MarkerSpriteSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < MarkerSpriteSize; ++x) {
            if (!inMarker(x, y)) {
                line[x] = Black;
                continue;
            }
            const bool inner = inMarker(x - 1, y) && inMarker(x + 1, y) && inMarker(x, y - 1) &&
                               inMarker(x, y + 1);
            line[x] = inner ? fill : rim;
        }
    }
    return img;
}

} // namespace

const QImage& MarkFlagPicture() {
    static const QImage img =
        picture(MarkerSpriteSize, MarkerSpriteSize, MarkerShape, Black, White);
    return img;
}

const QImage& MarkerPicture() {
    static const QImage img = markerPicture(MarkerFill, Black);
    return img;
}

const QImage& WarningMarkerPicture() {
    static const QImage img = markerPicture(WarningFill, White);
    return img;
}

const QImage& ProcessingLineArrow() {
    static const QImage img = picture(ArrowWidth, ArrowHeight, ArrowShape, Black, White);
    return img;
}

} // namespace rebar
