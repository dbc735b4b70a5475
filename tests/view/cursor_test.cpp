// Cursor conversions and readouts, and how the mouse and arrow keys move the cursor.

#include "config/Program.h"
#include "view/CursorMotion.h"
#include "view/CursorPosition.h"

#include "view/DepthFixtures.h"

#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::identityDepths;

namespace {

MeasurementRecord record(int kind, int traces) {
    MeasurementRecord r;
    r.FileKind = kind;
    r.TraceCount = traces;
    r.Permittivity = 8.0;
    r.XUnit = "m";
    r.YUnit = "cm";
    return r;
}

} // namespace

TEST(CursorConversions, RowsToSamplesAndColumnsToTraces) {
    EXPECT_EQ(RowToSample730(5, 0, 0), 5);
    EXPECT_EQ(RowToSample730(5, 0, 1), 10);
    // 6 ns: rows 1, 2, 3, 4 read samples 1, 2, 4, 5.
    EXPECT_EQ(RowToSample730(1, 1, 0), 1);
    EXPECT_EQ(RowToSample730(2, 1, 0), 2);
    EXPECT_EQ(RowToSample730(3, 1, 0), 4);
    EXPECT_EQ(RowToSample730(4, 1, 0), 5);
    EXPECT_EQ(RowToSample730(7, 2, 0), 14);
    EXPECT_EQ(RowToSample940(1, 4, 0), 1);
    EXPECT_EQ(RowToSample940(4, 4, 0), 5);  // row 2m -> 3m - 1
    EXPECT_EQ(RowToSample940(5, 4, 1), 12); // row 2m + 1 -> 3m, doubled at half size
    EXPECT_EQ(GetXPos730r(7, 4), 13);
    EXPECT_EQ(GetXPos940r(7, 4), 14);
    EXPECT_EQ(GetXPos730r(7, 1), 7);
    EXPECT_EQ(GetXPos730r(7, 9), 0);
    EXPECT_EQ(TraceToColumn730(5, 3), 2); // 2.5 rounds to even
    EXPECT_EQ(TraceToColumn730(1, 3), 1); // 0.5 rounds to 0, then 1
    EXPECT_DOUBLE_EQ(TraceToColumn940(5, 0), 6);
}

TEST(CursorConversions, DistanceTimeAndDepth) {
    MeasurementRecord r = record(KindRdd, 1000);
    CursorPosition p = CalcPosition730(r, identityDepths(), 40, 300);
    EXPECT_DOUBLE_EQ(p.distance, 0.1);
    EXPECT_DOUBLE_EQ(p.depthCm, 30.0);
    EXPECT_DOUBLE_EQ(p.timeNs, 2.3); // 2.34375 truncated, not rounded
    r.ViewRange = 3;                 // a wide column counts two traces: 5 mm at XAdjust 0
    EXPECT_NEAR(CalcPosition730(r, identityDepths(), 10, 1).distance, 0.05, 1e-12);
    r.XScale = 1;
    EXPECT_NEAR(CalcPosition730(r, identityDepths(), 10, 1).distance, 1.0, 1e-12);
    // The pitch of a trace is formed first, then multiplied by the traces.
    r.XScale = 0;
    r.ViewRange = 0;
    r.XAdjust = -18;
    r.FileKind = KindZvx4;
    EXPECT_EQ(FormatReadouts(r, LanguageTables{}, CalcPosition940(r, identityDepths(), 98, 1))
                  .distanceValue,
              "0.1989m");
    // A permittivity outside 2.0..20.0 fails the depth.
    r.Permittivity = 25;
    EXPECT_FALSE(CalcPosition730(r, identityDepths(), 10, 5).ok);
    // A 940 file longer than the traces held: the held ones are the last of the file.
    MeasurementRecord f = record(KindZvx4, 6000);
    f.XDataSize = 7000;
    f.SkippedTraces = 1000;
    EXPECT_NEAR(CalcPosition940(f, identityDepths(), 1, 1).distance, 1000 * 0.0025, 1e-9);
    // A count the file does not hold moves nothing: positions come from the traces held.
    f.XDataSize = 2147483600;
    f.SkippedTraces = 0;
    EXPECT_NEAR(CalcPosition940(f, identityDepths(), 1, 1).distance, 0.0, 1e-12);
}

TEST(CursorReadouts, NumbersAreRoundedFromTheirExactValueWithHalvesToEven) {
    // Only exact halves go to the even neighbour: 0.12345 x 1000 lies just above 123.45,
    // 0.12355 x 1000 just below 123.55.
    EXPECT_EQ(FormatFixed(0.12345 * 1000, 1), "123.5");
    EXPECT_EQ(FormatFixed(0.12355 * 1000, 1), "123.5");
    EXPECT_EQ(FormatFixed(0.125, 2), "0.12");
    EXPECT_EQ(FormatFixed(0.375, 2), "0.38");
    EXPECT_EQ(FormatFixed(2.5, 0), "2");
    EXPECT_EQ(FormatFixed(3.5, 0), "4");
    EXPECT_EQ(FormatFixed(9.96, 1), "10.0");
    EXPECT_EQ(FormatFixed(0.0004, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0004, 3), "0.000");
    EXPECT_EQ(FormatFixed(-1.25, 1), "-1.2");
    EXPECT_EQ(FormatFixed(1e-7, 4), "0.0000");
    EXPECT_EQ(FormatFixed(12345.678, 2), "12345.68");
    // 97 traces of 2.05 mm: the double lies just above the half and rounds up.
    EXPECT_EQ(FormatFixed(97 * (0.0025 * (1 - 18 / 100.0)), 4), "0.1989");
}

TEST(CursorReadouts, PermittivityTagAndUnits) {
    EXPECT_EQ(PermittivityText(8.0), QString::fromUtf8("8.0εr [+0]"));
    EXPECT_EQ(PermittivityText(8.5), QString::fromUtf8("8.5εr"));
    // A preset read from a file at single precision carries its tag too.
    EXPECT_EQ(PermittivityText(static_cast<float>(7.4)), QString::fromUtf8("7.4εr [-1]"));
    MeasurementRecord r = record(KindRdd, 1000);
    CursorPosition p;
    p.distance = 0.12345;
    p.depthCm = 4.56;
    p.timeNs = 1.7;
    r.XUnit = "mm";
    r.YUnit = "inch";
    ReadoutTexts t = FormatReadouts(r, LanguageTables{}, p);
    EXPECT_EQ(t.distanceValue, "123.5mm"); // 0.12345 x 1000 lies just above 123.45
    EXPECT_EQ(t.depthValue, "1.80inch");
    r.Permittivity = 0; // time axis
    t = FormatReadouts(r, LanguageTables{}, p);
    EXPECT_EQ(t.depthValue, "1.7ns");
    EXPECT_TRUE(t.permittivityValue.isEmpty());
    r.XUnit = "furlong"; // an unknown unit leaves the label
    EXPECT_FALSE(FormatReadouts(r, LanguageTables{}, p).distanceSet);
}

TEST(CursorMotion, MouseInsideThePictureAndAutoScroll) {
    CursorScene s;
    s.pictureWidth = 404;
    s.pictureHeight = 537;
    s.traceCount = 1000;
    s.scroll = 100;
    s.scrollMax = 597;
    EXPECT_TRUE(MouseMoveCursor(s, 50, 20).ignored); // on the distance strip
    MouseMoveCursor(s, 50, 100);
    EXPECT_EQ(s.column, 150);
    EXPECT_EQ(s.row, 78);
    // 30 pixels left of the picture: three steps toward the start, cursor with the picture.
    CursorMove m = MouseMoveCursor(s, -30, 100);
    EXPECT_TRUE(m.scrolled);
    EXPECT_EQ(s.scroll, 97);
    EXPECT_EQ(s.column, 147);
    // Near the end the three-step move snaps to the end and the last trace.
    s.scroll = 595;
    MouseMoveCursor(s, 404 + 25, 100);
    EXPECT_EQ(s.scroll, 597);
    EXPECT_EQ(s.column, 1000);
    // Mirrored: the left side runs toward the end of the scan (the bar's minimum property).
    CursorScene b = s;
    b.direction = 1;
    b.scroll = 10;
    b.scrollMin = 597;
    b.scrollMax = 1;
    b.column = 50;
    MouseMoveCursor(b, -5, 100);
    EXPECT_EQ(b.scroll, 11);
    EXPECT_EQ(b.column, 51);
}

TEST(CursorMotion, ArrowKeysStepAndClamp) {
    CursorScene s;
    s.pictureWidth = 404;
    s.traceCount = 1000;
    s.rows = 512;
    s.scrollMax = 597;
    KeyMoveCursor(s, Qt::Key_Right, true, false); // Shift: 10
    EXPECT_EQ(s.column, 11);
    KeyMoveCursor(s, Qt::Key_Up, false, true);
    EXPECT_EQ(s.row, 1); // clamped
    s.column = 5;
    KeyMoveCursor(s, Qt::Key_Left, false, false); // Ctrl: no step, still clamped
    EXPECT_EQ(s.column, 5);
    s.direction = 1; // mirrored: Left moves toward the end
    KeyMoveCursor(s, Qt::Key_Left, false, true);
    EXPECT_EQ(s.column, 6);
    s.direction = 0;
    s.column = 404;
    KeyMoveCursor(s, Qt::Key_Right, false, true); // past the picture: scrolls on
    EXPECT_EQ(s.scroll, 2);
}
