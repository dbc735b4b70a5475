#include "view/ColorMap.h"

namespace rebar {

namespace {

bool colorTable940Loaded(const CalibrationTables& t) {
    return t.ColorTable940.size() >= static_cast<size_t>(12) * 65536;
}

// Stand-in column for a failed 940 lookup: every amplitude black.
const QRgb* blackColumnZero() {
    static const std::vector<QRgb> black(65536, ColorBlack);
    return black.data() + 32768;
}

} // namespace

QRgb ValueToColor730(int value, int gradation, const CalibrationTables& tables) {
    if (gradation < 0 || gradation > 11)
        return ColorBlack;
    const int v = value < 0 ? 0 : value;
    int level = v / 16; // floor(v * 256 / 4096) for v >= 0
    if (level < 1)
        level = 1;
    if (level > 256)
        level = 256;
    const int p = tables.LevelTable730[static_cast<size_t>(gradation)][static_cast<size_t>(level)];
    if (p < 0 || p > 128)
        return ColorBlack;
    return tables.palette730(gradation)[static_cast<size_t>(p)] | 0xff000000u;
}

QRgb ValueToColor940(int value, int gradation, const CalibrationTables& tables) {
    if (gradation < 0 || gradation > 11 || !colorTable940Loaded(tables))
        return ColorBlack;
    const int v = value < -32768 ? -32768 : (value > 32767 ? 32767 : value);
    return tables.color940(ColorTable940ColumnOf[static_cast<size_t>(gradation)], v);
}

ColorLut730::ColorLut730(int gradation, const CalibrationTables& tables) {
    for (int level = 1; level <= 256; ++level)
        m_colors[static_cast<size_t>(level)] = ValueToColor730(16 * level, gradation, tables);
}

ColorLut940::ColorLut940(int gradation, const CalibrationTables& tables) {
    if (gradation < 0 || gradation > 11 || !colorTable940Loaded(tables))
        m_zero = blackColumnZero();
    else
        m_zero = tables.color940Column(ColorTable940ColumnOf[static_cast<size_t>(gradation)]);
}

} // namespace rebar
