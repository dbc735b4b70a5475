#pragma once
// Small, recognisable calibration tables and records for the rendering tests: every 940
// amplitude has its own colour (so a pixel tells which sample it shows), the 730 palettes
// encode the palette index in the red channel, and the depth tables follow a plain
// time-to-depth law.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"

#include "view/ViewFonts.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace rebar::test {

inline QRgb paletteColor730(int k) {
    return k == 0 ? qRgb(0, 0, 0) : qRgb(k, 1, 2);
}
inline QRgb greyColor730(int k) {
    return qRgb(k, k, k);
}
// Level L of gradation g shows palette entry (L + g) mod 129.
inline int levelIndex730(int g, int level) {
    return (level + g) % 129;
}
inline QRgb color940(int column, int a) {
    const int u = a + 32768;
    return qRgb(column * 20, u >> 8, u & 0xff);
}
// The amplitude a 940 pixel shows (column known).
inline int amplitudeOf940(QRgb c) {
    return ((qGreen(c) << 8) | qBlue(c)) - 32768;
}
// Depth in mm of double-density sample s at permittivity index e: 128 samples a nanosecond,
// surface at sample 32.
inline double depthLaw(int e, int s) {
    const double t = s / 128.0 - 0.25;
    return t <= 0 ? 0.0 : 299.792458 * t / 2.0 / std::sqrt(e / 10.0);
}

inline const CalibrationTables& renderTables() {
    static const CalibrationTables t = [] {
        CalibrationTables c;
        for (int k = 0; k <= 128; ++k) {
            c.ColorPalette730[k] = paletteColor730(k);
            c.GreyPalette730[k] = greyColor730(k);
        }
        for (int g = 0; g < 12; ++g)
            for (int L = 1; L <= 256; ++L)
                c.LevelTable730[g][L] = levelIndex730(g, L);
        c.ColorTable940.resize(12 * 65536);
        for (int col = 0; col < 12; ++col)
            for (int a = -32768; a <= 32767; ++a)
                c.ColorTable940[col * 65536 + a + 32768] = color940(col, a);
        c.DepthTable730.assign(181 * 1025, 0.0f);
        c.DepthTable940.assign(181 * 1537, 0.0);
        for (int e = 20; e <= 200; ++e) {
            for (int s = 1; s <= 1024; ++s)
                c.DepthTable730[(e - 20) * 1025 + s] = static_cast<float>(depthLaw(e, s));
            for (int s = 1; s <= 1536; ++s)
                c.DepthTable940[(e - 20) * 1537 + s] = depthLaw(e, s);
        }
        c.loaded = true;
        return c;
    }();
    return t;
}

// Sample values that tell trace and sample apart: 940 t * 2000 + s (exact), 730 a level that
// changes with both.
inline int value940(int t, int s) {
    return t * 2000 + s;
}
inline int value730(int t, int s) {
    return ((t * 37 + s * 11) % 256) * 16 + 8;
}

inline void make730(MeasurementRecord& r, int N) {
    r.FileKind = KindRdd;
    r.TraceCount = N;
    r.XUnit = QStringLiteral("m");
    r.YUnit = QStringLiteral("cm");
    r.Permittivity = 8.0;
    r.Work730.allocate(1, N, 512);
    r.Work730x2.allocate(1, N, 1024);
    for (int t = 1; t <= N; ++t) {
        for (int s = 1; s <= 512; ++s)
            r.Work730(t, s) = static_cast<int16_t>(value730(t, s));
        for (int s = 1; s <= 1024; ++s)
            r.Work730x2(t, s) = static_cast<int16_t>(value730(t, s));
    }
}

inline void make940(MeasurementRecord& r, int N) {
    r.FileKind = KindZvx3;
    r.TraceCount = N;
    r.XDataSize = N;
    r.XUnit = QStringLiteral("m");
    r.YUnit = QStringLiteral("cm");
    r.Permittivity = 8.0;
    r.Work940.allocate(1, N, 768);
    r.Work940x2.allocate(1, N, 1536);
    for (int t = 1; t <= N; ++t) {
        for (int s = 1; s <= 768; ++s)
            r.Work940(t, s) = value940(t, s);
        for (int s = 1; s <= 1536; ++s)
            r.Work940x2(t, s) = value940(t, s);
    }
}

inline QRgb px(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xff000000u;
}
inline bool isBlack(QRgb c) {
    return (c & 0xffffffu) == 0;
}
inline bool isWhite(QRgb c) {
    return (c & 0xffffffu) == 0xffffffu;
}

// True when text, drawn with its top-left corner at (x, y) in the Arial font of the given cell
// height, shows in img: every ink pixel of the text is there (pixels elsewhere are not looked
// at, so ticks and other labels may share the area). Columns from maxX on are not compared.
inline bool showsText(const QImage& img, int x, int y, const QString& text, int cell,
                      int maxX = 1 << 30) {
    QImage ref(img.size(), QImage::Format_RGB32);
    ref.fill(Qt::white);
    {
        QPainter p(&ref);
        p.setFont(ArialCellFont(cell));
        p.setPen(Qt::black);
        p.drawText(QRect(x, y, 1000, 200), Qt::AlignLeft | Qt::AlignTop, text);
    }
    int ink = 0;
    for (int yy = 0; yy < ref.height(); ++yy)
        for (int xx = 0; xx < std::min(ref.width(), maxX); ++xx)
            if (!isWhite(px(ref, xx, yy))) {
                ++ink;
                if (px(ref, xx, yy) != px(img, xx, yy))
                    return false;
            }
    return ink > 0;
}

} // namespace rebar::test
