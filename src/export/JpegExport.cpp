#include "export/JpegExport.h"

#include "base/DateText.h"
#include "base/FileSave.h"
#include "base/PathNames.h"
#include "export/DataWorkbook.h"
#include "export/MarkerCsv.h"
#include "platform/Platform.h"
#include "view/MeasurementDocument.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

namespace rebar {

namespace {

bool encodeJpeg(const QImage& image, QByteArray& bytes, QString* error) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(JpegQuality);
    if (writer.write(image))
        return true;
    if (error)
        *error = writer.errorString();
    return false;
}

// The CSV and workbook writers of a family.
struct FamilyWriters {
    int (*csv)(const MeasurementDocument&, const QString&, int, int, int16_t, QString*);
    int (*workbook)(const MeasurementDocument&, const QImage&, const QString&, int, int, int16_t,
                    QString*);
    int (*append)(CommonWorkbook&, const MeasurementDocument&, const QImage&, const QString&, int,
                  int, int16_t, bool, bool, QString*);
};
constexpr FamilyWriters Writers730{WriteMarkerCsv730, WriteDataWorkbook730, AppendDataWorkbook730};
constexpr FamilyWriters Writers940{WriteMarkerCsv940, WriteDataWorkbook940, AppendDataWorkbook940};

bool failWith(ExportOutcome* outcome, const QString& reason) {
    if (outcome)
        outcome->reason = reason;
    return false;
}

// The workbook form: the run's common workbook, or a workbook of the view's own.
bool writeWorkbook(const MeasurementDocument& doc, const QImage& pics, const CompositionParams& p,
                   const QString& base, const ExportTarget& target, ExportRun& run,
                   const FamilyWriters& w, ExportOutcome* outcome) {
    QString error;
    bool ok = false;
    if (run.OneWorkbook && run.commonSink) {
        std::optional<WorkbookBlock> block =
            PrepareWorkbookBlock(doc, pics, p.StartTrace, p.EndTrace, p.DistanceFromFile, &error);
        ok = block && run.commonSink(std::move(*block), target.FirstFile, target.LastFile, &error);
        if (!block)
            error = WorkbookErrorText(error, 0);
    } else if (run.OneWorkbook && run.common) {
        ok = w.append(*run.common, doc, pics, base, p.StartTrace, p.EndTrace, p.DistanceFromFile,
                      target.FirstFile, target.LastFile, &error) == 0;
    } else {
        ok = w.workbook(doc, pics, base, p.StartTrace, p.EndTrace, p.DistanceFromFile, &error) == 0;
        if (ok && outcome)
            outcome->written << base + QStringLiteral(".xlsx");
    }
    if (!ok && outcome) {
        outcome->workbookError = error;
        // The description is the second line of the text for the user.
        const QStringList lines = error.split(QStringLiteral("\r\n"));
        outcome->reason = QStringLiteral("workbook: ") + (lines.size() > 1 ? lines[1] : error);
    }
    return ok;
}

bool saveJpgFile(MeasurementDocument& doc, const QImage& pics, const CompositionParams& p,
                 const ExportTarget& target, ExportRun& run, const FamilyWriters& w,
                 ExportOutcome* outcome) {
    MeasurementRecord& r = doc.record();
    const QString name =
        target.Name == QLatin1String("def") ? DefaultExportName(r.FileName) : target.Name;
    const QString folder = target.Folder == QLatin1String("def")
                               ? QFileInfo(r.FilePath).absolutePath()
                               : target.Folder;
    const QString base = joinPath(folder, name);

    if (target.PrintingForm != FormWorkbook) {
        const QString jpg = base + QStringLiteral(".jpg");
        QString error;
        if (!WriteJpeg(pics, jpg, &error))
            return failWith(outcome, error);
        if (outcome)
            outcome->written << jpg;
    }
    if (target.PrintingForm == FormJpegCsv && !doc.markerList().lines.isEmpty()) {
        const QString csv = base + QStringLiteral(".csv");
        QString error;
        if (w.csv(doc, csv, p.StartTrace, p.EndTrace, p.DistanceFromFile, &error) != 0)
            return failWith(outcome, QStringLiteral("CSV: ") + error);
        if (outcome)
            outcome->written << csv;
    }
    if (target.PrintingForm == FormWorkbook &&
        !writeWorkbook(doc, pics, p, base, target, run, w, outcome))
        return false;

    // A measurement date chosen for the export becomes the record's.
    if (p.MeasurementDate.isValid() && RecordMeasureDate(r) != p.MeasurementDate) {
        r.MeasureDate = ShortDateText(p.MeasurementDate);
        r.Modified = FlagTrue;
        if (outcome)
            outcome->dateChanged = true;
    }
    return true;
}

// The extension of a chosen export name, by output form.
bool hasExtension(const QString& name, const QString& ext) {
    return name.endsWith(ext, Qt::CaseInsensitive) && name.size() > ext.size();
}

QString stripExportExtension(const QString& name) {
    for (const char* ext : {".xlsx", ".jpg", ".csv", ".xls"})
        if (hasExtension(name, QLatin1String(ext)))
            return name.left(name.size() - static_cast<qsizetype>(qstrlen(ext)));
    return name;
}

} // namespace

bool WriteJpeg(const QImage& image, const QString& path, QString* error) {
    QString why;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QByteArray bytes;
        if (!encodeJpeg(image, bytes, &why))
            continue;
        const QByteArrayView parts[] = {QByteArrayView(bytes)};
        const FileSaveOutcome saved = SaveFileBytes(path, parts);
        if (saved.ok)
            return true;
        why = saved.reason;
    }
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
    return false;
}

QString DefaultExportName(const QString& fileName) {
    const QString f = fileNamePart(fileName);
    if (f.size() > 4 && f[f.size() - 4] == QLatin1Char('.'))
        return f.left(f.size() - 4) + QLatin1Char('_') + f.right(3);
    return f;
}

bool SaveJPGFile730(MeasurementDocument& doc, const QImage& pics, const CompositionParams& p,
                    const ExportTarget& target, ExportRun& run, ExportOutcome* outcome) {
    return saveJpgFile(doc, pics, p, target, run, Writers730, outcome);
}

bool SaveJPGFile940(MeasurementDocument& doc, const QImage& pics, const CompositionParams& p,
                    const ExportTarget& target, ExportRun& run, ExportOutcome* outcome) {
    return saveJpgFile(doc, pics, p, target, run, Writers940, outcome);
}

bool SaveJPG(MeasurementDocument& doc, CompositionParams p, const ExportTarget& target,
             ExportRun& run, QImage& pics, ExportOutcome* outcome) {
    p.TitlePrint = 0;
    if (!MakeJPG(doc, p, pics))
        return failWith(outcome, QStringLiteral("the picture could not be composed"));
    return doc.record().is940() ? SaveJPGFile940(doc, pics, p, target, run, outcome)
                                : SaveJPGFile730(doc, pics, p, target, run, outcome);
}

int SetJpgFileName(MeasurementDocument& doc, const CompositionParams& params, int16_t PrintingForm,
                   QImage& pics, ExportOutcome* outcome) {
    const MeasurementRecord& r = doc.record();
    Platform& ui = platform();
    const QString title = QStringLiteral("Save JPEG") + QString::fromUtf8("【") + r.FileName +
                          QString::fromUtf8("】");
    QList<FileFilter> filters;
    QString suffix;
    if (PrintingForm == FormJpegCsv) {
        filters = {{QStringLiteral("(*.jpg;*.csv)"), QStringLiteral("*.jpg;*.csv")}};
        suffix = QStringLiteral("jpg");
    } else if (PrintingForm == FormWorkbook) {
        filters = {{QStringLiteral("(*.xlsx)"), QStringLiteral("*.xlsx")}};
        suffix = QStringLiteral("xlsx");
    } else {
        filters = {{QStringLiteral("(*.jpg)"), QStringLiteral("*.jpg")}};
        suffix = QStringLiteral("jpg");
    }
    const QString proposal = joinPath(QFileInfo(r.FilePath).absolutePath(),
                                      DefaultExportName(r.FileName) + QLatin1Char('.') + suffix);
    const std::optional<QString> chosen = ui.chooseSaveFile(title, filters, proposal, suffix);
    if (!chosen)
        return 2;
    if (chosen->trimmed().isEmpty())
        return 1;
    const QFileInfo info(*chosen);
    const QString folder = info.absolutePath();
    const QString name = stripExportExtension(info.fileName());
    if (name.isEmpty())
        return 1;
    const QString base = joinPath(folder, name);

    // The outputs of this name are replaced: the chooser asked about the file it names; a CSV
    // beside a JPEG is asked about here.
    if (PrintingForm == FormWorkbook) {
        QFile::remove(base + QStringLiteral(".xlsx"));
    } else {
        QFile::remove(base + QStringLiteral(".jpg"));
        const QString csv = base + QStringLiteral(".csv");
        if (PrintingForm == FormJpegCsv && QFileInfo::exists(csv)) {
            const LanguageTables& language = *doc.context().language;
            const MsgAnswer a =
                ui.messageBox(QDir::toNativeSeparators(csv) + language.Messages[7] +
                                  QStringLiteral("\r\n") + language.Messages[8],
                              title, MsgIcon::Warning, MsgButtons::YesNo, MsgAnswer::No);
            if (a != MsgAnswer::Yes)
                return failWith(outcome, QStringLiteral("the CSV file was kept")), 1;
            QFile::remove(csv);
        }
    }

    CompositionParams p = params;
    p.TitlePrint = 0;
    if (!MakeJPG(doc, p, pics))
        return failWith(outcome, QStringLiteral("the picture could not be composed")), 1;
    ExportTarget target;
    target.PrintingForm = PrintingForm;
    target.Folder = folder;
    target.Name = name;
    target.FirstFile = true;
    target.LastFile = false;
    ExportRun run; // a single view writes its own workbook
    const bool ok = r.is940() ? SaveJPGFile940(doc, pics, p, target, run, outcome)
                              : SaveJPGFile730(doc, pics, p, target, run, outcome);
    return ok ? 0 : 1;
}

} // namespace rebar
