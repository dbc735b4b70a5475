// DZT files imported into 730-family records go through the program's own detections as the
// scanner's files do: the fitted detector finds the scene's bars at their distances and covers,
// and the automatic marker detection marks their apexes.

#include "DetectionScenes.h"
#include "data/DztImport.h"
#include "data/FileOpen.h"
#include "processing/Detection.h"
#include "scangen/DztWriter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rebar;
using namespace rebar::test;

TEST(DztDetection, ImportedLinesShowTheirBarsToBothDetections) {
    struct Case {
        double surfaceNs, pitchMm;
        int bits;
    };
    for (const Case& c : {Case{0.8, 0.5, 32}, Case{2.6, 5.0, 16}}) {
        SCOPED_TRACE(c.pitchMm);
        scangen::Scene s = barScene(7.4, 180, 3, {40, 65, 52}, 0.01);
        s.pitchMm = c.pitchMm;
        s.traces = static_cast<int>(std::lround(660 / c.pitchMm)) + 1;
        scangen::DztOutput o;
        o.surfaceNs = c.surfaceNs;
        o.bits = c.bits;
        Scratch dir;
        const QString path = dir.path(QStringLiteral("LINE.DZT"));
        ASSERT_TRUE(scangen::writeDzt(s, o, path));
        MeasurementRecord r;
        SetRecordPath(r, path);
        ASSERT_TRUE(DetectFileKind(r));
        ASSERT_TRUE(ReadMeasurementFile(r, ReadContext{}).ok);

        const DetectionRun fit = RunFittedDetection(r, generatedTables(), 0);
        ASSERT_TRUE(fit.ok) << fit.reason.toStdString();
        ASSERT_EQ(fit.fit.bars.size(), s.bars.size());
        for (size_t i = 0; i < s.bars.size(); ++i) {
            EXPECT_NEAR(fit.fit.bars[i].positionMm, s.bars[i].distanceMm, 2.5) << i;
            EXPECT_NEAR(fit.fit.bars[i].depthMm, s.bars[i].coverMm, 2.0) << i;
        }
        EXPECT_NEAR(fit.fit.permittivity, 7.4, 0.3);

        const DetectionRun marks = RunAutoMarker(r, false, 0);
        ASSERT_TRUE(marks.ok) << marks.reason.toStdString();
        ASSERT_EQ(marks.markers.size(), s.bars.size());
        for (size_t i = 0; i < s.bars.size(); ++i)
            EXPECT_NEAR(marks.markers[i].x, s.bars[i].distanceMm / 2.5 + 1, 1.0) << i;
    }
}
