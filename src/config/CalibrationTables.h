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
    std::array<QRgb, 129> ColorPalette730{}; // entry 0 black, never loaded
    std::array<QRgb, 129> GreyPalette730{};  // entry 0 black, never loaded
    // [gradation][level 1..256] -> palette index
    std::array<std::array<int32_t, 257>, 12> LevelTable730{};
    std::array<float, 1024> StcGain730{}; // gain of sample j at j - 1
    std::array<float, 512> StcGain730Half{};
    std::vector<float> DepthTable730; // [e - 20][s], s 0..1024 (0 unused)

    // 940 family
    std::vector<QRgb> ColorTable940; // [column][amplitude + 32768]
    std::array<double, 768> StcGain940{};
    std::array<double, 1536> StcGain940x2{};
    std::vector<double> DepthTable940; // [e - 20][s], s 0..1536 (0 unused)

    bool loaded = false;

    // Depth in millimetres of double-density sample s (1..1024 / 1..1536) at permittivity index e.
    float depth730(int e, int s) const { return DepthTable730[(e - 20) * 1025 + s]; }
    double depth940(int e, int s) const { return DepthTable940[(e - 20) * 1537 + s]; }
    // Colour of a signed 16-bit amplitude in column c of the 940 colour table.
    QRgb color940(int c, int amplitude) const {
        return ColorTable940[c * 65536 + (amplitude + 32768)];
    }
    const QRgb* color940Column(int c) const { return ColorTable940.data() + c * 65536 + 32768; }
    // The palette a 730 gradation index draws from: colour for 0..5, grey for 6..11.
    const std::array<QRgb, 129>& palette730(int gradation) const {
        return gradation <= 5 ? ColorPalette730 : GreyPalette730;
    }
};

// The ColorTable940 column of each gradation index.
constexpr std::array<int, 12> ColorTable940ColumnOf = {0, 5, 1, 6, 2, 7, 3, 8, 4, 9, 10, 11};

// The table files, relative to the SystemData folder, and their sizes. make_systemdata writes
// them under these names; the 730 depth files are named by DepthTable.dat instead.
struct CalibrationFiles {
    static constexpr const char* Palette730 = "730/CLR_OFST.dat"; // 512 floats
    static constexpr int Palette730Values = 512;
    // Level files in the order of their gradation pairs: absolute column 2k, offset column 2k+1.
    static constexpr std::array<const char*, 5> Levels730 = {"730/OFFSET1.dat", "730/OFFSET2.dat",
                                                             "730/OFFSET3.dat", "730/OFSTMONO1.dat",
                                                             "730/OFSTMONO2.dat"};
    static constexpr int Levels730Values = 384;
    static constexpr const char* Stc730 = "730/stc.dat";              // 1024 floats
    static constexpr const char* DepthList730 = "730/DepthTable.dat"; // 181 stored paths
    static constexpr int Depth730Values = 1024;                       // floats per depth file
    // Colour CSVs of ColorTable940 columns 0..9 (10 and 11 are mirrored from 8 and 9).
    static constexpr std::array<const char*, 10> Colors940 = {
        "940/ColorTable/Color_ABSTable1.csv",    "940/ColorTable/Color_ABSTable2.csv",
        "940/ColorTable/Color_ABSTable3.csv",    "940/ColorTable/Mono_ABSTable1.csv",
        "940/ColorTable/Mono_ABSTable2.csv",     "940/ColorTable/Color_OffsetTable1.csv",
        "940/ColorTable/Color_OffsetTable2.csv", "940/ColorTable/Color_OffsetTable3.csv",
        "940/ColorTable/Mono_OffsetTable1.csv",  "940/ColorTable/Mono_OffsetTable2.csv"};
    static constexpr const char* Stc940 = "940/STCTable/STCTable.csv"; // 768 values
    static constexpr int Stc940Values = 768;
    static constexpr int Depth940Values = 768; // values per depth CSV
    // The 940 depth CSV of permittivity index e (20..200): "940/DepthTable/DepthTable_020.csv".
    static QString depth940(int e);
};

// Loads every table from the SystemData folder. Any missing, short or malformed file fails the
// whole load and leaves t untouched; error then names the file and the problem. Paths stored
// in DepthTable.dat ("\SystemData\730\...") resolve against systemDataDir.
bool LoadCalibrationTables(CalibrationTables& t, const QString& systemDataDir,
                           QString* error = nullptr);

// The colour-table step of the load on its own: reads the ten colour CSVs in one pass and
// mirrors columns 10 and 11 into t.ColorTable940. Leaves t.ColorTable940 untouched on failure.
bool LoadColorTable940(CalibrationTables& t, const QString& systemDataDir,
                       QString* error = nullptr);

} // namespace rebar
