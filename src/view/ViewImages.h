#pragma once
// The radargram bitmaps of a view: the composed image (distance strip above the B-mode
// picture) and the overlay (a copy of it with the markers drawn on it), which is what the view
// shows and what exports copy. Both are QImage::Format_RGB32 and start black.

#include <QImage>

namespace rebar {

struct ViewImages {
    QImage ComposedImage; // W x 560 (730) or W x 816 (940)
    QImage OverlayImage;  // N x 536 (730) or N x 792 (940)
};

} // namespace rebar
