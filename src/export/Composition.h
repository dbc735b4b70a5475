#pragma once
// The annotated picture every export of a measurement document starts from: the depth axis on
// the left, a range of radargram columns with their distance strip, optionally the cursor cross,
// optionally the A-mode panel with the colour bar on the right, and up to three text lines
// (title, measurement date, creation date) under the image, closed by three frame lines.
//
// The picture is drawn into `pics`, the document's export picture, which the callers keep: the
// JPEG, CSV and workbook exports, printing and the report designer read it afterwards.

#include "config/LanguageTables.h"
#include "config/Settings.h"
#include "data/MeasurementRecord.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

namespace rebar {

class MeasurementDocument;

// Width of the depth axis (D) and of the A-mode panel (A) in the picture, in pixels.
constexpr int CompositionAxisWidth = 50;
constexpr int CompositionAModeWidth = 132;
// A range narrower than this still gives a picture this many columns wide (white after it).
constexpr int CompositionMinColumns = 60;

// The composition's parameters, in the order the export dialogs pass them. The print flags
// follow the settings' PrintProc keys: 0 = include, any other value = leave out.
struct CompositionParams {
    int16_t AModePrint = 1; // 0: the A-mode panel at the right
    // In/out: first and last trace of the range, 1-based (EndTrace 0 = up to the last trace).
    // On return both count image columns of the radargram (halved in the wide view ranges).
    int32_t StartTrace = 1;
    int32_t EndTrace = 0;
    int16_t DistanceFromFile = 1; // non-zero: the view's distance strip; 0: re-labelled from the
                                  // first column of the range
    int16_t MeasurementDatePrint = 1;
    QDate MeasurementDate; // in/out: a null date becomes the record's MeasureDate
    int16_t CreationDatePrint = 1;
    QDate CreationDate;
    int16_t CrossCursorPrint = 1;
    int16_t SensPrint = 1;     // 0: the title line names the sensitivity
    int16_t UseModelPrint = 1; // 0: the title line names the model
    int16_t TitlePrint = 1;    // 0: the title line is printed
};

// The parameters of an export of the whole file as the settings' PrintProc section chooses
// them (what the conversions pass): every trace, the file's own distances, the record's
// measurement date, the creation date given, the title line printed.
CompositionParams PrintProcParams(const Settings& s, const QDate& creationDate);

// Composes the picture of a loaded document into pics (replaced). The caller picks the family
// by the file kind; MakeJPG does that itself. False when the picture could not be completed (a
// range outside the radargram, a document that is not loaded, a trace the matrices do not
// hold); pics may then be partly drawn. StartTrace, EndTrace and MeasurementDate come back
// changed as the parameters say, also on failure once they have been changed.
bool MakeJPG730(const MeasurementDocument& doc, CompositionParams& p, QImage& pics);
bool MakeJPG940(const MeasurementDocument& doc, CompositionParams& p, QImage& pics);
bool MakeJPG(const MeasurementDocument& doc, CompositionParams& p, QImage& pics);

// The title line under the picture: the processing (with the peak suffix), the permittivity
// unless the axis shows time, the sensitivity (SensPrint 0) and the model (UseModelPrint 0).
// Nothing when the sensitivity, processing code or view range is outside its range.
std::optional<QString> SetTitleText2(const MeasurementRecord& r, const LanguageTables& language,
                                     int16_t SensPrint, int16_t UseModelPrint);
// The caption of the view window: file name, measurement date, data number, sensitivity,
// processing and view range. Nothing on the same conditions as SetTitleText2.
std::optional<QString> SetTitleText(const MeasurementRecord& r, const LanguageTables& language,
                                    const QString& FileName);

// The measurement-date line and the creation-date line of the pictures.
QString MeasurementDateLine(const LanguageTables& language, const QDate& date, int dataNo);
QString CreationDateLine(const LanguageTables& language, const QDate& date);
// The record's MeasureDate read as a date (null when it is no date).
QDate RecordMeasureDate(const MeasurementRecord& r);

} // namespace rebar
