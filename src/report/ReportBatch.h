#pragma once
// A report built without a window: the layout's slots filled in order with the photographs
// given and with the pictures and marker tables of the measurement files given (as dropping
// them on the designer would), then written as a workbook or a PDF.

#include "config/ReportLayout.h"
#include "view/DocumentContext.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace rebar {

struct ReportBatchFile {
    QString path;
    bool ok = false;
    QString reason; // why the file could not be placed
};

struct ReportBatchResult {
    bool written = false; // the report file was written
    QString reason;       // why it was not
    std::vector<ReportBatchFile> photos, data;
    int pageCount = 0;

    int failed() const;
};

// The picture files of a folder the designer takes (JPG, JPEG, BMP, PNG in any case), sorted by
// name.
QStringList ReportPhotoFiles(const QString& folder);

// Fills the report of layout (texts in the context's language) with photos and data files in
// order (slots are added as a drop adds them; files beyond the last slot are skipped with a
// reason) and writes it to out (.pdf: PDF, otherwise a workbook). progress, when set, hears each
// file as it is done.
ReportBatchResult BuildReportFromFiles(const ReportLayout& layout, const QStringList& photos,
                                       const QStringList& data, const DocumentContext& ctx,
                                       const QString& out,
                                       const std::function<void(const QString&)>& progress = {});

} // namespace rebar
