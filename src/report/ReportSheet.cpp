#include "report/ReportSheet.h"

#include "base/Numeric.h"
#include "report/ReportModel.h"

#include <algorithm>

namespace rebar {

namespace {

constexpr int TwipsPerPixel = 15; // pictures are measured at 96 pixels per inch

// A picture's size in points: its size in twips shrunk by the larger of the two overshoots.
void fitPicture(SheetPicture& p, double limitW, double limitH) {
    const double w = static_cast<double>(p.image.width()) * TwipsPerPixel;
    const double h = static_cast<double>(p.image.height()) * TwipsPerPixel;
    const double k = FitScale(w, h, limitW, limitH);
    p.widthPt = static_cast<int>(roundHalfEven(w / k));
    p.heightPt = static_cast<int>(roundHalfEven(h / k));
}

// The picture box of a slot that never received a picture: blank, the frame's size.
QImage blankPicture(int columns, int rows) {
    const int px = ReportCellTwips / TwipsPerPixel;
    QImage img(std::max(1, columns * px), std::max(1, rows * px), QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

class SheetBuilder {
public:
    SheetBuilder(const ReportModel& m, ReportSheet& s) : m_model(m), m_sheet(s) {}

    void cell(int col, int row, int colSpan, int rowSpan, const QString& text,
              bool centred = false) {
        m_sheet.cells.push_back({col, row, colSpan, rowSpan, text, centred});
        m_lastRow = std::max(m_lastRow, row + rowSpan - 1);
    }
    void picture(int col, int row, const QImage& image, double limitW, double limitH, bool photo) {
        SheetPicture p;
        p.col = col;
        p.row = row;
        p.image = image;
        p.photo = photo;
        fitPicture(p, limitW, limitH);
        m_sheet.pictures.push_back(p);
        // A picture reaches as far down as its height in rows of the designer's measure.
        m_lastRow = std::max(m_lastRow, row + static_cast<int>(p.heightPt / DataRowPt));
    }

    void header() {
        for (int i = 0; i < ReportHeaderItemCount; ++i) {
            const HeaderPlace& h = m_model.slotState().header[static_cast<size_t>(i)];
            if (h.Shown)
                cell(h.Col, h.Row, h.ColSpan, 1, m_model.texts().header[static_cast<size_t>(i)]);
        }
    }

    void photos() {
        for (int i = 0; i < ReportPhotoSlots; ++i) {
            const PhotoSlot& p = m_model.photo(i);
            if (!p.InUse)
                continue;
            const auto n = static_cast<size_t>(i);
            if (p.HasTitle)
                cell(p.Col, p.Row + p.TitleRow, p.Width, 1, m_model.texts().photoTitle[n]);
            const bool landscape = p.Landscape != 0;
            picture(p.Col, p.Row + p.PictureRow,
                    p.PictureLoaded && !p.Picture.isNull() ? p.Picture
                                                           : blankPicture(p.Width, p.PictureHeight),
                    landscape ? PhotoLongSidePt : PhotoShortSidePt,
                    landscape ? PhotoShortSidePt : PhotoLongSidePt, true);
            if (p.HasRemarks)
                cell(p.Col, p.Row + p.RemarksRow, p.Width, 1, m_model.texts().photoRemarks[n]);
        }
    }

    void data() {
        const SheetGeometry& g = m_model.geometry();
        for (int i = 0; i < ReportDataSlots; ++i) {
            const DataSlot& d = m_model.data(i);
            if (!d.InUse)
                continue;
            const auto n = static_cast<size_t>(i);
            if (d.HasNumber)
                cell(d.Col, d.Row + d.NumberRow, 6, 1, m_model.texts().dataNumber[n]);
            // The title keeps its place after the number cell whether or not that is shown.
            if (d.HasTitle)
                cell(d.Col + 6, d.Row + d.TitleRow, 24, 1, m_model.texts().dataTitle[n]);
            picture(d.Col, d.Row + d.PictureRow,
                    d.PictureLoaded && !d.Picture.isNull() ? d.Picture
                                                           : blankPicture(d.Width, d.Size),
                    g.DataPictureWidthPt, d.Size * DataRowPt, false);
            if (d.HasMarkers) {
                markerTables(d);
                complianceTable(d);
            }
            if (d.HasRemarks)
                cell(d.Col, d.Row + d.RemarksRow, 30, 1, m_model.texts().dataRemarks[n]);
        }
    }

    // Each placed table band by band: the group heading (940), the caption column, then one
    // column of four cells per marker.
    void markerTables(const DataSlot& d) {
        const int perLine = m_model.geometry().MarkersPerLine;
        for (int t = 0; t < ReportMarkerGridCount; ++t) {
            const MarkerGridPlace& place = d.Grids[static_cast<size_t>(t)];
            const ReportMarkerGrid& grid = d.GridContent[static_cast<size_t>(t)];
            if (!place.Placed || grid.count() == 0)
                continue;
            for (int first = 0; first < grid.count(); first += perLine) {
                const int row = d.Row + place.Row + (first / perLine) * MarkerBandRows;
                int col = d.Col;
                if (grid.groupHeading) {
                    cell(col, row, 2, MarkerBandRows, grid.heading, true);
                    col += 2;
                }
                for (int r = 0; r < MarkerBandRows; ++r)
                    cell(col, row + r, 4, 1, grid.captions[static_cast<size_t>(r)], true);
                col += 4;
                const int last = std::min(grid.count(), first + perLine);
                for (int k = first; k < last; ++k, col += 3)
                    for (int r = 0; r < MarkerBandRows; ++r)
                        cell(col, row + r, 3, 1,
                             grid.markers[static_cast<size_t>(k)][static_cast<size_t>(r)], true);
            }
        }
    }

    // The compliance figures under the tables, three caption and value pairs to a row.
    void complianceTable(const DataSlot& d) {
        for (size_t k = 0; k < d.Compliance.size(); ++k) {
            const int row = d.Row + d.ComplianceRow + static_cast<int>(k) / ComplianceFiguresPerRow;
            const int col = d.Col + (static_cast<int>(k) % ComplianceFiguresPerRow) * 10;
            cell(col, row, 4, 1, d.Compliance[k].caption, true);
            cell(col + 4, row, 6, 1, d.Compliance[k].value, true);
        }
    }

    int lastRow() const { return m_lastRow; }

private:
    const ReportModel& m_model;
    ReportSheet& m_sheet;
    int m_lastRow = 1;
};

} // namespace

ReportSheet BuildReportSheet(const ReportModel& model) {
    ReportSheet sheet;
    sheet.geometry = model.geometry();
    SheetBuilder b(model, sheet);
    b.header();
    b.photos();
    b.data();
    sheet.pageCount = std::max(model.PageCount(), sheet.geometry.pageOf(b.lastRow()));
    return sheet;
}

} // namespace rebar
