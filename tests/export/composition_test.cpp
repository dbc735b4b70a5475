// The composed picture of both families: its size for the print options, the frame, the A-mode
// panel, the cursor cross, a short range, the strip counted from the range, the returned range
// and date, and the title line.

#include "export/Composition.h"

#include "base/DateText.h"
#include "view/DocumentFixtures.h"

#include <QColor>

using namespace rebar;
using namespace rebar::test;

namespace {

struct Family {
    const char* name;
    scangen::Format format;
    const char* file;
    int rows; // image rows H at full size
};
const Family Rdd730{"730", scangen::Format::Rdd, "SLAB.RDD", 512};
const Family Zvx940{"940", scangen::Format::Zvx, "DECK.ZVX", 768};

constexpr int D = CompositionAxisWidth;
constexpr int A = CompositionAModeWidth;

bool isBlack(const QImage& img, int x, int y) {
    return (img.pixel(x, y) & 0xffffff) == 0;
}
bool isWhite(const QImage& img, int x, int y) {
    return (img.pixel(x, y) & 0xffffff) == 0xffffff;
}
bool rowHasInk(const QImage& img, int y0, int y1, int x0, int x1) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (!isWhite(img, x, y))
                return true;
    return false;
}

// Every print option off: no A-mode panel, no cursor, no text lines.
CompositionParams bare() {
    CompositionParams p;
    p.AModePrint = p.MeasurementDatePrint = p.CreationDatePrint = p.CrossCursorPrint = 1;
    p.SensPrint = p.UseModelPrint = p.TitlePrint = 1;
    return p;
}

class Composition : public DocumentTest, public ::testing::WithParamInterface<Family> {
protected:
    std::unique_ptr<MeasurementDocument> openScene(int traces = 400) {
        return open(write(QString::fromLatin1(GetParam().file), GetParam().format, scene(traces)));
    }
    int H() const { return GetParam().rows; }
};

} // namespace

TEST_P(Composition, WholeFileWithEveryPartHasTheSizeFrameAndPanel) {
    auto doc = openScene();
    const int N = doc->record().TraceCount;
    CompositionParams p; // every option 1 ...
    p.AModePrint = p.TitlePrint = p.MeasurementDatePrint = p.CreationDatePrint = 0; // ... but these
    p.CreationDate = QDate(2024, 5, 6);
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    EXPECT_EQ(p.StartTrace, 1);
    EXPECT_EQ(p.EndTrace, N);
    EXPECT_EQ(pics.width(), D + N + A);
    EXPECT_EQ(pics.height(), H() + 20 + 60);

    // The three frame lines.
    for (int x : {0, D + 5, pics.width() - 1}) {
        EXPECT_TRUE(isBlack(pics, x, 20)) << x;
        EXPECT_TRUE(isBlack(pics, x, H() + 20)) << x;
    }
    EXPECT_TRUE(isBlack(pics, 50, H() / 2));
    // The A-mode panel: the zero line and the colour bar of the view.
    const int X0 = pics.width() - A;
    EXPECT_TRUE(isBlack(pics, X0 + 64, H() / 2));
    const QImage& bar = doc->colorBar().bar;
    for (int i : {1, 64, 127})
        EXPECT_EQ(pics.pixel(X0 + i, 5), bar.pixel(i, 0)) << i;
    // The radargram copied at D: its first image column.
    const QImage overlay = doc->images().OverlayImage;
    for (int y : {30, H() / 2, H() + 10})
        EXPECT_EQ(pics.pixel(D + 3, y), overlay.pixel(3, y)) << y;
    // The three text lines are written below the image.
    EXPECT_TRUE(rowHasInk(pics, H() + 27, H() + 40, 10, 300));
    EXPECT_TRUE(rowHasInk(pics, H() + 46, H() + 59, 10, 300));
    EXPECT_TRUE(rowHasInk(pics, H() + 65, H() + 78, 10, 300));
}

TEST_P(Composition, ShortRangeIsSixtyColumnsWideAndTheDateComesBack) {
    auto doc = openScene();
    doc->record().MeasureDate = QStringLiteral("2023/02/01");
    CompositionParams p = bare();
    p.StartTrace = 11;
    p.EndTrace = 40; // 30 columns
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    EXPECT_EQ(pics.size(), QSize(D + 60, H() + 20));
    // The record's date, although the date line is left out.
    EXPECT_EQ(p.MeasurementDate, QDate(2023, 2, 1));
    const QImage overlay = doc->images().OverlayImage;
    EXPECT_EQ(pics.pixel(D + 1, 100), overlay.pixel(11, 100)); // D itself is the frame line
    EXPECT_EQ(pics.pixel(D + 29, 100), overlay.pixel(39, 100));
    for (int x = D + 30; x < D + 60; ++x)
        ASSERT_TRUE(isWhite(pics, x, 100)) << x;
}

TEST_P(Composition, ReversedDirectionCopiesFromTheRight) {
    auto doc = openScene();
    doc->record().Direction = 1;
    ASSERT_TRUE(doc->Refresh(AllRefreshSteps));
    const int N = doc->record().TraceCount;
    CompositionParams p = bare();
    p.StartTrace = 101;
    p.EndTrace = 200;
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    const QImage overlay = doc->images().OverlayImage;
    // Source column N - EndTrace - 1.
    EXPECT_EQ(pics.pixel(D + 7, 200), overlay.pixel(N - 200 - 1 + 7, 200));
}

TEST_P(Composition, WideRangeCountsColumnsAndStartsAtColumnOne) {
    auto doc = openScene(600);
    doc->ViewRangeCommand(3);
    ASSERT_EQ(doc->record().ViewRange, 3);
    CompositionParams p = bare();
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    EXPECT_EQ(p.StartTrace, 1);
    EXPECT_EQ(p.EndTrace, 300);
    EXPECT_EQ(pics.width(), D + 300);

    p = bare();
    p.StartTrace = 1; // Fix(1/2) is 0: still column 1
    p.EndTrace = 201;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    EXPECT_EQ(p.StartTrace, 1);
    EXPECT_EQ(p.EndTrace, 100);
}

TEST_P(Composition, CursorCrossStopsShortOfThePanelAndTurnsRedInIt) {
    auto doc = openScene();
    doc->state().CursorColumn = 120;
    doc->state().CursorRow = 200;
    doc->record().ColorCode = 0; // a white cursor in both families
    CompositionParams p = bare();
    p.CrossCursorPrint = 0;
    p.AModePrint = 0;
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    const int y = 200 + 19;
    const int X0 = pics.width() - A;
    EXPECT_EQ(pics.pixel(D + 40, y) & 0xffffff, 0xffffffu);
    EXPECT_EQ(pics.pixel(X0 - 5, y) & 0xffffff, 0xffffffu);
    EXPECT_EQ(pics.pixel(pics.width() - 1, y) & 0xffffff, 0xff0000u); // red inside the panel
    EXPECT_TRUE(isBlack(pics, X0 - 4, 300));                          // the panel's edge
    EXPECT_EQ(pics.pixel(D + 120, 300) & 0xffffff, 0xffffffu);        // the vertical line

    // A red cursor on a colour gradation that takes one.
    doc->record().ColorCode = 11;
    ASSERT_TRUE(doc->Refresh(AllRefreshSteps));
    p = bare();
    p.CrossCursorPrint = 0;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    EXPECT_EQ(pics.pixel(D + 40, y) & 0xffffff, 0xff0000u);
    EXPECT_EQ(pics.pixel(pics.width() - 1, y) & 0xffffff, 0xff0000u); // to the right edge
}

TEST_P(Composition, StripIsCountedFromTheRangeOnlyWhenItStartsLater) {
    auto doc = openScene();
    doc->record().XUnit = QStringLiteral("m");
    doc->record().XAdjust = 0;
    CompositionParams p = bare();
    p.DistanceFromFile = 0;
    p.StartTrace = 1;
    p.EndTrace = 300;
    QImage fromFile;
    ASSERT_TRUE(MakeJPG(*doc, p, fromFile));
    const QImage overlay = doc->images().OverlayImage;
    // From the first column: the view's own strip, whatever DistanceFromFile says.
    for (int x = 0; x < 300; x += 7)
        for (int y = 0; y < 20; y += 3)
            ASSERT_EQ(fromFile.pixel(D + x, y), overlay.pixel(x, y)) << x << "," << y;

    p = bare();
    p.DistanceFromFile = 0;
    p.StartTrace = 51;
    p.EndTrace = 300;
    QImage relabelled;
    ASSERT_TRUE(MakeJPG(*doc, p, relabelled));
    // The origin tick at D and the 0.1 m tick 40 columns on (x = D + 40 - 1), both from y 12.
    for (int y = 12; y < 20; ++y) {
        EXPECT_TRUE(isBlack(relabelled, D, y)) << y;
        EXPECT_TRUE(isBlack(relabelled, D + 39, y)) << y;
    }
    EXPECT_TRUE(isWhite(relabelled, D + 20, 15));         // no tick between
    EXPECT_TRUE(rowHasInk(relabelled, 0, 11, D, D + 14)); // the "0.0" label
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, Composition, ::testing::Values(Rdd730, Zvx940),
                         [](const auto& info) { return std::string("F") + info.param.name; });

TEST(TitleLine, NamesProcessingPermittivitySensitivityAndModel) {
    const LanguageTables& l = japanese();
    const auto& C = l.Captions;
    MeasurementRecord r;
    r.FileKind = KindRdd;
    r.ProcCode = 2;
    r.Permittivity = 6.5;
    r.GainMode = 1;
    r.Gain = 3; // S = 10
    r.ViewRange = 1;
    const QString colon = QString::fromUtf8("：");
    EXPECT_EQ(SetTitleText2(r, l, 0, 0).value_or(QString()),
              C[116] + "   " + C[113] + colon + "6.5" + "   " + C[123] + colon + C[32] +
                  QString::fromUtf8("   VX：730"));
    // Left out: sensitivity and model; on the time axis no permittivity.
    r.Permittivity = 0;
    r.FileKind = KindZvx4;
    EXPECT_EQ(SetTitleText2(r, l, 1, 1).value_or(QString()), C[116]);
    EXPECT_EQ(SetTitleText2(r, l, 1, 0).value_or(QString()),
              C[116] + QString::fromUtf8("   VX：940"));
    // A sensitivity outside 1..14, a processing or view range outside its range: no text.
    r.Gain = 5; // S = 12 still fine
    EXPECT_TRUE(SetTitleText2(r, l, 0, 0).has_value());
    r.GainMode = 2; // S = 19
    EXPECT_FALSE(SetTitleText2(r, l, 0, 0).has_value());
    EXPECT_FALSE(SetTitleText(r, l, QStringLiteral("A.RDD")).has_value());
    r.GainMode = 0;
    r.ViewRange = 6;
    EXPECT_FALSE(SetTitleText2(r, l, 0, 0).has_value());
}

TEST(TitleLine, WindowCaptionJoinsTheFiveGroups) {
    const LanguageTables& l = japanese();
    const auto& C = l.Captions;
    MeasurementRecord r;
    r.FileKind = KindRdd;
    r.MeasureDate = QStringLiteral("2024/03/09");
    r.DataNo = 12;
    r.GainMode = 0;
    r.Gain = 4;
    r.ProcCode = 0;
    r.ViewRange = 2;
    const QString caption = SetTitleText(r, l, QStringLiteral("A.RDD")).value_or(QString());
    EXPECT_EQ(caption, "A.RDD  [" + C[125] + " : " + ShortDateText(QDate(2024, 3, 9)) + "]  [" +
                           C[126] + " : 12]  [" + C[123] + " : " + C[26] + "]  [" + C[124] + " : " +
                           C[114] + "]  [" + C[4] + " : " + C[83] + "]");
}
