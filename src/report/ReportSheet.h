#pragma once
// The report as the writers put it on paper: framed text blocks and pictures on the report's
// cell grid, in the order the workbook writes them (header items, photos, data entries with
// their marker tables). The workbook and the PDF are made from the same sheet, so they agree
// cell for cell.

#include "report/ReportGeometry.h"

#include <QImage>
#include <QString>
#include <vector>

namespace rebar {

class ReportModel;

// A block of rowSpan x colSpan merged cells with a thin black frame and its text in the top-left
// cell.
struct SheetCell {
    int col = 0;
    int row = 0;
    int colSpan = 1;
    int rowSpan = 1;
    QString text;
    bool centred = false; // marker-table cells; other texts stand at the left
};

// A picture with its top-left corner at the top-left corner of cell (row, col), widthPt x
// heightPt points on the sheet.
struct SheetPicture {
    int col = 0;
    int row = 0;
    QImage image;
    int widthPt = 0;
    int heightPt = 0;
    bool photo = false; // a photograph (stored as JPEG); data pictures are stored losslessly
};

struct ReportSheet {
    SheetGeometry geometry;
    int pageCount = 1; // pages of PageRows rows that hold every block
    std::vector<SheetCell> cells;
    std::vector<SheetPicture> pictures;
};

// Picture size limits in points.
constexpr double PhotoLongSidePt = 171.45;
constexpr double PhotoShortSidePt = 120.15;
constexpr double DataRowPt = 13.33;

// The sheet of the designer's report: its texts as they stand, its slots as placed.
ReportSheet BuildReportSheet(const ReportModel& model);

} // namespace rebar
