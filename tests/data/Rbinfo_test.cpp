#include "scangen/DztWriter.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace rebar;
using rebar::test::Scratch;

namespace {

struct ToolRun {
    int exitCode = -1;
    QList<QJsonObject> objects;
};

ToolRun rbinfo(const QStringList& args) {
    QProcess p;
    p.start(test::binDir() + QStringLiteral("/rbinfo"), args);
    ToolRun out;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return out;
    out.exitCode = p.exitCode();
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
        EXPECT_EQ(err.error, QJsonParseError::NoError) << line.constData();
        out.objects << doc.object();
    }
    return out;
}

} // namespace

TEST(Rbinfo, PrintsEachRecordAsOneJsonLine) {
    Scratch dir;
    scangen::Scene scene;
    scene.traces = 120;
    scene.er = 8.0;
    scene.bars = {{100.0, 40.0}};
    scene.note = QStringLiteral("東側の壁 3番, ｶﾌﾞﾘ");
    const QString good = dir.path(QStringLiteral("GOOD.RDD"));
    ASSERT_TRUE(scangen::writeRdd(scene, good));
    const QString broken = dir.write(QStringLiteral("BROKEN.RDD"), "\"LC\",5\r\n\"MAINDATA\",\"\"");

    const ToolRun ok = rbinfo({QStringLiteral("--sample"), QStringLiteral("41:60"),
                               QStringLiteral("--sample"), QStringLiteral("-1:1024"), good});
    ASSERT_EQ(ok.exitCode, 0);
    ASSERT_EQ(ok.objects.size(), 1);
    const QJsonObject o = ok.objects[0];
    EXPECT_EQ(o["FileName"].toString(), "GOOD.RDD");
    EXPECT_EQ(o["FileKind"].toInt(), 7);
    EXPECT_TRUE(o["ok"].toBool());
    EXPECT_EQ(o["TraceCount"].toInt(), 120);
    EXPECT_EQ(o["PermittivityPreset"].toInt(), 3);
    EXPECT_EQ(o["Note"].toString(), scene.note);
    // What the reader left, before any settling: Saved is still empty.
    EXPECT_EQ(o["Saved"].toObject()["Gain"].toInt(), 0);
    const QJsonArray markers = o["Markers730"].toArray();
    ASSERT_EQ(markers.size(), 1);
    EXPECT_EQ(markers[0].toObject()["Position"].toInt(), 40);

    // The sample values are the reader's: trace 41 raw sample 60 is the scene's sample.
    const QJsonArray samples = o["samples"].toArray();
    ASSERT_EQ(samples.size(), 2);
    std::vector<double> amp(513);
    scene.renderTrace(41, 512, amp.data());
    EXPECT_EQ(samples[0].toObject()["Raw730"].toInt(), scangen::sample730(amp[60]));
    EXPECT_TRUE(samples[0].toObject().contains("Samples730"));
    // Sample 1024 exists only at double density.
    EXPECT_FALSE(samples[1].toObject().contains("Raw730"));
    EXPECT_TRUE(samples[1].toObject().contains("Samples730"));

    // A failing file: its own line with the stage and reason, exit code 1, others still read.
    const ToolRun mixed = rbinfo({broken, good, dir.path(QStringLiteral("b0001.VXD"))});
    EXPECT_EQ(mixed.exitCode, 1);
    ASSERT_EQ(mixed.objects.size(), 3);
    EXPECT_FALSE(mixed.objects[0]["ok"].toBool());
    EXPECT_TRUE(mixed.objects[0].contains("LoadStage"));
    EXPECT_FALSE(mixed.objects[0]["reason"].toString().isEmpty());
    EXPECT_TRUE(mixed.objects[1]["ok"].toBool());
    EXPECT_EQ(mixed.objects[2]["LoadStage"].toString(), "  FType001");
}

TEST(Rbinfo, PrintsTheFieldsOf940Files) {
    Scratch dir;
    scangen::Scene scene;
    scene.traces = 30;
    scene.er = 8.9;
    scene.bars = {{25.0, 40.0}, {50.0, 45.0}};
    scene.markGroups = 2;
    scene.company = QStringLiteral("東日本検査株式会社");
    scene.part = QStringLiteral("床版下面");
    scene.latitude = QStringLiteral("35.681236");
    scene.longitude = QStringLiteral("139.767125");
    scene.measureDirection = 2;
    scene.speedOption = 1;
    const QString zvx = dir.path(QStringLiteral("DECK.ZVX"));
    const QString vxd = dir.path(QStringLiteral("B0001.VXD"));
    ASSERT_TRUE(scangen::writeZvx(scene, zvx));
    ASSERT_TRUE(scangen::writeVxd(scene, vxd, true));

    const ToolRun run = rbinfo({QStringLiteral("--sample"), QStringLiteral("11:60"), zvx, vxd});
    ASSERT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.objects.size(), 2);
    const QJsonObject z = run.objects[0];
    EXPECT_EQ(z["FileKind"].toInt(), 10);
    EXPECT_EQ(z["MaxTraces"].toInt(), 6000);
    EXPECT_EQ(z["SpeedOption"].toInt(), 1);
    const QJsonObject h = z["ZvxHeader"].toObject();
    EXPECT_EQ(h["Identifier"].toInt(), -4);
    EXPECT_EQ(h["Comment1"].toString(), scene.company);
    EXPECT_EQ(h["Comment4"].toString(), scene.part);
    EXPECT_EQ(h["Comment2"].toString(), QString());
    EXPECT_EQ(h["MeasureDirection"].toInt(), 2);
    EXPECT_EQ(h["Latitude"].toString(), scene.latitude);
    EXPECT_EQ(h["Longitude"].toString(), scene.longitude);
    // The marks of the bars: used slots only, with their group and slot.
    const QJsonArray marks = z["Marks940"].toArray();
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(marks[0].toObject()["Group"].toInt(), 0);
    EXPECT_EQ(marks[0].toObject()["X"].toInt(), 10);
    EXPECT_EQ(marks[1].toObject()["Group"].toInt(), 1);
    EXPECT_EQ(marks[1].toObject()["Slot"].toInt(), 1);
    // All four matrices answer a sample request; the second channel is the scene's own.
    std::vector<double> amp(769);
    scene.renderTrace(11, 768, amp.data());
    const QJsonObject s = z["samples"].toArray()[0].toObject();
    EXPECT_EQ(s["Raw940"].toInt(), scangen::sample940(amp[60]));
    EXPECT_EQ(s["Raw940A"].toInt(), scangen::sample940A(amp[60]));
    EXPECT_TRUE(s.contains("Samples940"));
    EXPECT_TRUE(s.contains("Samples940A"));
    EXPECT_FALSE(s.contains("Raw730"));

    // A VXD record has no header image yet; its second channel copies the first.
    const QJsonObject v = run.objects[1];
    EXPECT_EQ(v["FileKind"].toInt(), 8);
    EXPECT_FALSE(v.contains("ZvxHeader"));
    EXPECT_EQ(v["MarkCount"].toInt(), 2);
    const QJsonObject vs = v["samples"].toArray()[0].toObject();
    EXPECT_EQ(vs["Raw940A"].toInt(), vs["Raw940"].toInt());
}

TEST(Rbinfo, DztFilesPrintTheImportedRecordAndTheImport) {
    Scratch dir;
    scangen::Scene scene;
    scene.traces = 80;
    scene.pitchMm = 2.0;
    scene.er = 7.4;
    scene.bars = {{60.0, 45.0}};
    scangen::DztOutput two;
    two.channels = 2;
    const QString line = dir.path(QStringLiteral("LINE.DZT"));
    ASSERT_TRUE(scangen::writeDzt(scene, two, line));
    scangen::DztOutput byTime;
    byTime.byTime = true;
    const QString timed = dir.path(QStringLiteral("TIMED.DZT"));
    ASSERT_TRUE(scangen::writeDzt(scene, byTime, timed));

    const ToolRun run = rbinfo({QStringLiteral("--channel"), QStringLiteral("2"), line, timed});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.objects.size(), 2);
    const QJsonObject o = run.objects[0];
    EXPECT_EQ(o["FileKind"].toInt(), 7);
    EXPECT_EQ(o["FileName"].toString(), "LINE_CH2.RDD");
    EXPECT_EQ(o["TraceCount"].toInt(), 64); // 79 x 2 mm onto 2.5 mm
    EXPECT_EQ(o["PermittivityPreset"].toInt(), 4);
    EXPECT_TRUE(o["Note"].toString().startsWith("Imported from LINE.DZT, channel 2 of 2"));
    const QJsonObject im = o["import"].toObject();
    EXPECT_EQ(im["file"].toString(), line);
    EXPECT_EQ(im["channel"].toInt(), 2);
    EXPECT_EQ(im["antenna"].toString(), "SG2000 CH2");
    EXPECT_EQ(im["scans"].toInt(), 80);
    EXPECT_DOUBLE_EQ(im["scansPerMetre"].toDouble(), 500);
    EXPECT_NEAR(im["surfaceNs"].toDouble(), 1.0, 0.02);
    EXPECT_NEAR(im["timeShiftNs"].toDouble(), 0.75, 0.02);
    EXPECT_TRUE(im["cut"].toBool());
    EXPECT_GT(im["gain"].toDouble(), 0);
    EXPECT_LE(im["clippedSamples"].toInt(), im["mappedSamples"].toInt() / 1000);
    ASSERT_EQ(im["marks"].toArray().size(), 1);
    EXPECT_EQ(im["marks"].toArray()[0].toObject()["trace"].toInt(), 25);
    EXPECT_TRUE(im["warnings"].toArray().isEmpty());

    // A line recorded by time needs the pitch: refused with the option named, then read.
    EXPECT_FALSE(run.objects[1]["ok"].toBool());
    EXPECT_TRUE(run.objects[1]["reason"].toString().contains("--pitch MM"));
    const ToolRun given = rbinfo({QStringLiteral("--pitch"), QStringLiteral("2"), timed});
    ASSERT_EQ(given.exitCode, 0);
    EXPECT_EQ(given.objects[0]["TraceCount"].toInt(), 64);
    EXPECT_DOUBLE_EQ(given.objects[0]["import"].toObject()["pitchMm"].toDouble(), 2.0);
    EXPECT_EQ(rbinfo({QStringLiteral("--channel"), QStringLiteral("0"), line}).exitCode, 2);
}
