// Marker editing on documents without a window, for both families: adding at the cursor, the
// delete input forms and their messages, the 940 mark groups, the marker list's own commands,
// undo and redo, the peak search and the snap onto a scene's echoes.

#include "view/DocumentFixtures.h"

#include "data/Markers.h"
#include "view/CursorPosition.h"
#include "view/MarkerEditing.h"

using namespace rebar;
using namespace rebar::test;

namespace {

struct Family {
    const char* name;
    scangen::Format format;
    const char* file;
};
const Family Rdd730{"730", scangen::Format::Rdd, "SLAB.RDD"};
const Family Zvx940{"940", scangen::Format::Zvx, "DECK.ZVX"};

// The image columns of the markers a view shows, in storage order.
std::vector<int64_t> shownTraces(const MeasurementRecord& r) {
    std::vector<int64_t> out;
    ForEachShownMarker(r, [&out](const MarkerEntry& m) { out.push_back(m.x); });
    return out;
}

std::vector<int> listNumbers(const MeasurementDocument& doc) {
    std::vector<int> out;
    for (const MarkerListLine& l : doc.markerList().lines)
        out.push_back(l.number);
    return out;
}

class MarkerEditing : public DocumentTest, public ::testing::WithParamInterface<Family> {
protected:
    bool is940() const { return GetParam().format != scangen::Format::Rdd; }
    // A scene without stored markers.
    std::unique_ptr<MeasurementDocument> openBare(scangen::Scene s = scene()) {
        s.markBars = false;
        return open(write(QString::fromLatin1(GetParam().file), GetParam().format, s));
    }
    // Adds a marker at each column (row 100).
    static void addAt(MeasurementDocument& doc, std::initializer_list<int> columns) {
        for (int c : columns) {
            doc.state().CursorColumn = c;
            doc.state().CursorRow = 100;
            ASSERT_TRUE(doc.AddMarkerCommand().ok);
        }
    }
};

} // namespace

TEST(DeleteInput, FormsNumbersAndMessages) {
    auto numbers = [](const char* text, int last) { return ParseDeleteInput(text, last).numbers; };
    EXPECT_EQ(numbers("3-1", 5), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(numbers("2+5+1", 5), (std::vector<int>{2, 5, 1}));
    EXPECT_EQ(ParseDeleteInput(" all ", 5).kind, DeleteRequest::All);
    EXPECT_EQ(ParseDeleteInput("", 5).kind, DeleteRequest::Nothing);
    // Bad characters, mixed forms and non-numeric items delete nothing.
    for (const char* bad : {"1+a", "1 + 2", "1+2-3", "1-", "1-2-3", "+2", "ALL3"}) {
        const DeleteRequest r = ParseDeleteInput(bad, 5);
        EXPECT_EQ(r.message, 27) << bad;
        EXPECT_TRUE(r.numbers.empty()) << bad;
    }
    // A number outside the list stops the request; what came before it stands.
    const DeleteRequest partial = ParseDeleteInput("1+9+2", 5);
    EXPECT_EQ(partial.numbers, std::vector<int>{1});
    EXPECT_EQ(partial.message, 28);
    for (const char* out : {"0", "6", "0-3", "99999999999999"})
        EXPECT_EQ(ParseDeleteInput(out, 5).message, 28) << out;
    // A trailing "+" leaves an empty last item, which deletes nothing more.
    EXPECT_EQ(numbers("4+", 5), std::vector<int>{4});
    EXPECT_EQ(ParseDeleteInput("4+", 5).message, 0);
}

TEST_P(MarkerEditing, AddTakesTheCursorAndTheFirstFreeSlot) {
    auto doc = openBare();
    MeasurementRecord& r = doc->record();
    doc->state().CursorColumn = 120;
    doc->state().CursorRow = 200;
    const CommandResult added = doc->AddMarkerCommand();
    EXPECT_TRUE(added.updates & ViewUpdate::MarkerList);
    EXPECT_TRUE(added.updates & ViewUpdate::Image);
    EXPECT_EQ(r.Modified, FlagTrue);
    EXPECT_EQ(doc->state().CurrentMarker, 1);
    ASSERT_EQ(doc->markerList().lines.size(), 1);
    if (is940()) {
        const Mark940& m = r.Marks940[0][1];
        EXPECT_EQ(m.InUse, FlagTrue);
        EXPECT_EQ(m.X, 119);
        EXPECT_EQ(m.Y, RowToSample(r, 199) / 2);
    } else {
        EXPECT_EQ(r.Markers730[0].Position, 119);
        EXPECT_EQ(r.Markers730[0].Sample, RowToSample(r, 200));
    }
    // A new marker fills the first freed slot, so its number can be lower than older ones.
    addAt(*doc, {200, 300});
    EXPECT_TRUE(doc->DeleteMarkers(QStringLiteral("1")).ok);
    EXPECT_EQ(doc->state().CurrentMarker, 3); // the marker deleted was not the current one
    addAt(*doc, {50});
    EXPECT_EQ(doc->state().CurrentMarker, 1);
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(shownTraces(r).front(), 49);
}

TEST_P(MarkerEditing, DeleteFormsMessagesAndTheLastListNumber) {
    auto doc = openBare();
    EXPECT_EQ(doc->LastListNumber(), 999);
    addAt(*doc, {40, 80, 120, 160, 200});
    EXPECT_TRUE(doc->DeleteMarkers(QStringLiteral("3-1")).ok);
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{4, 5}));

    // A bad item: nothing changes.
    doc->record().Modified = 0;
    CommandResult r = doc->DeleteMarkers(QStringLiteral("4+x"));
    ASSERT_EQ(r.notices.size(), 1);
    EXPECT_EQ(r.notices[0].message, 27);
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{4, 5}));
    EXPECT_EQ(doc->record().Modified, 0);

    // A number beyond the last line (even with a free slot of that number) after one that
    // is deleted: the deletion stands and the list shows it.
    addAt(*doc, {240}); // takes slot 1
    r = doc->DeleteMarkers(QStringLiteral("4+9+5"));
    ASSERT_EQ(r.notices.size(), 1);
    EXPECT_EQ(r.notices[0].message, 28);
    EXPECT_TRUE(r.updates & ViewUpdate::MarkerList);
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{1, 5}));
    EXPECT_EQ(doc->record().Modified, FlagTrue);
    // A number inside the list that names no marker is skipped without a word.
    r = doc->DeleteMarkers(QStringLiteral("3"));
    EXPECT_TRUE(r.notices.isEmpty());
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{1, 5}));

    // Shift+D's text: the current marker, once.
    doc->state().DeleteWithoutPrompt = FlagTrue;
    EXPECT_EQ(doc->DeleteTextWithoutPrompt(), QStringLiteral("1"));
    EXPECT_EQ(doc->state().DeleteWithoutPrompt, 0);

    EXPECT_TRUE(doc->DeleteMarkers(QStringLiteral(" all ")).ok);
    EXPECT_FALSE(doc->HasMarkerLines());
    EXPECT_EQ(doc->state().CurrentMarker, 0);
    if (!is940()) {
        EXPECT_EQ(doc->record().Markers730.size(), static_cast<size_t>(ClearedMarkerSlots730));
    }
}

TEST_P(MarkerEditing, DeleteAllUndoRedoRestoresTheMarkersExactly) {
    scangen::Scene s = scene();
    auto doc = open(write(QString::fromLatin1(GetParam().file), GetParam().format, s));
    addAt(*doc, {70, 30});
    const MarkerState before = doc->markerState();
    const QStringList lines = [&] {
        QStringList t;
        for (const MarkerListLine& l : doc->markerList().lines)
            t << l.text;
        return t;
    }();
    ASSERT_TRUE(doc->DeleteMarkers(QStringLiteral("ALL")).ok);
    ASSERT_FALSE(doc->HasMarkerLines());
    ASSERT_TRUE(doc->canUndo());
    const CommandResult undone = doc->UndoCommand();
    EXPECT_TRUE(undone.updates & ViewUpdate::MarkerList);
    EXPECT_TRUE(undone.updates & ViewUpdate::Image);
    EXPECT_EQ(doc->markerState(), before);
    QStringList after;
    for (const MarkerListLine& l : doc->markerList().lines)
        after << l.text;
    EXPECT_EQ(after, lines);
    ASSERT_TRUE(doc->RedoCommand().ok);
    EXPECT_FALSE(doc->HasMarkerLines());
    // Undo goes back one command at a time, to the markers the file brought.
    doc->UndoCommand();
    doc->UndoCommand();
    doc->UndoCommand();
    EXPECT_FALSE(doc->canUndo());
    EXPECT_EQ(static_cast<int>(doc->markerList().lines.size()), is940() ? 2 : 3);
}

TEST_P(MarkerEditing, ListCommandsDeleteCompactAndSortWithNewNumbers) {
    auto doc = openBare();
    addAt(*doc, {300, 100, 250, 200});
    // Delete the second line (column 100).
    ASSERT_TRUE(doc->MarkerListCommand(0, 2).ok);
    EXPECT_EQ(shownTraces(doc->record()), (std::vector<int64_t>{299, 249, 199}));
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{1, 3, 4}));
    ASSERT_TRUE(doc->MarkerListCommand(1, 0).ok);
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(doc->state().CurrentMarker, 0);
    ASSERT_TRUE(doc->MarkerListCommand(2, 0).ok);
    EXPECT_EQ(shownTraces(doc->record()), (std::vector<int64_t>{199, 249, 299}));
    // Pitches follow the list order: ascending order gives two equal steps of 50 traces.
    const auto& lines = doc->markerList().lines;
    EXPECT_NEAR(lines[2].distance - lines[1].distance, lines[1].distance - lines[0].distance, 1e-9);
    ASSERT_TRUE(doc->MarkerListCommand(3, 0).ok);
    EXPECT_EQ(shownTraces(doc->record()), (std::vector<int64_t>{299, 249, 199}));
    if (!is940()) {
        EXPECT_EQ(doc->record().Markers730.size(), 3u); // no free entry left
    }
    // Each list command is one undo step.
    doc->UndoCommand();
    doc->UndoCommand();
    doc->UndoCommand();
    EXPECT_EQ(listNumbers(*doc), (std::vector<int>{1, 3, 4}));
}

using MarkerGroups940 = DocumentTest;

TEST_F(MarkerGroups940, TheHundredthMarkOfAGroupIsRefusedWhileOtherGroupsTakeMore) {
    scangen::Scene s = scene();
    s.markBars = false;
    auto doc = open(write(QStringLiteral("G.ZVX"), scangen::Format::Zvx, s));
    for (int i = 0; i < 99; ++i) {
        doc->state().CursorColumn = 10 + i;
        ASSERT_TRUE(doc->AddMarkerCommand().notices.isEmpty()) << i;
    }
    const CommandResult full = doc->AddMarkerCommand();
    ASSERT_EQ(full.notices.size(), 1);
    EXPECT_EQ(full.notices[0].message, 12);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 99);
    doc->MarkerGroupCommand(1);
    EXPECT_TRUE(doc->AddMarkerCommand().notices.isEmpty());
    EXPECT_EQ(doc->state().CurrentMarker, 101);
    // Only the current group is listed and deleted.
    EXPECT_EQ(listNumbers(*doc), std::vector<int>{101});
    EXPECT_TRUE(doc->DeleteMarkers(QStringLiteral("all")).ok);
    doc->MarkerGroupCommand(0);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 99);
}

TEST_P(MarkerEditing, SnapPutsTheCursorOnTheEchoPeakAndAddsMarkersAtThePitchAndCover) {
    // Bars 200 mm apart under 60 to 80 mm of concrete.
    scangen::Scene s;
    s.traces = 560;
    s.er = 7.0;
    s.noise = 0.005;
    s.markBars = false;
    const double covers[] = {60, 65, 70, 75, 80, 72};
    for (int i = 0; i < 6; ++i)
        s.bars.push_back({150.0 + 200.0 * i, covers[i]});
    auto doc = open(write(QString::fromLatin1(GetParam().file), GetParam().format, s));
    MeasurementRecord& r = doc->record();
    ASSERT_DOUBLE_EQ(r.Permittivity, 7.0);
    const std::vector<scangen::Scene::Apex> apexes = s.apexes();
    for (size_t i = 0; i < apexes.size(); ++i) {
        const int trace = apexes[i].position + 1;
        // A little off the apex, as a hand would put it.
        doc->state().CursorColumn = ColumnOfTrace(r, trace) + 4;
        doc->state().CursorRow = RowOfSample(r, apexes[i].sample) - 5;
        ASSERT_TRUE(doc->SnapAndAddCommand().ok);
        // Traces next to the apex hold nearly the same peak; the snap lands within a few.
        EXPECT_NEAR(GetXPos(r, doc->state().CursorColumn), trace, 3) << i;
        // The snapped sample is the echo's strongest positive value, the wavelet's centre.
        EXPECT_NEAR(RowToSample(r, doc->state().CursorRow), apexes[i].exactSample, 3.0) << i;
    }
    const auto& lines = doc->markerList().lines;
    ASSERT_EQ(lines.size(), 6);
    const double meanPitchMm = (lines.last().distance - lines.first().distance) / 5 * 1000;
    EXPECT_NEAR(meanPitchMm, 200.0, 2.0);
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(lines[i].depth * 10, covers[i], 3.0) << i; // cm to mm
}

TEST_P(MarkerEditing, PeakSearchWalksFromTheStrongestLobeToTheNextWeakerOne) {
    scangen::Scene s;
    s.traces = 200;
    s.markBars = false;
    s.bars = {{250, 40}, {250, 110}}; // two echoes in the same trace, the shallower stronger
    auto doc = open(write(QString::fromLatin1(GetParam().file), GetParam().format, s));
    MeasurementRecord& r = doc->record();
    doc->state().CursorColumn = ColumnOfTrace(r, 101);
    doc->state().CursorRow = 300;
    doc->PeakSearchCommand();
    const int first = doc->state().CursorRow;
    EXPECT_NEAR(RowToSample(r, first), s.apexSample(40), 3.0);
    doc->PeakSearchCommand();
    const int second = doc->state().CursorRow;
    EXPECT_NEAR(RowToSample(r, second), s.apexSample(110), 3.0);
    // Moving the cursor in between starts from the strongest again.
    doc->state().CursorRow = 2;
    doc->PeakSearchCommand();
    EXPECT_EQ(doc->state().CursorRow, first);
    // No search in the first trace.
    doc->state().CursorColumn = 1;
    doc->state().CursorRow = 7;
    doc->PeakSearchCommand();
    EXPECT_EQ(doc->state().CursorRow, 7);
}

TEST_P(MarkerEditing, ClickingALinePutsTheCursorOnTheMarkerAndScrollsToIt) {
    scangen::Scene s = scene(1200);
    s.markBars = false;
    auto doc = open(write(QString::fromLatin1(GetParam().file), GetParam().format, s));
    addAt(*doc, {700, 20});
    Viewport v{1, 1, 1200 - 404 + 1, 404, 600};
    const CommandResult clicked = doc->ClickMarkerLine(1, v, 1);
    EXPECT_TRUE(clicked.updates & ViewUpdate::Readouts);
    EXPECT_EQ(doc->state().CursorColumn, 700);
    // The row that shows the marker's sample (a 940 mark keeps the sample of the row above).
    EXPECT_EQ(doc->state().CursorRow, is940() ? 99 : 100);
    EXPECT_EQ(v.scroll, 700 - 404 / 4);
    // The readouts show the line's own figures.
    EXPECT_TRUE(
        doc->markerList().lines[0].text.contains(doc->readouts().texts.distanceValue.chopped(1)));
    // Near the end the scroll position stops at the end of its range.
    addAt(*doc, {1150});
    doc->ClickMarkerLine(3, v, 1);
    EXPECT_EQ(v.scroll, 1200 - 404 + 1);
    doc->ClickMarkerLine(2, v, v.scroll);
    EXPECT_EQ(v.scroll, 1);
    EXPECT_EQ(doc->state().CursorColumn, 20);
    EXPECT_FALSE(doc->ClickMarkerLine(4, v, 1).ok);
}

INSTANTIATE_TEST_SUITE_P(Families, MarkerEditing, ::testing::Values(Rdd730, Zvx940),
                         [](const auto& info) { return std::string(info.param.name); });
