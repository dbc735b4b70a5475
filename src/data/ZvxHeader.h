#pragma once
// The fixed 3384-byte header of a ZVX file, kept whole for the life of a 940-family view so
// that the bytes the program does not interpret are written back unchanged.

#include <array>
#include <cstdint>
#include <cstring>

namespace rebar {

struct ZvxHeader {
    static constexpr int Size = 3384;
    std::array<uint8_t, Size> Bytes{};

    // Offsets of the interpreted members.
    static constexpr int OffIdentifier = 0;
    static constexpr int OffSerialNo = 8, LenSerialNo = 10;
    static constexpr int OffMeasureDate = 18, LenMeasureDate = 20;
    static constexpr int OffLatitude = 58, LenLatitude = 21;
    static constexpr int OffLongitude = 79, LenLongitude = 21;
    static constexpr int OffComment1 = 151, LenComment1 = 63;
    static constexpr int OffComment3 = 214, LenComment3 = 33;
    static constexpr int OffComment2 = 247, LenComment2 = 63;
    static constexpr int OffComment4 = 310, LenComment4 = 33;
    static constexpr int OffMeasureDirection = 343;
    static constexpr int OffMarkSlots = 524, MarkSlotCount = 300, MarkSlotSize = 8;

    template <typename T> T get(int off) const {
        T v;
        std::memcpy(&v, Bytes.data() + off, sizeof(T)); // files are little-endian, as is the host
        return v;
    }
    template <typename T> void put(int off, T v) { std::memcpy(Bytes.data() + off, &v, sizeof(T)); }

    uint8_t MeasureDirection() const { return Bytes[OffMeasureDirection]; }
};

} // namespace rebar
