#include "view/MarkerFigures.h"

#include "base/Numeric.h"
#include "view/CursorPosition.h"

#include <cmath>

namespace rebar {

namespace {

bool wideRange(int viewRange) {
    return viewRange >= 3 && viewRange <= 5;
}

int64_t fixed4(double v) {
    return static_cast<int64_t>(roundHalfEven(v * 10000.0));
}

double value4(int64_t f) {
    return static_cast<double>(f) / 10000.0;
}

// The average sum / n of four-decimal fixed values truncated toward zero to `decimals`
// decimals (0..4), computed in integers so that 12.3 stays 12.3. The value is divided by
// divisorNum / divisorDen first (2.54 for inches is passed as 254 over 100).
double truncatedAverage(int64_t sum, int n, int decimals, int64_t divisorNum = 1,
                        int64_t divisorDen = 1) {
    int64_t scale = 1;
    for (int i = decimals; i < 4; ++i)
        scale *= 10;
    const int64_t q = (sum * divisorDen) / (static_cast<int64_t>(n) * scale * divisorNum);
    double p = 1;
    for (int i = 0; i < decimals; ++i)
        p *= 10;
    return static_cast<double>(q) / p;
}

} // namespace

MarkerMeasure::MarkerMeasure(const MeasurementRecord& r, const CalibrationTables& t,
                             int originColumn)
    : m_rec(r), m_tables(t), m_origin(originColumn > 0 ? originColumn : 0) {
    if (r.is940()) {
        // Marks are converted as if shown in the plain range at full size. Counted from an
        // origin the distance is a difference of held traces, so the traces a long file's
        // reader passed over before the held ones do not count.
        m_conv.FileKind = r.FileKind;
        m_conv.TraceCount = r.TraceCount;
        m_conv.XDataSize = r.XDataSize;
        m_conv.SkippedTraces = m_origin > 0 ? 0 : r.SkippedTraces;
        m_conv.XScale = r.XScale;
        m_conv.XAdjust = r.XAdjust;
        m_conv.Permittivity = r.Permittivity;
        m_conv.ViewRange = 2;
        m_conv.CoverMagnification = 0;
    }
}

MarkerFigures MarkerMeasure::operator()(const MarkerEntry& m) const {
    CursorPosition p;
    if (!m_rec.is940()) {
        double column = TraceToColumn730(static_cast<int>(m.x) + 1, m_rec.ViewRange);
        if (m_origin > 0)
            column -= m_origin;
        p = CalcPosition730(m_rec, m_tables, column, static_cast<double>(m.y));
    } else {
        double column = TraceToColumn940(static_cast<int>(m.x), 2);
        if (m_origin > 0) // the first trace of the origin column, counted from 0
            column -= static_cast<double>(m_origin - 1) * (wideRange(m_rec.ViewRange) ? 2 : 1);
        p = CalcPosition940(m_conv, m_tables, column, 2.0 * static_cast<double>(m.y) + 1);
    }
    return MarkerFigures{p.distance, p.depthCm, p.timeNs, p.ok};
}

int64_t MarkerColumn(const MeasurementRecord& r, const MarkerEntry& m) {
    return wideRange(r.ViewRange) ? m.x / 2 : m.x;
}

QString DistanceFigure(const MeasurementRecord& r, double d) {
    if (r.XScale != 0)
        return FormatFixed(d, 2);
    if (r.XUnit == QLatin1String("m"))
        return FormatFixed(d, 4);
    if (r.XUnit == QLatin1String("cm"))
        return FormatFixed(d * 100, 2);
    if (r.XUnit == QLatin1String("mm"))
        return FormatFixed(d * 1000, 1);
    if (r.XUnit == QLatin1String("inch"))
        return FormatFixed(d / 0.0254, 2);
    return {};
}

QString DepthFigure(const MeasurementRecord& r, double depthCm) {
    if (r.YUnit == QLatin1String("m"))
        return FormatFixed(depthCm / 100, 3);
    if (r.YUnit == QLatin1String("cm"))
        return FormatFixed(depthCm, 1);
    if (r.YUnit == QLatin1String("mm"))
        return FormatFixed(depthCm * 10, 0);
    if (r.YUnit == QLatin1String("inch"))
        return FormatFixed(depthCm / 2.54, 2);
    return {};
}

QString TimeFigure(double timeNs) {
    return FormatFixed(timeNs, 2);
}

QString UnitText(const QString& unit) {
    return unit == QLatin1String("inch") ? QStringLiteral("in") : unit;
}

QString DistanceUnitText(const MeasurementRecord& r) {
    return r.XScale != 0 ? QStringLiteral("s") : UnitText(r.XUnit);
}

QString DepthUnitText(const MeasurementRecord& r) {
    return r.Permittivity <= 0 ? QStringLiteral("ns") : UnitText(r.YUnit);
}

// ---- Statistics ---------------------------------------------------------------------------

void MarkerStatistics::Run::add(double v) {
    const int64_t f = fixed4(v);
    sum += f;
    min = std::min(min, f);
    max = std::max(max, f);
}

double MarkerStatistics::Run::minimum() const {
    return min == fixed4(9999) ? 0 : value4(min); // no value seen
}

double MarkerStatistics::Run::maximum() const {
    return value4(max);
}

void MarkerStatistics::add(double depthOrTime, double pitch) {
    m_depth.add(depthOrTime);
    if (m_count > 0)
        m_pitch.add(pitch);
    ++m_count;
}

MarkerStatistics::Texts MarkerStatistics::texts(const MeasurementRecord& r) const {
    Texts out;
    const bool f940 = r.is940();
    const bool timeAxis = r.Permittivity <= 0;
    auto one = [&](int i, double v, int decimals, const QString& unit) {
        const QString figure = FormatFixed(v, decimals);
        const auto k = static_cast<size_t>(i);
        out.text[k] = figure + unit;
        out.value[k] = figure.toDouble();
        out.decimals[k] = decimals;
        out.set[k] = true;
    };
    auto set = [&](int first, double avg, double mn, double mx, int decimals, const QString& unit) {
        one(first, avg, decimals, unit);
        one(first + 1, mn, decimals, unit);
        one(first + 2, mx, decimals, unit);
    };
    out.depthUnit = DepthUnitText(r);
    out.pitchUnit = DistanceUnitText(r);

    const Run& depth = m_depth;
    const int n = std::max(m_count, 1);
    const double depthAvg = value4(depth.sum) / n;
    if (timeAxis) {
        // The 730 family truncates the time average; the 940 family shows it rounded.
        set(4, f940 ? depthAvg : truncatedAverage(depth.sum, n, 2), depth.minimum(),
            depth.maximum(), 2, QStringLiteral("ns"));
        one(5, depth.minimum(), 1, QStringLiteral("ns"));
        one(6, depth.maximum(), 1, QStringLiteral("ns"));
    } else {
        // The 730 family truncates the depth average before formatting.
        const double avgCm = f940 ? depthAvg : truncatedAverage(depth.sum, n, 1);
        const QString u = UnitText(r.YUnit);
        if (r.YUnit == QLatin1String("cm"))
            set(4, avgCm, depth.minimum(), depth.maximum(), 1, u);
        else if (r.YUnit == QLatin1String("m"))
            set(4, avgCm / 100, depth.minimum() / 100, depth.maximum() / 100, 3, u);
        else if (r.YUnit == QLatin1String("mm"))
            set(4, avgCm * 10, depth.minimum() * 10, depth.maximum() * 10, 0, u);
        else if (r.YUnit == QLatin1String("inch"))
            set(4, f940 ? depthAvg / 2.54 : truncatedAverage(depth.sum, n, 2, 254, 100),
                depth.minimum() / 2.54, depth.maximum() / 2.54, 2, u);
    }

    const Run& pitch = m_pitch;
    const int np = std::max(m_count - 1, 1);
    const double pitchAvg = value4(pitch.sum) / np;
    const QString distUnit = DistanceUnitText(r);
    auto setPitch = [&](double avg, double mn, double mx, int decimals) {
        set(7, avg, mn, mx, decimals, distUnit);
    };
    // The 730 family truncates the pitch average; the 940 family does not.
    const double avgM = f940 ? pitchAvg : truncatedAverage(pitch.sum, np, 4);
    if (r.XScale != 0)
        setPitch(f940 ? pitchAvg : truncatedAverage(pitch.sum, np, 2), pitch.minimum(),
                 pitch.maximum(), 2);
    else if (r.XUnit == QLatin1String("m"))
        setPitch(avgM, pitch.minimum(), pitch.maximum(), 4);
    else if (r.XUnit == QLatin1String("cm"))
        setPitch(avgM * 100, pitch.minimum() * 100, pitch.maximum() * 100, 2);
    else if (r.XUnit == QLatin1String("mm"))
        setPitch(avgM * 1000, pitch.minimum() * 1000, pitch.maximum() * 1000, 1);
    else if (r.XUnit == QLatin1String("inch"))
        setPitch(avgM / 0.0254, pitch.minimum() / 0.0254, pitch.maximum() / 0.0254, 2);
    return out;
}

} // namespace rebar
