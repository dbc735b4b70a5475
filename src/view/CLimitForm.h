#pragma once
// The size limiter of a view window: the smallest and largest size the user can give the
// window by dragging its frame. Sizes are set in twips and kept in pixels (integer-divided by
// the screen's twips per pixel, itself rounded); the window applies them through the toolkit's
// own minimum and maximum sizes.

#include <QSize>

namespace rebar {

class CLimitForm {
public:
    // A limiter with no minimum and the screen's size (pixels) as maximum.
    CLimitForm(QSize screen, double twipsPerPixelX, double twipsPerPixelY);

    // Below 1 twip a minimum stores 0 and a maximum the screen's size.
    void setMinWidth(double twips);
    void setMinHeight(double twips);
    void setMaxWidth(double twips);
    void setMaxHeight(double twips);

    int MinWidth() const { return m_minWidth; } // pixels
    int MinHeight() const { return m_minHeight; }
    int MaxWidth() const { return m_maxWidth; }
    int MaxHeight() const { return m_maxHeight; }

private:
    int toPixels(double twips, int twipsPerPixel) const;
    QSize m_screen;
    int m_tppX, m_tppY;
    int m_minWidth = 0, m_minHeight = 0;
    int m_maxWidth, m_maxHeight;
};

} // namespace rebar
