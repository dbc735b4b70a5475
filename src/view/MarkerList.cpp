#include "view/MarkerList.h"

#include "base/Numeric.h"
#include "base/TextEncoding.h"
#include "data/Markers.h"
#include "view/CursorPosition.h"

#include <cmath>

namespace rebar {

namespace {

// Fixed-point accumulators with four decimals, as the statistics keep them.
struct Fixed4 {
    static int64_t of(double v) { return static_cast<int64_t>(roundHalfEven(v * 10000.0)); }
    static double value(int64_t f) { return static_cast<double>(f) / 10000.0; }
};

struct Stats {
    int64_t sum = 0, min = Fixed4::of(9999), max = 0;
    void add(double v) {
        const int64_t f = Fixed4::of(v);
        sum += f;
        min = std::min(min, f);
        max = std::max(max, f);
    }
    double minimum() const { return min == Fixed4::of(9999) ? 0 : Fixed4::value(min); }
    double maximum() const { return Fixed4::value(max); }
};

QString unitText(const QString& unit) {
    return unit == QLatin1String("inch") ? QStringLiteral("in") : unit;
}

// The average sum / n of four-decimal fixed values truncated toward zero to `decimals`
// decimals (0..4), computed in integers so that 12.3 stays 12.3. `divisor` divides the value
// first (2.54 for inches is passed as 254 over 100).
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

// Distance in the view's distance unit, formatted; empty for a unit the list does not know.
QString distanceText(const MeasurementRecord& r, double d) {
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

QString depthText(const MeasurementRecord& r, double depthCm, double timeNs) {
    if (r.Permittivity <= 0)
        return FormatFixed(timeNs, 2) + QStringLiteral("ns");
    const QString u = unitText(r.YUnit);
    if (r.YUnit == QLatin1String("m"))
        return FormatFixed(depthCm / 100, 3) + u;
    if (r.YUnit == QLatin1String("cm"))
        return FormatFixed(depthCm, 1) + u;
    if (r.YUnit == QLatin1String("mm"))
        return FormatFixed(depthCm * 10, 0) + u;
    if (r.YUnit == QLatin1String("inch"))
        return FormatFixed(depthCm / 2.54, 2) + u;
    return {};
}

QString field(const QString& text, int width) {
    return text.rightJustified(width);
}

} // namespace

MarkerListContent BuildMarkerList(const MeasurementRecord& r, const CalibrationTables& t,
                                  const LanguageTables& language, int16_t maxTraces,
                                  int currentMarker) {
    MarkerListContent out;
    const auto& C = language.Captions;
    const bool f940 = r.is940();
    const bool timeAxis = r.Permittivity <= 0;
    const QString distUnit = r.XScale != 0 ? QStringLiteral("s") : unitText(r.XUnit);
    const QString depthUnit = timeAxis ? QStringLiteral("ns") : unitText(r.YUnit);
    const QString distCaption = r.XScale != 0 ? C[99] : C[97];
    const QString depthCaption = timeAxis ? C[100] : C[98];
    const QString pitchCaption = C[105];

    auto column10 = [](const QString& s) {
        return CutToByteLength(s + QString(10, QLatin1Char(' ')), 10);
    };
    out.header = QStringLiteral(" ") + CutToByteLength(C[96] + QStringLiteral("    "), 4) +
                 column10(distCaption + QLatin1Char('(') + distUnit + QLatin1Char(')')) +
                 column10(depthCaption + QLatin1Char('(') + depthUnit + QLatin1Char(')')) +
                 column10(pitchCaption + QLatin1Char('(') + distUnit + QLatin1Char(')'));

    Stats depth, pitch;
    double previous = 0;
    int count = 0;
    auto addLine = [&](int number, int itemData, double column, double sample,
                       const MeasurementRecord& conv) {
        const CursorPosition p = f940 ? CalcPosition940(conv, t, maxTraces, column, sample)
                                      : CalcPosition730(conv, t, column, sample);
        if (!p.ok) {
            out.ok = false;
            return false;
        }
        const double d = p.distance;
        const double depthValue = timeAxis ? p.timeNs : p.depthCm;
        MarkerListLine line;
        line.itemData = itemData;
        line.distance = d;
        line.depth = depthValue;
        line.text = field(QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')), 4);
        const QString dist = distanceText(r, d);
        if (!dist.isEmpty())
            line.text += field(dist + distUnit, 10);
        line.text += field(depthText(r, p.depthCm, p.timeNs), 10);
        const double step = count == 0 ? 0.0 : std::fabs(d - previous);
        const QString pitchText = distanceText(r, step);
        if (!pitchText.isEmpty())
            line.text += field(pitchText + distUnit, 10);
        depth.add(depthValue);
        if (count > 0)
            pitch.add(step);
        previous = d;
        ++count;
        out.lines << line;
        return true;
    };

    if (!f940) {
        int used = 0;
        ForEachMarker730(r, [&](const MarkerEntry& m) {
            if (m.storage < currentMarker)
                ++used;
            const int column = TraceToColumn730(static_cast<int>(m.x) + 1, r.ViewRange);
            return addLine(m.number, m.storage + 1, column, static_cast<double>(m.y), r);
        });
        out.selected = currentMarker > 0 ? used : 0;
    } else {
        // Marks are converted as if shown in the plain range at full size.
        MeasurementRecord conv;
        conv.FileKind = r.FileKind;
        conv.TraceCount = r.TraceCount;
        conv.XDataSize = r.XDataSize;
        conv.XScale = r.XScale;
        conv.XAdjust = r.XAdjust;
        conv.Permittivity = r.Permittivity;
        conv.ViewRange = 2;
        conv.CoverMagnification = 0;
        const int g = std::clamp<int>(r.MarkerGroup, 0, MarkGroups940 - 1);
        ForEachMark940(r, g, [&](const MarkerEntry& m) {
            const double column = TraceToColumn940(static_cast<int>(m.x), 2);
            return addLine(m.number, m.storage + 1, column, 2.0 * static_cast<double>(m.y) + 1,
                           conv);
        });
        out.selected = static_cast<int>(out.lines.size());
    }

    // Statistics labels.
    out.labels[10] = QString::number(out.lines.size());
    out.labelSet[10] = true;
    out.labels[12] = depthCaption + QLatin1Char('(') + depthUnit + QLatin1Char(')');
    out.labels[13] = r.XScale != 0 ? C[99] + QStringLiteral("(s)")
                                   : pitchCaption + QLatin1Char('(') + distUnit + QLatin1Char(')');
    out.labelSet[12] = out.labelSet[13] = true;

    const int n = std::max(count, 1);
    const double depthAvg = Fixed4::value(depth.sum) / n;
    auto setDepth = [&](double avg, double mn, double mx, int decimals, const QString& unit) {
        out.labels[4] = FormatFixed(avg, decimals) + unit;
        out.labels[5] = FormatFixed(mn, decimals) + unit;
        out.labels[6] = FormatFixed(mx, decimals) + unit;
        out.labelSet[4] = out.labelSet[5] = out.labelSet[6] = true;
    };
    if (timeAxis) {
        out.labels[4] = FormatFixed(truncatedAverage(depth.sum, n, 2), 2) + QStringLiteral("ns");
        out.labels[5] = FormatFixed(depth.minimum(), 1) + QStringLiteral("ns");
        out.labels[6] = FormatFixed(depth.maximum(), 1) + QStringLiteral("ns");
        out.labelSet[4] = out.labelSet[5] = out.labelSet[6] = true;
    } else {
        // The 730 family truncates the depth average before formatting.
        const double avgCm = f940 ? depthAvg : truncatedAverage(depth.sum, n, 1);
        const QString u = unitText(r.YUnit);
        if (r.YUnit == QLatin1String("cm"))
            setDepth(avgCm, depth.minimum(), depth.maximum(), 1, u);
        else if (r.YUnit == QLatin1String("m"))
            setDepth(avgCm / 100, depth.minimum() / 100, depth.maximum() / 100, 3, u);
        else if (r.YUnit == QLatin1String("mm"))
            setDepth(avgCm * 10, depth.minimum() * 10, depth.maximum() * 10, 0, u);
        else if (r.YUnit == QLatin1String("inch"))
            setDepth(f940 ? depthAvg / 2.54 : truncatedAverage(depth.sum, n, 2, 254, 100),
                     depth.minimum() / 2.54, depth.maximum() / 2.54, 2, u);
    }

    const int np = std::max(count - 1, 1);
    const double pitchAvg = Fixed4::value(pitch.sum) / np;
    auto setPitch = [&](double avg, double mn, double mx, int decimals) {
        out.labels[7] = FormatFixed(avg, decimals) + distUnit;
        out.labels[8] = FormatFixed(mn, decimals) + distUnit;
        out.labels[9] = FormatFixed(mx, decimals) + distUnit;
        out.labelSet[7] = out.labelSet[8] = out.labelSet[9] = true;
    };
    const double avgM = f940 ? pitchAvg : truncatedAverage(pitch.sum, np, 4);
    if (r.XScale != 0)
        setPitch(truncatedAverage(pitch.sum, np, 2), pitch.minimum(), pitch.maximum(), 2);
    else if (r.XUnit == QLatin1String("m"))
        setPitch(truncatedAverage(pitch.sum, np, 4), pitch.minimum(), pitch.maximum(), 4);
    else if (r.XUnit == QLatin1String("cm"))
        setPitch(avgM * 100, pitch.minimum() * 100, pitch.maximum() * 100, 2);
    else if (r.XUnit == QLatin1String("mm"))
        setPitch(avgM * 1000, pitch.minimum() * 1000, pitch.maximum() * 1000, 1);
    else if (r.XUnit == QLatin1String("inch"))
        setPitch(avgM / 0.0254, pitch.minimum() / 0.0254, pitch.maximum() / 0.0254, 2);
    return out;
}

} // namespace rebar
