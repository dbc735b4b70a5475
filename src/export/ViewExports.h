#pragma once
// The exports of a measurement view's File menu besides the JPEG dialog: the copy picture on the
// clipboard, the screen print and the measurement-data print, and the batch conversion of every
// open view with its progress dialog and closing messages. They reach the user through the
// platform layer only, so they run the same in the window and in tests with scripted answers.

#include "config/LanguageTables.h"
#include "export/Conversion.h"
#include "platform/Platform.h"

#include <QDate>
#include <QImage>
#include <vector>

namespace rebar {

class MeasurementDocument;

// The copy command (menu2 item 5): the family's copy picture, composed into pics, on the
// clipboard. 0 when it is there, 1 when it is not.
int CopyViewPicture(const MeasurementDocument& doc, QImage& pics);

// The screen print (Menu21_0 item 0): a snapshot of the whole view window, frame and caption
// included, as large as the page allows; the print queue shows title.
PrintOutcome PrintViewSnapshot(const QImage& snapshot, const QString& title, Platform& ui);

// The measurement-data print (Menu21_0 item 1): the composed picture with the A-mode panel, the
// cursor and the title line naming sensitivity and model, dated today, on an A4 sheet in
// landscape. pics takes the picture; Failed when nothing could be drawn at all.
PrintOutcome PrintMeasurementData(const MeasurementDocument& doc, const QDate& today, QImage& pics,
                                  Platform& ui);

// The batch conversion of the open views (menu2 item 9) once the folder is chosen: views[i] is
// the document of slot i (see ConvertOpenViews), the progress dialog in language shows while it
// runs and is closed again.
BatchConversion ConvertViewsWithProgress(const std::vector<MeasurementDocument*>& views,
                                         const ConversionOptions& options, const QString& language,
                                         Platform& ui);
// What the user is told after the batch conversion: a workbook failure in a box of its own, then
// MSG3 when every view was exported or MSG2 with the failure's reason, from language; title names
// the view on which the command was given.
void ReportViewsConversion(const BatchConversion& run, const QString& title,
                           const LanguageTables& language, Platform& ui);

} // namespace rebar
