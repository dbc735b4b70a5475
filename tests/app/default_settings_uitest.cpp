// The initial-settings dialog: what it shows for the stored settings, what OK and Cancel
// write, and the permittivity checks.

#include "AppFixture.h"

#include "app/frmDefaultSet.h"
#include "base/FileSave.h"
#include "config/IniStore.h"
#include "config/SystemPaths.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

using namespace rebar;
using namespace rebar::test;

namespace {

class DefaultSettings : public ::testing::Test {
protected:
    void SetUp() override {
        setPlatform(&ui);
        m_build = systemData();
        m_data = LinkedSystemData(scratch, {"Default.ini"});
        m_old = qgetenv("REBAR_SYSTEMDATA");
        qputenv("REBAR_SYSTEMDATA", m_data.toUtf8());
    }
    void TearDown() override {
        qputenv("REBAR_SYSTEMDATA", m_old);
        setPlatform(nullptr);
    }
    // Writes Default.ini and reads it into the program's settings.
    void settings(const QByteArray& ini) {
        scratch.write("SystemData/Default.ini", ini);
        QString error;
        ASSERT_TRUE(ReadSettingsAndLanguage(&error)) << error.toStdString();
    }
    QString stored(const char* section, const char* key) {
        return IniRead(section, key, "<none>", settingsFilePath());
    }
    template <typename T> static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static bool checked(QWidget* w, const char* name) {
        return child<QRadioButton>(w, name)->isChecked();
    }

    ScriptedPlatform ui;
    Scratch scratch;
    QString m_build; // the build's SystemData
    QString m_data;  // the test's own, whose Default.ini the dialog writes
    QByteArray m_old;
};

} // namespace

TEST_F(DefaultSettings, CancelKeepsOnlyTheTab) {
    settings("[Tab]\r\nTab=2\r\n[PictureProc]\r\nGradationSystem730=3\r\n");
    frmDefaultSet dlg;
    EXPECT_EQ(child<QTabWidget>(&dlg, "SSTab1")->currentIndex(), 2);
    child<QTabWidget>(&dlg, "SSTab1")->setCurrentIndex(1);
    child<QComboBox>(&dlg, "Combo11")->setCurrentIndex(7);
    dlg.Cancel();
    EXPECT_EQ(stored("Tab", "Tab"), "1");
    EXPECT_EQ(program().settings.Tab, 1);
    EXPECT_EQ(stored("PictureProc", "GradationSystem730"), "3");
    EXPECT_EQ(program().settings.GradationSystem730, 3);
}

TEST_F(DefaultSettings, PermittivityTextsAreChecked) {
    settings("");
    const std::pair<const char*, QString> cases[] = {
        {"20", QString()},
        {"20.5", message(6) + " " + message(17)},
        {"1.9", message(6) + " " + message(17)},
        {"abc", message(6)},
        {"", message(6)},
    };
    for (const auto& [text, expected] : cases) {
        ui.messages.clear();
        frmDefaultSet dlg;
        child<QLineEdit>(&dlg, "Text1_2")->setText(text);
        EXPECT_EQ(dlg.Ok(), expected.isEmpty()) << text;
        if (expected.isEmpty()) {
            EXPECT_TRUE(ui.messages.isEmpty());
        } else {
            ASSERT_EQ(ui.messages.size(), 1) << text;
            EXPECT_EQ(ui.messages[0].text, expected);
        }
    }
    EXPECT_EQ(stored("PictureProc", "RelativePermittivity730"), "20");
}

TEST_F(DefaultSettings, ListPositionsShowAndWriteBackTheStoredValues) {
    settings("[PictureProc]\r\nPictureProc730=4\r\nPictureProc940=3\r\nDirection940=0\r\n"
             "Sensitivity940=12\r\nUnit=0\r\nDistanceUnit=inch\r\nDepthUnit=mm\r\n");
    {
        frmDefaultSet dlg;
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo15")->currentIndex(), 3);
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo15")->currentText(), caption(77));
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo25")->currentIndex(), 2);
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo22")->currentIndex(), 1);
        EXPECT_TRUE(checked(&dlg, "Option22_0"));
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo23")->currentIndex(), 12);
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo16_0")->currentText(), "inch");
        // Values kept from the file show their default positions with the list disabled.
        EXPECT_TRUE(checked(&dlg, "Option11_1"));
        EXPECT_FALSE(child<QComboBox>(&dlg, "Combo11")->isEnabled());
        EXPECT_EQ(child<QComboBox>(&dlg, "Combo13")->currentIndex(), 2);
        ASSERT_TRUE(dlg.Ok());
    }
    EXPECT_EQ(stored("PictureProc", "PictureProc730"), "4");
    EXPECT_EQ(stored("PictureProc", "PictureProc940"), "2");
    EXPECT_EQ(stored("PictureProc", "Direction940"), "0");
    EXPECT_EQ(stored("PictureProc", "GradationSystem730"), "-1");
    EXPECT_EQ(stored("PictureProc", "DistanceUnit"), "inch");
    EXPECT_EQ(program().settings.PictureProc940, 2);
}

TEST_F(DefaultSettings, MagnificationListsFollowEachOther) {
    settings("");
    frmDefaultSet dlg;
    child<QComboBox>(&dlg, "Combo28")->setCurrentIndex(1);
    EXPECT_EQ(child<QComboBox>(&dlg, "Combo17")->currentIndex(), 1);
    ASSERT_TRUE(dlg.Ok());
    EXPECT_EQ(stored("PictureProc", "PuttingOnMagnification"), "1");
}

TEST_F(DefaultSettings, LanguageListComesFromTheFilesPresent) {
    settings("[Language]\r\nLanguage=EN\r\n");
    QDir(m_data).remove("Laini");
    QDir(m_data).mkdir("Laini");
    QFile::copy(m_build + "/Laini/EN.ini", m_data + "/Laini/EN.INI");
    frmDefaultSet dlg;
    QComboBox* languages = child<QComboBox>(&dlg, "Combo1");
    ASSERT_EQ(languages->count(), 1);
    EXPECT_EQ(languages->itemText(0), "English");
    EXPECT_EQ(languages->currentText(), "English");
}

TEST_F(DefaultSettings, OkWritesTheLanguageAndTheOutputOptions) {
    settings("");
    frmDefaultSet dlg;
    QComboBox* languages = child<QComboBox>(&dlg, "Combo1");
    languages->setCurrentIndex(languages->findText("English"));
    child<QRadioButton>(&dlg, "Option5_2")->setChecked(true);
    child<QRadioButton>(&dlg, "Option0_0")->setChecked(true);
    ASSERT_TRUE(dlg.Ok());
    EXPECT_EQ(stored("Language", "Language"), "EN");
    EXPECT_EQ(program().settings.Language, "EN");
    EXPECT_EQ(program().settings.StartLanguage, "JP"); // the frame re-captions on activation
    EXPECT_EQ(stored("PrintProc", "PrintingForm"), "2");
    EXPECT_EQ(stored("PrintProc", "AModePrint"), "0");
    EXPECT_EQ(stored("PrintProc", "SensPrint"), "1");
}

// A Default.ini that cannot be written is told once, with the system's reason; the choices
// stand for this run and the new language is applied all the same.
TEST_F(DefaultSettings, AFailedWriteIsToldAndTheChoicesStandForThisRun) {
    settings("[Language]\r\nLanguage=JP\r\n");
    const QByteArray before = readFile(settingsFilePath());
    frmDefaultSet dlg;
    QComboBox* languages = child<QComboBox>(&dlg, "Combo1");
    languages->setCurrentIndex(languages->findText("English"));
    child<QComboBox>(&dlg, "Combo11")->setCurrentIndex(4);
    child<QRadioButton>(&dlg, "Option11_0")->setChecked(true);
    SetFileSaveFailureAfter(0);
    const bool ok = dlg.Ok();
    SetFileSaveFailureAfter(-1);
    EXPECT_TRUE(ok);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(message(2) + "\n"));
    EXPECT_TRUE(ui.messages[0].text.contains(qt_error_string(ENOSPC)));
    EXPECT_EQ(readFile(settingsFilePath()), before);
    EXPECT_EQ(program().settings.GradationSystem730, 4);
    ASSERT_TRUE(ReapplyLanguage());
    EXPECT_EQ(program().settings.StartLanguage, "EN");
    EXPECT_EQ(caption(0), "File");
}
