#include "view/ColorBar.h"

#include "view/ColorMap.h"

namespace rebar {

namespace {

constexpr QRgb White = 0xffffffffu;
constexpr QRgb Red = 0xffff0000u;

QImage clearedBar() {
    QImage img(ColorBarWidth, ColorBarHeight, QImage::Format_RGB32);
    img.fill(White);
    return img;
}

void column(QImage& img, int x, QRgb c) {
    for (int y = 0; y < img.height(); ++y)
        reinterpret_cast<QRgb*>(img.scanLine(y))[x] = c;
}

} // namespace

bool DrawColorBar730(int gradation, const CalibrationTables& tables, ColorBar& out) {
    out.bar = clearedBar();
    if (gradation >= 0 && gradation <= 9) {
        for (int i = 1; i <= 128; ++i) {
            const int p =
                tables.LevelTable730[static_cast<size_t>(gradation)][static_cast<size_t>(2 * i)];
            const QRgb c = p >= 0 && p <= 128 ? tables.palette730(gradation)[static_cast<size_t>(p)]
                                              : ColorBlack;
            column(out.bar, i, c | 0xff000000u);
        }
    }
    out.cursor = gradation >= 0 && gradation <= 4 ? CursorLineColors{White, White, Red}
                                                  : CursorLineColors{Red, Red, Red};
    return true;
}

bool DrawColorBar940(int gradation, const CalibrationTables& tables, ColorBar& out) {
    out.bar = clearedBar();
    const ColorLut940 lut(gradation, tables);
    for (int i = 1; i <= 128; ++i)
        column(out.bar, i, lut(516 * i - 33284));
    out.cursor = gradation >= 0 && gradation <= 5 ? CursorLineColors{White, White, Red}
                                                  : CursorLineColors{Red, Red, Red};
    return true;
}

} // namespace rebar
