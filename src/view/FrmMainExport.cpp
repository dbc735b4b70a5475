// The view's exports that need the window: the copy command, the screen print and the
// measurement-data print, and the conversion of every open view into one folder.

#include "base/DateText.h"
#include "config/Program.h"
#include "export/Composition.h"
#include "export/Conversion.h"
#include "export/CopyPicture.h"
#include "export/frmJpeg.h"
#include "export/frmSaveFolder.h"
#include "platform/Platform.h"
#include "view/FrmMain.h"
#include "view/ViewHost.h"

#include <QApplication>
#include <QCursor>
#include <QMdiSubWindow>

namespace rebar {

frmJpeg* FrmMain::jpegDialog() const {
    return m_jpeg.data();
}

void FrmMain::JpegCommand() {
    if (m_jpeg) {
        m_jpeg->raise();
        m_jpeg->activateWindow();
        return;
    }
    m_jpeg = new frmJpeg(this);
    m_jpeg->setAttribute(Qt::WA_DeleteOnClose);
    m_jpeg->SetData(record().TraceCount, RecordMeasureDate(record()), QDate::currentDate(),
                    record().FileName);
    m_jpeg->show();
}

int FrmMain::JpegExport(const CompositionParams& p, int16_t PrintingForm, ExportOutcome* outcome) {
    const int result = SetJpgFileName(m_doc, p, PrintingForm, m_pics, outcome);
    if (outcome && outcome->dateChanged) {
        UpdateWindowCaption();
        SyncMenuStates();
    }
    return result;
}

int FrmMain::CopyCommand() {
    return record().is940() ? SaveCopy940(m_doc, m_pics) : SaveCopy730(m_doc, m_pics);
}

// A snapshot of the whole view window, frame and caption included, as large as the page
// allows.
PrintOutcome FrmMain::ScreenPrint() {
    QWidget* w = frameWindow();
    PrintJob job;
    job.picture = w->grab().toImage();
    job.layout = PrintJob::Fitted;
    job.title = record().FileName;
    return platform().printPicture(job);
}

// The composed picture with the A-mode panel, the cursor and the title line naming sensitivity
// and model, on an A4 sheet in landscape.
PrintOutcome FrmMain::DataPrint() {
    const QDate today = QDate::currentDate();
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
    if (!MakeJPG(m_doc, p, m_pics) && m_pics.isNull())
        return PrintOutcome::Failed; // nothing drawn at all: nothing to print
    PrintJob job;
    job.picture = m_pics;
    job.layout = PrintJob::SheetA4Landscape;
    job.title = record().FileName;
    return platform().printPicture(job);
}

void FrmMain::ConvertOpenViewsCommand() {
    Platform& ui = platform();
    static bool oneWorkbook = false; // the choice of the last run
    frmSaveFolder chooser(this, oneWorkbook);
    ui.runDialog(chooser);
    const QString folder = chooser.answer();
    if (folder.isEmpty())
        return;
    oneWorkbook = chooser.oneWorkbook();

    // The open views by slot; slot 0 is never used.
    std::vector<MeasurementDocument*> views(1, nullptr);
    const QList<FrmMain*> open = m_host ? m_host->OpenViews() : QList<FrmMain*>{this};
    for (FrmMain* v : open) {
        const int slot = std::max(v->tag(), 1);
        if (static_cast<int>(views.size()) <= slot)
            views.resize(static_cast<size_t>(slot) + 1, nullptr);
        views[static_cast<size_t>(slot)] = &v->document();
    }

    const ConversionOptions options =
        ConversionOptionsFrom(program().settings, folder, oneWorkbook, QDate::currentDate());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProgressDialog& bar = ui.progress();
    const BatchTexts texts = BatchConversionTexts(program().settings.Language);
    bar.setCaption(texts.caption);
    bar.setMessage(texts.message);
    bar.setPercent(0);
    bar.show();
    ui.processEvents();
    const BatchConversion run = ConvertOpenViews(
        views, options,
        [&](int percent) {
            bar.setPercent(percent);
            ui.processEvents();
        },
        [&](int, const FileConversion&) {});
    bar.close();
    QApplication::restoreOverrideCursor();

    // A new measurement date is not chosen here, but the captions follow every record.
    for (FrmMain* v : open)
        v->UpdateWindowCaption();
    if (!run.failure.workbookError.isEmpty())
        ui.messageBox(run.failure.workbookError, QString(), MsgIcon::Critical);
    if (!run.commonWorkbookError.isEmpty())
        ui.messageBox(run.commonWorkbookError, QString(), MsgIcon::Critical);
    if (run.AllOk)
        ui.messageBox(message(3), record().FilePath, MsgIcon::Information);
    else
        ui.messageBox(message(2) + (run.failure.reason.isEmpty()
                                        ? QString()
                                        : QStringLiteral("\r\n") + run.failure.reason),
                      record().FilePath, MsgIcon::Warning);
}

} // namespace rebar
