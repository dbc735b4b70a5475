// The markers API: one free-slot rule per family, numbering, walking the used markers, insert,
// delete and the groups of the 940 family; and the rule as the ZVX writer and reader apply it.

#include "data/Markers.h"
#include "data/RecordWriters.h"
#include "data/ZvxReader.h"
#include "scangen/Writers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <vector>

using namespace rebar;

namespace {

std::vector<int> numbersShown(const MeasurementRecord& r) {
    std::vector<int> out;
    ForEachShownMarker(r, [&out](const MarkerEntry& e) { out.push_back(e.number); });
    return out;
}

} // namespace

TEST(Markers, The730ListKeepsFreeEntriesAndFillsTheFirstOneFreed) {
    MeasurementRecord r;
    r.FileKind = KindRdd;
    // Position + Sample of 0 or less is free, whatever the two values are.
    r.Markers730 = {{10, 100}, {0, 0}, {-5, 3}, {20, 200}, {-7, 7}, {-1, 2}};
    EXPECT_EQ(numbersShown(r), (std::vector<int>{1, 4, 6}));
    EXPECT_EQ(ShownMarkerCount(r), 3);
    EXPECT_FALSE(IsUsed(r.Markers730[4]));

    EXPECT_EQ(InsertMarker730(r, 30, 300), 1); // the first free entry
    EXPECT_EQ(InsertMarker730(r, 40, 400), 2);
    EXPECT_EQ(InsertMarker730(r, 50, 500), 4);
    EXPECT_EQ(InsertMarker730(r, 60, 600), 6); // none free: appended
    EXPECT_EQ(r.Markers730.size(), 7u);
    EXPECT_EQ(numbersShown(r), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(r.Markers730[2].Position, 40);

    EXPECT_TRUE(DeleteMarker730(r, 0));
    EXPECT_FALSE(DeleteMarker730(r, 7));
    EXPECT_FALSE(DeleteMarker730(r, -1));
    EXPECT_EQ(numbersShown(r), (std::vector<int>{2, 3, 4, 5, 6, 7}));

    ClearMarkers730(r);
    EXPECT_EQ(r.Markers730.size(), static_cast<size_t>(ClearedMarkerSlots730));
    EXPECT_EQ(ShownMarkerCount(r), 0);
}

TEST(Markers, The940GroupsHoldNinetyNineMarksEach) {
    MeasurementRecord r;
    r.FileKind = KindZvx4;
    for (int i = 1; i <= MarksPerGroup940; ++i)
        ASSERT_EQ(InsertMark940(r, 1, i, 2 * i), i);
    EXPECT_FALSE(InsertMark940(r, 1, 5, 5).has_value()); // the group is full
    EXPECT_EQ(InsertMark940(r, 2, 7, 8), 1);             // the other groups are not
    EXPECT_FALSE(InsertMark940(r, 3, 1, 1).has_value());
    EXPECT_EQ(r.Marks940[1][1].InUse, FlagTrue);

    // Only the current group is shown, numbered group x 100 + slot.
    r.MarkerGroup = 2;
    EXPECT_EQ(numbersShown(r), (std::vector<int>{201}));
    r.MarkerGroup = 1;
    EXPECT_EQ(ShownMarkerCount(r), 99);
    EXPECT_TRUE(DeleteMark940(r, 1, 40));
    EXPECT_FALSE(DeleteMark940(r, 1, 0));
    EXPECT_FALSE(DeleteMark940(r, 1, 100));
    EXPECT_EQ(InsertMark940(r, 1, 1, 1), 40); // the slot freed
    std::vector<MarkerEntry> firstTwo;
    ForEachMark940(r, 1, [&](const MarkerEntry& e) {
        firstTwo.push_back(e);
        return firstTwo.size() < 2; // stop after two
    });
    ASSERT_EQ(firstTwo.size(), 2u);
    EXPECT_EQ(firstTwo[1].number, 102);
    EXPECT_EQ(firstTwo[1].storage, 2);
    EXPECT_EQ(firstTwo[1].x, 2);
    EXPECT_EQ(firstTwo[1].y, 4);

    ClearMarkGroup940(r, 1);
    EXPECT_EQ(ShownMarkerCount(r), 0);
    r.MarkerGroup = 2;
    EXPECT_EQ(ShownMarkerCount(r), 1);
}

// Every part of the program tells a used mark the same way: a slot is used when InUse is not 0,
// so a mark the writer stores is one the overlay and the list show, and it reads back.
TEST(Markers, AMarkIsUsedWhereverInUseIsSet) {
    scangen::Scene s;
    s.traces = 60;
    s.markBars = false;
    MeasurementRecord r;
    ASSERT_TRUE(scangen::buildRecord(s, KindZvx4, r));
    r.Saved.XUnit = QStringLiteral("m");
    r.Saved.YUnit = QStringLiteral("cm");
    r.Marks940[0][3] = Mark940{FlagTrue, 12, 40};
    r.Marks940[0][5] = Mark940{1, 20, 50}; // set, though not with the usual -1
    EXPECT_EQ(numbersShown(r), (std::vector<int>{3, 5}));
    test::Scratch dir;
    const QString path = dir.path(QStringLiteral("MARKS.ZVX"));
    const WriteResult written = WriteZvx(r, path);
    ASSERT_TRUE(written.ok) << written.reason.toStdString();
    MeasurementRecord back;
    back.FilePath = path;
    back.FileName = QStringLiteral("MARKS.ZVX");
    back.FileKind = KindZvx4;
    int16_t maxTraces = 6000;
    ReadContext ctx;
    ctx.MaxTraces = &maxTraces;
    ASSERT_TRUE(ReadZvx(back, ctx).ok);
    EXPECT_EQ(numbersShown(back), (std::vector<int>{3, 5}));
    EXPECT_EQ(back.Marks940[0][5].X, 20);
    EXPECT_EQ(back.Marks940[0][5].Y, 50);
}
