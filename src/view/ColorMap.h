#pragma once
// Colour of a processed echo value in a gradation (0..11). Any failure of a lookup (gradation
// or palette index out of range, tables not loaded) gives black.

#include "config/CalibrationTables.h"

#include <QRgb>
#include <array>
#include <vector>

namespace rebar {

constexpr QRgb ColorBlack = 0xff000000u;

// 730 family: level floor(v * 256 / 4096) limited to 1..256 (v < 0 taken as 0), then the
// gradation's level table and palette.
QRgb ValueToColor730(int value, int gradation, const CalibrationTables& tables);
// 940 family: the value limited to -32768..32767 in the gradation's colour-table column.
QRgb ValueToColor940(int value, int gradation, const CalibrationTables& tables);

// The colour of every 730 display level of one gradation, for drawing many pixels. The level
// of a value is v div 16 (floor(v * 256 / 4096)) limited to 1..256; an arithmetic shift gives
// the same for the negative values, which all land on level 1.
class ColorLut730 {
public:
    ColorLut730(int gradation, const CalibrationTables& tables);
    QRgb operator()(int value) const {
        const int level = value >> 4;
        return m_colors[level < 1 ? 1 : (level > 256 ? 256 : level)];
    }

private:
    std::array<QRgb, 257> m_colors{}; // by level; entry 0 unused
};

// The colour-table column of one 940 gradation, indexed by the limited amplitude.
class ColorLut940 {
public:
    ColorLut940(int gradation, const CalibrationTables& tables);
    QRgb operator()(int value) const {
        return m_zero[value < -32768 ? -32768 : (value > 32767 ? 32767 : value)];
    }

private:
    const QRgb* m_zero; // colour of amplitude 0 in the column (or in an all-black column)
};

} // namespace rebar
