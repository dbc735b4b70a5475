#include "export/ViewExports.h"

#include "export/Composition.h"
#include "export/CopyPicture.h"
#include "view/MeasurementDocument.h"

namespace rebar {

int CopyViewPicture(const MeasurementDocument& doc, QImage& pics) {
    return doc.record().is940() ? SaveCopy940(doc, pics) : SaveCopy730(doc, pics);
}

PrintOutcome PrintViewSnapshot(const QImage& snapshot, const QString& title, Platform& ui) {
    PrintJob job;
    job.picture = snapshot;
    job.layout = PrintJob::Fitted;
    job.title = title;
    return ui.printPicture(job);
}

PrintOutcome PrintMeasurementData(const MeasurementDocument& doc, const QDate& today, QImage& pics,
                                  Platform& ui) {
    CompositionParams p;
    p.AModePrint = 0;
    p.StartTrace = 1;
    p.EndTrace = 0;
    p.DistanceFromFile = 1;
    p.MeasurementDatePrint = 1;
    p.MeasurementDate = today;
    p.CreationDatePrint = 1;
    p.CreationDate = today;
    p.CrossCursorPrint = 0;
    p.SensPrint = 0;
    p.UseModelPrint = 0;
    p.TitlePrint = 0;
    if (!MakeJPG(doc, p, pics) && pics.isNull())
        return PrintOutcome::Failed; // nothing drawn at all: nothing to print
    PrintJob job;
    job.picture = pics;
    job.layout = PrintJob::SheetA4Landscape;
    job.title = doc.record().FileName;
    return ui.printPicture(job);
}

BatchConversion ConvertViewsWithProgress(const std::vector<MeasurementDocument*>& views,
                                         const ConversionOptions& options, const QString& language,
                                         Platform& ui) {
    const BatchTexts texts = BatchConversionTexts(language);
    ProgressDialog& bar = ShowProgress(ui, texts.caption, texts.message);
    const BatchConversion run =
        ConvertOpenViews(views, options, ProgressOf(ui), [&](int, const FileConversion&) {});
    bar.close();
    return run;
}

void ReportViewsConversion(const BatchConversion& run, const QString& title,
                           const LanguageTables& language, Platform& ui) {
    const auto& M = language.Messages;
    if (!run.failure.workbookError.isEmpty())
        ui.messageBox(run.failure.workbookError, QString(), MsgIcon::Critical);
    if (!run.commonWorkbookError.isEmpty())
        ui.messageBox(run.commonWorkbookError, QString(), MsgIcon::Critical);
    if (run.AllOk)
        ui.messageBox(M[3], title, MsgIcon::Information);
    else
        ui.messageBox(M[2] + (run.failure.reason.isEmpty()
                                  ? QString()
                                  : QStringLiteral("\r\n") + run.failure.reason),
                      title, MsgIcon::Warning);
}

} // namespace rebar
