// Cover compliance: per-bar verdicts, the statistics of a set of bars (against figures worked
// out by hand), the settings checks and the sidecar file.

#include "view/CoverCompliance.h"

#include "config/Settings.h"
#include "view/DocumentFixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using namespace rebar;

namespace {

ComplianceSettings design30() {
    return ComplianceSettings{30, 5, 10, 20}; // within 25..40, minimum 20
}

} // namespace

TEST(CoverCompliance, BarsAreJudgedAgainstTheToleranceBandWithItsEdgesInside) {
    const ComplianceSettings s = design30();
    EXPECT_EQ(JudgeCover(25.0, s), CoverVerdict::Within);
    EXPECT_EQ(JudgeCover(24.9999999999, s), CoverVerdict::Within); // binary noise of 25
    EXPECT_EQ(JudgeCover(24.9, s), CoverVerdict::Below);
    EXPECT_EQ(JudgeCover(40.0, s), CoverVerdict::Within);
    EXPECT_EQ(JudgeCover(40.1, s), CoverVerdict::Above);
    EXPECT_FALSE(BelowMinimum(20.0, s));
    EXPECT_TRUE(BelowMinimum(19.9, s));
}

TEST(CoverCompliance, StatisticsOfAFewBarsUseTheNormalQuantile) {
    // Covers 30, 25, 20, 35: mean 27.5, squares 125 over 3, s = 6.4550, quantile
    // 27.5 - 1.645 x 6.4550 = 16.8816 below the minimum of 20.
    const std::vector<double> covers{30, 25, 20, 35};
    const CoverStatistics st = SummarizeCovers(covers, design30());
    EXPECT_EQ(st.count, 4);
    EXPECT_DOUBLE_EQ(st.mean, 27.5);
    EXPECT_NEAR(st.standardDeviation, 6.454972, 1e-6);
    EXPECT_NEAR(st.quantile5Normal, 16.881571, 1e-6);
    EXPECT_FALSE(st.quantile5Empirical);
    EXPECT_EQ(st.within, 3);
    EXPECT_EQ(st.below, 1);
    EXPECT_EQ(st.belowMinimum, 0);
    EXPECT_DOUBLE_EQ(st.minimum, 20);
    EXPECT_EQ(st.verdict, ComplianceVerdict::Fail);

    const std::vector<double> even{30, 31, 29, 30};
    EXPECT_EQ(SummarizeCovers(even, design30()).verdict, ComplianceVerdict::Pass);
}

TEST(CoverCompliance, TwentyBarsAddTheEmpiricalQuantileAndTheLowerDecides) {
    // 21..40 mm: mean 30.5, variance n(n+1)/12 = 35, normal quantile 30.5 - 1.645 x 5.9161 =
    // 20.768; empirical at rank 0.95: 21 + 0.95 = 21.95. Both above 20: pass.
    std::vector<double> covers;
    for (int c = 21; c <= 40; ++c)
        covers.push_back(c);
    CoverStatistics st = SummarizeCovers(covers, design30());
    EXPECT_NEAR(st.standardDeviation, std::sqrt(35.0), 1e-9);
    EXPECT_NEAR(st.quantile5Normal, 30.5 - 1.645 * std::sqrt(35.0), 1e-9);
    ASSERT_TRUE(st.quantile5Empirical);
    EXPECT_NEAR(*st.quantile5Empirical, 21.95, 1e-9);
    EXPECT_EQ(st.verdict, ComplianceVerdict::Pass);

    // 18 bars at 40 and 2 at 10: mean 37, s = sqrt(1620/19) = 9.2338, normal quantile 21.81
    // passes, but the empirical quantile is 10 and decides: fail; a tenth of the bars lies
    // below the minimum.
    covers.assign(18, 40.0);
    covers.push_back(10);
    covers.push_back(10);
    st = SummarizeCovers(covers, design30());
    EXPECT_NEAR(st.quantile5Normal, 37 - 1.645 * std::sqrt(1620.0 / 19), 1e-9);
    EXPECT_GT(st.quantile5Normal, 20);
    EXPECT_DOUBLE_EQ(*st.quantile5Empirical, 10);
    EXPECT_DOUBLE_EQ(st.decidingQuantile(), 10);
    EXPECT_EQ(st.verdict, ComplianceVerdict::Fail);
    EXPECT_DOUBLE_EQ(st.shareBelowMinimum, 0.1);
}

TEST(CoverCompliance, FewerThanTwoBarsGiveNoVerdict) {
    EXPECT_EQ(SummarizeCovers({}, design30()).verdict, ComplianceVerdict::TooFew);
    const std::vector<double> one{12};
    const CoverStatistics st = SummarizeCovers(one, design30());
    EXPECT_EQ(st.verdict, ComplianceVerdict::TooFew);
    EXPECT_EQ(st.belowMinimum, 1);
    EXPECT_DOUBLE_EQ(st.standardDeviation, 0);
}

TEST(CoverCompliance, SettingsOutOfRangeAreNamed) {
    EXPECT_TRUE(CheckComplianceSettings(design30()).isEmpty());
    ComplianceSettings s = design30();
    s.MinimumCover = 40;
    EXPECT_TRUE(CheckComplianceSettings(s).startsWith("Minimum cover: 40.0 mm is above"));
    s = design30();
    s.DeviationAbove = -1;
    EXPECT_TRUE(CheckComplianceSettings(s).startsWith("Allowed deviation above: -1.0 mm"));
    s = design30();
    s.DesignCover = std::nan("");
    EXPECT_TRUE(CheckComplianceSettings(s).startsWith("Design cover:"));
    s = design30();
    s.DeviationBelow = 35;
    EXPECT_TRUE(CheckComplianceSettings(s).startsWith("Allowed deviation below: 35.0 mm"));

    // Program-wide defaults that contradict each other fall back to the built-in set.
    Settings settings;
    settings.DesignCover = 25;
    settings.MinimumCover = 30;
    EXPECT_EQ(ComplianceDefaults(settings), ComplianceSettings{});
    settings.MinimumCover = 15;
    EXPECT_EQ(ComplianceDefaults(settings).MinimumCover, 15);
}

TEST(CoverCompliance, DefaultsComeFromTheSettingsStore) {
    test::Scratch s;
    const QString path = s.write("Default.ini", "[Compliance]\r\nDesignCover=45\r\n"
                                                "MinimumCover=abc\r\nCoverDeviationAbove=999\r\n");
    Settings st;
    std::vector<IgnoredSetting> ignored;
    ASSERT_TRUE(ReadSettings(st, path, &ignored));
    EXPECT_EQ(st.DesignCover, 45);
    EXPECT_EQ(st.MinimumCover, 20); // not a number: the default
    EXPECT_EQ(st.CoverDeviationAbove, 10);
    ASSERT_EQ(ignored.size(), 2u);
    EXPECT_EQ(ignored[0].key, "CoverDeviationAbove");
    EXPECT_EQ(ignored[1].key, "MinimumCover");
}

TEST(CoverCompliance, SidecarRoundTripsAndBrokenOnesAreIgnoredWithANote) {
    test::Scratch s;
    const QString scan = s.path("LINE.RDD");
    const ComplianceSettings defaults = design30();

    SidecarRead r = ReadComplianceSidecar(scan, defaults);
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.note.isEmpty()); // no sidecar is the usual case
    EXPECT_EQ(r.settings, defaults);

    const ComplianceSettings mine{35, 5, 5, 25};
    QString error;
    ASSERT_TRUE(WriteComplianceSidecar(scan, mine, &error)) << error.toStdString();
    r = ReadComplianceSidecar(scan, defaults);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.settings, mine);

    // Settings out of range are refused before anything is written.
    ComplianceSettings bad = mine;
    bad.MinimumCover = 50;
    EXPECT_FALSE(WriteComplianceSidecar(scan, bad, &error));
    EXPECT_TRUE(error.startsWith("Minimum cover"));
    EXPECT_EQ(ReadComplianceSidecar(scan, defaults).settings, mine);

    const struct {
        const char* text;
        const char* note;
    } broken[] = {
        {"[Cover]\r\nDesignCover=35\r\n", "DeviationBelow is missing"},
        {"[Cover]\r\nDesignCover=x\r\nDeviationBelow=5\r\nDeviationAbove=5\r\nMinimumCover=2\r\n",
         "DesignCover is not a number"},
        {"[Cover]\r\nDesignCover=20\r\nDeviationBelow=5\r\nDeviationAbove=5\r\nMinimumCover=30\r\n",
         "Minimum cover: 30.0 mm is above"},
        {"\x89PNG garbage", "is missing"},
    };
    for (const auto& b : broken) {
        s.write("LINE.RDD.cover.ini", b.text);
        r = ReadComplianceSidecar(scan, defaults);
        EXPECT_FALSE(r.found) << b.text;
        EXPECT_EQ(r.settings, defaults) << b.text;
        EXPECT_TRUE(r.note.contains(b.note)) << r.note.toStdString();
    }
}

TEST(CoverCompliance, CsvAndJsonCarryTheSameFigures) {
    const std::vector<MarkerCover> markers{{1, 0.25, 31.2}, {2, 0.45, 18.0}, {3, 0.65, 41.5}};
    const QByteArray csv = ComplianceCsv(markers, design30(), "m");
    EXPECT_TRUE(csv.startsWith("No,Distance(m),Cover(mm),Verdict,BelowMinimum\r\n"
                               "001,0.2500,31.2,within,no\r\n"
                               "002,0.4500,18.0,below,yes\r\n"
                               "003,0.6500,41.5,above,no\r\n"
                               "Summary,count=3,mean=30.2,"))
        << csv.toStdString();
    EXPECT_TRUE(csv.endsWith("verdict=fail,design=30.0-5.0+10.0/min20.0\r\n"));

    const QJsonObject json = QJsonDocument::fromJson(ComplianceJson(markers, design30())).object();
    EXPECT_EQ(json["verdict"].toString(), "fail");
    EXPECT_EQ(json["statistics"].toObject()["count"].toInt(), 3);
    EXPECT_NEAR(json["statistics"].toObject()["meanMm"].toDouble(), 30.2333333, 1e-6);
    EXPECT_TRUE(json["statistics"].toObject()["quantile5EmpiricalMm"].isNull());
    EXPECT_EQ(json["markers"].toArray()[1].toObject()["verdict"].toString(), "below");
}

namespace {

using CoverScenes = test::DocumentTest;

QByteArray rbinfoOutput(const QStringList& args, int* status) {
    QProcess p;
    p.start(test::binDir() + QStringLiteral("/rbinfo"), args);
    p.waitForFinished(60000);
    *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
}

} // namespace

// Bars at known covers in both families: the listed markers carry the covers of the scene
// (within the depth tables' resolution) and are judged as the covers are.
TEST_F(CoverScenes, MarkersOfAKnownSceneAreJudgedByTheirCovers) {
    scangen::Scene sc = scene(1200);
    sc.er = 8; // the settings' permittivity, so that the depths read the scene's covers
    sc.bars = {{300, 30}, {550, 18}, {800, 45}, {1050, 27}};
    sc.markGroups = 1;
    const std::vector<CoverVerdict> expected{CoverVerdict::Within, CoverVerdict::Below,
                                             CoverVerdict::Above, CoverVerdict::Within};
    for (const auto& [name, format] : {std::pair{"LINE.RDD", scangen::Format::Rdd},
                                       std::pair{"LINE.ZVX", scangen::Format::Zvx}}) {
        auto doc = open(write(QString::fromLatin1(name), format, sc));
        const std::vector<MarkerCover> covers = MarkerCoversOf(doc->record(), test::buildTables());
        ASSERT_EQ(covers.size(), sc.bars.size()) << name;
        for (size_t i = 0; i < covers.size(); ++i) {
            EXPECT_NEAR(covers[i].coverMm, sc.bars[i].coverMm, 1.5) << name << " bar " << i;
            EXPECT_EQ(JudgeCover(covers[i].coverMm, design30()), expected[i]) << name;
            EXPECT_EQ(covers[i].number, static_cast<int>(i) + 1);
        }
        std::vector<double> mm;
        for (const MarkerCover& c : covers)
            mm.push_back(c.coverMm);
        const CoverStatistics st = SummarizeCovers(mm, design30());
        EXPECT_EQ(st.belowMinimum, 1) << name;
        EXPECT_EQ(st.verdict, ComplianceVerdict::Fail) << name;
    }
}

TEST_F(CoverScenes, NoCoversWhileTheViewShowsEchoTimes) {
    auto doc = open(write(QStringLiteral("TIME.RDD"), scangen::Format::Rdd, scene()));
    doc->ChoosePermittivity(7); // the time axis
    ASSERT_LE(doc->record().Permittivity, 0);
    EXPECT_FALSE(doc->markerList().lines.isEmpty());
    EXPECT_TRUE(MarkerCoversOf(doc->record(), test::buildTables()).empty());
}

TEST_F(CoverScenes, RbinfoPrintsTheFiguresWithTheSidecarsSettings) {
    scangen::Scene sc = scene(800);
    sc.er = 8;
    sc.bars = {{300, 30}, {550, 34}, {800, 38}};
    const QString file = write(QStringLiteral("WALL.RDD"), scangen::Format::Rdd, sc);
    int status = 0;
    QJsonObject o =
        QJsonDocument::fromJson(rbinfoOutput({QStringLiteral("--compliance"), file}, &status))
            .object();
    ASSERT_EQ(status, 0);
    EXPECT_FALSE(o["sidecar"].toBool());
    EXPECT_EQ(o["verdict"].toString(), "pass");
    EXPECT_EQ(o["statistics"].toObject()["count"].toInt(), 3);

    // A sidecar that asks for a 40 mm minimum turns the verdict.
    ASSERT_TRUE(WriteComplianceSidecar(file, ComplianceSettings{45, 10, 10, 40}, nullptr));
    o = QJsonDocument::fromJson(rbinfoOutput({QStringLiteral("--compliance"), file}, &status))
            .object();
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(o["sidecar"].toBool());
    EXPECT_EQ(o["settings"].toObject()["minimumCoverMm"].toDouble(), 40);
    EXPECT_EQ(o["verdict"].toString(), "fail");
    EXPECT_EQ(o["statistics"].toObject()["belowMinimum"].toInt(), 3);

    // A file that cannot be opened fails alone.
    const QString bad = scratch.write(QStringLiteral("BAD.RDD"), "\"LC\",5\r\n");
    rbinfoOutput({QStringLiteral("--compliance"), bad}, &status);
    EXPECT_EQ(status, 1);
}
