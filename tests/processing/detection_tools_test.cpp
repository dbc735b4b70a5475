// The detections and the back-calculation through the command-line tools: scenes written by
// scangen's echo options, read by rbinfo --detect and --backcalc.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace rebar {
namespace {

struct ToolRun {
    int exitCode = -1;
    QJsonObject object; // the first JSON line
};

ToolRun runTool(const QString& name, const QStringList& args) {
    QProcess p;
    p.start(test::binDir() + QLatin1Char('/') + name, args);
    ToolRun out;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return out;
    out.exitCode = p.exitCode();
    const QByteArray line = p.readAllStandardOutput().split('\n').value(0);
    out.object = QJsonDocument::fromJson(line).object();
    return out;
}

QJsonArray markersOf(const QJsonObject& detection) {
    return detection.contains("Markers730") ? detection["Markers730"].toArray()
                                            : detection["Marks940"].toArray();
}

TEST(DetectionTools, RbinfoPrintsWhatEachDetectionWrites) {
    test::Scratch dir;
    const QString rdd = dir.path(QStringLiteral("ROW.RDD"));
    // Four bars every 200 mm from 150 mm at 40 and 80 mm, bars as the scanners record them,
    // a surface wave that changes along the line.
    ASSERT_EQ(runTool(QStringLiteral("scangen"),
                      {"--traces", "360", "--er", "7.0", "--bars", "150:200:4:40/80", "--polarity",
                       "positive", "--surface-drift", "0.1", "--surface-shift", "0.01", "--noise",
                       "0.01", "--no-markers", "-o", rdd})
                  .exitCode,
              0);
    const ToolRun run = runTool(QStringLiteral("rbinfo"),
                                {"--detect", "start", "--detect", "end", "--detect", "fit", rdd});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonArray d = run.object["Detections"].toArray();
    ASSERT_EQ(d.size(), 3);
    EXPECT_EQ(d[0].toObject()["mode"].toString(), "start");
    const QJsonArray start = markersOf(d[0].toObject());
    const QJsonArray end = markersOf(d[1].toObject());
    ASSERT_EQ(start.size(), 4);
    ASSERT_EQ(end.size(), 4);
    const int traces[] = {61, 141, 221, 301}; // bar distance / 2.5 mm + 1
    for (int i = 0; i < 4; ++i) {
        // Position is the trace counted from 0; from the end, marker 1 is the last bar.
        EXPECT_NEAR(start[i].toObject()["Position"].toInt(), traces[i] - 1, 2);
        EXPECT_EQ(end[3 - i].toObject()["Position"].toInt(),
                  start[i].toObject()["Position"].toInt());
    }
    EXPECT_EQ(d[0].toObject()["stepOk"].toArray().size(), 4);

    const QJsonObject fit = d[2].toObject();
    EXPECT_TRUE(fit["ok"].toBool());
    const QJsonArray bars = fit["bars"].toArray();
    ASSERT_EQ(bars.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QJsonObject b = bars[i].toObject();
        EXPECT_NEAR(b["X"].toInt(), traces[i], 1);
        EXPECT_NEAR(b["DepthMm"].toDouble(), i % 2 ? 80 : 40, 2);
        EXPECT_NEAR(b["Permittivity"].toDouble(), 7.0, 0.5);
        EXPECT_GT(b["PermittivitySigma"].toDouble(), 0);
        EXPECT_GT(b["Confidence"].toDouble(), 0.5);
        EXPECT_EQ(markersOf(fit)[i].toObject()["Position"].toInt(), b["X"].toInt() - 1);
    }
    EXPECT_NEAR(fit["Permittivity"].toDouble(), 7.0, 0.2);
    EXPECT_NEAR(fit["PermittivitySetting"].toDouble(), 7.0, 0.2);
}

TEST(DetectionTools, RbinfoWritesThe940DetectionIntoTheChosenGroup) {
    test::Scratch dir;
    const QString zvx = dir.path(QStringLiteral("ROW.ZVX"));
    ASSERT_EQ(runTool(QStringLiteral("scangen"),
                      {"--traces", "300", "--bars", "200:250:3:50", "--format", "zvx", "-o", zvx})
                  .exitCode,
              0);
    const ToolRun run = runTool(QStringLiteral("rbinfo"), {"--detect", "fit", "--group", "2", zvx});
    ASSERT_EQ(run.exitCode, 0);
    // The file's own marks (group 0) stay in the record; the run fills group 2.
    const QJsonArray marks = markersOf(run.object["Detections"].toArray()[0].toObject());
    ASSERT_EQ(marks.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(marks[i].toObject()["Group"].toInt(), 2);
        EXPECT_EQ(marks[i].toObject()["Slot"].toInt(), i + 1);
    }
    EXPECT_EQ(run.object["Marks940"].toArray()[0].toObject()["Group"].toInt(), 0);
    EXPECT_EQ(runTool(QStringLiteral("rbinfo"), {"--group", "3", zvx}).exitCode, 2);
}

TEST(DetectionTools, RbinfoBackCalculatesAtADisplayRow) {
    test::Scratch dir;
    const QString rdd = dir.path(QStringLiteral("ONE.RDD"));
    ASSERT_EQ(
        runTool(QStringLiteral("scangen"), {"--traces", "120", "--er", "6.5", "-o", rdd}).exitCode,
        0);
    // Display range 1 (the scene's): row 101 shows double-density sample 151.
    const ToolRun run = runTool(QStringLiteral("rbinfo"), {"--backcalc", "101:40", "--backcalc",
                                                           "101:5000", "--backcalc", "0:40", rdd});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonArray b = run.object["BackCalc"].toArray();
    ASSERT_EQ(b.size(), 3);
    EXPECT_EQ(b[0].toObject()["Sample"].toInt(), 151);
    EXPECT_EQ(b[0].toObject()["Outcome"].toString(), "fits");
    const double er = b[0].toObject()["Permittivity"].toDouble();
    EXPECT_GE(er, 2.0);
    EXPECT_LE(er, 20.0);
    EXPECT_EQ(b[1].toObject()["Outcome"].toString(), "nofit");
    EXPECT_EQ(b[1].toObject()["MessageKey"].toInt(), 22);
    EXPECT_FLOAT_EQ(static_cast<float>(b[1].toObject()["Permittivity"].toDouble()), 6.5f);
    EXPECT_EQ(b[2].toObject()["Outcome"].toString(), "error");
    EXPECT_EQ(b[2].toObject()["MessageKey"].toInt(), 18);
}

TEST(DetectionTools, BadOptionValuesAreUsageErrors) {
    test::Scratch dir;
    const QString out = dir.path(QStringLiteral("X.RDD"));
    for (const QStringList& args : {QStringList{"--polarity", "sideways", "-o", out},
                                    {"--bars", "10:0:3:40", "-o", out},
                                    {"--bars", "10:100:3:40/x", "-o", out},
                                    {"--surface-drift", "-1", "-o", out}})
        EXPECT_EQ(runTool(QStringLiteral("scangen"), args).exitCode, 2)
            << args.join(' ').toStdString();
    for (const QStringList& args :
         {QStringList{"--detect", "middle", out}, {"--backcalc", "5", out}})
        EXPECT_EQ(runTool(QStringLiteral("rbinfo"), args).exitCode, 2)
            << args.join(' ').toStdString();
}

} // namespace
} // namespace rebar
