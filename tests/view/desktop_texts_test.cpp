#include "view/DesktopTexts.h"

#include <gtest/gtest.h>

using namespace rebar;

TEST(DesktopTexts, TitleStatusLineAndAccessKeys) {
    MeasurementRecord r;
    r.FileKind = KindZvx4;
    r.FileName = QStringLiteral("DECK0003.ZVX");
    r.TraceCount = 6000;
    r.SkippedTraces = 1000;
    r.Permittivity = 8.0;
    EXPECT_EQ(ViewTitle(r), "DECK0003.ZVX");
    r.Modified = FlagTrue;
    EXPECT_EQ(ViewTitle(r), "DECK0003.ZVX*");

    // 7000 traces of 2.5 mm: 17.5 m.
    EXPECT_EQ(ViewStatusLine(r, false),
              QString::fromUtf8("940 family    6000 traces    length 17.50 m    permittivity "
                                "8.0εr [+0]"));
    r.FileKind = KindRdd;
    r.SkippedTraces = 0;
    r.TraceCount = 400;
    r.Permittivity = 0;
    EXPECT_EQ(ViewStatusLine(r, true),
              QString::fromUtf8("730 系列    400 トレース    長さ 1.00 m    比誘電率 時間軸"));

    EXPECT_EQ(WithMnemonic(QStringLiteral("File"), QLatin1Char('f')), "&File");
    EXPECT_EQ(WithMnemonic(QStringLiteral("Display range"), QLatin1Char('R')), "Display &range");
    EXPECT_EQ(WithMnemonic(QString::fromUtf8("ファイル"), QLatin1Char('f')),
              QString::fromUtf8("ファイル(&F)"));
    EXPECT_EQ(WithMnemonic(QStringLiteral("&Help"), QLatin1Char('e')), "&Help");
}
