// The measurement document without a window: opening, every view command of both families run
// through the command table, the marks the table reports, failed refreshes, saving, and the
// trace limit each document keeps for itself.

#include "view/DocumentFixtures.h"

#include "platform/ScriptedPlatform.h"
#include "view/CursorPosition.h"
#include "view/ViewCommandTable.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <thread>

using namespace rebar;
using namespace rebar::test;

namespace {

struct Family {
    const char* name;
    scangen::Format format;
    const char* file;
    int kind;
};
const Family Rdd730{"730", scangen::Format::Rdd, "SLAB.RDD", KindRdd};
const Family Zvx940{"940", scangen::Format::Zvx, "DECK.ZVX", KindZvx4};

const ViewCommand& entry(const QString& array, int index) {
    const ViewCommand* c = FindViewCommand(array, index);
    EXPECT_NE(c, nullptr) << array.toStdString() << "_" << index;
    static const ViewCommand none;
    return c ? *c : none;
}

CommandResult run(MeasurementDocument& doc, const QString& array, int index) {
    return RunViewCommand(doc, entry(array, index));
}

// The item of a menu group the table shows checked: -1 none, -2 more than one.
int checkedItem(const MeasurementDocument& doc, const QString& array, int count) {
    int found = -1;
    for (int i = 0; i < count; ++i) {
        const std::optional<bool> c = CommandChecked(entry(array, i), doc);
        EXPECT_TRUE(c.has_value()) << array.toStdString() << "_" << i << " has no mark";
        if (c.value_or(false)) {
            if (found >= 0)
                return -2;
            found = i;
        }
    }
    return found;
}

// The processing item checked in both B-mode edit menus (they must agree).
int processingItem(const MeasurementDocument& doc) {
    int found = -1;
    for (int i = 4; i <= 10; ++i) {
        const bool bar = *CommandChecked(entry(QStringLiteral("Menu14"), i), doc);
        EXPECT_EQ(bar, *CommandChecked(entry(QStringLiteral("Menu10"), i), doc)) << i;
        if (bar)
            found = found < 0 ? i : -2;
    }
    return found;
}

class DocumentCommands : public DocumentTest, public ::testing::WithParamInterface<Family> {
protected:
    std::unique_ptr<MeasurementDocument> openScene() {
        return open(write(QString::fromLatin1(GetParam().file), GetParam().format, scene()));
    }
    bool is940() const { return GetParam().kind >= KindVxd; }
};

} // namespace

TEST_P(DocumentCommands, OpenSettlesTheDisplayDefaultsAndKeepsTheFileValuesInSaved) {
    // No widget toolkit: the suite runs on a plain GUI application.
    ASSERT_FALSE(QCoreApplication::instance()->inherits("QApplication"));
    settings.GradationSystem730 = settings.GradationSystem940 = 6;
    settings.IndicationRange730 = settings.IndicationRange940 = 2;
    auto doc = openScene();
    const MeasurementRecord& r = doc->record();
    EXPECT_EQ(r.FileKind, GetParam().kind);
    EXPECT_EQ(r.Loaded, FlagTrue);
    EXPECT_EQ(r.Modified, 0);
    EXPECT_EQ(r.ColorCode, 6);
    EXPECT_EQ(r.Saved.ColorCode, 0); // what a save writes back: the file's own value
    EXPECT_EQ(r.ViewRange, 2);
    EXPECT_EQ(r.Saved.ViewRange, 1);
    // The pictures of the full refresh.
    const int n = r.TraceCount;
    EXPECT_EQ(doc->images().ComposedImage.size(), QSize(n, is940() ? 816 : 560));
    EXPECT_EQ(doc->images().OverlayImage.size(), QSize(n, is940() ? 792 : 536));
    EXPECT_FALSE(doc->depthAxis().isNull());
    EXPECT_FALSE(doc->colorBar().bar.isNull());
    EXPECT_TRUE(doc->readouts().valid);
    // 730: every marker; 940: the marks of group 0 (the bars alternate between two groups).
    EXPECT_EQ(doc->markerList().lines.size(), is940() ? 2 : 3);
    // The marks the menus show.
    EXPECT_EQ(checkedItem(*doc, "Menu4", 12), 6);
    EXPECT_EQ(checkedItem(*doc, "Menu12", 6), 2);
    EXPECT_EQ(checkedItem(*doc, "Menu3", 14), r.GainMode * 7 + r.Gain - 1);
    EXPECT_EQ(checkedItem(*doc, "Menu6", 2), 1); // Direction 0: "reverse"
    EXPECT_EQ(checkedItem(*doc, "Menu16_0", 4), 2);
    EXPECT_EQ(checkedItem(*doc, "Menu16_1", 4), 1);
    EXPECT_EQ(processingItem(*doc), 5);                   // fixed surface-wave removal
    EXPECT_TRUE(CommandEnabled(entry("menu2", 2), *doc)); // saved in place
    // Items of the other family are hidden; items nothing is built behind are disabled.
    EXPECT_EQ(CommandVisible(entry("Menu3", 13), *doc), is940());
    EXPECT_EQ(CommandVisible(entry("Menu14", 10), *doc), is940());
    EXPECT_TRUE(CommandEnabled(entry("menu2", 4), *doc)); // the JPEG dialog is built
    // The marker list commands follow the list: the scene's markers enable them.
    EXPECT_EQ(CommandEnabled(entry("Menu13", 0), *doc), doc->HasMarkerLines());
}

TEST_P(DocumentCommands, SensitivityGradationAndUnitsWriteTheFieldAndTheSavedCopy) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    const SavedSettings before = r.Saved;
    CommandResult res = run(*doc, "Menu3", 9); // "auto" of the deep band
    EXPECT_TRUE(res.ok);
    EXPECT_TRUE(res.updates & ViewUpdate::Image);
    EXPECT_TRUE(res.notices.isEmpty());
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.Gain, 3);
    EXPECT_EQ(r.Saved.GainMode, 1);
    EXPECT_EQ(r.Saved.Gain, 3);
    EXPECT_EQ(r.Saved.ColorCode, before.ColorCode);
    EXPECT_EQ(r.Modified, FlagTrue);
    EXPECT_EQ(checkedItem(*doc, "Menu3", 14), 9);

    const QImage overlay = doc->images().OverlayImage.copy();
    const QImage bar = doc->colorBar().bar.copy();
    res = run(*doc, "Menu4", 7);
    EXPECT_TRUE(res.ok);
    EXPECT_TRUE(res.updates & ViewUpdate::ColorBar);
    EXPECT_EQ(r.ColorCode, 7);
    EXPECT_EQ(r.Saved.ColorCode, 7);
    EXPECT_EQ(checkedItem(*doc, "Menu4", 12), 7);
    EXPECT_NE(doc->images().OverlayImage, overlay);
    EXPECT_NE(doc->colorBar().bar, bar);

    const QString depthBefore = doc->readouts().texts.depthValue;
    res = run(*doc, "Menu16_0", 0);
    EXPECT_EQ(r.XUnit, "mm");
    EXPECT_EQ(r.Saved.XUnit, "mm");
    EXPECT_TRUE(res.updates & ViewUpdate::Resize);
    EXPECT_TRUE(doc->readouts().texts.distanceValue.endsWith("mm"));
    EXPECT_EQ(checkedItem(*doc, "Menu16_0", 4), 0);
    res = run(*doc, "Menu16_1", 3);
    EXPECT_EQ(r.YUnit, "inch");
    EXPECT_EQ(r.Saved.YUnit, "inch");
    EXPECT_FALSE(res.updates & ViewUpdate::Image); // the radargram is not rebuilt
    EXPECT_TRUE(res.updates & ViewUpdate::DepthAxis);
    EXPECT_NE(doc->readouts().texts.depthValue, depthBefore);
    EXPECT_EQ(checkedItem(*doc, "Menu16_1", 4), 3);
}

TEST_P(DocumentCommands, DirectionRangeAndMagnification) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    const int n = r.TraceCount;
    CommandResult res = run(*doc, "Menu6", 0); // "forward": Direction 1
    EXPECT_EQ(r.Direction, 1);
    EXPECT_EQ(r.Saved.Direction, 1);
    EXPECT_TRUE(res.updates & ViewUpdate::ScrollRange);
    EXPECT_TRUE(res.updates & ViewUpdate::Resize);
    EXPECT_EQ(checkedItem(*doc, "Menu6", 2), 0);

    doc->state().LastPeakColumn = 17;
    res = run(*doc, "Menu12", 4); // standard W: one column for two traces
    EXPECT_EQ(r.ViewRange, 4);
    EXPECT_EQ(r.Saved.ViewRange, 4);
    EXPECT_EQ(doc->state().LastPeakColumn, 0);
    EXPECT_EQ(doc->imageWidth(), n / 2);
    EXPECT_EQ(doc->images().ComposedImage.width(), n / 2);
    EXPECT_TRUE(res.updates & ViewUpdate::Readouts);
    EXPECT_EQ(checkedItem(*doc, "Menu12", 6), 4);

    // The magnification is not stored in files: nothing to save.
    r.Modified = 0;
    const SavedSettings saved = r.Saved;
    const size_t rows = doc->state().RowDepthTable.size();
    res = run(*doc, "Menu15", 1);
    EXPECT_EQ(r.CoverMagnification, 1);
    EXPECT_EQ(r.Modified, 0);
    EXPECT_EQ(r.Saved.ViewRange, saved.ViewRange);
    EXPECT_TRUE(res.updates & ViewUpdate::PictureHeight);
    EXPECT_LT(doc->state().RowDepthTable.size(), rows);
    EXPECT_EQ(checkedItem(*doc, "Menu15", 2), 1);
}

TEST_P(DocumentCommands, ProcessingItemsSetCodeLineAndPeak) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    run(*doc, "Menu14", 4); // plain picture
    EXPECT_EQ(r.ProcCode, 0);
    EXPECT_EQ(r.ProcessingLine, 0);
    EXPECT_EQ(r.Saved.ProcCode, 0);
    EXPECT_EQ(processingItem(*doc), 4);
    doc->state().CursorColumn = 120;
    run(*doc, "Menu10", 8); // subtraction against the trace under the cursor, from the popup
    EXPECT_EQ(r.ProcCode, 3);
    EXPECT_EQ(r.ProcessingLine, GetXPos(r, 120));
    EXPECT_EQ(processingItem(*doc), 8);
    run(*doc, "Menu14", 6);
    EXPECT_EQ(r.ProcCode, 5);

    r.Modified = 0;
    const SavedSettings saved = r.Saved;
    const QImage before = doc->images().OverlayImage.copy();
    run(*doc, "Menu14", 11); // peak processing toggles from the flag
    EXPECT_EQ(r.PeakFlag, 1);
    EXPECT_TRUE(*CommandChecked(entry("Menu10", 11), *doc));
    EXPECT_TRUE(*CommandChecked(entry("Menu14", 11), *doc));
    EXPECT_EQ(r.Saved.ProcCode, saved.ProcCode);
    EXPECT_EQ(r.Modified, FlagTrue);
    EXPECT_NE(doc->images().OverlayImage, before);
    r.PeakFlag = 0; // the flag, not the mark, decides
    run(*doc, "Menu14", 11);
    EXPECT_EQ(r.PeakFlag, 1);
}

TEST_P(DocumentCommands, AutomaticSensitivityIsThe940FamilysAndLocksSensitivityAndPeak) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    run(*doc, "Menu14", 11);
    ASSERT_EQ(r.PeakFlag, 1);
    const CommandResult res = run(*doc, "Menu14", 10);
    if (!is940()) {
        EXPECT_FALSE(res.ok); // the 730 family has no automatic sensitivity
        EXPECT_EQ(r.ProcCode, 1);
        EXPECT_EQ(r.PeakFlag, 1);
        return;
    }
    EXPECT_EQ(r.ProcCode, 6);
    EXPECT_EQ(r.Saved.ProcCode, 6);
    EXPECT_EQ(r.PeakFlag, 0);
    EXPECT_EQ(r.AutoGainReady, 1);
    EXPECT_EQ(processingItem(*doc), 10);
    EXPECT_FALSE(*CommandChecked(entry("Menu14", 11), *doc));
    EXPECT_FALSE(CommandEnabled(entry("Menu14", 11), *doc));
    EXPECT_FALSE(CommandEnabled(entry("Menu1", 1), *doc)); // the sensitivity menu
    run(*doc, "Menu14", 4); // the plain picture frees them again; the peak stays off
    EXPECT_TRUE(CommandEnabled(entry("Menu10", 11), *doc));
    EXPECT_TRUE(CommandEnabled(entry("Menu1", 1), *doc));
    EXPECT_EQ(r.PeakFlag, 0);
}

TEST_P(DocumentCommands, PermittivityPresetsTimeAxisAndTheDialogValue) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    run(*doc, "Menu5", 7); // the time axis
    EXPECT_EQ(r.Permittivity, 0);
    EXPECT_EQ(r.PermittivityPreset, 7);
    EXPECT_FALSE(CommandEnabled(entry("Menu16", 1), *doc)); // no depth units on a time axis
    EXPECT_TRUE(doc->readouts().texts.depthValue.endsWith("ns"));
    EXPECT_EQ(doc->PermittivityDialogValue(), 80);
    EXPECT_EQ(checkedItem(*doc, "Menu5", 9), 7);
    run(*doc, "Menu5", 2);
    EXPECT_DOUBLE_EQ(r.Permittivity, 8.9);
    EXPECT_FLOAT_EQ(r.Saved.Permittivity, 8.9f);
    EXPECT_TRUE(CommandEnabled(entry("Menu16", 1), *doc));
    EXPECT_EQ(doc->PermittivityDialogValue(), 89);
    // The dialog's value (the window runs the dialog and passes it on).
    const CommandResult res = doc->ChoosePermittivity(8, 5.5);
    EXPECT_TRUE(res.ok);
    EXPECT_DOUBLE_EQ(r.Permittivity, 5.5);
    EXPECT_EQ(r.PermittivityPreset, 8);
    EXPECT_EQ(checkedItem(*doc, "Menu5", 9), 8);
    EXPECT_TRUE(doc->readouts().texts.permittivityValue.startsWith("5.5"));
}

// A permittivity outside 2.0..20.0 makes the depth axis, and so every full refresh, fail.
TEST_P(DocumentCommands, FailedRefreshesKeepOrRestoreAsEachCommandSays) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    r.Permittivity = 25;
    const int gain = r.Gain, gainMode = r.GainMode, sensitivity = checkedItem(*doc, "Menu3", 14);
    CommandResult res = run(*doc, "Menu3", 8);
    EXPECT_FALSE(res.ok);
    ASSERT_EQ(res.notices.size(), 1);
    EXPECT_EQ(res.notices[0].message, 13);
    EXPECT_EQ(res.notices[0].kind, Notice::Warning);
    EXPECT_EQ(res.notices[0].title, r.FilePath);
    // The new sensitivity stays in effect; the mark and the saved copy do not move.
    EXPECT_EQ(r.Gain, 2);
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.Saved.Gain, gain);
    EXPECT_EQ(r.Saved.GainMode, gainMode);
    EXPECT_EQ(checkedItem(*doc, "Menu3", 14), sensitivity);
    EXPECT_EQ(r.Modified, 0);
    // Gradation and direction return to the previous choice.
    res = run(*doc, "Menu4", 3);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(r.ColorCode, 0);
    EXPECT_EQ(checkedItem(*doc, "Menu4", 12), 0);
    res = run(*doc, "Menu6", 0);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(r.Direction, 0);
    EXPECT_EQ(checkedItem(*doc, "Menu6", 2), 1);
    // A distance unit stays changed.
    res = run(*doc, "Menu16_0", 1);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(r.XUnit, "cm");
    EXPECT_EQ(r.Saved.XUnit, "m");
    EXPECT_EQ(r.Modified, 0);
}

TEST_P(DocumentCommands, SaveAsWritesTheSavedSettingsUnderTheNewName) {
    auto doc = openScene();
    MeasurementRecord& r = doc->record();
    run(*doc, "Menu3", 10);
    ASSERT_EQ(r.Modified, FlagTrue);
    const QString copy = scratch.path(is940() ? "COPY.ZVX" : "COPY.RDD");
    const CommandResult res = doc->SaveAs(copy, false);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(r.FilePath, copy);
    EXPECT_EQ(r.FileName, is940() ? "COPY.ZVX" : "COPY.RDD");
    EXPECT_EQ(r.Modified, 0);
    EXPECT_TRUE(res.updates & ViewUpdate::Caption);
    ASSERT_EQ(res.notices.size(), 1);
    EXPECT_EQ(res.notices[0].message, 3);
    EXPECT_EQ(res.notices[0].kind, Notice::Information);
    auto back = open(copy);
    EXPECT_EQ(back->record().GainMode, 1);
    EXPECT_EQ(back->record().Gain, 4);
    // A file that cannot be written keeps the name and the changed flag.
    r.Modified = FlagTrue;
    const CommandResult failed = doc->SaveAs(scratch.path("no/such/folder/X.RDD"), false);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(r.FilePath, copy);
    EXPECT_EQ(r.Modified, FlagTrue);
    ASSERT_EQ(failed.notices.size(), 1);
    EXPECT_EQ(failed.notices[0].message, 2);
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, DocumentCommands, ::testing::Values(Rdd730, Zvx940),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentTest, MarkGroupShowsAndListsItsOwnMarks) {
    scangen::Scene s = scene();
    s.markGroups = 3;
    auto doc = open(write("GROUPS.ZVX", scangen::Format::Zvx, s));
    MeasurementRecord& r = doc->record();
    ASSERT_EQ(doc->markerList().lines.size(), 1);
    const QImage group0 = doc->images().OverlayImage.copy();
    const CommandResult res = run(*doc, "Menu18_0", 1);
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(r.MarkerGroup, 1);
    ASSERT_EQ(doc->markerList().lines.size(), 1);
    EXPECT_TRUE(doc->markerList().lines[0].text.trimmed().startsWith("101"));
    EXPECT_NE(doc->images().OverlayImage, group0);
    EXPECT_EQ(checkedItem(*doc, "Menu18_0", 3), 1);
    EXPECT_EQ(checkedItem(*doc, "Menu17_0", 3), 1);
    EXPECT_EQ(r.Modified, 0); // showing another group changes no marker
}

TEST_F(DocumentTest, TextDataIsNotSavedInPlace) {
    auto doc = open(write("S0001.001", scangen::Format::Txt, scene()));
    EXPECT_FALSE(CommandEnabled(entry("menu2", 2), *doc));
    const CommandResult res = doc->SaveCommand();
    EXPECT_FALSE(res.ok);
    EXPECT_TRUE(res.notices.isEmpty());
    EXPECT_EQ(doc->SaveAsChoice().extension, "RDD");
    EXPECT_TRUE(doc->SaveAsChoice().path.endsWith("S0001.001.RDD"));
}

TEST_F(DocumentTest, FailedOpensCarryTheirStageAndReason) {
    MeasurementDocument doc;
    OpenResult r = doc.Open(scratch.write("notes.TXT", "hello\r\n"), context());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.stage.isEmpty()); // no stage before the kind is known
    EXPECT_FALSE(r.reason.isEmpty());
    r = doc.Open(scratch.write("b0001.VXD", "\"Ser No.\",\"1\"\r\n"), context());
    EXPECT_EQ(r.stage, Stage::FType001);
    r = doc.Open(scratch.write("C0003.RDD", "\"VER\",\"730\"\r\n\"LC\",100\r\n"), context());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.reason.isEmpty());
    EXPECT_NE(doc.record().Loaded, FlagTrue);
    // A reader that fails part-way names its stage.
    const QByteArray vxd = readFile(write("B0002.VXD", scangen::Format::VxdB, scene()));
    r = doc.Open(scratch.write("B0003.VXD", vxd.left(vxd.size() / 2)), context());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.stage.isEmpty());
    // Without settings and tables nothing can be shown.
    r = doc.Open(write("A.RDD", scangen::Format::Rdd, scene()), DocumentContext{});
    EXPECT_FALSE(r.ok);
}

// A window's open: the progress dialog shows with the loading texts once the kind is known and
// follows the read (the 940 family reports its progress); a file whose kind is never known shows
// none.
TEST_F(DocumentTest, WindowOpensShowTheProgressDialogOnceTheKindIsKnown) {
    ScriptedPlatform ui;
    MeasurementDocument doc;
    const LoadFeedback feedback = ProgressDialogFeedback(doc, ui, QStringLiteral("JP"));
    ASSERT_FALSE(doc.Open(scratch.write("notes.TXT", "hello\r\n"), context(), feedback).ok);
    EXPECT_EQ(ui.m_progress.showCount, 0);
    EXPECT_NE(doc.record().ProgressShown, FlagTrue);

    ASSERT_TRUE(doc.Open(write("A.ZVX", scangen::Format::Zvx, scene(3000)), context(), feedback));
    EXPECT_EQ(doc.record().ProgressShown, FlagTrue);
    EXPECT_EQ(ui.m_progress.showCount, 1);
    EXPECT_EQ(ui.m_progress.caption, LoadingTextsFor(QStringLiteral("JP")).caption);
    EXPECT_EQ(ui.m_progress.message, LoadingTextsFor(QStringLiteral("JP")).message);
    const QList<int>& bar = ui.m_progress.history;
    ASSERT_GE(bar.size(), 2);
    EXPECT_EQ(bar.first(), 0);
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
    EXPECT_LE(bar.last(), 100);
    EXPECT_GE(ui.eventPumps, bar.size());
}

// A file that holds more traces than are kept numbers its strip from the traces left out, by
// the limit its own reader set. Opening another file that raises the limit for itself must not
// change how the first one renders.
TEST_F(DocumentTest, EachDocumentKeepsTheTraceLimitItsReaderSet) {
    auto vxd = open(write("B0001.VXD", scangen::Format::VxdB, scene(6400)));
    ASSERT_EQ(vxd->MaxTraces(), 6000);
    ASSERT_EQ(vxd->record().TraceCount, 6000);
    const QImage before = vxd->images().ComposedImage.copy();
    auto zvx = open(write("LONG.ZVX", scangen::Format::Zvx, scene(6100)));
    EXPECT_EQ(zvx->MaxTraces(), 8000);
    EXPECT_EQ(context().MaxTraces, 6000);
    ASSERT_TRUE(vxd->Refresh(AllRefreshSteps));
    EXPECT_EQ(vxd->MaxTraces(), 6000);
    EXPECT_EQ(vxd->images().ComposedImage, before);
}

TEST_F(DocumentTest, CursorFollowsMouseAndKeysAndItsCrossLinesStayOnThePicture) {
    auto doc = open(write("A.RDD", scangen::Format::Rdd, scene(400)));
    Viewport v{1, 1, 201, 200, 537};
    EXPECT_FALSE(doc->MouseCursor(v, 50, 122).ignored);
    EXPECT_EQ(doc->state().CursorColumn, 51);
    EXPECT_EQ(doc->state().CursorRow, 100);
    EXPECT_TRUE(doc->MouseCursor(v, 50, 10).ignored); // over the distance strip
    doc->KeyCursor(v, Qt::Key_Right, true, false);    // Shift: ten columns
    EXPECT_EQ(doc->state().CursorColumn, 61);
    // The lines stand on the pixel the readouts describe: picture pixel x shows image column
    // V + x, display row R is image row R + 20.
    CrossLines lines = doc->CrossLinesIn(v);
    EXPECT_TRUE(lines.columnShown);
    EXPECT_EQ(lines.x, 60);
    EXPECT_EQ(lines.y, 120);
    // Dragging 30 pixels left of the picture scrolls three columns toward the start.
    v.scroll = 40;
    const CursorMove m = doc->MouseCursor(v, -30, 122);
    EXPECT_TRUE(m.scrolled);
    EXPECT_EQ(v.scroll, 37);
    EXPECT_EQ(doc->state().CursorColumn, 58);
    v.scroll = 100; // the cursor column is out of sight
    EXPECT_FALSE(doc->CrossLinesIn(v).columnShown);
    // A row below a halved picture shows on its last row.
    v = Viewport{1, 1, 201, 200, 281};
    doc->state().CursorRow = 300;
    EXPECT_EQ(doc->CrossLinesIn(v).y, 531);
    // Mirrored: trace 58 is drawn at image column 400 - 1 - 58, which the picture shows at
    // x = 341 - (400 - 200).
    ASSERT_TRUE(run(*doc, "Menu6", 0).ok);
    EXPECT_EQ(doc->CrossLinesIn(v).x, 141);
}

TEST_F(DocumentTest, PositionsOfBothHemispheresShowWhenBothFieldsReadAsNumbers) {
    auto doc = open(write("G.ZVX", scangen::Format::Zvx, scene(100)));
    MeasurementRecord& r = doc->record();
    auto setField = [&r](int offset, int length, const char* text) {
        std::fill_n(r.Zvx.Bytes.begin() + offset, length, 0);
        std::copy_n(text, std::strlen(text), r.Zvx.Bytes.begin() + offset);
    };
    auto shown = [&] {
        doc->UpdateReadouts();
        return doc->readouts().gps;
    };
    setField(ZvxHeader::OffLatitude, ZvxHeader::LenLatitude, "-33.868800");
    setField(ZvxHeader::OffLongitude, ZvxHeader::LenLongitude, "151.209300");
    ASSERT_TRUE(shown());
    EXPECT_EQ(doc->readouts().gpsLocation, QString::fromUtf8("緯度:-33.8688 経度: 151.2093"));
    setField(ZvxHeader::OffLatitude, ZvxHeader::LenLatitude, " 05.5"); // blank and zero first
    EXPECT_TRUE(shown());
    setField(ZvxHeader::OffLongitude, ZvxHeader::LenLongitude, "");
    EXPECT_FALSE(shown());
    setField(ZvxHeader::OffLongitude, ZvxHeader::LenLongitude, "east");
    EXPECT_FALSE(shown());
}

TEST_F(DocumentTest, DisplayRangeChangesKeepTheCursorAndItsReadouts) {
    auto doc = open(write("R.RDD", scangen::Format::Rdd, scene(400)));
    doc->state().CursorColumn = 300;
    doc->state().CursorRow = 200;
    doc->UpdateReadouts();
    const QString distance = doc->readouts().texts.distanceValue;
    ASSERT_TRUE(run(*doc, "Menu12", 0).ok);
    const QString depth = doc->readouts().texts.depthValue;
    ASSERT_TRUE(run(*doc, "Menu12", 1).ok);
    ASSERT_TRUE(run(*doc, "Menu12", 2).ok);
    EXPECT_EQ(doc->state().CursorRow, 200);
    EXPECT_EQ(doc->state().CursorColumn, 300);
    EXPECT_EQ(doc->readouts().texts.distanceValue, distance);
    EXPECT_NE(doc->readouts().texts.depthValue, depth); // the same row reads a later sample
    // A wide range has half the columns: the cursor is brought inside the picture.
    ASSERT_TRUE(run(*doc, "Menu12", 3).ok);
    EXPECT_EQ(doc->state().CursorColumn, 200);
    EXPECT_EQ(doc->state().CursorRow, 200);
    EXPECT_EQ(doc->readouts().texts.distanceValue, "1.0000m"); // two traces a column
}

// Exports and batch conversion may open documents on worker threads, one document each; what
// they draw is what the same open draws on the main thread.
TEST_F(DocumentTest, DocumentsOpenOnWorkerThreadsAsOnTheMainThread) {
    const QString rdd = write("W.RDD", scangen::Format::Rdd, scene(600));
    const QString zvx = write("W.ZVX", scangen::Format::Zvx, scene(600));
    auto rddHere = open(rdd);
    auto zvxHere = open(zvx);
    MeasurementDocument rddThere, zvxThere;
    const DocumentContext ctx = context();
    std::thread a([&] { rddThere.Open(rdd, ctx); });
    std::thread b([&] { zvxThere.Open(zvx, ctx); });
    a.join();
    b.join();
    EXPECT_EQ(rddThere.images().OverlayImage, rddHere->images().OverlayImage);
    EXPECT_EQ(zvxThere.images().OverlayImage, zvxHere->images().OverlayImage);
    EXPECT_EQ(zvxThere.depthAxis(), zvxHere->depthAxis());
    EXPECT_EQ(zvxThere.markerList().lines.size(), zvxHere->markerList().lines.size());
}
