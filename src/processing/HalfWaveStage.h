#pragma once
// The half-wave stage: AModeSet 1 keeps the positive half of every processed sample (values
// below the zero level become the zero level), AModeSet 2 the negative half. Sample 0, the
// status word, is left alone. Nothing here can fail.

#include "data/Family.h"

#include <algorithm>
#include <cstdint>

namespace rebar {

template <class F> class HalfWaveStage {
public:
    using Sample = typename F::Sample;

    static void run(Matrix<Sample>& out, int traceCount, int last, int16_t aModeSet) {
        constexpr Sample zero = static_cast<Sample>(F::ZeroLevel);
        if (aModeSet != 1 && aModeSet != 2)
            return;
        for (int i = 1; i <= traceCount; ++i) {
            Sample* row = out.trace(i);
            if (aModeSet == 1) {
                for (int j = 1; j <= last; ++j)
                    row[j] = std::max(row[j], zero);
            } else {
                for (int j = 1; j <= last; ++j)
                    row[j] = std::min(row[j], zero);
            }
        }
    }
};

} // namespace rebar
