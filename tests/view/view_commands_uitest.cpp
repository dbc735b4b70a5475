// The view window: each view command changes exactly its field and the saved copy and moves
// its check mark; the permittivity dialog flows; units; closing a changed view.

#include "app/AppFixture.h"
#include "data/RddReader.h"
#include "view/PictureBoxWidget.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>

using namespace rebar;
using namespace rebar::test;

namespace {

class ViewCommands : public AppFixture {
protected:
    FrmMain* open(const QString& name = "A0001.RDD", int traces = 600) {
        EXPECT_EQ(frame->OpenFiles({rdd(name, traces)}), 1);
        return frame->OpenViews().last();
    }
    static int checked(FrmMain* v, const QString& array, int count) {
        int found = -1;
        for (int i = 0; i < count; ++i)
            if (v->menuItem(array, i)->isChecked()) {
                if (found >= 0)
                    return -2; // more than one
                found = i;
            }
        return found;
    }
    static QImage picture(FrmMain* v) { return v->picb()->picture().copy(); }
};

} // namespace

TEST_F(ViewCommands, SensitivityWritesGainModeAndGainAndTheSavedCopy) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    const SavedSettings before = r.Saved;
    v->menuItem("Menu3", 9)->trigger(); // "auto" of the deep band
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.Gain, 3);
    EXPECT_EQ(r.Saved.GainMode, 1);
    EXPECT_EQ(r.Saved.Gain, 3);
    EXPECT_EQ(r.Saved.ColorCode, before.ColorCode);
    EXPECT_EQ(r.Saved.ViewRange, before.ViewRange);
    EXPECT_EQ(r.Modified, FlagTrue);
    EXPECT_EQ(checked(v, "Menu3", 14), 9);
    v->menuItem("Menu3", 2)->trigger();
    EXPECT_EQ(r.GainMode, 0);
    EXPECT_EQ(r.Gain, 3);
    EXPECT_EQ(checked(v, "Menu3", 14), 2);
}

TEST_F(ViewCommands, GradationChangesPictureAndColourBar) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    const QImage before = picture(v);
    const QImage barBefore = v->findChild<PictureBoxWidget*>("ClrBar")->picture().copy();
    v->menuItem("Menu4", 6)->trigger();
    EXPECT_EQ(r.ColorCode, 6);
    EXPECT_EQ(r.Saved.ColorCode, 6);
    EXPECT_EQ(checked(v, "Menu4", 12), 6);
    EXPECT_NE(picture(v), before);
    EXPECT_NE(v->findChild<PictureBoxWidget*>("ClrBar")->picture(), barBefore);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ViewCommands, DirectionMirrorsTheScrollBarAndPicture) {
    FrmMain* v = open("A.RDD", 1000);
    MeasurementRecord& r = v->record();
    ASSERT_EQ(r.Direction, 0);
    const int wp = v->picb()->width();
    EXPECT_EQ(v->scrollRange().maximum, 1000 - wp + 1);
    const QImage before = picture(v);
    v->menuItem("Menu6", 0)->trigger(); // "forward": Direction 1, the bar runs backwards
    EXPECT_EQ(r.Direction, 1);
    EXPECT_EQ(r.Saved.Direction, 1);
    EXPECT_EQ(checked(v, "Menu6", 2), 0);
    EXPECT_EQ(v->scrollRange().maximum, 1);
    EXPECT_EQ(v->scrollRange().minimum, 1000 - v->picb()->width() + 1);
    EXPECT_TRUE(v->scrollBar()->invertedAppearance());
    EXPECT_NE(picture(v), before);
}

TEST_F(ViewCommands, ViewRangeAndMagnification) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    v->menuItem("Menu12", 4)->trigger();
    EXPECT_EQ(r.ViewRange, 4);
    EXPECT_EQ(r.Saved.ViewRange, 4);
    EXPECT_EQ(checked(v, "Menu12", 6), 4);
    EXPECT_EQ(r.Modified, FlagTrue);
    r.Modified = 0;
    const SavedSettings saved = r.Saved;
    v->menuItem("Menu15", 1)->trigger();
    EXPECT_EQ(r.CoverMagnification, 1);
    EXPECT_EQ(checked(v, "Menu15", 2), 1);
    EXPECT_EQ(r.Modified, 0); // not stored in files: nothing to save
    EXPECT_EQ(r.Saved.ViewRange, saved.ViewRange);
    EXPECT_EQ(v->picb()->height(), 281);
    v->menuItem("Menu15", 0)->trigger();
    EXPECT_EQ(v->picb()->height(), 537);
}

TEST_F(ViewCommands, ProcessingItemsSetCodeLineAndPeak) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    v->menuItem("Menu14", 4)->trigger(); // plain picture
    EXPECT_EQ(r.ProcCode, 0);
    EXPECT_EQ(r.Saved.ProcCode, 0);
    EXPECT_TRUE(v->menuItem("Menu10", 4)->isChecked());
    EXPECT_TRUE(v->menuItem("Menu14", 4)->isChecked());
    v->document().state().CursorColumn = 120;
    v->menuItem("Menu14", 8)->trigger(); // subtraction against the trace under the cursor
    EXPECT_EQ(r.ProcCode, 3);
    EXPECT_EQ(r.ProcessingLine, 120);
    EXPECT_FALSE(v->menuItem("Menu14", 4)->isChecked());
    EXPECT_TRUE(v->menuItem("Menu14", 8)->isChecked());
    const SavedSettings saved = r.Saved;
    const QImage before = picture(v);
    v->menuItem("Menu14", 11)->trigger(); // peak processing toggles from the flag
    EXPECT_EQ(r.PeakFlag, 1);
    EXPECT_TRUE(v->menuItem("Menu10", 11)->isChecked());
    EXPECT_EQ(r.Saved.ProcCode, saved.ProcCode);
    EXPECT_NE(picture(v), before);
    v->menuItem("Menu14", 11)->trigger();
    EXPECT_EQ(r.PeakFlag, 0);
}

TEST_F(ViewCommands, TimeAxisDisablesTheDepthUnitsAndPresetsEnableThem) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    v->menuItem("Menu5", 7)->trigger();
    EXPECT_EQ(r.Permittivity, 0);
    EXPECT_EQ(r.PermittivityPreset, 7);
    EXPECT_FALSE(v->menuItem("Menu16", 1)->isEnabled());
    EXPECT_EQ(checked(v, "Menu5", 9), 7);
    v->menuItem("Menu5", 2)->trigger();
    EXPECT_DOUBLE_EQ(r.Permittivity, 8.9);
    EXPECT_TRUE(v->menuItem("Menu16", 1)->isEnabled());
    EXPECT_FLOAT_EQ(r.Saved.Permittivity, 8.9f);
}

TEST_F(ViewCommands, DialogAfterTimeAxisOpensAtEightAndCancelKeepsIt) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    v->menuItem("Menu5", 7)->trigger();
    ui.dialogAnswers.push_back({1, {123}}); // cancel, whatever the bar shows
    v->menuItem("Menu5", 8)->trigger();
    ASSERT_EQ(ui.dialogs.size(), 1);
    EXPECT_EQ(ui.dialogs[0].name, "frmDielectric");
    EXPECT_EQ(ui.dialogs[0].values, QList<int>{80});
    EXPECT_DOUBLE_EQ(r.Permittivity, 8.0);
    EXPECT_EQ(r.PermittivityPreset, 8);
    EXPECT_EQ(checked(v, "Menu5", 9), 8);
}

TEST_F(ViewCommands, DialogApplyToAllSetsEveryView) {
    open("A.RDD");
    open("B.RDD");
    FrmMain* c = open("C.RDD");
    for (FrmMain* v : frame->OpenViews())
        v->record().Modified = 0;
    ui.dialogAnswers.push_back({2, {55}});
    c->menuItem("Menu5", 8)->trigger();
    for (FrmMain* v : frame->OpenViews()) {
        EXPECT_DOUBLE_EQ(v->record().Permittivity, 5.5);
        EXPECT_EQ(v->record().PermittivityPreset, 8);
        EXPECT_EQ(v->record().Modified, FlagTrue);
        EXPECT_EQ(checked(v, "Menu5", 9), 8);
    }
}

TEST_F(ViewCommands, UnitMenusWriteUnitAndSavedCopy) {
    FrmMain* v = open();
    MeasurementRecord& r = v->record();
    v->menuItem("Menu16_0", 0)->trigger();
    EXPECT_EQ(r.XUnit, "mm");
    EXPECT_EQ(r.Saved.XUnit, "mm");
    EXPECT_EQ(checked(v, "Menu16_0", 4), 0);
    v->menuItem("Menu16_1", 3)->trigger();
    EXPECT_EQ(r.YUnit, "inch");
    EXPECT_EQ(r.Saved.YUnit, "inch");
    EXPECT_EQ(checked(v, "Menu16_1", 4), 3);
}

TEST_F(ViewCommands, ClosingAChangedViewAsksAndHonoursTheAnswer) {
    FrmMain* v = open("KEEP.RDD");
    v->menuItem("Menu3", 3)->trigger();
    ui.answers.push_back(MsgAnswer::Cancel);
    EXPECT_FALSE(v->subWindow()->close());
    EXPECT_EQ(frame->OpenViews().size(), 1);
    EXPECT_EQ(ui.messages.last().text, message(32));
    // Yes writes the file in place, with the new saved sensitivity, and closes.
    ui.answers.push_back(MsgAnswer::Yes);
    const QString path = v->record().FilePath;
    EXPECT_TRUE(v->subWindow()->close());
    MeasurementRecord back;
    back.FilePath = path;
    back.FileName = "KEEP.RDD";
    ReadContext ctx;
    ASSERT_TRUE(ReadRdd(back, ctx).ok);
    EXPECT_EQ(back.Gain, 4);
    EXPECT_EQ(back.GainMode, 0);
}

TEST_F(ViewCommands, SynchronisedScrollingMovesTheOtherViews) {
    FrmMain* a = open("A.RDD", 1400);
    FrmMain* b = open("B.RDD", 700);
    FrmMain* c = open("C.RDD", 1200);
    c->menuItem("Menu6", 0)->trigger(); // C's bar runs backwards
    a->menuItem("Menu8", 2)->trigger();
    for (FrmMain* v : frame->OpenViews())
        EXPECT_TRUE(v->menuItem("Menu8", 2)->isChecked());
    frame->mdiArea()->setActiveSubWindow(a->subWindow());
    ASSERT_EQ(a->state().ViewActive, FlagTrue);
    a->scrollBar()->setValue(500);
    EXPECT_EQ(b->scrollBar()->value(), std::min(500, b->scrollRange().maximum));
    EXPECT_EQ(c->scrollBar()->value(), std::min(500, c->scrollRange().minimum));
    EXPECT_LT(b->scrollRange().maximum, 500); // B is shorter: it stops at its end
    EXPECT_EQ(b->state().LastScrollValue, b->scrollBar()->value());
    // A view that is not active does not pass its scrolling on.
    b->scrollBar()->setValue(10);
    EXPECT_EQ(a->scrollBar()->value(), 500);
    // Resizing A keeps the others where they are and A's scroll value consistent; scrolling
    // the resized view moves the others to the same column again.
    a->subWindow()->resize(a->subWindow()->width() + 100, a->subWindow()->height());
    EXPECT_EQ(a->scrollBar()->value(), a->state().LastScrollValue);
    EXPECT_EQ(b->scrollBar()->value(), 10);
    a->scrollBar()->setValue(300);
    EXPECT_EQ(b->scrollBar()->value(), std::min(300, b->scrollRange().maximum));
    EXPECT_EQ(c->scrollBar()->value(), 300);
}

TEST_F(ViewCommands, AutomaticSensitivityOfThe940FamilyLocksSensitivityAndPeak) {
    ASSERT_EQ(frame->OpenFiles({zvx("DECK.ZVX")}), 1);
    FrmMain* v = frame->OpenViews().last();
    MeasurementRecord& r = v->record();
    EXPECT_TRUE(v->menuItem("Menu3", 13)->isVisible()); // seven steps a band
    EXPECT_TRUE(v->menuItem("Menu4", 11)->isVisible());
    v->menuItem("Menu3", 13)->trigger();
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.Gain, 7);
    v->menuItem("Menu14", 11)->trigger();
    ASSERT_EQ(r.PeakFlag, 1);
    const QImage before = picture(v);
    v->menuItem("Menu14", 10)->trigger(); // automatic sensitivity
    EXPECT_EQ(r.ProcCode, 6);
    EXPECT_EQ(r.Saved.ProcCode, 6);
    EXPECT_EQ(r.PeakFlag, 0);
    EXPECT_EQ(r.AutoGainReady, 1);
    EXPECT_FALSE(v->menuItem("Menu14", 11)->isEnabled());
    EXPECT_FALSE(v->menuItem("Menu14", 11)->isChecked());
    EXPECT_FALSE(v->findChild<QMenu*>("Menu1_1")->menuAction()->isEnabled());
    EXPECT_TRUE(v->menuItem("Menu10", 10)->isChecked());
    EXPECT_NE(picture(v), before);
    v->menuItem("Menu14", 4)->trigger(); // the plain picture frees them again; the peak stays off
    EXPECT_TRUE(v->menuItem("Menu14", 11)->isEnabled());
    EXPECT_TRUE(v->findChild<QMenu*>("Menu1_1")->menuAction()->isEnabled());
    EXPECT_EQ(r.PeakFlag, 0);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ViewCommands, ShrinkingBelowTheMinimumSnapsBack) {
    FrmMain* v = open("A.RDD", 1000);
    QMdiSubWindow* w = v->subWindow();
    const int minimum = v->state().Geometry.MinFormWidth;
    w->resize(minimum - 100, w->height());
    EXPECT_EQ(w->width(), minimum);
    EXPECT_EQ(v->picb()->width(), 202);
    EXPECT_GE(w->minimumWidth(), minimum);
    const int h = w->height();
    w->resize(w->width(), h + 200); // the height is fixed
    EXPECT_EQ(w->height(), h);
}
