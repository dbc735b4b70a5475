#pragma once
// The colour a cursor line takes over a pixel so that it stands out from it.

#include <QColor>

namespace rebar {

// The complement of c; over the middle greys, whose complement looks the same, black on the
// lighter ones and white on the darker ones.
inline QRgb ContrastColor(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    const auto spread = [](int v) { return v > 127 ? 2 * v - 255 : 255 - 2 * v; };
    if (spread(r) < 96 && spread(g) < 96 && spread(b) < 96)
        return (r * 299 + g * 587 + b * 114) / 1000 > 127 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    return qRgb(255 - r, 255 - g, 255 - b);
}

} // namespace rebar
