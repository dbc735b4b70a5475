#pragma once
// The fixed 3384-byte header of a ZVX file, kept whole for the life of a 940-family view so
// that the bytes the program does not interpret are written back unchanged. All numbers are
// little-endian; texts are single-byte code-page text, the comments UTF-8.

#include <QString>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace rebar {

static_assert(std::endian::native == std::endian::little, "ZVX headers are read in place");

struct ZvxHeader {
    static constexpr int Size = 3384;
    std::array<uint8_t, Size> Bytes{};

    // Offsets of the interpreted members.
    static constexpr int OffIdentifier = 0;     // int16: -3 kind 9, -4 kind 10
    static constexpr int OffFirstSaveBytes = 2; // three uint8 written 0 on the first save
    static constexpr int OffSerialNo = 8, LenSerialNo = 10;
    static constexpr int OffMeasureDate = 18, LenMeasureDate = 20;
    static constexpr int OffLatitude = 58, LenLatitude = 21;
    static constexpr int OffLongitude = 79, LenLongitude = 21;
    static constexpr int OffDataNo = 100;         // int32
    static constexpr int OffStoredTraces = 104;   // int32: XDataSize
    static constexpr int OffYDataSize = 108;      // int16
    static constexpr int OffXScale = 110;         // uint8
    static constexpr int OffXAdjust = 112;        // int16
    static constexpr int OffPermittivity = 116;   // single
    static constexpr int OffGainStep = 120;       // uint8: Gain - 1
    static constexpr int OffGainBand = 121;       // uint8: 0 shallow, other deep
    static constexpr int OffViewRange = 122;      // uint8
    static constexpr int OffProcCode = 123;       // uint8: file processing code
    static constexpr int OffPrcsAsMS = 124;       // uint8
    static constexpr int OffProcessingLine = 128; // int32
    static constexpr int OffPeak = 132;           // uint8
    static constexpr int OffColorCode = 133;      // uint8: file gradation code
    static constexpr int OffTireOption = 134;     // uint8
    static constexpr int OffHandle = 135;         // uint8
    static constexpr int OffDirection = 136;      // uint8: 1 normal
    static constexpr int OffXPitch = 140;         // single
    static constexpr int OffXUnit = 148;          // uint8 unit code
    static constexpr int OffYUnit = 149;          // uint8 unit code
    static constexpr int OffComment1 = 151, LenComment1 = 63;
    static constexpr int OffComment3 = 214, LenComment3 = 33;
    static constexpr int OffComment2 = 247, LenComment2 = 63;
    static constexpr int OffComment4 = 310, LenComment4 = 33;
    static constexpr int OffMeasureDirection = 343;
    static constexpr int OffSpeedOption = 344;
    static constexpr int OffMarkSlots = 524, MarkSlotCount = 300, MarkSlotSize = 8;

    template <typename T> T get(int off) const {
        T v;
        std::memcpy(&v, Bytes.data() + off, sizeof(T));
        return v;
    }
    template <typename T> void put(int off, T v) { std::memcpy(Bytes.data() + off, &v, sizeof(T)); }

    uint8_t MeasureDirection() const { return Bytes[OffMeasureDirection]; }
    // The bytes of a fixed text field up to its first NUL.
    QByteArray text(int off, int len) const;
    // Writes bytes left-aligned into a fixed field, padded with blanks or cut.
    void putPadded(int off, int len, const QByteArray& bytes);
};

// The mark slot of group g (0..2) and mark i (1..99); slots 198, 298 and 299 are unused.
constexpr int MarkSlotOf(int group, int mark) {
    return group * 99 + mark - 1 + (group == 2 ? 1 : 0);
}

// File codes of the ZVX header and the record values they stand for.
namespace ZvxCodes {
// Processing code -> ProcCode; -1 when the code is outside the table.
int procCodeOf(int fileCode);
int fileCodeOfProc(int procCode);
// Gradation code -> ColorCode (absolute gradations first in the file, interleaved in memory).
int colorCodeOf(int fileCode);
int fileCodeOfColor(int colorCode);
// Unit code 0..4 <-> "mm", "cm", "m", "inch", "ns"; empty / -1 outside the table.
QString unitOf(int code);
int unitCodeOf(const QString& unit);
} // namespace ZvxCodes

} // namespace rebar
