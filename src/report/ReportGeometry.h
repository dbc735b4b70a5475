#pragma once
// The page geometry of a report sheet: how many cell columns and rows a page has, where the
// designer draws its two pages, how many photos stand on a line, how wide a data entry is and
// how many markers a marker-table band holds. The report is one grid of cells counted from
// row 1 and column 1; the designer shows a cell as 210 x 210 twips.

#include <QString>

namespace rebar {

constexpr int ReportCellTwips = 210;
// Photo frames in cells (columns x rows).
constexpr int PortraitFrameWidth = 9, PortraitFrameHeight = 13;
constexpr int LandscapeFrameWidth = 13, LandscapeFrameHeight = 9;

struct SheetGeometry {
    QString Sheet;          // "A4L", "A4W" or "A3W"
    int WindowWidth = 0;    // designer window, twips
    int WindowHeight = 0;   //
    int PageColumns = 0;    // cell columns of a page
    int PageRows = 0;       // cell rows of a page
    int PLine = 0;          // x of the divider between the two pages, twips
    int PLineBottom = 0;    // last y of the divider, twips
    int PageLabel1Left = 0; // left of the right page's label, twips
    int PhotosPerLinePortrait = 0;
    int PhotosPerLineLandscape = 0;
    int DataWidth = 0;             // columns of a data picture
    int MarkersPerLine = 0;        // markers in one band of a marker table
    double DataPictureWidthPt = 0; // widest data picture in the workbook, points
    int PaperWidthMm = 0;          // the printed page
    int PaperHeightMm = 0;

    // Page of a row (1-based) and the first row of a page.
    int pageOf(int row) const { return row < 1 ? 1 : (row - 1) / PageRows + 1; }
    int firstRowOf(int page) const { return (page - 1) * PageRows + 1; }
    bool landscapePaper() const { return PaperWidthMm > PaperHeightMm; }
};

// The geometry of a sheet name; "A4W" for a name that is none of the three.
const SheetGeometry& GeometryOf(const QString& sheet);

// Frame size in cells of a photo of either orientation.
inline int FrameWidth(bool landscape) {
    return landscape ? LandscapeFrameWidth : PortraitFrameWidth;
}
inline int FrameHeight(bool landscape) {
    return landscape ? LandscapeFrameHeight : PortraitFrameHeight;
}

// Picture height in rows of a data entry size option (0 small, 1 standard, 2 large).
int DataSizeRows(int sizeOption);

} // namespace rebar
