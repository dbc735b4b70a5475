// The marker CSV byte for byte in both families (captions, figures, statistics, code page, CR LF),
// the range and origin rules, seconds written unscaled, the wide ranges, and the JPEG writer with
// its CSV, overwrite question and measurement date.

#include "export/JpegExport.h"
#include "export/MarkerCsv.h"

#include "base/DateText.h"
#include "base/TextEncoding.h"
#include "platform/ScriptedPlatform.h"
#include "view/DocumentFixtures.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

using namespace rebar;
using namespace rebar::test;

namespace {

QString q(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QByteArray lines(const QStringList& l) {
    QByteArray out;
    for (const QString& s : l)
        out += encodeSystemText(s) + "\r\n";
    return out;
}

class MarkerCsv : public DocumentTest {
protected:
    // A 730 file with markers 1 and 3 (entry 2 free) at traces 400 and 200, on the time axis.
    std::unique_ptr<MeasurementDocument> doc730() {
        auto doc = open(write(QStringLiteral("A.RDD"), scangen::Format::Rdd, scene(700)));
        MeasurementRecord& r = doc->record();
        r.XUnit = QStringLiteral("m");
        r.XAdjust = 0;
        r.XScale = 0;
        r.Permittivity = 0;
        r.Markers730 = {{399, 1280}, {0, 0}, {199, 2560}};
        EXPECT_TRUE(doc->RebuildMarkerList());
        return doc;
    }
    // A 940 file with marks in slots 1 and 5 of the shown group at traces 399 and 199 (from 0).
    std::unique_ptr<MeasurementDocument> doc940() {
        auto doc = open(write(QStringLiteral("B.ZVX"), scangen::Format::Zvx, scene(700)));
        MeasurementRecord& r = doc->record();
        r.XUnit = QStringLiteral("m");
        r.XAdjust = 0;
        r.XScale = 0;
        r.Permittivity = 0;
        const int g = r.MarkerGroup;
        for (auto& group : r.Marks940)
            group = {};
        r.Marks940[g][1] = {-1, 399, 639};
        r.Marks940[g][5] = {-1, 199, 1279};
        EXPECT_TRUE(doc->RebuildMarkerList());
        return doc;
    }
    const auto& C() const { return japanese().Captions; }
};

} // namespace

TEST_F(MarkerCsv, BytesOfBothFamiliesOnTheTimeAxis) {
    auto d730 = doc730();
    QString error;
    const QByteArray b730 = MarkerCsvBytes(*d730, 1, 700, 1, &error);
    EXPECT_EQ(b730, lines({
                        q(C()[96]) + ",1,3",
                        q(C()[97] + " (m)") + ",1.0000,0.5000",
                        q(C()[100] + " (ns)") + ",10.00,20.00", // 730 times without a unit
                        q(C()[105] + " (m)") + ",0.0000,0.5000",
                        q(C()[109]) + ",2",
                        "," + q(C()[100]) + "," + q(C()[105]),
                        q(C()[106]) + "," + q("15.00ns") + "," + q("0.5000m"),
                        q(C()[107]) + "," + q("10.0ns") + "," + q("0.5000m"),
                        q(C()[108]) + "," + q("20.0ns") + "," + q("0.5000m"),
                    }))
        << error.toStdString();

    auto d940 = doc940();
    const int g = d940->record().MarkerGroup;
    const QByteArray b940 = MarkerCsvBytes(*d940, 1, 700, 1, &error);
    // Marks are numbered as the marker list numbers them: group x 100 + slot.
    EXPECT_EQ(b940, lines({
                        q(C()[96]) + QStringLiteral(",%1,%2").arg(g * 100 + 1).arg(g * 100 + 5),
                        q(C()[97] + " (m)") + ",0.9975,0.4975",
                        q(C()[100] + " (ns)") + ",9.90ns,19.90ns", // samples 1279 and 2559
                        q(C()[105] + " (m)") + ",0.0000,0.5000",
                        q(C()[109]) + ",2",
                        "," + q(C()[100]) + "," + q(C()[105]),
                        q(C()[106]) + "," + q("14.90ns") + "," + q("0.5000m"),
                        q(C()[107]) + "," + q("9.9ns") + "," + q("0.5000m"),
                        q(C()[108]) + "," + q("19.9ns") + "," + q("0.5000m"),
                    }))
        << error.toStdString();
}

TEST_F(MarkerCsv, RangeTakesItsMarkersAndCountsFromItsFirstColumnInBothFamilies) {
    std::vector<std::unique_ptr<MeasurementDocument>> docs;
    docs.push_back(doc730());
    docs.push_back(doc940());
    for (const auto& doc : docs) {
        QString error;
        // Only the marker at trace index 399 lies in columns 300..700; from the range's first
        // trace (index 299) it lies 100 traces on, in both families.
        const QByteArray b = MarkerCsvBytes(*doc, 300, 700, 0, &error);
        const QList<QByteArray> l = b.split('\n');
        ASSERT_GE(l.size(), 5) << error.toStdString();
        EXPECT_TRUE(l[1].endsWith(",0.2500\r")) << l[1].toStdString();
        EXPECT_TRUE(l[3].endsWith(",0.0000\r")) << l[3].toStdString(); // the first pitch is 0
        EXPECT_TRUE(l[4].endsWith(",2\r")) << l[4].toStdString();      // the whole list counts
        EXPECT_EQ(l[0].count(','), 1);

        // A marker on the range's first column lies at 0.
        const QByteArray first = MarkerCsvBytes(*doc, 400, 700, 0, &error);
        EXPECT_TRUE(first.split('\n').value(1).endsWith(",0.0000\r"))
            << first.toStdString() << error.toStdString();

        // No marker in the range: nothing, and a reason.
        error.clear();
        EXPECT_TRUE(MarkerCsvBytes(*doc, 500, 700, 1, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(MarkerCsv, SecondsAreWrittenUnscaledAndUnknownUnitsAddNoField) {
    auto doc = doc730();
    doc->record().XScale = 1;
    doc->record().XUnit = QStringLiteral("cm");
    ASSERT_TRUE(doc->RebuildMarkerList());
    QString error;
    QList<QByteArray> l = MarkerCsvBytes(*doc, 1, 700, 1, &error).split('\n');
    ASSERT_GE(l.size(), 4) << error.toStdString();
    // 400 traces at 0.05 s each: 20.00 s, not 2000.00.
    EXPECT_EQ(l[1], encodeSystemText(q(C()[99] + " (s)") + ",20.00,10.00\r"));
    EXPECT_EQ(l[3], encodeSystemText(q(C()[105] + " (s)") + ",0.00,10.00\r"));

    doc->record().XScale = 0;
    doc->record().XUnit = QStringLiteral("ft");
    l = MarkerCsvBytes(*doc, 1, 700, 1, &error).split('\n');
    ASSERT_GE(l.size(), 4);
    EXPECT_EQ(l[1], encodeSystemText(q(C()[97] + " (ft)") + "\r"));
}

TEST_F(MarkerCsv, WideRangeOf940GivesThePlainRangesDistances) {
    auto doc = doc940();
    QString error;
    const QByteArray plain = MarkerCsvBytes(*doc, 1, 700, 1, &error);
    doc->ViewRangeCommand(3);
    ASSERT_EQ(doc->record().ViewRange, 3);
    ASSERT_TRUE(doc->RebuildMarkerList());
    const QByteArray wide = MarkerCsvBytes(*doc, 1, 350, 1, &error);
    EXPECT_EQ(wide.split('\n').value(1), plain.split('\n').value(1)) << error.toStdString();
}

class JpegWriter : public MarkerCsv {
protected:
    void SetUp() override { setPlatform(&ui); }
    void TearDown() override { setPlatform(nullptr); }
    ScriptedPlatform ui;
};

TEST_F(JpegWriter, WritesTheJpegAtQualityNinetyAndTheCsvBesideIt) {
    EXPECT_EQ(DefaultExportName(QStringLiteral("DATA01.RDD")), QStringLiteral("DATA01_RDD"));
    EXPECT_EQ(DefaultExportName(QStringLiteral("NOTE")), QStringLiteral("NOTE"));

    auto doc = doc730();
    ExportTarget target;
    target.Folder = scratch.path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(target.Folder));
    ExportRun run;
    QImage pics;
    ExportOutcome outcome;
    CompositionParams p;
    ASSERT_TRUE(SaveJPG(*doc, p, target, run, pics, &outcome)) << outcome.reason.toStdString();
    const QString jpg = target.Folder + "/A_RDD.jpg";
    const QString csv = target.Folder + "/A_RDD.csv";
    EXPECT_EQ(outcome.written, QStringList({jpg, csv}));

    QFile f(jpg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    // The first luminance quantiser of quality 90: 16 scaled by 20 % and rounded, 3.
    const qsizetype dqt = bytes.indexOf(QByteArray("\xff\xdb", 2));
    ASSERT_GT(dqt, 0);
    EXPECT_EQ(static_cast<uint8_t>(bytes[dqt + 5]), 3);
    QImage back;
    ASSERT_TRUE(back.loadFromData(bytes, "JPEG"));
    ASSERT_EQ(back.size(), pics.size());
    // Close to the picture at a frame line and inside the radargram.
    EXPECT_LT(QColor(back.pixel(20, 20)).lightness(), 128);
    auto mean = [](const QImage& img) {
        int sum = 0;
        for (int y = 200; y < 232; ++y)
            for (int x = 60; x < 92; ++x)
                sum += QColor(img.pixel(x, y)).lightness();
        return sum / (32 * 32);
    };
    EXPECT_LT(std::abs(mean(back) - mean(pics)), 8);

    QFile c(csv);
    ASSERT_TRUE(c.open(QIODevice::ReadOnly));
    EXPECT_EQ(c.readAll(), MarkerCsvBytes(*doc, 1, 700, 1));
}

TEST_F(JpegWriter, NoMarkerInTheRangeFailsAfterTheJpegAndJpegOnlyWritesNoCsv) {
    auto doc = doc730();
    ExportTarget target;
    target.Folder = scratch.path(QString());
    ExportRun run;
    QImage pics;
    ExportOutcome outcome;
    CompositionParams p;
    p.StartTrace = 500;
    p.EndTrace = 700;
    EXPECT_FALSE(SaveJPG(*doc, p, target, run, pics, &outcome));
    EXPECT_TRUE(QFile::exists(target.Folder + "/A_RDD.jpg"));
    EXPECT_FALSE(QFile::exists(target.Folder + "/A_RDD.csv"));
    EXPECT_FALSE(outcome.reason.isEmpty());

    target.PrintingForm = FormJpeg;
    target.Name = QStringLiteral("only");
    outcome = {};
    EXPECT_TRUE(SaveJPG(*doc, p, target, run, pics, &outcome));
    EXPECT_EQ(outcome.written, QStringList{target.Folder + "/only.jpg"});
}

TEST_F(JpegWriter, ChosenNameAndDeclinedCsvAndNewMeasurementDate) {
    auto doc = doc730();
    const QString dir = scratch.path(QString());
    // X.jpg chosen: X.jpg and X.csv are written; a new date becomes the record's.
    ui.saveAnswers.push_back(dir + "/X.jpg");
    CompositionParams p;
    p.MeasurementDate = QDate(2021, 7, 8);
    QImage pics;
    ExportOutcome outcome;
    EXPECT_EQ(SetJpgFileName(*doc, p, FormJpegCsv, pics, &outcome), 0)
        << outcome.reason.toStdString();
    EXPECT_TRUE(QFile::exists(dir + "/X.jpg"));
    EXPECT_TRUE(QFile::exists(dir + "/X.csv"));
    EXPECT_EQ(doc->record().MeasureDate, ShortDateText(QDate(2021, 7, 8)));
    EXPECT_EQ(doc->record().Modified, FlagTrue);
    EXPECT_TRUE(outcome.dateChanged);

    // Again, declining the CSV question: nothing written, the JPEG already gone.
    ui.saveAnswers.push_back(dir + "/X.jpg");
    ui.answers.push_back(MsgAnswer::No);
    EXPECT_EQ(SetJpgFileName(*doc, p, FormJpegCsv, pics, &outcome), 1);
    EXPECT_FALSE(QFile::exists(dir + "/X.jpg"));
    EXPECT_TRUE(QFile::exists(dir + "/X.csv"));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.contains(japanese().Messages[8]));

    // Cancel: 2, nothing asked.
    ui.saveAnswers.push_back(std::nullopt);
    EXPECT_EQ(SetJpgFileName(*doc, p, FormJpegCsv, pics, &outcome), 2);
    EXPECT_EQ(ui.messages.size(), 1);
}
