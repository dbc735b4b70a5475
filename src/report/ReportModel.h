#pragma once
// The report designer's model: the header items, the ten photo slots and thirty data slots with
// their places on the cell grid, the order of the blocks (the line table), page breaks and the
// pair of pages the designer shows. Every editing command of the designer is a plain function
// here; the window only turns clicks, drops and menu choices into these calls and shows the
// result. The workbook and PDF writers read the model.

#include "config/ReportLayout.h"
#include "report/ReportDelivery.h"
#include "report/ReportGeometry.h"
#include "report/ReportMarkerGrid.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace rebar {

constexpr int ReportPhotoSlots = ReportMaxPhotos;
constexpr int ReportDataSlots = ReportMaxData;
constexpr int ReportLineLimit = 50;
constexpr int ReportLineEntries = 7;

// Where a header item stands (shown items only).
struct HeaderPlace {
    bool Shown = false;
    int16_t Col = 0;
    int32_t Row = 0;
    int16_t ColSpan = 0;
};

struct PhotoSlot {
    int16_t InUse = 0;
    int16_t PictureLoaded = 0;
    int16_t Landscape = 0;
    int16_t Col = 0;
    int32_t Row = 0;
    int16_t Width = 0;         // frame width in columns
    int16_t PictureHeight = 0; // frame height in rows
    int16_t Height = 0;        // rows of the whole slot
    int16_t HasTitle = 0;
    int16_t TitleRow = 0;
    int16_t PictureRow = 0;
    int16_t HasRemarks = 0;
    int16_t RemarksRow = 0;
    QImage Picture; // the picture at its own size; null while none is loaded
};

// One marker table of a data slot as the designer placed it (row offset from the slot's row).
struct MarkerGridPlace {
    int16_t Placed = 0;
    int32_t Row = 0;
    int32_t Height = 0;
};

struct DataSlot {
    int16_t InUse = 0;
    int16_t PictureLoaded = 0;
    int16_t Size = 8; // picture height in rows: 8, 14 or 22
    int16_t Col = 2;
    int32_t Row = 0;
    int16_t Width = 0; // picture width in columns
    int32_t Height = 0;
    int16_t HasNumber = 0;
    int32_t NumberRow = 0;
    int16_t HasTitle = 0;
    int16_t TitleCol = 0;
    int32_t TitleRow = 0;
    int32_t PictureRow = 0;
    int16_t HasMarkers = 0;
    int32_t MarkerRow = 0;
    std::array<MarkerGridPlace, ReportMarkerGridCount> Grids{};
    int16_t Family = 0; // 730 or 940 once a file delivered
    std::array<int16_t, ReportMarkerGridCount> MarkerCounts{};
    int16_t HasRemarks = 0;
    int32_t RemarksRow = 0;
    // The cover compliance table under the marker tables (rows from ComplianceRow), once a
    // file with covers delivered.
    std::vector<ComplianceFigure> Compliance;
    int32_t ComplianceRow = 0;
    int16_t Delivered = 0; // the delivered tables have been taken over and placed
    QImage Picture;        // the composed picture at its own size
    ReportMarkerGrids GridContent;
};

// One line of the report below the header: photos side by side (slot indexes, left to right)
// or one data slot.
struct ReportLine {
    bool data = false;
    std::vector<int> entries;
};

// Everything the slot commands change; an undo step puts it back whole. The texts typed into
// the designer are not part of it: they stay with their boxes.
struct ReportSlots {
    ReportLayout options; // the layout options in force
    std::array<HeaderPlace, ReportHeaderItemCount> header{};
    int32_t headerLastRow = 1;
    std::array<PhotoSlot, ReportPhotoSlots> photos{};
    std::array<DataSlot, ReportDataSlots> data{};
    std::vector<ReportLine> lines;
    int16_t PhotoNum = 0;
    int16_t DataNum = 0;
};

// The texts of the designer's boxes.
struct ReportTexts {
    std::array<QString, ReportHeaderItemCount> header;
    std::array<QString, ReportPhotoSlots> photoTitle, photoRemarks;
    std::array<QString, ReportDataSlots> dataNumber, dataTitle, dataRemarks;
};

// The boxes' texts when the designer opens, in Japanese or English.
ReportTexts DefaultReportTexts(bool japanese);

// A button press in the designer window turned into the report's grid: the page, the column on
// that page and the row of the whole report.
struct DropCell {
    int page = 1;
    int column = 0;
    int row = 0;
};

// Data-slot states of the exchange with measurement views.
enum DataSlotExchange : int16_t { SlotIdle = 0, SlotOpening = 1, SlotDelivered = 2 };

class ReportModel {
public:
    // Opens the report of a layout: slots in use, default texts in the language, initial layout
    // and placement, page 1.
    void Load(const ReportLayout& layout, bool japanese);

    const SheetGeometry& geometry() const { return *m_geometry; }
    const ReportSlots& slotState() const { return m_slots; }
    const PhotoSlot& photo(int i) const { return m_slots.photos[static_cast<size_t>(i)]; }
    const DataSlot& data(int i) const { return m_slots.data[static_cast<size_t>(i)]; }
    const std::vector<ReportLine>& lines() const { return m_slots.lines; }
    int PhotoNum() const { return m_slots.PhotoNum; }
    int DataNum() const { return m_slots.DataNum; }
    // Puts slots back as an undo step saved them; places the report and keeps the page in range.
    void RestoreSlots(const ReportSlots& s);

    ReportTexts& texts() { return m_texts; }
    const ReportTexts& texts() const { return m_texts; }

    // The line table as 50 lines of 7 entries: photo numbers (slot + 1) left to right, or
    // 101 + the data slot in entry 1; 0 for empty.
    std::array<std::array<int16_t, ReportLineEntries>, ReportLineLimit> ReportLines() const;
    // The top row of line k.
    int32_t LineTop(int k) const;
    // Rows of line k (a photo line is as high as its highest photo).
    int32_t LineHeight(int k) const;
    // The line holding photo slot i / data slot i, or -1.
    int LineOfPhoto(int i) const;
    int LineOfData(int i) const;

    // ---- Placement and paging ----
    // Header items on their rows (shown items only).
    void LayoutHeader();
    // Places every line from the top, one blank row between blocks, with page breaks that keep
    // the first and last row of every page blank.
    void PlaceReport();
    // Lays out the photos of line j and the photo lines after it (up to the next data line)
    // again from column 2; an empty group removes its line.
    void ReflowPhotos(int j);

    int PageCount() const { return m_pageCount; }
    int CurrentPage() const { return m_currentPage; }
    bool PreviousEnabled() const { return m_currentPage > 1; }
    bool NextEnabled() const { return m_currentPage < m_pageCount; }
    void PreviousPage();
    void NextPage();
    // "P" + page + " / " + PageCount for the left (0) or right (1) page.
    QString PageLabel(int side) const;
    // Where a block whose top-left cell is (col, row) shows in the designer, in twips; nothing
    // when its top row lies on neither page shown.
    std::optional<QPoint> BlockOrigin(int col, int row) const;
    // Header item i in twips; shown on page 1 only.
    std::optional<QPoint> HeaderOrigin(int i) const;
    // The cell under a button press at (x, y) twips of the designer window.
    DropCell DropCellAt(int xTwips, int yTwips) const;

    // ---- Photo slot commands ----
    bool CanAddPhoto() const { return m_slots.PhotoNum < ReportPhotoSlots; }
    bool CanDeletePhoto() const { return m_slots.PhotoNum > 0; }
    // Adds a photo after slot i in its line; returns the new slot, or -1.
    int AddPhoto(int i);
    bool DeletePhoto(int i);
    bool SetPhotoLandscape(int i, bool landscape);
    bool MovePhoto(int i, const DropCell& drop);
    // Puts a picture into slot i.
    bool LoadPhoto(int i, const QImage& picture);
    // The slot a dropped picture goes to: the first without a picture, added to the report when
    // it is not in use; -1 when every slot holds a picture.
    int PhotoSlotForDrop();

    // ---- Data slot commands ----
    bool CanAddData() const { return m_slots.DataNum < ReportDataSlots; }
    bool CanDeleteData() const { return m_slots.DataNum > 1; }
    int AddData(int i);
    bool DeleteData(int i);
    // Picture height in rows: 8, 14 or 22.
    bool SetDataSize(int i, int rows);
    bool MoveData(int i, const DropCell& drop);
    // Which data slots held a picture when a drop started.
    std::array<bool, ReportDataSlots> DataDropSnapshot() const;
    // The slot the next dropped measurement file goes to: the first not taken in the snapshot
    // (marked taken now), added when not in use, its state set to opening; -1 when none.
    int DataSlotForDrop(std::array<bool, ReportDataSlots>& taken);

    // ---- Exchange with measurement views ----
    // A view delivers into slot i (ignored for a slot no longer in use): the header texts and
    // the slot's title change now, the slot itself when the delivery is taken over.
    bool Deliver(int i, const ReportDelivery& delivery);
    int16_t SlotState(int i) const { return m_state[static_cast<size_t>(i)]; }
    void SetSlotState(int i, int16_t s) { m_state[static_cast<size_t>(i)] = s; }
    // Activation: delivered slots take their pictures and place their tables. True when
    // something changed.
    bool TakeOverDeliveries();
    // Activation after the setup dialogs changed options.
    void ApplyHeaderOptions(const ReportLayout& layout);
    void ApplyPhotoOptions(const ReportLayout& layout);
    void ApplyDataOptions(const ReportLayout& layout);

private:
    void layoutPhoto(PhotoSlot& p) const;
    void layoutData(DataSlot& d) const;
    void initialLayout();
    void clampPage();
    void reflowAllPhotoGroups();
    int addPhotoAt(int target, int after);
    bool finishPhotoMove(int left, int joined);
    int addDataAt(int target, int after);
    void insertFirstPhoto(int target);
    void insertFirstData(int target);
    void placeLine(int k, int32_t top);

    const SheetGeometry* m_geometry = &GeometryOf(QStringLiteral("A4W"));
    ReportSlots m_slots;
    ReportTexts m_texts;
    std::array<int16_t, ReportDataSlots> m_state{};
    std::array<std::optional<ReportDelivery>, ReportDataSlots> m_pending;
    int m_currentPage = 1;
    int m_pageCount = 1;
};

// The scale k >= 1 that shrinks a picture of w x h to fit limitW x limitH with its proportions
// kept; 1 when it fits already (a picture is never enlarged).
double FitScale(double w, double h, double limitW, double limitH);

} // namespace rebar
