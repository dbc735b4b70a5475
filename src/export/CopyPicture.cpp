#include "export/CopyPicture.h"

#include "data/Family.h"
#include "export/Composition.h"
#include "platform/Platform.h"
#include "view/MeasurementDocument.h"
#include "view/ViewFonts.h"

#include <QPainter>

namespace rebar {

namespace {

constexpr int D = CompositionAxisWidth;
constexpr int TextCell = 13;

template <class Family>
bool composeCopy(const MeasurementDocument& doc, const QDate& today, QImage& pics) {
    const MeasurementRecord& r = doc.record();
    const QImage& overlay = doc.images().OverlayImage;
    const QImage& axis = doc.depthAxis();
    if (r.Loaded != FlagTrue || !doc.context().complete() || overlay.isNull() || axis.isNull())
        return false;
    const Settings& s = *doc.context().settings;
    const LanguageTables& language = *doc.context().language;
    const std::optional<QString> title = SetTitleText2(r, language, s.SensPrint, s.UseModelPrint);
    if (!title)
        return false;

    // The strip and the display rows (the 730 overlay's last four rows stay out).
    const int H = 20 + Family::DisplayRows / (r.CoverMagnification != 0 ? 2 : 1);
    const bool wide = r.ViewRange >= 3 && r.ViewRange <= 5;
    const int N = r.TraceCount;
    const int width = wide ? N / 2 + D : (N < 201 ? 250 : N + D);
    pics = QImage(width, H + 60, QImage::Format_RGB32);
    if (pics.isNull())
        return false;
    pics.fill(Qt::white);
    QPainter p(&pics);
    p.drawImage(QPoint(0, 0), axis, QRect(0, 0, D, std::min(H, axis.height())));
    // The radargram as held: the W ranges' columns, else as far as the picture reaches.
    const int columns = wide ? N / 2 : width - D - 1;
    const int shown = std::min({columns, overlay.width(), doc.imageWidth()});
    if (shown > 0)
        p.drawImage(QPoint(D, 0), overlay, QRect(0, 0, shown, std::min(H, overlay.height())));

    p.setPen(QPen(Qt::black, 1));
    p.setFont(ArialCellFont(TextCell));
    auto text = [&](int y, const QString& t) {
        p.drawText(QRect(10, y, width, TextCell + 4), Qt::AlignLeft | Qt::AlignTop, t);
    };
    text(H + 3, *title);
    if (s.MeasurementDatePrint == 0)
        text(H + 22, MeasurementDateLine(language, RecordMeasureDate(r), r.DataNo));
    if (s.CreationDatePrint == 0)
        text(H + 41, CreationDateLine(language, today));
    p.drawLine(0, 20, width - 1, 20);
    p.drawLine(50, 20, 50, H - 4);
    p.drawLine(0, H, width - 1, H);
    return true;
}

template <class Family> int saveCopy(const MeasurementDocument& doc, QImage& pics) {
    if (!composeCopy<Family>(doc, QDate::currentDate(), pics))
        return 1;
    return platform().setClipboardImage(pics) ? 0 : 1;
}

} // namespace

bool ComposeCopyPicture730(const MeasurementDocument& doc, const QDate& today, QImage& pics) {
    return composeCopy<Family730>(doc, today, pics);
}

bool ComposeCopyPicture940(const MeasurementDocument& doc, const QDate& today, QImage& pics) {
    return composeCopy<Family940>(doc, today, pics);
}

int SaveCopy730(const MeasurementDocument& doc, QImage& pics) {
    return saveCopy<Family730>(doc, pics);
}

int SaveCopy940(const MeasurementDocument& doc, QImage& pics) {
    return saveCopy<Family940>(doc, pics);
}

} // namespace rebar
