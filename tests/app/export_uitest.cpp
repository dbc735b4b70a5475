// The view's exports through its menus: the copy command, both prints, and the conversion of
// every open view with its folder chooser, progress and closing message.

#include "AppFixture.h"

#include "base/DateText.h"
#include "export/Composition.h"
#include "export/frmJpeg.h"
#include "export/frmSaveFolder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace rebar;
using namespace rebar::test;

using ViewExports = AppFixture;

TEST_F(ViewExports, CopyAndPrintsHandTheirPicturesToThePlatform) {
    ASSERT_EQ(frame->OpenFiles({rdd("A0001.RDD", 300)}), 1);
    FrmMain* v = view(0);
    const int N = v->record().TraceCount;

    // The print items are there and usable, with Ctrl+P on the data print.
    QAction* screen = v->menuItem("Menu21_0", 0);
    QAction* data = v->menuItem("Menu21_0", 1);
    ASSERT_TRUE(screen && data);
    EXPECT_TRUE(screen->isEnabled());
    EXPECT_TRUE(data->isEnabled());
    EXPECT_EQ(data->shortcut(), QKeySequence(QKeySequence::Print));

    v->menuItem("menu2", 5)->trigger();
    ASSERT_FALSE(ui.clipboard.isNull());
    // The copy picture: N + 50 wide, H + 60 high (730 full size: H = 532).
    EXPECT_EQ(ui.clipboard.size(), QSize(N + 50, 532 + 60));
    EXPECT_EQ(v->pics().size(), ui.clipboard.size());

    data->trigger();
    ASSERT_EQ(ui.printed.size(), 1);
    EXPECT_EQ(ui.printed[0].layout, PrintJob::SheetA4Landscape);
    // The whole file with the A-mode panel and the title line.
    EXPECT_EQ(ui.printed[0].picture.size(),
              QSize(CompositionAxisWidth + N + CompositionAModeWidth, 512 + 20 + 20));

    screen->trigger();
    ASSERT_EQ(ui.printed.size(), 2);
    EXPECT_EQ(ui.printed[1].layout, PrintJob::Fitted);
    EXPECT_FALSE(ui.printed[1].picture.isNull());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ViewExports, ConvertingEveryOpenViewWritesThemIntoTheChosenFolder) {
    ASSERT_EQ(frame->OpenFiles({rdd("A0001.RDD", 300), zvx("B0001.ZVX", 400)}), 2);
    FrmMain* v = view(1);
    const QString out = scratch.path("out");
    ASSERT_TRUE(QDir().mkpath(out));
    program().settings.PrintingForm = 2; // JPEG only
    ui.messages.clear();

    // Cancel: nothing written, nothing said.
    ui.dialogAnswers.push_back({1, {}});
    v->menuItem("menu2", 9)->trigger();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(QDir(out).isEmpty());

    ui.dialogTexts.push_back({out});
    ui.dialogAnswers.push_back({0, {0}});
    v->menuItem("menu2", 9)->trigger();
    ASSERT_EQ(ui.dialogs.size(), 2);
    EXPECT_EQ(ui.dialogs[1].name, "frmSaveFolder");
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList({"A0001_RDD.jpg", "B0001_ZVX.jpg"}));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, message(3));
    EXPECT_EQ(ui.messages[0].title, v->record().FilePath);
    EXPECT_EQ(ui.m_progress.history.last(), 100);
    EXPECT_FALSE(ui.m_progress.shown);
}

TEST_F(ViewExports, EnterInTheFolderBoxConfirmsTheFolder) {
    const QString out = scratch.path("typed");
    ASSERT_TRUE(QDir().mkpath(out));
    ui.messages.clear();
    frmSaveFolder dlg(nullptr, false);
    dlg.show();
    dlg.setTexts({out});
    auto* box = dlg.findChild<QLineEdit*>("Dir1");
    ASSERT_NE(box, nullptr);
    box->setFocus();
    // Enter answers the typed folder; it does not open the folder chooser instead.
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.answer(), QDir(out).absolutePath());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ViewExports, JpegDialogChecksItsInputAndWritesTheChosenName) {
    ASSERT_EQ(frame->OpenFiles({rdd("A0001.RDD", 300)}), 1);
    FrmMain* v = view(0);
    v->menuItem("menu2", 4)->trigger();
    frmJpeg* dlg = v->jpegDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(v->menuItem("menu2", 4)->isEnabled());
    EXPECT_EQ(dlg->windowTitle(), "SaveJpeg   A0001.RDD");
    // A second command shows the same dialog.
    v->menuItem("menu2", 4)->trigger();
    EXPECT_EQ(v->jpegDialog(), dlg);
    EXPECT_EQ(dlg->startTrace(), 1);
    EXPECT_EQ(dlg->endTrace(), v->record().TraceCount);
    ui.messages.clear();

    // The cursor's column as the end, then a start after it: Messages[29], the dialog stays.
    v->document().state().CursorColumn = 120;
    dlg->answer(3, {});
    EXPECT_EQ(dlg->endTrace(), 120);
    QList<int> values = dlg->dialogValues();
    values[8] = 200;
    dlg->answer(0, values);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, message(29));
    EXPECT_EQ(v->jpegDialog(), dlg);

    // A measurement date that is no date: Messages[30].
    values[8] = 1;
    values[2] = 0; // the measurement-date line, with the date typed
    values[4] = 2; // JPEG only
    dlg->setTexts({"not a date", dlg->dialogTexts()[1]});
    dlg->answer(0, values);
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[1].text, message(30));

    // A good date: the chooser's name is written, the date becomes the record's.
    const QString out = scratch.path("X.jpg");
    ui.saveAnswers.push_back(out);
    dlg->setTexts({ShortDateText(QDate(2022, 3, 4)), dlg->dialogTexts()[1]});
    dlg->answer(0, values);
    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(ui.messages[2].text, message(3));
    EXPECT_EQ(ui.messages[2].icon, MsgIcon::Information);
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_EQ(QImage(out).width(), CompositionAxisWidth + 120); // traces 1..120, no panel
    EXPECT_EQ(v->record().MeasureDate, ShortDateText(QDate(2022, 3, 4)));
    EXPECT_EQ(v->record().Modified, FlagTrue);
}

TEST_F(ViewExports, FolderConversionOfTheMainFrameSkipsAFileThatDoesNotOpen) {
    const QString in = scratch.path("in");
    const QString out = scratch.path("out");
    ASSERT_TRUE(QDir().mkpath(in) && QDir().mkpath(out));
    rdd("in/A.RDD", 300);
    zvx("in/C.ZVX", 400);
    QFile bad(in + "/B.RDD");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(600, 'x'));
    bad.close();
    program().settings.PrintingForm = 2; // JPEG only
    ui.messages.clear();

    QAction* convertAll = frame->findChild<QAction*>("menu2_9");
    ASSERT_NE(convertAll, nullptr);
    ui.dialogTexts.push_back({in, out});
    ui.dialogAnswers.push_back({0, {0}}); // every file
    convertAll->trigger();
    ASSERT_EQ(ui.dialogs.size(), 1);
    EXPECT_EQ(ui.dialogs[0].name, "frmAllJpeg");
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList({"A_RDD.jpg", "C_ZVX.jpg"}));
    // The file that does not open is reported by name; the run still succeeded.
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0].text, message(2));
    EXPECT_EQ(ui.messages[0].title, "B.RDD");
    EXPECT_EQ(ui.messages[1].text, message(3));
}
