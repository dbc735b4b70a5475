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

// The colour of every 730 value of one gradation, for drawing many pixels: values below 0 and
// from 4096 up give the colours of 0 and 4096.
class ColorLut730 {
public:
    static constexpr int Top = 4096;
    ColorLut730(int gradation, const CalibrationTables& tables);
    QRgb operator()(int value) const {
        return m_colors[value < 0 ? 0 : (value > Top ? Top : value)];
    }

private:
    std::array<QRgb, Top + 1> m_colors;
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
