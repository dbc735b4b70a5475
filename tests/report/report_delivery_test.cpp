// What a measurement file delivers to a report data slot: the composed picture of the whole
// file, the marker tables of both families and the header texts, in both languages; and the
// slot that takes them over.

#include "report/ReportDelivery.h"
#include "report/ReportModel.h"
#include "view/CoverCompliance.h"

#include "view/DocumentFixtures.h"

using namespace rebar;
using namespace rebar::test;

namespace {

class ReportDeliveryTest : public DocumentTest {
protected:
    ReportDelivery deliver(const QString& path) {
        const auto doc = open(path);
        ReportDelivery d;
        QString error;
        EXPECT_TRUE(MakeReportDelivery(*doc, d, &error)) << error.toStdString();
        return d;
    }
};

} // namespace

TEST_F(ReportDeliveryTest, A730FileDeliversItsPictureOneTableAndTheHeaderTexts) {
    scangen::Scene s = scene();
    s.markGroups = 1;
    const ReportDelivery d = deliver(write("SLAB.RDD", scangen::Format::Rdd, s));
    ASSERT_FALSE(d.image.isNull());
    // The whole file: wider than the 400 traces' columns would be without the depth axis.
    EXPECT_GT(d.image.width(), 200);
    EXPECT_EQ(d.family, 730);
    EXPECT_EQ(d.title, "SLAB.RDD");
    ASSERT_EQ(d.grids[0].count(), 3); // one marker at each bar
    EXPECT_FALSE(d.grids[0].groupHeading);
    EXPECT_EQ(d.grids[0].markers[0][0], "001");
    EXPECT_EQ(d.grids[0].captions[0], "ID");
    EXPECT_EQ(d.grids[1].count(), 0);
    // Pitch of the first marker is 0, the bars stand 200 mm apart.
    EXPECT_EQ(d.grids[0].markers[1][3].toDouble(), d.grids[0].markers[2][3].toDouble());
    EXPECT_NEAR(d.grids[0].markers[1][3].toDouble(), 0.2, 0.01) << "metres";
    EXPECT_EQ(d.header[6], QString::fromUtf8("使用機器：QTX-730"));
    EXPECT_TRUE(d.header[3]->startsWith(QString::fromUtf8("測定日：")));
    EXPECT_TRUE(d.header[7]->startsWith(QString::fromUtf8("測定設定：  [")));
    EXPECT_FALSE(d.header[0]); // no comments in a 730 file
}

TEST_F(ReportDeliveryTest, AZvxFileFillsOneTableAGroupAndItsComments) {
    scangen::Scene s = scene();
    s.markGroups = 3;
    s.company = QString::fromUtf8("東建設");
    s.site = "Pier 4";
    settings.Language = "EN";
    const ReportDelivery d = deliver(write("DECK.ZVX", scangen::Format::Zvx, s));
    ASSERT_FALSE(d.image.isNull());
    EXPECT_EQ(d.family, 940);
    for (int g = 0; g < 3; ++g) {
        EXPECT_TRUE(d.grids[g].groupHeading);
        EXPECT_EQ(d.grids[g].heading, QStringLiteral("Gr%1").arg(g));
        EXPECT_EQ(d.grids[g].count(), 1) << g; // three bars, one to each group
    }
    EXPECT_EQ(d.grids[1].markers[0][0], "101");
    EXPECT_EQ(d.header[0], QString::fromUtf8("CompanyName:東建設"));
    EXPECT_EQ(d.header[2], "Site name:Pier 4");
    EXPECT_FALSE(d.header[4]); // an empty comment leaves the designer's text
    EXPECT_EQ(d.header[6], QString::fromUtf8("Equipment：QTX-940"));

    // Taken over by a slot: picture, tables, the header texts and the title.
    ReportLayout l;
    l.Sheet = "A4W";
    ReportModel m;
    m.Load(l, false);
    ASSERT_TRUE(m.Deliver(0, d));
    ASSERT_TRUE(m.TakeOverDeliveries());
    EXPECT_EQ(m.data(0).PictureLoaded, 1);
    EXPECT_EQ(m.data(0).Family, 940);
    EXPECT_EQ(m.data(0).Grids[2].Placed, 1);
    EXPECT_EQ(m.texts().header[0], QString::fromUtf8("CompanyName:東建設"));
    EXPECT_EQ(m.texts().header[4], "Measurer:");
    EXPECT_EQ(m.texts().dataTitle[0], "DECK.ZVX");
}

// A file's delivery carries its view's cover compliance: the settings of its sidecar and the
// figures of its listed markers.
TEST_F(ReportDeliveryTest, CarriesTheCoverComplianceOfTheViewsSettings) {
    const QString file = write(QStringLiteral("W.RDD"), scangen::Format::Rdd,
                               barsAtCovers({{300, 30}, {550, 12}, {800, 45}}));
    ASSERT_TRUE(WriteComplianceSidecar(file, ComplianceSettings{30, 5, 10, 20}, nullptr));
    ReportDelivery out;
    OpenResult opened;
    QString error;
    ASSERT_TRUE(OpenReportDelivery(file, context(), {}, out, opened, &error))
        << error.toStdString();
    const auto& C = japanese().Captions;
    ASSERT_EQ(out.compliance.size(), 9u);
    EXPECT_EQ(out.compliance[0].caption, C[290]);
    EXPECT_EQ(out.compliance[0].value, QString::fromUtf8("不合格"));
    EXPECT_EQ(out.compliance[1].value, "30.0 -5.0 +10.0 mm");
    EXPECT_EQ(out.compliance[3].value, "3");
    EXPECT_EQ(out.compliance[8].value, "1 (33.3 %)");
}
