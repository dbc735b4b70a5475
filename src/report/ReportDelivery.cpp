#include "report/ReportDelivery.h"

#include "base/DateText.h"
#include "export/Composition.h"
#include "view/CursorPosition.h"
#include "view/MeasurementDocument.h"

namespace rebar {

namespace {

// Comment n (1..4) of a ZVX header: UTF-8 in a fixed field padded with blanks.
QString zvxComment(const ZvxHeader& h, int n) {
    static const int offsets[] = {ZvxHeader::OffComment1, ZvxHeader::OffComment2,
                                  ZvxHeader::OffComment3, ZvxHeader::OffComment4};
    static const int lengths[] = {ZvxHeader::LenComment1, ZvxHeader::LenComment2,
                                  ZvxHeader::LenComment3, ZvxHeader::LenComment4};
    QString text = QString::fromUtf8(h.text(offsets[n - 1], lengths[n - 1]));
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString captionAt(const LanguageTables& l, int i) {
    return i >= 0 && i < static_cast<int>(l.Captions.size()) ? l.Captions[static_cast<size_t>(i)]
                                                             : QString();
}

} // namespace

QImage ComposeReportDataImage(const MeasurementDocument& doc, QString* error) {
    // The whole file with the view's distance strip; the A-mode panel as the settings print it;
    // no title, date lines or cursor cross.
    CompositionParams p = PrintProcParams(*doc.context().settings, QDate::currentDate());
    p.StartTrace = 1;
    p.EndTrace = 0;
    p.DistanceFromFile = 1;
    p.MeasurementDatePrint = 1;
    p.CreationDatePrint = 1;
    p.CrossCursorPrint = 1;
    p.SensPrint = 1;
    p.UseModelPrint = 1;
    p.TitlePrint = 1;
    QImage pics;
    const bool ok = doc.record().is940() ? MakeJPG940(doc, p, pics) : MakeJPG730(doc, p, pics);
    if (!ok || pics.isNull()) {
        if (error)
            *error = QStringLiteral("the picture of the measurement could not be composed");
        return {};
    }
    return pics;
}

std::array<std::optional<QString>, 9> ReportHeaderTexts(const MeasurementDocument& doc) {
    const MeasurementRecord& r = doc.record();
    const LanguageTables& lang = *doc.context().language;
    const bool jp =
        doc.context().settings->Language.compare(QLatin1String("JP"), Qt::CaseInsensitive) == 0;
    auto t = [jp](const char* japanese, const char* english) {
        return QString::fromUtf8(jp ? japanese : english);
    };
    std::array<std::optional<QString>, 9> h;
    if (r.FileKind == KindZvx4) {
        const struct {
            int item, comment;
            const char *jp, *en;
        } fields[] = {{0, 1, "会社名：", "CompanyName:"},
                      {2, 2, "現場名：", "Site name:"},
                      {4, 3, "測定者：", "Measurer:"},
                      {5, 4, "測定位置：", "Position:"}};
        for (const auto& f : fields) {
            const QString comment = zvxComment(r.Zvx, f.comment);
            if (!comment.isEmpty())
                h[static_cast<size_t>(f.item)] = t(f.jp, f.en) + comment;
        }
    }
    h[6] = t("使用機器：", "Equipment：") +
           (r.is940() ? QStringLiteral("QTX-940") : QStringLiteral("QTX-730"));
    const QDate date = ParseDateText(r.MeasureDate);
    h[3] = t("測定日：", "Date:") + (date.isValid() ? ShortDateText(date) : r.MeasureDate);
    auto group = [&lang](int name, const QString& value) {
        return QStringLiteral("  [") + captionAt(lang, name) + QStringLiteral(" : ") + value +
               QLatin1Char(']');
    };
    const QString process =
        captionAt(lang, r.ProcCode + 114) + (r.PeakFlag == 1 ? captionAt(lang, 121) : QString());
    h[7] = t("測定設定：", "Setting：") +
           group(123, captionAt(lang, r.GainMode * 7 + r.Gain + 22)) + group(124, process) +
           group(4, captionAt(lang, r.ViewRange + 81));
    return h;
}

std::vector<ComplianceFigure> ComplianceFigures(const CoverStatistics& st,
                                                const ComplianceSettings& s,
                                                const LanguageTables& captions,
                                                const QString& language) {
    const auto& C = captions.Captions;
    auto mm = [](double v) { return FormatFixed(v, 1) + QStringLiteral(" mm"); };
    std::vector<ComplianceFigure> out{
        {C[290], ComplianceVerdictText(st.verdict, language)},
        {C[298], QStringLiteral("%1 -%2 +%3 mm")
                     .arg(FormatFixed(s.DesignCover, 1), FormatFixed(s.DeviationBelow, 1),
                          FormatFixed(s.DeviationAbove, 1))},
        {C[299], mm(s.MinimumCover)},
        {C[291], QString::number(st.count)},
        {C[292], mm(st.mean)},
        {C[293], mm(st.standardDeviation)},
        {C[294], mm(st.minimum)},
        {C[295], mm(st.quantile5Normal)}};
    if (st.quantile5Empirical)
        out.push_back({C[296], mm(*st.quantile5Empirical)});
    out.push_back({C[297], QStringLiteral("%1 (%2 %)")
                               .arg(QString::number(st.belowMinimum),
                                    FormatFixed(100 * st.shareBelowMinimum, 1))});
    return out;
}

bool MakeReportDelivery(const MeasurementDocument& doc, ReportDelivery& out, QString* error) {
    ReportDelivery d;
    d.image = ComposeReportDataImage(doc, error);
    if (d.image.isNull())
        return false;
    const DocumentContext& ctx = doc.context();
    if (!BuildReportMarkerGrids(doc.record(), *ctx.tables, *ctx.language, d.grids)) {
        if (error)
            *error = QStringLiteral("a marker position could not be converted");
        return false;
    }
    d.family = doc.record().is940() ? 940 : 730;
    d.header = ReportHeaderTexts(doc);
    d.title = doc.record().FileName;
    const std::vector<MarkerCover> covers = MarkerCoversOf(doc.record(), *ctx.tables);
    if (!covers.empty()) {
        std::vector<double> mm;
        for (const MarkerCover& c : covers)
            mm.push_back(c.coverMm);
        d.compliance = ComplianceFigures(SummarizeCovers(mm, doc.compliance()), doc.compliance(),
                                         *ctx.language, doc.languageName());
    }
    out = std::move(d);
    return true;
}

bool OpenReportDelivery(const QString& path, const DocumentContext& ctx,
                        const LoadFeedback& feedback, ReportDelivery& out, OpenResult& opened,
                        QString* error) {
    MeasurementDocument doc;
    DocumentContext c = ctx;
    c.OpenForReport = -1;
    opened = doc.Open(path, c, feedback);
    if (!opened) {
        if (error)
            *error = opened.reason.isEmpty() ? opened.stage : opened.reason;
        return false;
    }
    return MakeReportDelivery(doc, out, error);
}

} // namespace rebar
