#pragma once
// Turning a document's composed picture into files: the JPEG (quality 90) and, by the output
// form, the marker CSV beside it or a data workbook instead. SaveJPG is what the conversions call
// for every file; SetJpgFileName is the single-view export behind the JPEG dialog, which asks for
// the file name first.

#include "export/Composition.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace rebar {

class MeasurementDocument;
class CommonWorkbook;
struct WorkbookBlock;

// The output form (PrintingForm).
enum PrintingFormCode : int16_t {
    FormJpegCsv = 0,  // Name.jpg, and Name.csv when the view has markers
    FormWorkbook = 1, // a workbook only
    FormJpeg = 2,     // Name.jpg only
};

constexpr int JpegQuality = 90;

// Encodes image as a JPEG at quality 90 and writes it to path, replacing a file there; one retry
// when the first attempt fails. False (error says why) when both failed.
bool WriteJpeg(const QImage& image, const QString& path, QString* error = nullptr);

// The name an export proposes for a measurement file: DATA01.RDD gives DATA01_RDD. A name
// without a three-letter extension is kept as it is.
QString DefaultExportName(const QString& fileName);

// Where an export writes and what.
struct ExportTarget {
    int16_t PrintingForm = FormJpegCsv;
    QString Folder = QStringLiteral("def"); // "def": the measurement file's folder
    QString Name = QStringLiteral("def");   // "def": DefaultExportName of the file
    bool FirstFile = true;
    bool LastFile = false;
};

// What the workbook form does in a run: either each view writes its own workbook, or the views
// go to the run's common workbook (OneWorkbook). The conversions that run files in parallel hand
// the blocks to commonSink, which adds them in file order; otherwise they go to common.
struct ExportRun {
    bool OneWorkbook = false;
    CommonWorkbook* common = nullptr;
    std::function<bool(WorkbookBlock&& block, bool firstFile, bool lastFile, QString* error)>
        commonSink;
};

// What an export did.
struct ExportOutcome {
    QStringList written;      // files written, in order
    QString reason;           // why it failed (one line)
    QString workbookError;    // the workbook failure text for the user's box, when one failed
    bool dateChanged = false; // the record took a new measurement date (caption and Modified)
};

// The writer after a successful composition (p as MakeJPG returned it, pics its picture): the
// JPEG, then the CSV or the workbook, then the record's measurement date. True when all of it
// was written. The 730 and 940 entries differ only in the family's CSV and workbook.
bool SaveJPGFile730(MeasurementDocument& doc, const QImage& pics, const CompositionParams& p,
                    const ExportTarget& target, ExportRun& run, ExportOutcome* outcome = nullptr);
bool SaveJPGFile940(MeasurementDocument& doc, const QImage& pics, const CompositionParams& p,
                    const ExportTarget& target, ExportRun& run, ExportOutcome* outcome = nullptr);

// Composes (title line printed) and writes: true when both succeeded. pics keeps the picture.
bool SaveJPG(MeasurementDocument& doc, CompositionParams p, const ExportTarget& target,
             ExportRun& run, QImage& pics, ExportOutcome* outcome = nullptr);

// The single-view export: asks for the file name in the save chooser (filter by output form,
// the default export name proposed), removes the outputs it replaces (asking first before a CSV
// of the same name goes), composes and writes. 0 written, 1 failed or refused, 2 the chooser
// was cancelled. outcome tells what was written or why not.
int SetJpgFileName(MeasurementDocument& doc, const CompositionParams& p, int16_t PrintingForm,
                   QImage& pics, ExportOutcome* outcome = nullptr);

} // namespace rebar
