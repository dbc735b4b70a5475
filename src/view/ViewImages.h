#pragma once
// The radargram bitmaps of a view: the composed image (distance strip above the B-mode
// picture) and the overlay (a copy of it with the markers drawn on it), which is what the view
// shows and what exports copy. Both are QImage::Format_RGB32 and start black.

#include <QImage>
#include <utility>

namespace rebar {

struct ViewImages {
    QImage ComposedImage; // W x 560 (730) or W x 816 (940)
    QImage OverlayImage;  // N x 536 (730) or N x 792 (940)
};

// The image to draw the replacement of old into, w x h RGB32 with undefined pixels: old itself
// when it has that size and shares its pixels with nobody (a redraw of a long file then costs no
// allocation and no fresh pages), else a new image (null when memory runs out). Callers check
// everything that can fail first, so a failed redraw never gets here and old stays intact.
inline QImage TakeForRedraw(QImage& old, int w, int h) {
    if (old.width() == w && old.height() == h && old.format() == QImage::Format_RGB32 &&
        old.isDetached())
        return std::move(old);
    return QImage(w, h, QImage::Format_RGB32);
}

} // namespace rebar
