#pragma once
// Measurement documents opened headless from scenes written by scangen, with the build's
// calibration tables and language file and settings of the test's choosing.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "config/Settings.h"
#include "scangen/Writers.h"
#include "support/TestSupport.h"
#include "view/MeasurementDocument.h"

#include <gtest/gtest.h>
#include <memory>

namespace rebar::test {

// The build's calibration tables, read once.
inline const CalibrationTables& buildTables() {
    static const std::unique_ptr<CalibrationTables> t = [] {
        auto c = std::make_unique<CalibrationTables>();
        QString error;
        EXPECT_TRUE(LoadCalibrationTables(*c, systemData(), &error)) << error.toStdString();
        return c;
    }();
    return *t;
}

inline const LanguageTables& japanese() {
    static const LanguageTables l = [] {
        LanguageTables t;
        QString error;
        EXPECT_TRUE(ReadLanguage(t, languageFilePath(QStringLiteral("JP")), &error))
            << error.toStdString();
        return t;
    }();
    return l;
}

class DocumentTest : public ::testing::Test {
protected:
    DocumentContext context() const {
        DocumentContext ctx;
        ctx.settings = &settings;
        ctx.language = &japanese();
        ctx.tables = &buildTables();
        return ctx;
    }

    // A small scene with three bars (marked) and a little noise.
    static scangen::Scene scene(int traces = 400) {
        scangen::Scene s;
        s.traces = traces;
        s.noise = 0.01;
        s.bars = {{150, 40}, {350, 60}, {550, 50}};
        s.markGroups = 2;
        return s;
    }
    // Bars at known covers (mm), each marked in mark group 0, read back at the settings'
    // permittivity so that the listed depths are the scene's covers.
    static scangen::Scene barsAtCovers(std::vector<scangen::SceneBar> bars, int traces = 1200) {
        scangen::Scene s = scene(traces);
        s.er = 8;
        s.bars = std::move(bars);
        s.markGroups = 1;
        return s;
    }
    QString write(const QString& name, scangen::Format format, const scangen::Scene& s) {
        const QString path = scratch.path(name);
        QString error;
        EXPECT_TRUE(scangen::writeScene(s, format, path, &error)) << error.toStdString();
        return path;
    }
    // Opens a file of the scene in a new document; the test fails when the open does.
    std::unique_ptr<MeasurementDocument> open(const QString& path) {
        auto doc = std::make_unique<MeasurementDocument>();
        const OpenResult r = doc->Open(path, context());
        EXPECT_TRUE(r.ok) << r.reason.toStdString();
        return doc;
    }

    Settings settings;
    Scratch scratch;
};

} // namespace rebar::test
