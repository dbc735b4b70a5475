#pragma once
// What distinguishes the two scanner families in the data they hold. Algorithms that exist
// once per family are written once over these traits; the family-named entry points
// (Process730, RenderBMode940, ...) only choose the traits.

#include "data/MeasurementRecord.h"

#include <cstdint>

namespace rebar {

struct Family730 {
    using Sample = int16_t;
    static constexpr int Number = 730;
    static constexpr int RawLast = 512;      // raw samples 0..512
    static constexpr int DDLast = 1024;      // double-density samples 0..1024
    static constexpr int FirstTrace = -1;    // special traces stored before trace 1
    static constexpr int32_t ZeroLevel = 2048;

    // Radargram geometry: display rows at full size (half size shows half of them), the
    // B-mode bitmap and overlay height, the composed image height (20-row distance strip, one
    // black row, then the B-mode bitmap), and the depth axis tick slots and row offset.
    static constexpr int DisplayRows = 512;
    static constexpr int BModeHeight = 536;
    static constexpr int ComposedHeight = 560;
    static constexpr int DepthAxisTickSlots = 20;
    static constexpr int DepthAxisRowOffset = 19;

    static Matrix<Sample>& raw(MeasurementRecord& r) { return r.Raw730; }
    static const Matrix<Sample>& raw(const MeasurementRecord& r) { return r.Raw730; }
    static Matrix<Sample>& samples(MeasurementRecord& r) { return r.Samples730; }
    static const Matrix<Sample>& samples(const MeasurementRecord& r) { return r.Samples730; }
    static Matrix<Sample>& work(MeasurementRecord& r) { return r.Work730; }
    static const Matrix<Sample>& work(const MeasurementRecord& r) { return r.Work730; }
    static Matrix<Sample>& workX2(MeasurementRecord& r) { return r.Work730x2; }
    static const Matrix<Sample>& workX2(const MeasurementRecord& r) { return r.Work730x2; }
};

struct Family940 {
    using Sample = int32_t;
    static constexpr int Number = 940;
    static constexpr int RawLast = 768;
    static constexpr int DDLast = 1536;
    static constexpr int FirstTrace = -3;
    static constexpr int32_t ZeroLevel = 0;

    // Radargram geometry (see Family730).
    static constexpr int DisplayRows = 768;
    static constexpr int BModeHeight = 792;
    static constexpr int ComposedHeight = 816;
    static constexpr int DepthAxisTickSlots = 16;
    static constexpr int DepthAxisRowOffset = 20;

    static Matrix<Sample>& raw(MeasurementRecord& r) { return r.Raw940; }
    static const Matrix<Sample>& raw(const MeasurementRecord& r) { return r.Raw940; }
    static Matrix<Sample>& samples(MeasurementRecord& r) { return r.Samples940; }
    static const Matrix<Sample>& samples(const MeasurementRecord& r) { return r.Samples940; }
    static Matrix<Sample>& work(MeasurementRecord& r) { return r.Work940; }
    static const Matrix<Sample>& work(const MeasurementRecord& r) { return r.Work940; }
    static Matrix<Sample>& workX2(MeasurementRecord& r) { return r.Work940x2; }
    static const Matrix<Sample>& workX2(const MeasurementRecord& r) { return r.Work940x2; }
};

} // namespace rebar
