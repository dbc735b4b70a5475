#pragma once
// The half-wave stage: AModeSet 1 keeps the positive half of every processed sample (values
// below the zero level become the zero level), AModeSet 2 the negative half. Sample 0, the
// status word, is left alone. Nothing here can fail.

#include "data/Family.h"

#include <algorithm>
#include <cstdint>

namespace rebar {

template <class F, int Last> class HalfWaveStage {
public:
    using Sample = typename F::Sample;

    // Applies the stage to one processed row (samples 1..Last).
    static void row(Sample* __restrict row, int16_t aModeSet) {
        constexpr Sample zero = static_cast<Sample>(F::ZeroLevel);
        if (aModeSet == 1) {
            for (int j = 1; j <= Last; ++j)
                row[j] = std::max(row[j], zero);
        } else if (aModeSet == 2) {
            for (int j = 1; j <= Last; ++j)
                row[j] = std::min(row[j], zero);
        }
    }
};

} // namespace rebar
