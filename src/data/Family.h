#pragma once
// What distinguishes the two scanner families in the data they hold. Algorithms that exist
// once per family are written once over these traits; the family-named entry points
// (Process730, RenderBMode940, ...) only choose the traits.

#include "data/MeasurementRecord.h"

#include <cstdint>

namespace rebar {

struct Family730 {
    using Sample = int16_t;
    using Wide = int32_t; // holds any weighted sum of a few samples exactly
    static constexpr int Number = 730;
    static constexpr int RawLast = 512;   // raw samples 0..512
    static constexpr int DDLast = 1024;   // double-density samples 0..1024
    static constexpr int FirstTrace = -1; // special traces stored before trace 1
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

    // ---- Processing (Process730) ----
    using StcGain = float; // the STC gain curves (StcCurves in processing)
    static constexpr bool HasAutoSensitivity = false; // no mode 6
    static constexpr bool ModeFailureFailsRun = true; // any arithmetic failure fails the run
    static constexpr int ManualLeadRaw = 191;         // mode 2: samples always subtracted
    static constexpr int ManualLeadDD = 383;
    static constexpr int PeakHalfWidth = 2;       // peak window: traces i-2..i+2
    static constexpr int32_t PeakThreshold = 192; // a lobe starts above this
    static constexpr int ProgressTrace = 0;       // reports no progress
    static double gainFactor(int16_t gain) {
        constexpr double factors[] = {1.0, 1.4125, 2.0, 2.828, 4.0};
        return gain >= 1 && gain <= 5 ? factors[gain - 1] : 1.4125;
    }
    // ---- end of processing ----

    // ---- Automatic marker detection ----
    // The detection reads the unprocessed samples on the grid its markers use: the
    // double-density samples (rows 1..1024), whose row is the double-density sample itself.
    static constexpr int DetectionRows = DDLast;
    static constexpr int DetectionRowStep = 1; // double-density samples per detection row
    static const Matrix<Sample>& detectionInput(const MeasurementRecord& r) { return r.Samples730; }
    // ---- end of detection ----

    // ---- Marker editing (peak search and snap on the single-density work matrix) ----
    static constexpr int32_t LobeLevel = 2048;      // a positive lobe lies above this
    static constexpr int32_t SnapStart = 0;         // running maximum of the snap window
    static constexpr int32_t SnapCompareStep = 256; // snap values compare in steps of this
    // ---- end of marker editing ----
};

struct Family940 {
    using Sample = int32_t;
    using Wide = int64_t;
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

    // ---- Processing (Process940) ----
    using StcGain = double;
    static constexpr bool HasAutoSensitivity = true;   // mode 6
    static constexpr bool ModeFailureFailsRun = false; // a failed mode stage keeps the outputs
    static constexpr int ManualLeadRaw = 287;
    static constexpr int ManualLeadDD = 575;
    static constexpr int PeakHalfWidth = 0; // no smoothing across traces
    static constexpr int32_t PeakThreshold = 11776;
    static constexpr int ProgressTrace = 3000; // the mode stage reports 70 % here
    static double gainFactor(int16_t gain) {
        constexpr double factors[] = {1.0, 1.414, 2.0, 2.828, 4.0, 5.656, 8.0};
        return gain >= 1 && gain <= 7 ? factors[gain - 1] : 0.0;
    }
    // ---- end of processing ----

    // ---- Automatic marker detection ----
    // The raw samples (rows 1..768); row j is double-density sample 2j - 1.
    static constexpr int DetectionRows = RawLast;
    static constexpr int DetectionRowStep = 2;
    static const Matrix<Sample>& detectionInput(const MeasurementRecord& r) { return r.Raw940; }
    // ---- end of detection ----

    // ---- Marker editing ----
    static constexpr int32_t LobeLevel = 2048;
    static constexpr int32_t SnapStart = -327680;
    static constexpr int32_t SnapCompareStep = 1;
    // ---- end of marker editing ----
};

} // namespace rebar
