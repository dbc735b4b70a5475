#pragma once
// The scanners' calibration data, loaded once at start-up and read-only afterwards: colour and
// grey palettes, level tables, STC gain curves and depth tables of both families.

#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace rebar {

struct CalibrationTables {
    static constexpr int FirstPermittivityIndex = 20; // er x 10
    static constexpr int LastPermittivityIndex = 200;
    static constexpr int PermittivityCount = 181;

    // 730 family
    std::array<QRgb, 129> ColorPalette730{};           // entry 0 black, never loaded
    std::array<QRgb, 129> GreyPalette730{};            // entry 0 black, never loaded
    std::array<std::array<int32_t, 257>, 12> LevelTable730{}; // [gradation][level 1..256] -> palette index
    std::array<float, 1024> StcGain730{};              // gain of sample j at j - 1
    std::array<float, 512> StcGain730Half{};
    std::vector<float> DepthTable730;                  // [e - 20][s], s 0..1024 (0 unused)

    // 940 family
    std::vector<QRgb> ColorTable940;                   // [column][amplitude + 32768]
    std::array<double, 768> StcGain940{};
    std::array<double, 1536> StcGain940x2{};
    std::vector<double> DepthTable940;                 // [e - 20][s], s 0..1536 (0 unused)

    bool loaded = false;

    // Depth in millimetres of double-density sample s (1..1024 / 1..1536) at permittivity index e.
    float depth730(int e, int s) const { return DepthTable730[(e - 20) * 1025 + s]; }
    double depth940(int e, int s) const { return DepthTable940[(e - 20) * 1537 + s]; }
    // Colour of a signed 16-bit amplitude in column c of the 940 colour table.
    QRgb color940(int c, int amplitude) const { return ColorTable940[c * 65536 + (amplitude + 32768)]; }
    const QRgb* color940Column(int c) const { return ColorTable940.data() + c * 65536 + 32768; }
    // The palette a 730 gradation index draws from: colour for 0..5, grey for 6..11.
    const std::array<QRgb, 129>& palette730(int gradation) const {
        return gradation <= 5 ? ColorPalette730 : GreyPalette730;
    }
};

// The ColorTable940 column of each gradation index.
constexpr std::array<int, 12> ColorTable940ColumnOf = {0, 5, 1, 6, 2, 7, 3, 8, 4, 9, 10, 11};

// Loads every table from the SystemData folder. Any missing, short or malformed file fails the
// whole load and leaves t untouched; error then names the file.
bool LoadCalibrationTables(CalibrationTables& t, const QString& systemDataDir,
                           QString* error = nullptr);

} // namespace rebar
