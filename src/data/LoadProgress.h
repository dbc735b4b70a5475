#pragma once
// Progress of a per-trace loop of a reader: the percentages of the load progress dialog at
// traces 1000, 2000, 3000, 4000 and 5000 and at the last trace (an exact milestone wins over
// the last-trace report), and letting pending window events run along the way.
//
// Letting events run costs a trip through the event loop, which adds up over 8000 traces; it
// is done after every PumpEvery traces and at every report, which keeps the dialog live (a few
// milliseconds between two trips) at a fraction of the cost.

#include "data/ReadResult.h"

namespace rebar {

class LoadProgress {
public:
    // Percentages at traces 1000, 2000, 3000, 4000, 5000 and at the last trace.
    struct Milestones {
        int at[5];
        int last;
    };
    static constexpr Milestones Reading940{{6, 12, 18, 24, 32}, 35};
    static constexpr Milestones Resampling940{{40, 44, 48, 52, 56}, 63};
    static constexpr int PumpEvery = 32;

    LoadProgress(const ReadContext& ctx, const Milestones& m, int lastTrace)
        : m_ctx(ctx), m_m(m), m_last(lastTrace) {}

    // After trace t (numbered from 1; special traces below 1 report nothing).
    void afterTrace(int t) {
        if (t >= 1000 && t <= 5000 && t % 1000 == 0) {
            m_ctx.report(m_m.at[t / 1000 - 1]);
            pumpNow();
        } else if (t == m_last && t >= 1) {
            m_ctx.report(m_m.last);
            pumpNow();
        } else if (--m_countdown == 0) {
            pumpNow();
        }
    }

private:
    void pumpNow() {
        m_countdown = PumpEvery;
        m_ctx.pump();
    }

    const ReadContext& m_ctx;
    Milestones m_m;
    int m_last;
    int m_countdown = PumpEvery;
};

} // namespace rebar
