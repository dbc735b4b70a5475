#pragma once
// The data of one open measurement file, owned by its view: identity, header, display settings
// with their saved copy, the ZVX header image, the sample matrices, the markers and the small
// view state that opening, processing and saving need.

#include "data/Matrix.h"
#include "data/ZvxHeader.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace rebar {

// File kinds: 6 text measurement data and 7 RDD (730 family); 8 VXD, 9 and 10 ZVX (940 family).
enum FileKindCode : int32_t {
    KindNone = 0,
    KindText730 = 6,
    KindRdd = 7,
    KindVxd = 8,
    KindZvx3 = 9,
    KindZvx4 = 10,
};

inline bool is940Kind(int32_t kind) {
    return kind >= 8;
}

// Flags are 16-bit integers: -1 true, 0 false.
constexpr int16_t FlagTrue = -1;
constexpr int16_t FlagFalse = 0;

// The nine display settings a save writes into the file.
struct SavedSettings {
    float Permittivity = 0;
    int16_t ColorCode = 0;
    int16_t Direction = 0;
    int16_t GainMode = 0;
    int16_t Gain = 0;
    int16_t ViewRange = 0;
    int16_t ProcCode = 0;
    QString XUnit;
    QString YUnit;
};

// A 730-family marker: Position is the trace counted from 0, Sample the double-density sample
// counted from 1. An entry whose Position + Sample is 0 or less is free.
struct Marker730 {
    int32_t Position = 0;
    int32_t Sample = 0;
    bool isFree() const { return static_cast<int64_t>(Position) + Sample <= 0; }
};

// A 940-family mark slot of Marks940.
struct Mark940 {
    int16_t InUse = 0; // -1 used, 0 free
    int32_t X = 0;     // trace index
    int32_t Y = 0;     // sample position
};

constexpr int MarkGroups940 = 3;
constexpr int MarksPerGroup940 = 99;

struct MeasurementRecord {
    // 1. Identity
    QString FilePath;
    QString FileName;
    int32_t FileKind = KindNone;

    // 2. Header (fields marked display in the comments are the shown settings)
    QString SerialNo;
    QString MeasureDate;
    QString MeasureTime;
    int16_t DataNo = 0;
    int32_t TraceCount = 0;
    int32_t XDataSize = 0;
    // 940 files longer than the traces kept: the measured traces of the file before the first
    // one held. The held traces are the last of the file, so trace k of the record is trace
    // SkippedTraces + k of the file; positions count from the file's start. 0 otherwise.
    int32_t SkippedTraces = 0;
    int32_t YDataSize = 0;
    int32_t XScale = 0;
    int32_t PermittivityPreset = 0;
    int32_t XAdjust = 0;
    int16_t Handle = 0;
    int16_t Direction = 0;   // display
    double Permittivity = 0; // display; 0 with the time axis (preset 7)
    int32_t ColorCode = 0;   // display, 0..11
    int32_t ProcessingLine = 0;
    int16_t ProcCode = 0; // display, 0..6
    int16_t Gain = 0;     // display, 1..7
    int16_t GainMode = 0; // display, 0 shallow, 1 deep
    int16_t PrcsAsMS = 0;
    int16_t PeakFlag = 0;
    int16_t TireOption = 0;
    QString Note;          // lines separated by CR LF
    int16_t ViewRange = 0; // display, 0..5
    float XPitch = 0;
    int16_t CoverMagnification = 0; // 0 full size, 1 half size
    QString XUnit;                  // display
    QString YUnit;                  // display
    int16_t MarkCount = 0;
    int16_t SpeedOption = 0;

    // 3. What the next save writes
    SavedSettings Saved;

    // 4. ZVX header image (940 family)
    ZvxHeader Zvx;

    // 5. Sample matrices; only those of the record's family are allocated
    Matrix<int16_t> Raw730;     // traces -1..N, samples 0..512
    Matrix<int16_t> Samples730; // traces -1..N, samples 0..1024
    Matrix<int16_t> Work730;    // traces 1..N, samples 0..512
    Matrix<int16_t> Work730x2;  // traces 1..N, samples 0..1024
    Matrix<int32_t> Raw940;     // traces -3..N, samples 0..768
    Matrix<int32_t> Raw940A;
    Matrix<int32_t> Samples940; // traces -3..N, samples 0..1536
    Matrix<int32_t> Samples940A;
    Matrix<int32_t> Work940;   // traces 1..N, samples 0..768
    Matrix<int32_t> Work940x2; // traces 1..N, samples 0..1536

    // 6. Markers
    std::vector<Marker730> Markers730;
    // Marks940[group][slot], slot 1..99 (index 0 unused)
    std::array<std::array<Mark940, MarksPerGroup940 + 1>, MarkGroups940> Marks940{};

    // 7. View state kept with the record
    int16_t Modified = 0;
    int16_t Loaded = 0;
    int16_t PresetPath = 0;
    QString LoadStage;
    int16_t ProgressShown = 0;
    int16_t OpenedForReport = 0;

    // Per-view processing state that files do not store
    int16_t AModeSet = 0;      // half-wave display: 0 all, 1 positive half, 2 negative half
    int16_t AutoGainReady = 0; // 940 automatic sensitivity computed for this load
    int16_t MarkerGroup = 0;   // current 940 mark group

    bool is940() const { return is940Kind(FileKind); }
    void clearMarks940() { Marks940 = {}; }
};

// Load stage codes shown in front of the open-failure message.
namespace Stage {
inline const QString FType001 = QStringLiteral("  FType001");
inline const QString Open001 = QStringLiteral("  Open001");
inline const QString Header001 = QStringLiteral("  Header001");
inline const QString Data001 = QStringLiteral("  Data001");
inline const QString Data002 = QStringLiteral("  Data002");
inline const QString Data101 = QStringLiteral("  Data101");
inline const QString Data102 = QStringLiteral("  Data102");
inline const QString Data201 = QStringLiteral("  Data201");
} // namespace Stage

} // namespace rebar
