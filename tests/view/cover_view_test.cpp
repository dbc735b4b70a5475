// The cover compliance of an opened view: its settings from the sidecar or the defaults, what
// the cover dialog's settings do, the marker list's verdict column and statistics, and the
// warning colours of a bar below the minimum cover on the radargram.

#include "view/CoverCompliance.h"
#include "view/DocumentFixtures.h"
#include "view/MarkerList.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

using namespace rebar;

namespace {

constexpr QRgb Magenta = 0xffff00ffu;
constexpr QRgb White = 0xffffffffu;

class CoverView : public test::DocumentTest {
protected:
    // Bars at 30, 12 (below the minimum of 20), 45 and 27 mm, read at the settings'
    // permittivity.
    static scangen::Scene shallowBar() {
        return barsAtCovers({{300, 30}, {550, 12}, {800, 45}, {1050, 27}});
    }
    static ComplianceSettings design30() { return {30, 5, 10, 20}; }
};

int countOf(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            n += (line[x] | 0xff000000u) == colour;
    }
    return n;
}

int distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

} // namespace

TEST_F(CoverView, OpenTakesTheSidecarsSettingsOrElseTheDefaults) {
    settings.DesignCover = 35;
    settings.MinimumCover = 25;
    const QString path = write(QStringLiteral("WALL.RDD"), scangen::Format::Rdd, shallowBar());
    auto doc = open(path);
    EXPECT_EQ(doc->compliance(), (ComplianceSettings{35, 5, 10, 25}));
    EXPECT_FALSE(doc->complianceFromSidecar());
    EXPECT_TRUE(doc->complianceNote().isEmpty());

    ASSERT_TRUE(WriteComplianceSidecar(path, ComplianceSettings{40, 5, 5, 30}, nullptr));
    doc = open(path);
    EXPECT_EQ(doc->compliance(), (ComplianceSettings{40, 5, 5, 30}));
    EXPECT_TRUE(doc->complianceFromSidecar());

    // A broken sidecar is ignored as a whole, with a note; the file still opens.
    scratch.write(QStringLiteral("WALL.RDD.cover.ini"),
                  "[Cover]\r\nDesignCover=oops\r\nDeviationBelow=5\r\nDeviationAbove=5\r\n"
                  "MinimumCover=30\r\n");
    doc = open(path);
    EXPECT_EQ(doc->compliance(), (ComplianceSettings{35, 5, 10, 25}));
    EXPECT_FALSE(doc->complianceFromSidecar());
    EXPECT_TRUE(doc->complianceNote().contains("DesignCover is not a number"));
}

TEST_F(CoverView, DialogSettingsAreCheckedKeptForTheViewAndWrittenBesideTheFile) {
    const QString path = write(QStringLiteral("WALL.RDD"), scangen::Format::Rdd, shallowBar());
    const QString sidecar = ComplianceSidecarPath(path);
    auto doc = open(path);
    const ComplianceSettings before = doc->compliance();

    // Out of range: the setting is named in the user's language, nothing changes.
    CommandResult r = doc->SetCompliance({30, 5, 10, 40});
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.notices.size(), 1);
    EXPECT_EQ(r.notices[0].message, 44);
    ASSERT_TRUE(r.notices[0].line);
    EXPECT_TRUE(r.notices[0].line->startsWith(QString::fromUtf8("最小かぶり: 40.0 mm")))
        << r.notices[0].line->toStdString();
    EXPECT_EQ(doc->compliance(), before);
    EXPECT_FALSE(QFile::exists(sidecar));

    // The texts of the dialog: a word is named, a decimal comma is a point.
    QString problem;
    EXPECT_FALSE(ParseComplianceTexts({"30", "5", "x", "20"}, "EN", &problem));
    EXPECT_EQ(problem, "Allowed deviation above: \"x\" is not a number");
    EXPECT_EQ(ParseComplianceTexts({" 32,5", "5", "10", "20"}, "EN", &problem),
              (ComplianceSettings{32.5, 5, 10, 20}));

    // Accepted: kept, shown in the list and written.
    r = doc->SetCompliance({40, 5, 5, 30});
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.updates & ViewUpdate::MarkerList);
    EXPECT_EQ(doc->compliance(), (ComplianceSettings{40, 5, 5, 30}));
    EXPECT_EQ(ReadComplianceSidecar(path, {}).settings, (ComplianceSettings{40, 5, 5, 30}));
    EXPECT_TRUE(doc->markerList().complianceLines.join('\n').contains("30.0 mm"));

    // A sidecar that cannot be written: the user hears why, the view keeps the settings.
    ASSERT_TRUE(QFile::remove(sidecar));
    ASSERT_TRUE(QDir().mkdir(sidecar));
    r = doc->SetCompliance({35, 5, 5, 25});
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.notices.size(), 1);
    EXPECT_EQ(r.notices[0].message, 43);
    EXPECT_EQ(r.notices[0].title, sidecar);
    EXPECT_TRUE(r.notices[0].line && !r.notices[0].line->isEmpty());
    EXPECT_EQ(doc->compliance(), (ComplianceSettings{35, 5, 5, 25}));
    EXPECT_EQ(doc->markerList().coverStatistics->count, 4);
}

// The verdict column follows the pitch; the columns before it are those of a list without it.
TEST_F(CoverView, TheListEndsEachLineInItsVerdictAndKeepsTheOtherColumns) {
    const std::vector<CoverVerdict> expected{CoverVerdict::Within, CoverVerdict::Below,
                                             CoverVerdict::Above, CoverVerdict::Within};
    for (const auto& [name, format] : {std::pair{"LINE.RDD", scangen::Format::Rdd},
                                       std::pair{"LINE.ZVX", scangen::Format::Zvx}}) {
        auto doc = open(write(QString::fromLatin1(name), format, shallowBar()));
        ASSERT_TRUE(doc->SetCompliance(design30()).ok) << name;
        const MarkerListContent& list = doc->markerList();
        const MarkerListContent plain =
            BuildMarkerList(doc->record(), test::buildTables(), test::japanese(), 0);
        ASSERT_EQ(list.lines.size(), 4) << name;
        EXPECT_EQ(list.header, plain.header + "  " + test::japanese().Captions[289]);
        const std::vector<MarkerCover> covers = MarkerCoversOf(doc->record(), test::buildTables());
        ASSERT_EQ(covers.size(), 4u);
        for (qsizetype i = 0; i < 4; ++i) {
            const MarkerListLine& line = list.lines[i];
            EXPECT_EQ(line.text, plain.lines[i].text + "   " +
                                     CoverVerdictText(expected[static_cast<size_t>(i)], "JP"))
                << name;
            EXPECT_EQ(line.belowMinimum, i == 1) << name;
            // The compliance outputs list the marker where the list does.
            EXPECT_DOUBLE_EQ(covers[static_cast<size_t>(i)].distance, line.distance) << name;
        }
        ASSERT_TRUE(list.coverStatistics);
        EXPECT_EQ(list.coverStatistics->belowMinimum, 1);
        EXPECT_EQ(list.coverStatistics->verdict, ComplianceVerdict::Fail);
        ASSERT_EQ(list.complianceLines.size(), 7);
        EXPECT_EQ(list.complianceLines[0], QString::fromUtf8("かぶり判定: 不合格"));

        // Echo times are no covers: no verdicts and no compliance lines.
        doc->ChoosePermittivity(7);
        EXPECT_EQ(doc->markerList().header,
                  BuildMarkerList(doc->record(), test::buildTables(), test::japanese(), 0).header);
        EXPECT_FALSE(doc->markerList().lines[1].verdict);
        EXPECT_TRUE(doc->markerList().complianceLines.isEmpty());
    }
}

TEST(CoverStatisticsLines, ShowTheFiguresWorkedOutByHand) {
    // 30, 25, 20, 35 mm: mean 27.5, s = 6.455, quantile 16.9, none below 20.
    const std::vector<double> covers{30, 25, 20, 35};
    const ComplianceSettings s{30, 5, 10, 20};
    LanguageTables en;
    const char* captions[] = {
        "Cover",       "n",         "mean",          "s.d.",   "min",
        "5% quantile", "empirical", "below minimum", "design", "minimum cover"};
    for (size_t i = 0; i < 10; ++i)
        en.Captions[290 + i] = QString::fromLatin1(captions[i]);
    const QStringList lines = ComplianceStatisticsLines(SummarizeCovers(covers, s), s, en, "EN");
    EXPECT_EQ(lines,
              (QStringList{"Cover: fail", "design 30.0 -5.0 +10.0 mm", "minimum cover 20.0 mm",
                           "n 4   mean 27.5 mm", "s.d. 6.5 mm   min 20.0 mm", "5% quantile 16.9 mm",
                           "below minimum 0 (0.0 %)"}));
    std::vector<double> twenty(18, 40.0);
    twenty.push_back(10);
    twenty.push_back(10);
    EXPECT_EQ(ComplianceStatisticsLines(SummarizeCovers(twenty, s), s, en, "EN")[5],
              "5% quantile 21.8 mm  (empirical 10.0 mm)");
}

// The shallow bar's marker is magenta with a white rim in both families and every gradation;
// against any colour of a gradation one of the two stands out.
TEST_F(CoverView, ABarBelowTheMinimumIsDrawnInTheWarningColoursOnEveryGradation) {
    for (const auto& [name, format, gradations] :
         {std::tuple{"LINE.RDD", scangen::Format::Rdd, 10},
          std::tuple{"LINE.ZVX", scangen::Format::Zvx, 12}}) {
        auto doc = open(write(QString::fromLatin1(name), format, shallowBar()));
        ASSERT_TRUE(doc->SetCompliance(design30()).ok);
        for (int g = 0; g < gradations; ++g) {
            ASSERT_TRUE(doc->GradationCommand(g).ok) << name << g;
            const int warned = countOf(doc->RadargramImage(), Magenta);
            QSet<QRgb> palette;
            const QImage& bar = doc->colorBar().bar;
            for (int x = 1; x <= 128; ++x)
                palette.insert(bar.pixel(x, ColorBarHeight / 2) | 0xff000000u);
            for (QRgb c : palette)
                EXPECT_GT(std::max(distance(c, Magenta), distance(c, White)), 250)
                    << name << " gradation " << g << " colour " << std::hex << c;
            // Without a bar below the minimum the magenta goes.
            ASSERT_TRUE(doc->SetCompliance({30, 20, 10, 10}).ok);
            EXPECT_GE(warned - countOf(doc->RadargramImage(), Magenta), 20)
                << name << " gradation " << g;
            ASSERT_TRUE(doc->SetCompliance(design30()).ok);
        }
    }
}
