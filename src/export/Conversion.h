#pragma once
// The conversions: many measurement files exported in one run into one folder, each as its
// composed picture with the output form's files (JPEG, CSV, workbook).
//
// - The folder conversion opens each chosen file as a document without a window, exports it and
//   closes it: the convert-all-files dialog runs it in file order on the window's thread, the
//   command-line converter spreads the files over the machine's cores. Both take every file
//   through ConvertFile.
// - The batch conversion exports every open view in slot order and stops at the first failure.
//
// With one workbook the views of a run go to one common workbook, blocks in file order. The
// workbook always keeps what succeeded: a file that fails adds nothing, and the run finishes the
// workbook when its last file has gone, whichever file that was.

#include "data/DztImport.h"
#include "export/Composition.h"
#include "export/JpegExport.h"
#include "view/MeasurementDocument.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace rebar {

// True for the names the folder conversion lists: RDD, VXD, ZVX, text measurement data
// (*.??0 .. *.??9) and DZT files, in any case.
bool IsConversionFile(const QString& name);
// The names of such files in folder, in the order a file list shows them.
QStringList ConversionFiles(const QString& folder);

// What a conversion writes, as the settings' PrintProc section and the dialog choose it.
struct ConversionOptions {
    CompositionParams picture; // the whole file, the record's own measurement date
    int16_t PrintingForm = FormJpegCsv;
    bool OneWorkbook = false;
    QString destination; // the folder written to
    // Also a cover compliance CSV per file (Name_cover.csv: one line per listed marker and a
    // summary line, by the view's cover settings); a file on the time axis fails.
    bool Compliance = false;
};
ConversionOptions ConversionOptionsFrom(const Settings& s, const QString& destination,
                                        bool oneWorkbook, const QDate& today);

// One file of a conversion.
struct FileConversion {
    QString path;
    bool opened = false;
    bool ok = false;
    QString reason;        // why the file was not opened or not exported
    QString workbookError; // the workbook failure text for the user's box
    QStringList written;
};

// Opens path (feedback: the open's questions and progress) and exports it with target's first
// and last flags; the document is closed again before this returns.
FileConversion ConvertFile(const QString& path, const DocumentContext& ctx,
                           const LoadFeedback& feedback, const ConversionOptions& options,
                           const ExportTarget& target, ExportRun& run);

// What a conversion run did.
struct ConversionSummary {
    std::vector<FileConversion> files; // in the order given
    bool anyOpenFailed = false;
    bool anyExportFailed = false;
    QString commonWorkbook;      // the common workbook written, if any
    QString commonWorkbookError; // its failure text for the user, if its save failed
    int exported() const;
};

// The folder conversion in file order. feedback gives each file's load feedback (null: none);
// fileDone hears about every file as it finishes (the dialog shows the open failures); the
// common workbook is saved in the destination when the run ends.
ConversionSummary
ConvertFilesInOrder(const QStringList& paths, const DocumentContext& ctx,
                    const ConversionOptions& options,
                    const std::function<LoadFeedback(const QString& path)>& feedback = {},
                    const std::function<void(int index, const FileConversion&)>& fileDone = {});

// The same spread over `threads` worker threads (documents are independent); the common workbook
// still takes its blocks in file order. dzt: the import options of DZT files (no questions are
// asked). fileDone runs on the calling thread, in the order files finish.
ConversionSummary
ConvertFilesInParallel(const QStringList& paths, const DocumentContext& ctx,
                       const ConversionOptions& options, int threads, const DztImportOptions& dzt,
                       const std::function<void(int index, const FileConversion&)>& fileDone = {});

// ---- The batch conversion of the open views -------------------------------------------------

// The progress dialog's caption and message line of the batch conversion, by language.
struct BatchTexts {
    QString caption;
    QString message;
};
BatchTexts BatchConversionTexts(const QString& language);

struct BatchConversion {
    bool AllOk = true;
    int exported = 0;
    int failedSlot = 0;     // the slot whose export stopped the run (0 none)
    FileConversion failure; // what that export said
    QString commonWorkbook;
    QString commonWorkbookError;
};

// Exports every open view: views[i] is the document of Views slot i (slot 0 is never used, an
// empty slot is null), in slot order, into options.destination; the first failure stops the run.
// The last open view carries LastFile. progress gets the bar's value after every slot (values
// above 100 are not reported); exported hears about every export.
BatchConversion
ConvertOpenViews(const std::vector<MeasurementDocument*>& views, const ConversionOptions& options,
                 const std::function<void(int percent)>& progress = {},
                 const std::function<void(int slot, const FileConversion&)>& exported = {});

} // namespace rebar
