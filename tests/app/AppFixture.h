#pragma once
// A main frame on the offscreen platform with scripted message boxes and choosers, and scan
// files written for the test.

#include "app/FrmMDI.h"
#include "config/Program.h"
#include "platform/ScriptedPlatform.h"
#include "scangen/Writers.h"
#include "support/TestSupport.h"
#include "view/FrmMain.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace rebar::test {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        setPlatform(&ui);
        program().settings = Settings{};
        program().MaxTraces = 6000;
        program().OpenForReport = 0;
        QString error;
        ASSERT_TRUE(ReadSettingsAndLanguage(&error)) << error.toStdString();
        frame = std::make_unique<FrmMDI>();
        ASSERT_TRUE(frame->StartUp(false));
        frame->show();
    }
    void TearDown() override {
        for (FrmMain* v : frame->OpenViews())
            v->record().Modified = 0;
        frame.reset();
        setPlatform(nullptr);
    }

    // An RDD file of a small scene; traces and bars as given.
    QString rdd(const QString& name, int traces = 300, double er = 6.5) {
        scangen::Scene s;
        s.traces = traces;
        s.er = er;
        s.bars = {{150, 40}, {350, 60}, {550, 50}};
        const QString path = scratch.path(name);
        QString error;
        EXPECT_TRUE(scangen::writeRdd(s, path, &error)) << error.toStdString();
        return path;
    }

    // A ZVX file (kind 10) of a small scene, with the noise every real scan has (automatic
    // sensitivity needs echo power at every sample).
    QString zvx(const QString& name, int traces = 400) {
        scangen::Scene s;
        s.traces = traces;
        s.noise = 0.01;
        s.bars = {{150, 40}, {350, 60}, {550, 50}};
        const QString path = scratch.path(name);
        QString error;
        EXPECT_TRUE(scangen::writeZvx(s, path, KindZvx4, &error)) << error.toStdString();
        return path;
    }

    FrmMain* view(int i) const { return frame->OpenViews().value(i); }

    ScriptedPlatform ui;
    Scratch scratch;
    std::unique_ptr<FrmMDI> frame;
};

} // namespace rebar::test
