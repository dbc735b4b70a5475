#include "report/ReportBatch.h"

#include "report/ReportDelivery.h"
#include "report/ReportModel.h"
#include "report/ReportWriters.h"
#include "view/MeasurementDocument.h"

#include <QDir>
#include <QImageReader>

namespace rebar {

namespace {

// Pictures above this many megabytes of pixels are refused rather than allocated.
constexpr int PictureAllocationLimitMb = 400;

} // namespace

int ReportBatchResult::failed() const {
    int n = 0;
    for (const auto* list : {&photos, &data})
        for (const ReportBatchFile& f : *list)
            n += !f.ok;
    return n;
}

QStringList ReportPhotoFiles(const QString& folder) {
    QStringList out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"),
                                              QStringLiteral("*.bmp"), QStringLiteral("*.png")},
                                             QDir::Files, QDir::Name | QDir::IgnoreCase))
        out << dir.absoluteFilePath(name);
    return out;
}

ReportBatchResult BuildReportFromFiles(const ReportLayout& layout, const QStringList& photos,
                                       const QStringList& data, const DocumentContext& ctx,
                                       const QString& out,
                                       const std::function<void(const QString&)>& progress) {
    ReportBatchResult result;
    ReportModel model;
    const bool japanese = ctx.settings && ctx.settings->Language.compare(QLatin1String("JP"),
                                                                         Qt::CaseInsensitive) == 0;
    model.Load(layout, japanese);

    for (const QString& path : photos) {
        ReportBatchFile f{path, false, {}};
        QImageReader reader(path);
        reader.setAutoTransform(true);
        reader.setAllocationLimit(PictureAllocationLimitMb);
        const QImage image = reader.read();
        if (image.isNull()) {
            f.reason = reader.errorString();
        } else {
            const int slot = model.PhotoSlotForDrop();
            if (slot < 0)
                f.reason = QStringLiteral("every photo slot holds a picture");
            else
                f.ok = model.LoadPhoto(slot, image);
        }
        result.photos.push_back(f);
        if (progress)
            progress(path);
    }

    auto taken = model.DataDropSnapshot();
    for (const QString& path : data) {
        ReportBatchFile f{path, false, {}};
        const int slot = model.DataSlotForDrop(taken);
        if (slot < 0) {
            f.reason = QStringLiteral("every data slot holds a picture");
        } else {
            ReportDelivery delivery;
            OpenResult opened;
            if (OpenReportDelivery(path, ctx, {}, delivery, opened, &f.reason))
                f.ok = model.Deliver(slot, delivery);
            if (!f.ok)
                model.SetSlotState(slot, SlotIdle);
        }
        result.data.push_back(f);
        if (progress)
            progress(path);
    }
    model.TakeOverDeliveries();

    const ReportSheet sheet = BuildReportSheet(model);
    result.pageCount = sheet.pageCount;
    const ReportWriteResult w = SaveReport(sheet, out);
    result.written = w.ok;
    result.reason = w.reason;
    return result;
}

} // namespace rebar
