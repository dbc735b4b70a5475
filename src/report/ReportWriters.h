#pragma once
// Writing a report sheet as a spreadsheet workbook (.xlsx) or as a PDF with the same pages.
// A save completes or leaves the target as it was.

#include "report/ReportSheet.h"

#include <QString>

namespace rebar {

struct ReportWriteResult {
    bool ok = false;
    QString reason; // why the file could not be written
};

// The sheet's geometry in the workbook and the PDF: a column is 21 pixels (15.75 points) wide,
// a row 13.5 points high, so the picture limits of the designer's cells fit their slots.
constexpr double SheetColumnPt = 15.75;
constexpr double SheetRowPt = 13.5;

// One sheet on a grid of narrow columns: framed merged blocks, embedded pictures, the page
// size and orientation of the layout with a page break every PageRows rows.
ReportWriteResult SaveReportWorkbook(const ReportSheet& sheet, const QString& path);

// The same blocks and pictures, one PDF page per PageRows rows.
ReportWriteResult SaveReportPdf(const ReportSheet& sheet, const QString& path);

// A PDF when path ends in ".pdf" (any case), a workbook otherwise.
ReportWriteResult SaveReport(const ReportSheet& sheet, const QString& path);

} // namespace rebar
