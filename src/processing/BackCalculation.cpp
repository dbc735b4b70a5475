#include "processing/BackCalculation.h"

#include "data/Family.h"
#include "processing/DepthScale.h"

#include <cmath>
#include <limits>

namespace rebar {

DepthEntry ReadDepthEntry(const QString& answer, const QString& yUnit) {
    DepthEntry entry;
    if (answer.isEmpty())
        return entry;
    entry.kind = DepthEntry::Invalid;
    bool ok = false;
    double d = answer.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return entry;
    if (yUnit == QLatin1String("inch"))
        d *= 2.54;
    if (!(d > 0))
        return entry;
    entry.kind = DepthEntry::Depth;
    entry.mm = d * 10.0;
    return entry;
}

namespace {

// The search over one family's table column T(e), e = 20..200, in the precision `Real` of
// that family's comparison.
template <typename Real, typename Column>
BackCalculation searchPermittivity(Real D, const Column& T, float current) {
    constexpr int First = CalibrationTables::FirstPermittivityIndex;
    constexpr int Last = CalibrationTables::LastPermittivityIndex;
    BackCalculation out;
    out.outcome = BackCalculation::NoFit;
    out.permittivity = current;
    out.messageKey = 22;
    if (D > T(First) || D < T(Last))
        return out;
    for (int e = Last; e >= First; --e) {
        float result = 0;
        if (D == T(e))
            result = static_cast<float>(e) / 10.0f;
        else if (D < T(e))
            result = static_cast<float>(e + 1) / 10.0f;
        else
            continue;
        if (result < 2.0f || result > 20.0f)
            return out;
        out.outcome = BackCalculation::Fits;
        out.permittivity = result;
        out.messageKey = 0;
        return out;
    }
    return out;
}

} // namespace

BackCalculation BackCalculatePermittivity(const MeasurementRecord& rec,
                                          const CalibrationTables& tables, double depthMm,
                                          int rowSample) {
    const bool f940 = rec.is940();
    const int last = f940 ? Family940::DDLast : Family730::DDLast;
    const int s = 2 * (rowSample / 2); // the single-density sample on the double-density grid
    const size_t need = static_cast<size_t>(CalibrationTables::PermittivityCount) * (last + 1);
    const bool loaded =
        f940 ? tables.DepthTable940.size() >= need : tables.DepthTable730.size() >= need;
    const auto current = static_cast<float>(rec.Permittivity);
    if (s < 1 || s > last || !loaded) {
        BackCalculation out;
        out.permittivity = current;
        out.messageKey = 18;
        out.error =
            loaded ? QStringLiteral("The cursor's sample %1 lies outside the depth table.").arg(s)
                   : QStringLiteral("The depth tables are not loaded.");
        return out;
    }
    if (!f940 && !(std::fabs(depthMm) <= std::numeric_limits<float>::max())) {
        BackCalculation out;
        out.permittivity = current;
        out.messageKey = 18;
        out.error = QStringLiteral("The entered depth is too large.");
        return out;
    }
    if (f940)
        return searchPermittivity<double>(
            depthMm, [&](int e) { return tables.depth940(e, s); }, current);
    return searchPermittivity<float>(
        static_cast<float>(depthMm), [&](int e) { return tables.depth730(e, s); }, current);
}

int ApplyBackCalculation(MeasurementRecord& rec, float permittivity) {
    rec.Permittivity = static_cast<double>(permittivity);
    rec.PermittivityPreset = permittivity != 0 ? PresetItemOther : PresetItemTime;
    rec.Saved.Permittivity = permittivity;
    rec.Modified = FlagTrue;
    return rec.PermittivityPreset;
}

} // namespace rebar
