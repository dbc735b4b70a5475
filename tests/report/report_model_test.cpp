// The report designer's model without a window: initial layout, page breaks and paging, the
// slot commands, drops, deliveries and the undo stack.

#include "report/ReportDesigner.h"
#include "report/ReportModel.h"

#include <gtest/gtest.h>

using namespace rebar;

namespace {

ReportLayout layoutOf(const QString& sheet, int photos, int data) {
    ReportLayout l;
    l.Sheet = sheet;
    l.PhotoNum = static_cast<int16_t>(photos);
    l.DataNum = static_cast<int16_t>(data);
    return l;
}

ReportLayout noHeader(ReportLayout l) {
    for (ReportHeaderOption& h : l.HeaderItems)
        h.Shown = 0;
    return l;
}

std::vector<int> columnsOfLine(const ReportModel& m, int k) {
    std::vector<int> cols;
    for (int s : m.lines()[static_cast<size_t>(k)].entries)
        cols.push_back(m.photo(s).Col);
    return cols;
}

QImage picture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    return img;
}

ReportDelivery deliveryWith(std::array<int, 3> counts, bool f940) {
    ReportDelivery d;
    d.image = picture(600, 300);
    d.family = f940 ? 940 : 730;
    for (int g = 0; g < 3; ++g) {
        d.grids[static_cast<size_t>(g)].groupHeading = f940;
        d.grids[static_cast<size_t>(g)].heading = QStringLiteral("Gr%1").arg(g);
        d.grids[static_cast<size_t>(g)].markers.resize(
            static_cast<size_t>(counts[static_cast<size_t>(g)]));
    }
    d.title = "B0001.ZVX";
    return d;
}

} // namespace

TEST(ReportModel, HeaderItemsStandInPairsAndWideItemsAlone) {
    ReportModel m;
    m.Load(layoutOf("A4W", 1, 1), true);
    const auto& h = m.slotState().header;
    const int rows[] = {2, 2, 3, 3, 4, 4, 5, 5, 6};
    const int cols[] = {2, 17, 2, 17, 2, 17, 2, 17, 2};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(h[i].Row, rows[i]) << i;
        EXPECT_EQ(h[i].Col, cols[i]) << i;
        EXPECT_EQ(h[i].ColSpan, 15);
    }
    EXPECT_EQ(m.LineTop(0), 8); // one blank row below the header

    ReportLayout l = layoutOf("A4W", 1, 1);
    l.HeaderItems[1].Wide = 1;
    l.HeaderItems[2].Shown = 0;
    m.Load(l, false);
    EXPECT_EQ(m.slotState().header[0].Row, 2);
    EXPECT_EQ(m.slotState().header[1].Row, 3); // wide: a row of its own, full width
    EXPECT_EQ(m.slotState().header[1].ColSpan, 30);
    EXPECT_EQ(m.slotState().header[3].Row, 4); // the next standard item starts a new pair
    EXPECT_EQ(m.slotState().header[3].Col, 2);
    EXPECT_EQ(m.slotState().header[4].Col, 17);
    EXPECT_EQ(m.texts().header[0], "TiTle:");

    m.Load(noHeader(layoutOf("A4W", 1, 1)), true);
    EXPECT_EQ(m.LineTop(0), 2);
    EXPECT_FALSE(m.HeaderOrigin(0));
}

TEST(ReportModel, PhotosFillLinesByTheSheetAndReflowByWidth) {
    ReportModel m;
    m.Load(noHeader(layoutOf("A4W", 5, 1)), true);
    ASSERT_EQ(m.lines().size(), 3u);
    EXPECT_EQ(columnsOfLine(m, 0), (std::vector<int>{2, 12, 22, 32}));
    EXPECT_EQ(columnsOfLine(m, 1), (std::vector<int>{2}));
    EXPECT_EQ(m.LineTop(1), 2 + 15 + 1); // one blank row below the highest photo
    EXPECT_EQ(m.ReportLines()[0], (std::array<int16_t, 7>{1, 2, 3, 4, 0, 0, 0}));
    EXPECT_EQ(m.ReportLines()[2][0], 101);

    // A landscape photo is wider: the group is laid out again by the widths.
    ASSERT_TRUE(m.SetPhotoLandscape(1, true));
    EXPECT_EQ(columnsOfLine(m, 0), (std::vector<int>{2, 12, 26, 36}));
    EXPECT_EQ(m.photo(1).Height, 11); // 9 picture rows + title + remarks
    ASSERT_TRUE(m.SetPhotoLandscape(2, true));
    EXPECT_EQ(columnsOfLine(m, 0), (std::vector<int>{2, 12, 26}));
    EXPECT_EQ(m.ReportLines()[1], (std::array<int16_t, 7>{4, 5, 0, 0, 0, 0, 0}));

    // Seven portrait photos fill an A3 line; adding after one of them keeps all eight.
    m.Load(layoutOf("A3W", 7, 1), true);
    ASSERT_EQ(m.lines()[0].entries.size(), 7u);
    EXPECT_EQ(m.AddPhoto(2), 7);
    EXPECT_EQ(m.ReportLines()[0], (std::array<int16_t, 7>{1, 2, 3, 8, 4, 5, 6}));
    EXPECT_EQ(m.ReportLines()[1], (std::array<int16_t, 7>{7, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m.PhotoNum(), 8);
}

TEST(ReportModel, LinesNeverTouchTheFirstOrLastRowOfAPage) {
    // Data entries of 10 rows (no marker table) from row 8: 8-17, 19-28, 30-39 -> the third
    // would end on the last row of page 1 and starts on row 41 instead.
    ReportLayout l = layoutOf("A4W", 0, 4);
    l.DMark = 0;
    ReportModel m;
    m.Load(l, true);
    EXPECT_EQ(m.data(1).Row, 19);
    EXPECT_EQ(m.data(2).Row, 41);
    EXPECT_EQ(m.data(3).Row, 52);
    EXPECT_EQ(m.PageCount(), 2);

    // A block that starts on the right page shows there, counted from that page's top.
    EXPECT_EQ(m.BlockOrigin(2, 41), QPoint((50 + 2) * 210, 2 * 210));
    EXPECT_EQ(m.BlockOrigin(2, 8), QPoint(2 * 210, 8 * 210));
    m.NextPage();
    EXPECT_EQ(m.BlockOrigin(2, 41), QPoint(2 * 210, 2 * 210));
    EXPECT_FALSE(m.BlockOrigin(2, 8));
    EXPECT_FALSE(m.HeaderOrigin(0)); // header items only on page 1
}

TEST(ReportModel, PagingLabelsAndButtons) {
    ReportModel m;
    m.Load(layoutOf("A4W", 2, 5), true); // photos to row 22, five 14-row entries -> 3 pages
    ASSERT_EQ(m.PageCount(), 3);
    EXPECT_EQ(m.PageLabel(0), "P1 / 3");
    EXPECT_EQ(m.PageLabel(1), "P2 / 3");
    EXPECT_FALSE(m.PreviousEnabled());
    EXPECT_TRUE(m.NextEnabled());
    m.NextPage();
    m.NextPage();
    EXPECT_EQ(m.PageLabel(0), "P3 / 3");
    EXPECT_FALSE(m.NextEnabled());
    m.NextPage();
    EXPECT_EQ(m.CurrentPage(), 3);
    EXPECT_TRUE(m.PreviousEnabled());
    // Deleting entries lowers the page to the new last page.
    for (int i = 4; i >= 1; --i)
        m.DeleteData(i);
    EXPECT_EQ(m.PageCount(), 1);
    EXPECT_EQ(m.CurrentPage(), 1);
    EXPECT_FALSE(m.DeleteData(0)); // the last data entry stays
    EXPECT_FALSE(m.CanDeleteData());
}

TEST(ReportModel, DeliveredTablesTakeTheRowsTheirMarkersNeed) {
    ReportModel m;
    m.Load(layoutOf("A4W", 0, 3), true);
    EXPECT_EQ(m.data(0).Height, 14); // 1 + 8 + 4 + 1

    // No markers: the table's four rows go.
    ASSERT_TRUE(m.Deliver(0, deliveryWith({0, 0, 0}, false)));
    EXPECT_EQ(m.data(0).PictureLoaded, 0); // taken over at activation
    EXPECT_EQ(m.SlotState(0), SlotDelivered);
    EXPECT_EQ(m.texts().dataTitle[0], "B0001.ZVX");
    ASSERT_TRUE(m.TakeOverDeliveries());
    EXPECT_EQ(m.data(0).PictureLoaded, 1);
    EXPECT_EQ(m.data(0).Height, 10);
    EXPECT_EQ(m.data(0).RemarksRow, 9);
    EXPECT_EQ(m.SlotState(0), SlotIdle);

    // 940: groups of 3, 0 and 20 markers; 14 markers a band: 4 rows, then 2 bands.
    m.Deliver(1, deliveryWith({3, 0, 20}, true));
    m.TakeOverDeliveries();
    const DataSlot& d = m.data(1);
    EXPECT_EQ(d.Grids[0].Placed, 1);
    EXPECT_EQ(d.Grids[0].Row, 9);
    EXPECT_EQ(d.Grids[1].Placed, 0);
    EXPECT_EQ(d.Grids[2].Row, 13);
    EXPECT_EQ(d.Grids[2].Height, 8);
    EXPECT_EQ(d.RemarksRow, 21);
    EXPECT_EQ(d.Height, 22);
    EXPECT_EQ(m.data(2).Row, d.Row + 23);

    // A table that fills its band exactly takes 3 rows for it.
    EXPECT_EQ(MarkerGridRows(14, 14), 7);
    EXPECT_EQ(MarkerGridRows(13, 14), 4);
    EXPECT_EQ(MarkerGridRows(29, 14), 12);

    // A slot deleted while its file loads takes nothing.
    m.Deliver(2, deliveryWith({1, 0, 0}, false));
    m.DeleteData(2);
    EXPECT_FALSE(m.TakeOverDeliveries());
}

TEST(ReportModel, SizeAndOptionChangesMoveTheRowsBelow) {
    ReportModel m;
    m.Load(layoutOf("A4W", 2, 2), true);
    const int32_t second = m.data(1).Row;
    ASSERT_TRUE(m.SetDataSize(0, 22));
    EXPECT_EQ(m.data(0).Height, 28);
    EXPECT_EQ(m.data(0).MarkerRow, 23);
    EXPECT_EQ(m.data(0).RemarksRow, 27);
    EXPECT_FALSE(m.SetDataSize(0, 22));
    EXPECT_FALSE(m.SetDataSize(0, 10));
    EXPECT_NE(m.data(1).Row, second);

    ReportLayout l = layoutOf("A4W", 2, 2);
    l.DNo = 0;
    l.DTitle = 0;
    l.DText1 = 0;
    m.ApplyDataOptions(l);
    EXPECT_EQ(m.data(0).PictureRow, 0);
    EXPECT_EQ(m.data(0).Size, 8); // the options' size applies to every entry
    EXPECT_EQ(m.data(0).Height, 12);

    l.PDir = 1;
    l.PTitle = 0;
    m.ApplyPhotoOptions(l);
    EXPECT_EQ(m.photo(0).Width, 13);
    EXPECT_EQ(m.photo(0).PictureRow, 0);
    EXPECT_EQ(m.photo(0).Height, 10);
    EXPECT_EQ(columnsOfLine(m, 0), (std::vector<int>{2, 16}));
}

TEST(ReportModel, MovingSlots) {
    ReportModel m;
    m.Load(noHeader(layoutOf("A4W", 3, 3)), true); // photos on row 2, data rows 18, 41, 56
    ASSERT_EQ(m.data(0).Row, 18);

    // A photo dropped on its line's rows joins it before the first photo right of the drop.
    ASSERT_TRUE(m.MovePhoto(2, DropCell{1, 5, 4}));
    EXPECT_EQ(m.ReportLines()[0], (std::array<int16_t, 7>{1, 3, 2, 0, 0, 0, 0}));
    // Dropped below the data entries it gets a line of its own after the last one above.
    const DropCell below = m.DropCellAt(3 * 210, 20 * 210 + 10);
    EXPECT_EQ(below.row, 20);
    ASSERT_TRUE(m.MovePhoto(0, below));
    EXPECT_EQ(m.ReportLines()[0], (std::array<int16_t, 7>{3, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m.ReportLines()[1][0], 101);
    EXPECT_EQ(m.ReportLines()[2], (std::array<int16_t, 7>{1, 0, 0, 0, 0, 0, 0}));

    // A data entry moves before the first line below the drop; its own place changes nothing.
    EXPECT_FALSE(m.MoveData(0, DropCell{1, 3, 10}));
    ASSERT_TRUE(m.MoveData(2, DropCell{1, 3, 1}));
    EXPECT_EQ(m.ReportLines()[0][0], 103);

    // The right page's columns count from the divider.
    const DropCell right = m.DropCellAt(10545 + 4 * 210 + 5, 3 * 210);
    EXPECT_EQ(right.page, 2);
    EXPECT_EQ(right.column, 4);
    EXPECT_EQ(right.row, 39 + 3);
}

TEST(ReportModel, DropsFillTheFirstFreeSlotsAndAddSlotsAsNeeded) {
    ReportModel m;
    m.Load(layoutOf("A4W", 0, 1), true);
    // No photo block yet: the first photo gets a line of its own below the header.
    EXPECT_EQ(m.PhotoSlotForDrop(), 0);
    EXPECT_TRUE(m.LoadPhoto(0, picture(40, 30)));
    EXPECT_EQ(m.lines()[0].data, false);
    EXPECT_EQ(m.LineTop(0), 8);
    EXPECT_EQ(m.PhotoSlotForDrop(), 1);
    EXPECT_EQ(m.ReportLines()[0], (std::array<int16_t, 7>{1, 2, 0, 0, 0, 0, 0}));

    auto taken = m.DataDropSnapshot();
    EXPECT_EQ(m.DataSlotForDrop(taken), 0); // in use, no picture yet
    EXPECT_EQ(m.DataSlotForDrop(taken), 1); // added after it
    EXPECT_EQ(m.DataNum(), 2);
    EXPECT_EQ(m.SlotState(1), SlotOpening);
    EXPECT_EQ(m.ReportLines()[2][0], 102);

    for (int i = 1; i < ReportPhotoSlots; ++i) // slot 1 was added but holds no picture yet
        ASSERT_TRUE(m.LoadPhoto(m.PhotoSlotForDrop(), picture(4, 3)));
    EXPECT_EQ(m.PhotoSlotForDrop(), -1); // every slot holds a picture: skipped
    EXPECT_FALSE(m.CanAddPhoto());
}

TEST(ReportDesigner, UndoAndRedoPutTheSlotsBackExactly) {
    ReportDesigner d;
    d.Load(layoutOf("A4W", 3, 2), true);
    const auto lines0 = d.model().ReportLines();
    const int32_t row0 = d.model().data(1).Row;
    int changes = 0;
    QObject::connect(&d, &ReportDesigner::changed, [&] { ++changes; });

    ASSERT_TRUE(d.LoadPhoto(0, picture(80, 60)));
    ASSERT_GE(d.AddPhoto(0), 0);
    ASSERT_TRUE(d.SetPhotoLandscape(1, true));
    ASSERT_TRUE(d.DeleteData(0));
    ASSERT_TRUE(d.SetDataSize(1, 14));
    EXPECT_FALSE(d.SetDataSize(1, 14)); // no change, no step
    d.model().texts().photoTitle[0] = "typed";
    ASSERT_EQ(d.undoStack().count(), 5);
    const auto lines5 = d.model().ReportLines();
    const int32_t row5 = d.model().data(1).Row;

    while (d.undoStack().canUndo())
        d.undoStack().undo();
    EXPECT_EQ(d.model().ReportLines(), lines0);
    EXPECT_EQ(d.model().data(1).Row, row0);
    EXPECT_EQ(d.model().data(0).InUse, 1);
    EXPECT_EQ(d.model().photo(0).PictureLoaded, 0);
    EXPECT_EQ(d.model().PhotoNum(), 3);
    EXPECT_EQ(d.model().texts().photoTitle[0], "typed"); // texts are not slot changes

    while (d.undoStack().canRedo())
        d.undoStack().redo();
    EXPECT_EQ(d.model().ReportLines(), lines5);
    EXPECT_EQ(d.model().data(1).Row, row5);
    EXPECT_EQ(d.model().photo(0).PictureLoaded, 1);
    EXPECT_EQ(changes, 5 + 10);
}

TEST(ReportDesigner, ActivationTakesOverDeliveriesAndOptionsAsOneStep) {
    ReportDesigner d;
    ReportLayout l = layoutOf("A4W", 2, 2);
    d.Load(l, true);
    d.model().Deliver(0, deliveryWith({5, 0, 0}, false));
    ReportLayoutChanges flags;
    flags.HeaderChanged = -1;
    l.HeaderItems[0].Shown = 0;
    ASSERT_TRUE(d.Activate(l, flags));
    EXPECT_EQ(flags.HeaderChanged, 0);
    EXPECT_FALSE(d.model().slotState().header[0].Shown);
    EXPECT_EQ(d.model().data(0).PictureLoaded, 1);
    EXPECT_EQ(d.undoStack().count(), 1);
    EXPECT_FALSE(d.Activate(l, flags)); // nothing waiting: no step
    d.undoStack().undo();
    EXPECT_EQ(d.model().data(0).PictureLoaded, 0);
    EXPECT_TRUE(d.model().slotState().header[0].Shown);
}
