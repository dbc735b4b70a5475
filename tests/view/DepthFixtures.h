#pragma once
// Depth tables in which the depth in mm equals the double-density sample at every
// permittivity, so conversions can be followed by hand (sample s lies s / 10 cm deep).

#include "config/CalibrationTables.h"

namespace rebar::test {

inline const CalibrationTables& identityDepths() {
    static const CalibrationTables t = [] {
        CalibrationTables c;
        c.DepthTable730.assign(181 * 1025, 0.0f);
        c.DepthTable940.assign(181 * 1537, 0.0);
        for (int e = 0; e < 181; ++e) {
            for (int s = 0; s <= 1024; ++s)
                c.DepthTable730[e * 1025 + s] = static_cast<float>(s);
            for (int s = 0; s <= 1536; ++s)
                c.DepthTable940[e * 1537 + s] = s;
        }
        c.loaded = true;
        return c;
    }();
    return t;
}

} // namespace rebar::test
