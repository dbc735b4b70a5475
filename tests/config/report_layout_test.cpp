// ReportLayout.ini: defaults, the round trip, and what a bad file does.

#include "base/FileSave.h"
#include "config/IniStore.h"
#include "config/ReportLayout.h"
#include "config/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::readFile;
using rebar::test::Scratch;

TEST(ReportLayout, MissingFileGivesTheShippedDefaults) {
    Scratch s;
    ReportLayout l;
    l.Sheet = "A3W";
    l.PhotoNum = 7;
    ASSERT_TRUE(ReadReportLayout(l, s.path("none.ini")));
    EXPECT_EQ(l.Sheet, "A4W");
    EXPECT_EQ(l.PhotoNum, 2);
    EXPECT_EQ(l.DataNum, 10);
    for (const ReportHeaderOption& h : l.HeaderItems) {
        EXPECT_EQ(h.Shown, 1);
        EXPECT_EQ(h.Wide, 0);
    }
    EXPECT_EQ(l.PTitle, 1);
    EXPECT_EQ(l.PText1, 1);
    EXPECT_EQ(l.PDir, 0);
    EXPECT_EQ(l.DNo, 1);
    EXPECT_EQ(l.DTitle, 1);
    EXPECT_EQ(l.DMark, 1);
    EXPECT_EQ(l.DText1, 1);
    EXPECT_EQ(l.DSize, 0);

    // The shipped file says the same.
    ReportLayout shipped;
    shipped.DataNum = 3;
    ASSERT_TRUE(ReadReportLayout(shipped, rebar::test::systemData() + "/ReportLayout.ini"));
    EXPECT_EQ(shipped.DataNum, 10);
}

TEST(ReportLayout, WritesEveryKeyAndReadsThemBack) {
    Scratch s;
    const QString path = s.write("ReportLayout.ini", "; kept\r\n[Common]\r\nSheet=A4L\r\n");
    ReportLayout l;
    l.Sheet = "A3W";
    l.PhotoNum = 0;
    l.DataNum = 30;
    l.HeaderItems[4] = {0, 1};
    l.HeaderItems[8] = {1, 1};
    l.PDir = 1;
    l.DMark = 0;
    l.DSize = 2;
    ASSERT_TRUE(WriteReportLayout(l, path));
    EXPECT_EQ(IniRead("Common", "Sheet", "", path), "A3W");
    EXPECT_EQ(IniRead("Header", "H_Text4W", "", path), "1");
    EXPECT_TRUE(readFile(path).startsWith("; kept\r\n"));

    ReportLayout back;
    ASSERT_TRUE(ReadReportLayout(back, path));
    EXPECT_EQ(back.Sheet, "A3W");
    EXPECT_EQ(back.PhotoNum, 0);
    EXPECT_EQ(back.DataNum, 30);
    EXPECT_EQ(back.HeaderItems[4].Shown, 0);
    EXPECT_EQ(back.HeaderItems[4].Wide, 1);
    EXPECT_EQ(back.HeaderItems[8].Wide, 1);
    EXPECT_EQ(back.PDir, 1);
    EXPECT_EQ(back.DMark, 0);
    EXPECT_EQ(back.DSize, 2);
}

TEST(ReportLayout, NonNumbersFailAndUnusableValuesTakeTheirDefaults) {
    Scratch s;
    ReportLayout l;
    EXPECT_FALSE(ReadReportLayout(l, s.write("a.ini", "[Photo]\r\nPTitle=yes\r\n")));
    QString error;
    EXPECT_FALSE(
        ReadReportLayout(l, s.write("b.ini", "[Data]\r\nDSize=40000\r\n"), nullptr, &error));
    EXPECT_TRUE(error.contains("DSize"));

    std::vector<IgnoredSetting> ignored;
    l = ReportLayout{};
    ASSERT_TRUE(ReadReportLayout(
        l,
        s.write("c.ini",
                "[Common]\r\nSheet=B5\r\nPhotoNum=12\r\nDataNum=0\r\n[Data]\r\nDTitle=0\r\n"),
        &ignored));
    EXPECT_EQ(l.Sheet, "A4W");
    EXPECT_EQ(l.PhotoNum, 2);
    EXPECT_EQ(l.DataNum, 10);
    EXPECT_EQ(l.DTitle, 0);
    ASSERT_EQ(ignored.size(), 3u);
    EXPECT_EQ(ignored[1].key, "PhotoNum");
    EXPECT_TRUE(
        IgnoredSettingsMessage(ignored, "EN", "ReportLayout.ini").contains("ReportLayout.ini"));
}

TEST(ReportLayout, AFailedWriteLeavesTheFileAsItWas) {
    Scratch s;
    const QByteArray before = "[Common]\r\nSheet=A4L\r\n";
    const QString path = s.write("ReportLayout.ini", before);
    SetFileSaveFailureAfter(10);
    QString error;
    const bool ok = WriteReportLayout(ReportLayout{}, path, &error);
    SetFileSaveFailureAfter(-1);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), before);
}
