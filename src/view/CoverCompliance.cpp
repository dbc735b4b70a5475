#include "view/CoverCompliance.h"

#include "base/FileSave.h"
#include "config/IniStore.h"
#include "config/LanguageTables.h"
#include "config/Settings.h"
#include "view/CursorPosition.h"
#include "view/MarkerFigures.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>
#include <cmath>

namespace rebar {

namespace {

// Covers are compared on a 0.001 mm grid so that a cover computed as 24.999999999 is the
// 25 mm the list shows, not a bar just below the tolerance.
constexpr double CompareSlack = 1e-6;

struct SettingField {
    const char* key;
    double ComplianceSettings::*field;
    const char* english;
    const char* japanese;
    double lo, hi;
};

const std::array<SettingField, 4> Fields = {{
    {"DesignCover", &ComplianceSettings::DesignCover, "Design cover", "設計かぶり",
     ComplianceLimits::CoverMin, ComplianceLimits::CoverMax},
    {"DeviationBelow", &ComplianceSettings::DeviationBelow, "Allowed deviation below",
     "許容差（マイナス側）", 0, ComplianceLimits::DeviationMax},
    {"DeviationAbove", &ComplianceSettings::DeviationAbove, "Allowed deviation above",
     "許容差（プラス側）", 0, ComplianceLimits::DeviationMax},
    {"MinimumCover", &ComplianceSettings::MinimumCover, "Minimum cover", "最小かぶり",
     ComplianceLimits::CoverMin, ComplianceLimits::CoverMax},
}};

QString mm(double v) {
    return FormatFixed(v, 1);
}

const char SidecarSection[] = "Cover";

bool isJapanese(const QString& language) {
    return language.compare(QLatin1String("JP"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString CheckComplianceSettings(const ComplianceSettings& s, const QString& language) {
    const bool jp = isJapanese(language);
    for (size_t i = 0; i < Fields.size(); ++i) {
        const SettingField& f = Fields[i];
        const double v = s.*f.field;
        if (!std::isfinite(v) || v < f.lo || v > f.hi)
            return (jp ? QString::fromUtf8("%1: %2 mm は %3～%4 mm の範囲外です")
                       : QStringLiteral("%1: %2 mm is outside %3 to %4 mm"))
                .arg(ComplianceSettingName(static_cast<int>(i), language),
                     std::isfinite(v) ? mm(v) : QString::number(v), mm(f.lo), mm(f.hi));
    }
    if (s.MinimumCover > s.DesignCover)
        return (jp ? QString::fromUtf8("%1: %2 mm が設計かぶり %3 mm を超えています")
                   : QStringLiteral("%1: %2 mm is above the design cover of %3 mm"))
            .arg(ComplianceSettingName(3, language), mm(s.MinimumCover), mm(s.DesignCover));
    if (s.DesignCover - s.DeviationBelow < 0)
        return (jp ? QString::fromUtf8("%1: %2 mm が設計かぶり %3 mm を超えています")
                   : QStringLiteral("%1: %2 mm is more than the design cover of %3 mm"))
            .arg(ComplianceSettingName(1, language), mm(s.DeviationBelow), mm(s.DesignCover));
    return {};
}

QString ComplianceSettingName(int i, const QString& language) {
    if (i < 0 || i >= static_cast<int>(Fields.size()))
        return {};
    const SettingField& f = Fields[static_cast<size_t>(i)];
    return isJapanese(language) ? QString::fromUtf8(f.japanese) : QLatin1String(f.english);
}

std::optional<ComplianceSettings> ParseComplianceTexts(const std::array<QString, 4>& texts,
                                                       const QString& language, QString* problem) {
    ComplianceSettings s;
    for (size_t i = 0; i < Fields.size(); ++i) {
        QString t = texts[i].trimmed();
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v)) {
            if (problem)
                *problem =
                    (isJapanese(language) ? QString::fromUtf8("%1: 「%2」は数値ではありません")
                                          : QStringLiteral("%1: \"%2\" is not a number"))
                        .arg(ComplianceSettingName(static_cast<int>(i), language),
                             texts[i].trimmed());
            return std::nullopt;
        }
        s.*Fields[i].field = v;
    }
    return s;
}

std::array<QString, 4> ComplianceTexts(const ComplianceSettings& s) {
    std::array<QString, 4> out;
    for (size_t i = 0; i < Fields.size(); ++i)
        out[i] = mm(s.*Fields[i].field);
    return out;
}

ComplianceSettings ComplianceDefaults(const Settings& settings) {
    ComplianceSettings s;
    s.DesignCover = settings.DesignCover;
    s.DeviationBelow = settings.CoverDeviationBelow;
    s.DeviationAbove = settings.CoverDeviationAbove;
    s.MinimumCover = settings.MinimumCover;
    // Defaults that contradict each other (a minimum above the design) fall back as a set.
    if (!CheckComplianceSettings(s).isEmpty())
        return ComplianceSettings{};
    return s;
}

CoverVerdict JudgeCover(double coverMm, const ComplianceSettings& s) {
    if (coverMm < s.DesignCover - s.DeviationBelow - CompareSlack)
        return CoverVerdict::Below;
    if (coverMm > s.DesignCover + s.DeviationAbove + CompareSlack)
        return CoverVerdict::Above;
    return CoverVerdict::Within;
}

bool BelowMinimum(double coverMm, const ComplianceSettings& s) {
    return coverMm < s.MinimumCover - CompareSlack;
}

double CoverStatistics::decidingQuantile() const {
    return quantile5Empirical ? std::min(quantile5Normal, *quantile5Empirical) : quantile5Normal;
}

CoverStatistics SummarizeCovers(std::span<const double> coversMm, const ComplianceSettings& s) {
    CoverStatistics st;
    st.count = static_cast<int>(coversMm.size());
    if (st.count == 0)
        return st;
    double sum = 0;
    st.minimum = coversMm.front();
    st.maximum = coversMm.front();
    for (double c : coversMm) {
        sum += c;
        st.minimum = std::min(st.minimum, c);
        st.maximum = std::max(st.maximum, c);
        switch (JudgeCover(c, s)) {
        case CoverVerdict::Within:
            ++st.within;
            break;
        case CoverVerdict::Below:
            ++st.below;
            break;
        case CoverVerdict::Above:
            ++st.above;
            break;
        }
        if (BelowMinimum(c, s))
            ++st.belowMinimum;
    }
    st.mean = sum / st.count;
    st.shareBelowMinimum = static_cast<double>(st.belowMinimum) / st.count;
    if (st.count < 2) {
        st.quantile5Normal = st.mean;
        return st; // TooFew: no spread, no verdict
    }
    double squares = 0;
    for (double c : coversMm)
        squares += (c - st.mean) * (c - st.mean);
    st.standardDeviation = std::sqrt(squares / (st.count - 1));
    st.quantile5Normal = st.mean - 1.645 * st.standardDeviation;
    if (st.count >= 20) {
        std::vector<double> sorted(coversMm.begin(), coversMm.end());
        std::sort(sorted.begin(), sorted.end());
        const double rank = 0.05 * (st.count - 1);
        const auto lower = static_cast<size_t>(std::floor(rank));
        const double frac = rank - static_cast<double>(lower);
        const double upper = lower + 1 < sorted.size() ? sorted[lower + 1] : sorted[lower];
        st.quantile5Empirical = sorted[lower] + frac * (upper - sorted[lower]);
    }
    st.verdict = st.decidingQuantile() >= s.MinimumCover - CompareSlack ? ComplianceVerdict::Pass
                                                                        : ComplianceVerdict::Fail;
    return st;
}

std::vector<MarkerCover> MarkerCoversOf(const MeasurementRecord& r, const CalibrationTables& t) {
    std::vector<MarkerCover> out;
    if (r.Permittivity <= 0)
        return out;
    // Distances count as the marker list counts them: from the file's start, no origin column.
    const MarkerMeasure measure(r, t);
    ForEachShownMarker(r, [&](const MarkerEntry& m) {
        const MarkerFigures f = measure(m);
        if (f.ok)
            out.push_back({m.number, f.distance, f.depthCm * 10});
    });
    return out;
}

QString MarkerCoverDistanceUnit(const MeasurementRecord& r) {
    return r.XScale != 0 ? QStringLiteral("s") : QStringLiteral("m");
}

QString CoverVerdictText(CoverVerdict v, const QString& language) {
    const bool jp = isJapanese(language);
    switch (v) {
    case CoverVerdict::Within:
        return jp ? QString::fromUtf8("許容内") : QStringLiteral("within");
    case CoverVerdict::Below:
        return jp ? QString::fromUtf8("不足") : QStringLiteral("below");
    case CoverVerdict::Above:
        return jp ? QString::fromUtf8("過大") : QStringLiteral("above");
    }
    return {};
}

QString ComplianceVerdictText(ComplianceVerdict v, const QString& language) {
    const bool jp = isJapanese(language);
    switch (v) {
    case ComplianceVerdict::Pass:
        return jp ? QString::fromUtf8("合格") : QStringLiteral("pass");
    case ComplianceVerdict::Fail:
        return jp ? QString::fromUtf8("不合格") : QStringLiteral("fail");
    case ComplianceVerdict::TooFew:
        return jp ? QString::fromUtf8("判定不可（2本未満）") : QStringLiteral("too few bars");
    }
    return {};
}

QStringList ComplianceStatisticsLines(const CoverStatistics& st, const ComplianceSettings& s,
                                      const LanguageTables& captions, const QString& language) {
    const auto& C = captions.Captions;
    const QString unit = QStringLiteral(" mm");
    QStringList lines;
    lines << QStringLiteral("%1: %2").arg(C[290], ComplianceVerdictText(st.verdict, language));
    lines << QStringLiteral("%1 %2 -%3 +%4%5")
                 .arg(C[298], mm(s.DesignCover), mm(s.DeviationBelow), mm(s.DeviationAbove), unit);
    lines << QStringLiteral("%1 %2%3").arg(C[299], mm(s.MinimumCover), unit);
    lines << QStringLiteral("%1 %2   %3 %4%5")
                 .arg(C[291], QString::number(st.count), C[292], mm(st.mean), unit);
    lines << QStringLiteral("%1 %2%3   %4 %5%3")
                 .arg(C[293], mm(st.standardDeviation), unit, C[294], mm(st.minimum));
    QString q = QStringLiteral("%1 %2%3").arg(C[295], mm(st.quantile5Normal), unit);
    if (st.quantile5Empirical)
        q += QStringLiteral("  (%1 %2%3)").arg(C[296], mm(*st.quantile5Empirical), unit);
    lines << q;
    lines << QStringLiteral("%1 %2 (%3 %)")
                 .arg(C[297], QString::number(st.belowMinimum),
                      FormatFixed(100 * st.shareBelowMinimum, 1));
    return lines;
}

QString ComplianceSidecarPath(const QString& measurementPath) {
    return measurementPath + QStringLiteral(".cover.ini");
}

SidecarRead ReadComplianceSidecar(const QString& measurementPath,
                                  const ComplianceSettings& defaults) {
    SidecarRead out;
    out.settings = defaults;
    const QString path = ComplianceSidecarPath(measurementPath);
    if (!QFileInfo::exists(path))
        return out;
    const IniSnapshot ini(path);
    if (ini.unreadable()) {
        out.note =
            QStringLiteral("%1 cannot be read; the default cover settings are used").arg(path);
        return out;
    }
    ComplianceSettings read;
    for (const SettingField& f : Fields) {
        const std::optional<QString> text =
            ini.value(QLatin1String(SidecarSection), QLatin1String(f.key));
        bool ok = false;
        const double v = text ? text->trimmed().toDouble(&ok) : 0;
        if (!text || !ok) {
            out.note = QStringLiteral("%1: %2 %3; the default cover settings are used")
                           .arg(path, QLatin1String(f.key),
                                text ? QStringLiteral("is not a number (\"%1\")").arg(*text)
                                     : QStringLiteral("is missing"));
            return out;
        }
        read.*f.field = v;
    }
    const QString problem = CheckComplianceSettings(read);
    if (!problem.isEmpty()) {
        out.note = QStringLiteral("%1: %2; the default cover settings are used").arg(path, problem);
        return out;
    }
    out.settings = read;
    out.found = true;
    return out;
}

bool WriteComplianceSidecar(const QString& measurementPath, const ComplianceSettings& s,
                            QString* error) {
    const QString problem = CheckComplianceSettings(s);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    QByteArray text = QByteArrayLiteral("[Cover]\r\n");
    for (const SettingField& f : Fields)
        text += QByteArray(f.key) + '=' + mm(s.*f.field).toLatin1() + "\r\n";
    const QByteArrayView parts[] = {text};
    const FileSaveOutcome saved = SaveFileBytes(ComplianceSidecarPath(measurementPath), parts);
    if (!saved.ok && error)
        *error = saved.reason;
    return saved.ok;
}

namespace {

std::vector<double> coversOf(std::span<const MarkerCover> markers) {
    std::vector<double> covers;
    covers.reserve(markers.size());
    for (const MarkerCover& m : markers)
        covers.push_back(m.coverMm);
    return covers;
}

} // namespace

QByteArray ComplianceCsv(std::span<const MarkerCover> markers, const ComplianceSettings& s,
                         const QString& distanceUnit) {
    const std::vector<double> covers = coversOf(markers);
    const CoverStatistics st = SummarizeCovers(covers, s);
    QString out =
        QStringLiteral("No,Distance(%1),Cover(mm),Verdict,BelowMinimum\r\n").arg(distanceUnit);
    for (const MarkerCover& m : markers)
        out += QStringLiteral("%1,%2,%3,%4,%5\r\n")
                   .arg(m.number, 3, 10, QLatin1Char('0'))
                   .arg(FormatFixed(m.distance, 4), mm(m.coverMm),
                        CoverVerdictText(JudgeCover(m.coverMm, s), QStringLiteral("EN")),
                        BelowMinimum(m.coverMm, s) ? QStringLiteral("yes") : QStringLiteral("no"));
    out += QStringLiteral("Summary,count=%1,mean=%2,sd=%3,min=%4,q5normal=%5,q5empirical=%6,"
                          "belowMinimum=%7%,verdict=%8,design=%9")
               .arg(st.count)
               .arg(mm(st.mean), mm(st.standardDeviation), mm(st.minimum), mm(st.quantile5Normal),
                    st.quantile5Empirical ? mm(*st.quantile5Empirical) : QString(),
                    FormatFixed(100 * st.shareBelowMinimum, 1),
                    ComplianceVerdictText(st.verdict, QStringLiteral("EN")))
               .arg(QStringLiteral("%1-%2+%3/min%4")
                        .arg(mm(s.DesignCover), mm(s.DeviationBelow), mm(s.DeviationAbove),
                             mm(s.MinimumCover)));
    out += QStringLiteral("\r\n");
    return out.toUtf8();
}

QByteArray ComplianceJson(std::span<const MarkerCover> markers, const ComplianceSettings& s) {
    const std::vector<double> covers = coversOf(markers);
    const CoverStatistics st = SummarizeCovers(covers, s);
    QJsonObject settings{{QStringLiteral("designCoverMm"), s.DesignCover},
                         {QStringLiteral("deviationBelowMm"), s.DeviationBelow},
                         {QStringLiteral("deviationAboveMm"), s.DeviationAbove},
                         {QStringLiteral("minimumCoverMm"), s.MinimumCover}};
    QJsonArray list;
    for (const MarkerCover& m : markers)
        list.append(QJsonObject{{QStringLiteral("number"), m.number},
                                {QStringLiteral("distance"), m.distance},
                                {QStringLiteral("coverMm"), m.coverMm},
                                {QStringLiteral("verdict"),
                                 CoverVerdictText(JudgeCover(m.coverMm, s), QStringLiteral("EN"))},
                                {QStringLiteral("belowMinimum"), BelowMinimum(m.coverMm, s)}});
    QJsonObject stats{{QStringLiteral("count"), st.count},
                      {QStringLiteral("meanMm"), st.mean},
                      {QStringLiteral("standardDeviationMm"), st.standardDeviation},
                      {QStringLiteral("minimumMm"), st.minimum},
                      {QStringLiteral("maximumMm"), st.maximum},
                      {QStringLiteral("quantile5NormalMm"), st.quantile5Normal},
                      {QStringLiteral("quantile5EmpiricalMm"),
                       st.quantile5Empirical ? QJsonValue(*st.quantile5Empirical) : QJsonValue()},
                      {QStringLiteral("within"), st.within},
                      {QStringLiteral("below"), st.below},
                      {QStringLiteral("above"), st.above},
                      {QStringLiteral("belowMinimum"), st.belowMinimum},
                      {QStringLiteral("shareBelowMinimum"), st.shareBelowMinimum}};
    QJsonObject root{
        {QStringLiteral("settings"), settings},
        {QStringLiteral("markers"), list},
        {QStringLiteral("statistics"), stats},
        {QStringLiteral("verdict"), ComplianceVerdictText(st.verdict, QStringLiteral("EN"))}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace rebar
