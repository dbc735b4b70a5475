#pragma once
// Automatic sensitivity, processing mode 6 of the 940 family: a depth-dependent gain computed
// once per loaded file from the spread of every sample around the mean trace, which brings the
// echo level of every depth to a target level. The gained traces replace the second matrices
// Raw940A and Samples940A; later runs only show them.

#include "data/MeasurementRecord.h"

namespace rebar {

class AutoSensitivity {
public:
    // Target level in decibels of raw sample j (1..768).
    static double target(int j);

    // Computes the gain from Raw940 (traces 1..TraceCount) and writes the gained traces into
    // Raw940A (samples 1..768) and Samples940A (samples 1..1536, each value twice). False, with
    // nothing written, when there is no trace, a 32-bit sum, residual or squared residual does
    // not fit, or a sample has no power at all (its level has no logarithm).
    static bool compute(MeasurementRecord& r);
};

} // namespace rebar
