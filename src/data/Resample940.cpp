#include "data/Resample940.h"

#include "data/DoubleDensity.h"
#include "data/LoadProgress.h"

namespace rebar {

ReadResult Resample940(MeasurementRecord& r, const ReadContext& ctx) {
    const int n = r.TraceCount;
    LoadProgress progress(ctx, LoadProgress::Resampling940, n);
    int bad = 0;
    if (!DoubleDensityPass<Family940>(r.Raw940, r.Samples940, &r.Raw940A, &r.Samples940A, -1, n,
                                      &bad, [&progress](int t) { progress.afterTrace(t); }))
        return ReadResult::failure(
            QStringLiteral("trace %1: a sum of two samples leaves 32 bits").arg(bad));
    return ReadResult::success();
}

} // namespace rebar
