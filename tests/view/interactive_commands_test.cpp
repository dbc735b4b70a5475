// The view commands that ask first, on documents with a scripted user: the delete input box,
// the detections with their confirmation, progress and questions, the permittivity
// back-calculation, and the map link.

#include "view/DocumentFixtures.h"

#include "data/Markers.h"
#include "platform/ScriptedPlatform.h"
#include "processing/BackCalculation.h"
#include "processing/DepthScale.h"
#include "view/CursorPosition.h"
#include "view/InteractiveCommands.h"
#include "view/MarkerEditing.h"

using namespace rebar;
using namespace rebar::test;

namespace {

class AskingCommands : public DocumentTest {
protected:
    // A scene of bars at known places, without stored markers.
    static scangen::Scene bars() {
        scangen::Scene s;
        s.traces = 500;
        s.er = 8.0;
        s.noise = 0.005;
        s.markBars = false;
        s.bars = {{200, 50}, {450, 60}, {700, 55}, {950, 70}};
        return s;
    }
    std::unique_ptr<MeasurementDocument> openFile(const char* name, scangen::Format f,
                                                  const scangen::Scene& s = bars()) {
        return open(write(QString::fromLatin1(name), f, s));
    }
    ScriptedPlatform ui;
};

} // namespace

TEST_F(AskingCommands, DeleteAsksForTheNumbersAndCancelChangesNothing) {
    auto doc = openFile("A.RDD", scangen::Format::Rdd);
    EXPECT_FALSE(DeleteMarkersCommand(*doc, ui).ok); // no marker line: no question
    EXPECT_TRUE(ui.messages.isEmpty());
    for (int c : {100, 200, 300}) {
        doc->state().CursorColumn = c;
        doc->AddMarkerCommand();
    }
    ui.inputAnswers = {std::nullopt, QStringLiteral("2")};
    DeleteMarkersCommand(*doc, ui);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 3);
    DeleteMarkersCommand(*doc, ui);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 2);
    // Shift+D deletes the marker last added, Shift+E the last line's, without a question.
    DeleteCurrentMarkerCommand(*doc, ui);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 1);
    EXPECT_EQ(doc->markerList().lines[0].number, 1);
    DeleteLastMarkerCommand(*doc, ui);
    EXPECT_FALSE(doc->HasMarkerLines());
    EXPECT_TRUE(ui.inputAnswers.empty());
}

TEST_F(AskingCommands, AutoDetectionConfirmsShowsProgressAndIsOneUndoStep) {
    for (const scangen::Format f : {scangen::Format::Rdd, scangen::Format::Zvx}) {
        auto doc = openFile(f == scangen::Format::Rdd ? "B.RDD" : "B.ZVX", f);
        MeasurementRecord& r = doc->record();
        doc->state().CursorColumn = 30;
        doc->AddMarkerCommand();
        const MarkerState before = doc->markerState();

        // Cancel in the confirmation leaves the markers.
        ui.answers = {MsgAnswer::Cancel};
        DetectionCommand(*doc, ui, DetectionMode::FromStart);
        EXPECT_EQ(doc->markerState(), before);
        EXPECT_FALSE(ui.m_progress.shown);

        ui.m_progress.history.clear();
        const CommandResult res = DetectionCommand(*doc, ui, DetectionMode::FromStart);
        EXPECT_TRUE(res.ok);
        EXPECT_TRUE(res.updates & ViewUpdate::MarkerList);
        EXPECT_EQ(ui.messages.last().icon, MsgIcon::Warning);
        EXPECT_EQ(ui.messages.last().buttons, MsgButtons::OkCancel);
        EXPECT_TRUE(ui.m_progress.history.contains(100));
        EXPECT_FALSE(ui.m_progress.shown);
        EXPECT_EQ(doc->state().CurrentMarker, 0);
        // One marker per bar, each on the trace of its apex as a hand-placed marker would be.
        const std::vector<scangen::Scene::Apex> apexes = bars().apexes();
        ASSERT_EQ(ShownMarkerCount(r), 4);
        int k = 0;
        ForEachShownMarker(r, [&](const MarkerEntry& m) {
            EXPECT_NEAR(m.x, apexes[static_cast<size_t>(k++)].position, 1) << int(f);
        });
        doc->UndoCommand();
        EXPECT_EQ(doc->markerState(), before);
    }
}

TEST_F(AskingCommands, FittedDetectionWritesTheChosenGroupAndTheEstimateInOneStep) {
    auto doc = openFile("C.ZVX", scangen::Format::Zvx);
    MeasurementRecord& r = doc->record();
    const double erBefore = r.Permittivity;
    const MarkerState before = doc->markerState();

    // A group that does not exist is refused with its message.
    ui.inputAnswers = {QStringLiteral("5")};
    CommandResult res = DetectionCommand(*doc, ui, DetectionMode::Fitted);
    ASSERT_EQ(res.notices.size(), 1);
    EXPECT_EQ(res.notices[0].message, 42);

    ui.inputAnswers = {QStringLiteral("2")};
    ui.answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    res = DetectionCommand(*doc, ui, DetectionMode::Fitted);
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(ui.messages.last().icon, MsgIcon::Question);
    EXPECT_EQ(r.MarkerGroup, 2);
    EXPECT_EQ(doc->marks().MarkerGroup, 2);
    EXPECT_EQ(ShownMarkerCount(r), 4);
    EXPECT_NEAR(r.Permittivity, 8.0, 0.4);
    EXPECT_EQ(r.PermittivityPreset, PresetItemOther);
    EXPECT_EQ(doc->marks().Permittivity, PresetItemOther);

    // One undo takes back the markers and the permittivity together.
    doc->UndoCommand();
    EXPECT_EQ(doc->markerState(), before);
    EXPECT_EQ(r.Permittivity, erBefore);
    EXPECT_EQ(r.MarkerGroup, 0);

    // Answering no keeps the permittivity.
    ui.inputAnswers = {QStringLiteral("1")};
    ui.answers = {MsgAnswer::Ok, MsgAnswer::No};
    DetectionCommand(*doc, ui, DetectionMode::Fitted);
    EXPECT_EQ(r.Permittivity, erBefore);
    EXPECT_EQ(r.MarkerGroup, 1);
}

TEST_F(AskingCommands, BackCalculationReadsTheDepthAndIsOneUndoStep) {
    auto doc = openFile("D.RDD", scangen::Format::Rdd);
    MeasurementRecord& r = doc->record();
    const double erBefore = r.Permittivity;
    doc->state().CursorRow = 200;
    const int s = 2 * (RowToSample(r, 200) / 2);
    const double depthAt81 = buildTables().depth730(81, s);

    ui.inputAnswers = {QString(), QStringLiteral("abc"), QStringLiteral("-2")};
    EXPECT_TRUE(BackCalculationCommand(*doc, ui).notices.isEmpty());
    EXPECT_EQ(BackCalculationCommand(*doc, ui).notices.value(0).message, 18);
    EXPECT_EQ(BackCalculationCommand(*doc, ui).notices.value(0).message, 18);
    EXPECT_EQ(r.Permittivity, erBefore);
    EXPECT_FALSE(doc->canUndo());

    ui.inputAnswers = {QString::number(depthAt81 / 10, 'g', 12)};
    const CommandResult res = BackCalculationCommand(*doc, ui);
    EXPECT_TRUE(res.updates & ViewUpdate::DepthAxis);
    EXPECT_FLOAT_EQ(static_cast<float>(r.Permittivity), 8.1f);
    EXPECT_FLOAT_EQ(r.Saved.Permittivity, 8.1f);
    EXPECT_EQ(doc->marks().Permittivity, PresetItemOther);
    // A depth no permittivity gives: told, the permittivity stays.
    ui.inputAnswers = {QStringLiteral("500")};
    EXPECT_EQ(BackCalculationCommand(*doc, ui).notices.value(0).message, 22);
    EXPECT_FLOAT_EQ(static_cast<float>(r.Permittivity), 8.1f);
    doc->UndoCommand();
    EXPECT_EQ(r.Permittivity, erBefore);
}

TEST_F(AskingCommands, TheMapLinkOpensThePositionOrSaysWhyNot) {
    scangen::Scene s = bars();
    s.latitude = QStringLiteral("-33.8688");
    s.longitude = QStringLiteral("151.2093");
    auto doc = openFile("E.ZVX", scangen::Format::Zvx, s);
    EXPECT_TRUE(OpenMapLink(*doc, ui).ok);
    ASSERT_EQ(ui.openedUrls.size(), 1);
    EXPECT_TRUE(ui.openedUrls[0].endsWith(
        QStringLiteral("/maps?q=loc:-33.868800,151.209300&ll=-33.868800,151.209300&z=16")));
    ui.browserFails = true;
    const CommandResult failed = OpenMapLink(*doc, ui);
    ASSERT_EQ(failed.notices.size(), 1);
    EXPECT_EQ(failed.notices[0].message, 41);
    EXPECT_EQ(failed.notices[0].line, ui.openedUrls[0]);
    // A file without a position has no address.
    auto plain = openFile("F.ZVX", scangen::Format::Zvx);
    EXPECT_FALSE(MapLinkUrl(*plain));
}

TEST_F(AskingCommands, MarkerKeysAndMenuEntriesReachTheirCommands) {
    auto doc = openFile("K.RDD", scangen::Format::Rdd);
    for (int c : {100, 200}) {
        doc->state().CursorColumn = c;
        ASSERT_TRUE(MarkerKeyCommand(*doc, ui, Qt::Key_M));
    }
    EXPECT_EQ(ShownMarkerCount(doc->record()), 2);
    // A key without a marker command runs nothing.
    EXPECT_FALSE(MarkerKeyCommand(*doc, ui, Qt::Key_X));
    EXPECT_EQ(ShownMarkerCount(doc->record()), 2);
    // Shift+D: the marker last added (at column 200) goes, without a question.
    ASSERT_TRUE(MarkerKeyCommand(*doc, ui, Qt::Key_D));
    ASSERT_EQ(ShownMarkerCount(doc->record()), 1);
    EXPECT_TRUE(ui.inputAnswers.empty());

    // The list's delete entry takes the selected line; the menu's delete asks for the numbers.
    const ViewCommand* listDelete = FindViewCommand(QStringLiteral("Menu11"), 0);
    const ViewCommand* menuDelete = FindViewCommand(QStringLiteral("Menu14"), 1);
    ASSERT_TRUE(listDelete && menuDelete);
    EXPECT_FALSE(RunInteractiveCommand(*doc, ui, *listDelete, 0)->ok); // no line selected
    EXPECT_TRUE(RunInteractiveCommand(*doc, ui, *listDelete, 1)->ok);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 0);
    doc->AddMarkerCommand();
    ui.inputAnswers = {QStringLiteral("1")};
    RunInteractiveCommand(*doc, ui, *menuDelete, 0);
    EXPECT_EQ(ShownMarkerCount(doc->record()), 0);
    EXPECT_TRUE(ui.inputAnswers.empty());
    // Entries the document or the window runs are not among them.
    for (const auto& [array, index] : {std::pair{"Menu14", 0}, {"menu2", 4}, {"Menu7", 1}}) {
        const ViewCommand* c = FindViewCommand(QString::fromLatin1(array), index);
        ASSERT_TRUE(c) << array;
        EXPECT_FALSE(RunInteractiveCommand(*doc, ui, *c, 1)) << array;
    }
    EXPECT_EQ(ShownMarkerCount(doc->record()), 0);
}
