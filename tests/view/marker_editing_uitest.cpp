// Marker editing in the view window: the keys and the popup menu over the radargram, the marker
// list's clicks and popup, undo and redo from the edit menu, the menu items that follow the
// list, the comment dialog and the window options.

#include "app/AppFixture.h"
#include "data/Markers.h"
#include "data/Notes.h"
#include "view/CoverCompliance.h"
#include "view/PictureBoxWidget.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

using namespace rebar;
using namespace rebar::test;

namespace {

class MarkerWindow : public AppFixture {
protected:
    FrmMain* openRdd(int traces = 600) {
        EXPECT_EQ(frame->OpenFiles({rdd(QStringLiteral("M.RDD"), traces)}), 1);
        return frame->OpenViews().last();
    }
    static QMenu* menu(FrmMain* v, const char* name) {
        return v->findChild<QMenu*>(QLatin1String(name));
    }
    static QListWidget* mklist(FrmMain* v) { return v->findChild<QListWidget*>("mklist"); }
    static void release(FrmMain* v, Qt::Key key, Qt::KeyboardModifiers mods = Qt::ShiftModifier) {
        QTest::keyRelease(v->picb(), key, mods);
    }
};

} // namespace

TEST_F(MarkerWindow, KeysOverTheRadargramAddSnapAndDelete) {
    FrmMain* v = openRdd();
    const int before = ShownMarkerCount(v->record());
    v->document().state().CursorColumn = 60;
    release(v, Qt::Key_M);
    EXPECT_EQ(ShownMarkerCount(v->record()), before + 1);
    EXPECT_EQ(mklist(v)->count(), before + 2); // the header and every marker
    EXPECT_EQ(v->record().Modified, FlagTrue);
    release(v, Qt::Key_M, Qt::ControlModifier); // Shift alone only
    EXPECT_EQ(ShownMarkerCount(v->record()), before + 1);
    release(v, Qt::Key_D); // the marker just added, without a question
    EXPECT_EQ(ShownMarkerCount(v->record()), before);
    EXPECT_TRUE(ui.messages.isEmpty());
    // Undo and redo from the edit menu, with their shortcuts.
    QAction* undo = v->menuItem(QStringLiteral("MenuEdit"), 0);
    QAction* redo = v->menuItem(QStringLiteral("MenuEdit"), 1);
    EXPECT_TRUE(undo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    undo->trigger();
    EXPECT_EQ(ShownMarkerCount(v->record()), before + 1);
    EXPECT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(ShownMarkerCount(v->record()), before);
}

TEST_F(MarkerWindow, RightButtonAndSpaceOpenTheBModePopupWithDeleteFollowingTheList) {
    FrmMain* v = openRdd();
    QTest::mouseRelease(v->picb(), Qt::RightButton, {}, QPoint(50, 100));
    QMenu* popup = menu(v, "Menu10");
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(v->menuItem(QStringLiteral("Menu10"), 1)->isEnabled());
    EXPECT_FALSE(v->menuItem(QStringLiteral("Menu10"), 3)->isVisible());
    popup->hide();
    ui.inputAnswers = {QStringLiteral("ALL")};
    v->menuItem(QStringLiteral("Menu14"), 1)->trigger();
    EXPECT_EQ(ShownMarkerCount(v->record()), 0);
    EXPECT_FALSE(v->menuItem(QStringLiteral("Menu14"), 1)->isEnabled());
    EXPECT_FALSE(v->menuItem(QStringLiteral("Menu13"), 2)->isEnabled());
    release(v, Qt::Key_Space, Qt::NoModifier);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(v->menuItem(QStringLiteral("Menu10"), 1)->isEnabled());
    popup->hide();
}

TEST_F(MarkerWindow, ClickingAMarkerLineMovesTheCursorAndTheListPopupNamesIt) {
    FrmMain* v = openRdd(1200);
    for (int c : {1000, 40}) {
        v->document().state().CursorColumn = c;
        v->menuItem(QStringLiteral("Menu14"), 0)->trigger();
    }
    QListWidget* list = mklist(v);
    const int line = list->count() - 2; // the marker at column 1000
    const QRect at = list->visualItemRect(list->item(line));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
    EXPECT_EQ(v->document().state().CursorColumn, 1000);
    EXPECT_GT(v->scrollBar()->value(), 600);

    list->setCurrentRow(line);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at.center());
    QMenu* popup = menu(v, "Menu11");
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    QAction* remove = v->menuItem(QStringLiteral("Menu11"), 0);
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_EQ(remove->text(), message(36) + QStringLiteral(" %1 ").arg(line) + caption(101));
    popup->hide();
    const int count = ShownMarkerCount(v->record());
    remove->trigger();
    EXPECT_EQ(ShownMarkerCount(v->record()), count - 1);
}

TEST_F(MarkerWindow, TheCommentDialogEditsTheNoteOfAnRddFile) {
    FrmMain* v = openRdd();
    ASSERT_TRUE(v->menuItem(QStringLiteral("Menu7"), 2)->isVisible());
    v->record().Modified = 0;
    ui.dialogAnswers.push_back({1, {}});
    ui.dialogTexts.push_back({QStringLiteral("ignored")});
    v->menuItem(QStringLiteral("Menu7"), 2)->trigger();
    EXPECT_EQ(v->record().Modified, 0);
    ui.dialogAnswers.push_back({0, {}});
    ui.dialogTexts.push_back({QString::fromUtf8("一行目\n二行目")});
    v->menuItem(QStringLiteral("Menu7"), 2)->trigger();
    ASSERT_EQ(ui.dialogs.size(), 2);
    EXPECT_EQ(ui.dialogs[0].name, QStringLiteral("frmNote"));
    EXPECT_EQ(v->record().Note, QString::fromUtf8("一行目\r\n二行目"));
    EXPECT_EQ(v->record().Modified, FlagTrue);
}

TEST_F(MarkerWindow, TheCommentDialogOfAZvxFileOpensOnItsDirectionAndStoresTheComments) {
    scangen::Scene s;
    s.traces = 300;
    s.noise = 0.01;
    s.measureDirection = 3;
    s.company = QString::fromUtf8("東日本検査");
    const QString path = scratch.path(QStringLiteral("N.ZVX"));
    ASSERT_TRUE(scangen::writeZvx(s, path, KindZvx4));
    ASSERT_EQ(frame->OpenFiles({path}), 1);
    FrmMain* v = frame->OpenViews().last();
    ui.dialogAnswers.push_back({0, {1}});
    ui.dialogTexts.push_back(
        {QString(), QString::fromUtf8("西日本検査"), QStringLiteral("site"), QString(), QString()});
    v->menuItem(QStringLiteral("Menu7"), 2)->trigger();
    ASSERT_EQ(ui.dialogs.size(), 1);
    EXPECT_EQ(ui.dialogs[0].values, QList<int>{3}); // "left" is selected at opening
    EXPECT_EQ(ui.dialogs[0].texts.value(1), s.company);
    const Comments c = CommentsOf(v->record());
    EXPECT_EQ(c.texts[0], QString::fromUtf8("西日本検査"));
    EXPECT_EQ(c.texts[1], QStringLiteral("site"));
    EXPECT_EQ(c.direction, 1);
}

TEST_F(MarkerWindow, WindowOptionsHidePartsAndANewHalfWaveChoiceReprocesses) {
    FrmMain* v = openRdd();
    const int width = v->subWindow()->width();
    // Cancel lays the view out again and changes nothing.
    ui.dialogAnswers.push_back({1, {0, 0, 0, 0, 0, 0, 2, 0, 0}});
    v->menuItem(QStringLiteral("Menu7"), 1)->trigger();
    EXPECT_EQ(ui.dialogs.last().name, QStringLiteral("frmWindowOption"));
    EXPECT_EQ(ui.dialogs.last().values, (QList<int>{1, 1, 1, 1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(v->record().AModeSet, 0);
    EXPECT_EQ(v->subWindow()->width(), width);

    // Hiding the A-mode picture and the whole information panel narrows the window; the
    // positive half-wave moves the processing line to the cursor's trace.
    v->document().state().CursorColumn = 77;
    ui.dialogAnswers.push_back({0, {0, 0, 0, 0, 0, 0, 1, 0, 0}});
    v->menuItem(QStringLiteral("Menu7"), 1)->trigger();
    EXPECT_FALSE(mklist(v)->isVisible());
    EXPECT_LT(v->subWindow()->width(), width);
    EXPECT_EQ(v->record().AModeSet, 1);
    EXPECT_EQ(v->record().ProcessingLine, 77);
    EXPECT_EQ(v->state().Options.AModeSetChoice, 1);
    // The limiter holds the window's height.
    EXPECT_EQ(v->sizeLimiter().MinHeight(), v->subWindow()->height());
    EXPECT_EQ(v->sizeLimiter().MaxHeight(), v->subWindow()->height());
}

// The cover settings item of the marker list's menu: the dialog opens on the view's settings;
// OK stores what was typed for the view and beside the file, and the panel shows the new
// figures; a text that is not a number is named and changes nothing.
TEST_F(MarkerWindow, TheCoverSettingsDialogChangesTheViewsSettingsAndWritesTheSidecar) {
    FrmMain* v = openRdd();
    QAction* item = v->menuItem(QStringLiteral("Menu13"), 4);
    ASSERT_TRUE(item && item->isEnabled());
    ui.dialogAnswers.push_back({0, {}});
    ui.dialogTexts.push_back({"35", "5", "5", "25,5"});
    item->trigger();
    ASSERT_EQ(ui.dialogs.size(), 1);
    EXPECT_EQ(ui.dialogs[0].name, QStringLiteral("frmCoverSettings"));
    EXPECT_EQ(ui.dialogs[0].values, (QList<int>{300, 50, 100, 200})); // the defaults
    EXPECT_EQ(v->document().compliance(), (ComplianceSettings{35, 5, 5, 25.5}));
    EXPECT_TRUE(QFile::exists(ComplianceSidecarPath(v->record().FilePath)));
    EXPECT_TRUE(ui.messages.isEmpty());
    auto* panel = v->findChild<QLabel*>(QStringLiteral("lblCompliance"));
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->text().contains(QStringLiteral("25.5 mm"))) << panel->text().toStdString();

    ui.dialogAnswers.push_back({0, {}});
    ui.dialogTexts.push_back({"35", "5", "five", "25"});
    item->trigger();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.contains(QString::fromUtf8("「five」")))
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(v->document().compliance(), (ComplianceSettings{35, 5, 5, 25.5}));
}
