#include "view/MarkerList.h"

#include "base/Numeric.h"
#include "base/TextEncoding.h"
#include "data/Markers.h"
#include "view/CursorPosition.h"
#include "view/MarkerFigures.h"

#include <cmath>

namespace rebar {

namespace {

// A field right-aligned in its width; a figure too long for it shows as "#" characters, so the
// columns of the list stay in line and no figure is shown cut.
QString field(const QString& text, int width) {
    if (text.size() > width)
        return QString(width, QLatin1Char('#'));
    return text.rightJustified(width);
}

} // namespace

MarkerListContent BuildMarkerList(const MeasurementRecord& r, const CalibrationTables& t,
                                  const LanguageTables& language, int currentMarker, int group940,
                                  const ComplianceSettings* compliance,
                                  const QString& languageName) {
    MarkerListContent out;
    const auto& C = language.Captions;
    const bool f940 = r.is940();
    const bool timeAxis = r.Permittivity <= 0;
    const QString distUnit = DistanceUnitText(r);
    const QString depthUnit = DepthUnitText(r);
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
    out.captions = {distCaption + QLatin1Char('(') + distUnit + QLatin1Char(')'),
                    depthCaption + QLatin1Char('(') + depthUnit + QLatin1Char(')'),
                    pitchCaption + QLatin1Char('(') + distUnit + QLatin1Char(')')};
    // Covers are judged only where the depths are covers: not on the time axis.
    const ComplianceSettings* judge = timeAxis ? nullptr : compliance;
    if (judge)
        out.header += QStringLiteral("  ") + C[289];
    std::vector<double> covers;

    const MarkerMeasure measure(r, t);
    MarkerStatistics stats;
    double previous = 0;
    auto addLine = [&](const MarkerEntry& m) {
        const MarkerFigures p = measure(m);
        if (!p.ok) {
            out.ok = false;
            return false;
        }
        const double d = p.distance;
        const double depthValue = timeAxis ? p.timeNs : p.depthCm;
        MarkerListLine line;
        line.number = m.number;
        line.itemData = m.storage + 1;
        line.distance = d;
        line.depth = depthValue;
        const QString numberText = QStringLiteral("%1").arg(m.number, 3, 10, QLatin1Char('0'));
        line.text = field(numberText, 4);
        const QString dist = DistanceFigure(r, d);
        if (!dist.isEmpty()) {
            line.distanceField = dist + distUnit;
            line.text += field(line.distanceField, 10);
        }
        // The depth field is the figure alone (the header names the unit); the echo time
        // carries "ns".
        const QString depth =
            timeAxis ? TimeFigure(p.timeNs) + QStringLiteral("ns") : DepthFigure(r, p.depthCm);
        line.depthField = depth;
        line.text += field(depth, 10);
        const double step = stats.count() == 0 ? 0.0 : std::fabs(d - previous);
        const QString pitchText = DistanceFigure(r, step);
        if (!pitchText.isEmpty())
            line.text += field(pitchText + distUnit, 10);
        line.figures = {numberText, dist,
                        timeAxis ? TimeFigure(p.timeNs) : DepthFigure(r, p.depthCm), pitchText};
        if (judge) {
            const double coverMm = p.depthCm * 10;
            line.verdict = JudgeCover(coverMm, *judge);
            line.belowMinimum = BelowMinimum(coverMm, *judge);
            line.text += QStringLiteral("   ") + CoverVerdictText(*line.verdict, languageName);
            covers.push_back(coverMm);
        }
        stats.add(depthValue, step);
        previous = d;
        out.lines << line;
        return true;
    };

    if (!f940) {
        int used = 0;
        ForEachMarker730(r, [&](const MarkerEntry& m) {
            if (m.storage < currentMarker)
                ++used;
            return addLine(m);
        });
        out.selected = currentMarker > 0 ? used : 0;
    } else {
        const int g = group940 >= 0 && group940 < MarkGroups940
                          ? group940
                          : std::clamp<int>(r.MarkerGroup, 0, MarkGroups940 - 1);
        ForEachMark940(r, g, addLine);
        out.selected = static_cast<int>(out.lines.size());
    }

    // Statistics labels.
    out.labels[10] = QString::number(out.lines.size());
    out.labelSet[10] = true;
    out.labels[12] = depthCaption + QLatin1Char('(') + depthUnit + QLatin1Char(')');
    out.labels[13] = r.XScale != 0 ? C[99] + QStringLiteral("(s)")
                                   : pitchCaption + QLatin1Char('(') + distUnit + QLatin1Char(')');
    out.labelSet[12] = out.labelSet[13] = true;
    const MarkerStatistics::Texts texts = stats.texts(r);
    for (size_t i = 4; i <= 9; ++i) {
        out.labels[i] = texts.text[i];
        out.labelSet[i] = texts.set[i];
    }
    if (judge) {
        out.coverStatistics = SummarizeCovers(covers, *judge);
        out.complianceLines =
            ComplianceStatisticsLines(*out.coverStatistics, *judge, language, languageName);
    }
    return out;
}

} // namespace rebar
