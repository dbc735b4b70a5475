#include "platform/QtPrinting.h"

#include "platform/PrintLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace rebar {

void SetUpPrinter(QPrinter& printer, const PrintJob& job) {
    printer.setDocName(job.title);
    if (job.layout == PrintJob::SheetA4Landscape) {
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setFullPage(true); // the picture is placed on the sheet, from its corner
    } else {
        printer.setPageOrientation(PrintsPortrait(job.picture.size()) ? QPageLayout::Portrait
                                                                      : QPageLayout::Landscape);
        printer.setFullPage(false); // from the corner of the printable area
    }
}

PrintOutcome PrintPictureOn(QPrinter& printer, const PrintJob& job) {
    if (job.picture.isNull())
        return PrintOutcome::Failed;
    SetUpPrinter(printer, job);
    QRectF target;
    if (job.layout == PrintJob::SheetA4Landscape) {
        const QSizeF sheet = printer.paperRect(QPrinter::DevicePixel).size();
        target = QRectF(QPointF(0, 0), QSizeF(SheetPictureSize(job.picture.size(), sheet)));
    } else {
        const QSizeF printable = printer.pageRect(QPrinter::DevicePixel).size();
        target = QRectF(QPointF(0, 0), FittedPictureSize(QSizeF(job.picture.size()), printable));
    }
    if (target.isEmpty())
        return PrintOutcome::Failed;
    QPainter painter;
    if (!painter.begin(&printer))
        return PrintOutcome::Failed;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, job.picture);
    return painter.end() ? PrintOutcome::Printed : PrintOutcome::Failed;
}

} // namespace rebar
