// The report setup dialogs and the designer window over the program's report layout: what OK
// and cancel keep, the designer's pages and boxes, photos chosen and dropped, saving.

#include "config/Program.h"
#include "config/SystemPaths.h"
#include "platform/ScriptedPlatform.h"
#include "report/frmExcelForm.h"
#include "report/frmExcelFormSetup.h"
#include "report/frmHeaderSetup.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace rebar;
using namespace rebar::test;

namespace {

class ReportWindows : public ::testing::Test {
protected:
    void SetUp() override {
        setPlatform(&ui);
        m_data = LinkedSystemData(scratch, {"ReportLayout.ini"});
        m_old = qgetenv("REBAR_SYSTEMDATA");
        qputenv("REBAR_SYSTEMDATA", m_data.toUtf8());
        program().settings = Settings{};
        QString error;
        ASSERT_TRUE(ReadSettingsAndLanguage(&error)) << error.toStdString();
        ASSERT_TRUE(ReadProgramReportLayout(&error)) << error.toStdString();
        program().reportChanges = {};
    }
    void TearDown() override {
        qputenv("REBAR_SYSTEMDATA", m_old);
        setPlatform(nullptr);
    }
    template <typename T> static T* child(QWidget* w, const QString& name) {
        T* c = w->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    QString photoFile(const QString& name, int w, int h) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QString path = scratch.path(name);
        EXPECT_TRUE(img.save(path));
        return path;
    }

    ScriptedPlatform ui;
    Scratch scratch;
    QString m_data;
    QByteArray m_old;
};

} // namespace

TEST_F(ReportWindows, SheetSetupWritesTheLayoutAndCancelKeepsChangesInMemoryOnly) {
    // A header column switched off in the header dialog, then the sheet dialog cancelled: the
    // change stays in memory, the file is not written.
    {
        frmHeaderSetup header;
        child<QRadioButton>(&header, "H_Text3_Option_0")->click();
        EXPECT_EQ(program().reportChanges.HeaderChanged, -1);
        header.accept();
    }
    {
        auto* setup = new frmExcelFormSetup;
        setup->reject();
    }
    EXPECT_EQ(program().reportLayout.HeaderItems[3].Shown, 0);
    EXPECT_FALSE(QFile::exists(reportLayoutFilePath()));

    // A3 landscape, 4 photos and 12 data entries; OK writes every key and asks for the
    // designer.
    auto* setup = new frmExcelFormSetup;
    bool designer = false;
    QObject::connect(setup, &frmExcelFormSetup::designerRequested, [&] { designer = true; });
    child<QScrollBar>(setup, "PhotoNumScale")->setValue(4);
    child<QScrollBar>(setup, "DataNumScale")->setValue(12);
    EXPECT_EQ(child<QLabel>(setup, "PhotoNum")->text(), "4" + caption(208));
    child<QRadioButton>(setup, "wideSize_2")->click();
    setup->accept();
    EXPECT_TRUE(designer);
    ReportLayout stored;
    ASSERT_TRUE(ReadReportLayout(stored, reportLayoutFilePath()));
    EXPECT_EQ(stored.Sheet, "A3W");
    EXPECT_EQ(stored.PhotoNum, 4);
    EXPECT_EQ(stored.DataNum, 12);
    EXPECT_EQ(stored.HeaderItems[3].Shown, 0);

    // A cancelled header dialog clears its flag.
    frmHeaderSetup header;
    child<QRadioButton>(&header, "H_Text0W_Option_1")->click();
    header.reject();
    EXPECT_EQ(program().reportChanges.HeaderChanged, 0);
    EXPECT_EQ(program().reportLayout.HeaderItems[0].Wide, 0);
}

TEST_F(ReportWindows, DesignerPlacesBoxesPagesAndSavesTheReport) {
    program().reportLayout = ReportLayout{};
    program().reportLayout.DataNum = 6;
    frmExcelForm form;
    form.show();
    const ReportModel& m = form.designer().model();
    ASSERT_GE(m.PageCount(), 2);
    EXPECT_EQ(child<QLabel>(&form, "PageLabel_0")->text(),
              QStringLiteral("P1 / %1").arg(m.PageCount()));
    EXPECT_FALSE(child<QPushButton>(&form, "Command1_2")->isEnabled());
    // Header items on page 1 at their cells (14 pixels a cell).
    QLineEdit* h1 = child<QLineEdit>(&form, "H_Text_1");
    EXPECT_TRUE(h1->isVisible());
    EXPECT_EQ(h1->pos(), QPoint(17 * 14, 2 * 14));
    EXPECT_EQ(h1->width(), 15 * 14);

    // A photo chosen with a click fills its box; the typed title goes into the report.
    ui.openAnswers.push_back(QStringList{photoFile("a.jpg", 640, 480)});
    QLabel* pic = child<QLabel>(&form, "Picture1_0");
    QTest::mouseClick(pic, Qt::LeftButton);
    EXPECT_EQ(m.photo(0).PictureLoaded, 1);
    EXPECT_FALSE(pic->pixmap().isNull());
    QLineEdit* title = child<QLineEdit>(&form, "PText1_0");
    title->selectAll();
    QTest::keyClicks(title, "north");
    EXPECT_EQ(m.texts().photoTitle[0], "north");

    // A dropped picture fills the next photo slot; undo takes it out again.
    form.DropFiles({photoFile("b.bmp", 300, 400)});
    EXPECT_EQ(m.photo(1).PictureLoaded, 1);
    form.designer().undoStack().undo();
    EXPECT_EQ(m.photo(1).PictureLoaded, 0);

    // A header text longer than its box shows from its start, its label in view.
    const QString setting = QStringLiteral("測定設定：  [感度 : auto浅]  [処理 : 固定表面波処理]");
    form.designer().model().texts().header[7] = setting;
    form.ShowPages();
    QLineEdit* h7 = child<QLineEdit>(&form, "H_Text_7");
    EXPECT_EQ(h7->text(), setting);
    EXPECT_EQ(h7->cursorPosition(), 0);

    // Paging.
    child<QPushButton>(&form, "Command1_3")->click();
    EXPECT_EQ(m.CurrentPage(), 2);
    EXPECT_FALSE(h1->isVisible());
    EXPECT_TRUE(child<QPushButton>(&form, "Command1_2")->isEnabled());

    // Saving: cancelled save dialog shows message 2 and keeps the designer; a chosen name is
    // written.
    ui.saveAnswers.push_back(std::nullopt);
    EXPECT_FALSE(form.SaveReportCommand());
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages.last().text, message(2));
    const QString out = scratch.path("r.xlsx");
    ui.saveAnswers.push_back(out);
    EXPECT_TRUE(form.SaveReportCommand());
    EXPECT_TRUE(QFile::exists(out));
}
