// Saving from a view: a failed save says why, keeps the file and keeps the view as it was.

#include "AppFixture.h"

#include "base/FileSave.h"

#include <QAction>
#include <QFile>

using namespace rebar;
using namespace rebar::test;

using ViewSave = AppFixture;

TEST_F(ViewSave, FullDiskShowsTheSystemsReasonAndKeepsTheFile) {
    const QString path = rdd("A0001.RDD", 200);
    ASSERT_EQ(frame->OpenFiles({path}), 1);
    FrmMain* v = view(0);
    const QByteArray before = readFile(path);
    // The other direction: a change to save (item 0 is forward, 1 reverse).
    v->menuItem("Menu6", v->record().Saved.Direction == 1 ? 1 : 0)->trigger();
    ASSERT_EQ(v->record().Modified, FlagTrue);
    ui.messages.clear();

    SetFileSaveFailureAfter(1000);
    v->SaveCommand();
    SetFileSaveFailureAfter(-1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, message(2) + "\n" + qt_error_string(ENOSPC));
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.messages[0].title, path);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(v->record().Modified, FlagTrue);

    // With room on the disk the same save goes through.
    v->SaveCommand();
    EXPECT_EQ(ui.messages.last().text, message(3));
    EXPECT_NE(readFile(path), before);
    EXPECT_EQ(v->record().Modified, 0);
}

TEST_F(ViewSave, SaveAsOfTextDataWithoutADateNamesTheTextAndWritesNothing) {
    scangen::Scene s;
    s.traces = 120;
    const QString txt = scratch.path("ABC.001");
    ASSERT_TRUE(scangen::writeText730(s, txt, false));
    QByteArray bytes = readFile(txt);
    bytes.replace("DATE : 2024/05/17", "DATE : Jun.05.2024");
    scratch.write("ABC.001", bytes);
    ASSERT_EQ(frame->OpenFiles({txt}), 1);
    FrmMain* v = view(0);
    const QString target = scratch.path("ABC.001.RDD");
    ui.saveAnswers.push_back(target);
    EXPECT_EQ(v->SaveAsCommand(false), 1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(message(2) + "\n"));
    EXPECT_TRUE(ui.messages[0].text.contains("Jun.05.2024")) << ui.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(v->record().FilePath, txt);
    EXPECT_EQ(v->record().FileKind, KindText730);
    EXPECT_FALSE(v->menuItem("menu2", 2)->isEnabled());
}
