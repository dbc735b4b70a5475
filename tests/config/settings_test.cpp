// The settings store: INI access with the platform's rules and the key table of Default.ini.

#include "base/FileSave.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "config/SystemPaths.h"
#include "data/FileOpen.h"
#include "support/TestSupport.h"
#include "view/DisplayDefaults.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::readFile;
using rebar::test::Scratch;

TEST(IniStore, ReadsCaseInsensitivelyWithDefaultsAndCutsLongValues) {
    Scratch s;
    const QString long300(300, QLatin1Char('x'));
    const QString path = s.write("a.ini", ("[PictureProc]\r\n  distanceunit = cm \r\n"
                                           "DepthUnit=" +
                                           long300 + "\r\n[Other]\r\nKey=1\r\n")
                                              .toUtf8());
    EXPECT_EQ(IniRead("pictureproc", "DistanceUnit", "m", path), "cm");
    EXPECT_EQ(IniRead("PictureProc", "DepthUnit", "cm", path).size(), 254);
    EXPECT_EQ(IniRead("PictureProc", "Key", "dflt", path), "dflt"); // other section's key
    EXPECT_EQ(IniRead("Missing", "Key", "dflt", path), "dflt");
    EXPECT_EQ(IniRead("Other", "Key", "dflt", s.path("none.ini")), "dflt");
}

TEST(IniStore, WriteCreatesFileSectionAndKeyAndReplacesInPlace) {
    Scratch s;
    const QString path = s.path("new.ini");
    ASSERT_TRUE(IniWrite("Tab", "Tab", "1", path));
    ASSERT_TRUE(IniWrite("PrintProc", "SensPrint", "0", path));
    ASSERT_TRUE(IniWrite("tab", "TAB", "3", path)); // same key, other case
    ASSERT_TRUE(IniWrite("Tab", "Other", "x", path));
    EXPECT_EQ(IniRead("Tab", "Tab", "", path), "3");
    EXPECT_EQ(IniRead("Tab", "Other", "", path), "x");
    EXPECT_EQ(IniRead("PrintProc", "SensPrint", "", path), "0");
    const QString text = QString::fromUtf8(rebar::test::readFile(path));
    EXPECT_EQ(text.count(QStringLiteral("[Tab]")), 1);
    EXPECT_LT(text.indexOf("Other=x"), text.indexOf("[PrintProc]")); // kept inside its section
}

TEST(IniStore, ReadsEachLineAsUtf8OrInTheSystemCodePage) {
    Scratch s;
    // "深さ" in Shift-JIS on one line, in UTF-8 on the next.
    const QString path = s.write(
        "mixed.ini", QByteArray("[A]\r\nK=\x90\x5b\x82\xb3\r\nU=\xe6\xb7\xb1\xe3\x81\x95\r\n"));
    EXPECT_EQ(IniRead("A", "K", "", path), QString::fromUtf8("深さ"));
    EXPECT_EQ(IniRead("A", "U", "", path), QString::fromUtf8("深さ"));
}

// A write changes the line of its key and no other byte; new text takes the file's encoding.
TEST(IniStore, WriteKeepsEveryOtherByteAndTheFileEncoding) {
    Scratch s;
    const QByteArray sjis = "; comment \x90\x5b\x82\xb3\r\n[PictureProc]\r\nDepthUnit=\x90\x5b\r\n"
                            "Unit = -1 \r\n\r\n[PrintProc]\nAModePrint=1"; // LF and no last end
    const QString path = s.write("Default.ini", sjis);
    ASSERT_TRUE(IniWrite("PictureProc", "Unit", "0", path));
    QByteArray expected = sjis;
    expected.replace("Unit = -1 ", "Unit=0");
    EXPECT_EQ(readFile(path), expected);

    ASSERT_TRUE(IniWrite("PictureProc", "DistanceUnit", QString::fromUtf8("深さ"), path));
    expected.replace("Unit=0\r\n", "Unit=0\r\nDistanceUnit=\x90\x5b\x82\xb3\r\n");
    EXPECT_EQ(readFile(path), expected);

    ASSERT_TRUE(IniWrite("PrintProc", "SensPrint", "0", path));
    ASSERT_TRUE(IniWrite("Tab", "Tab", "1", path));
    expected += "\r\nSensPrint=0\r\n\r\n[Tab]\r\nTab=1\r\n";
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(IniRead("PictureProc", "DepthUnit", "", path), QString::fromUtf8("深"));

    // With a byte-order mark the file is UTF-8 or UTF-16, and so is the new line.
    const QString utf8 = s.write("u8.ini", "\xEF\xBB\xBF[A]\r\nK=1\r\n");
    ASSERT_TRUE(IniWrite("A", "K", QString::fromUtf8("深"), utf8));
    EXPECT_EQ(readFile(utf8), "\xEF\xBB\xBF[A]\r\nK=\xe6\xb7\xb1\r\n");
    const QString utf16 = s.write("u16.ini", QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0K\0=\0"
                                                        "1\0\r\0\n\0",
                                                        22));
    ASSERT_TRUE(IniWrite("A", "K", QString::fromUtf8("深"), utf16));
    EXPECT_EQ(readFile(utf16), QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0K\0=\0\xF1\x6D\r\0\n\0", 22));
    EXPECT_EQ(IniRead("A", "K", "", utf16), QString::fromUtf8("深"));
}

TEST(IniStore, AFailedWriteSaysSoAndLeavesTheFile) {
    Scratch s;
    const QByteArray before = "[Tab]\r\nTab=2\r\n";
    const QString path = s.write("Default.ini", before);
    SetFileSaveFailureAfter(3);
    QString error;
    const bool ok = IniWrite("Tab", "Tab", "1", path, &error);
    SetFileSaveFailureAfter(-1);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(qt_error_string(ENOSPC))) << error.toStdString();
    EXPECT_EQ(readFile(path), before);
}

TEST(Settings, MissingFileGivesTheDefaultsOfTheKeyTable) {
    Scratch s;
    Settings st;
    st.Language = "EN";
    st.PrintingForm = 0;
    std::vector<IgnoredSetting> ignored;
    ASSERT_TRUE(ReadSettings(st, s.path("Default.ini"), &ignored));
    EXPECT_TRUE(ignored.empty());
    EXPECT_EQ(st.Language, "JP");
    EXPECT_EQ(st.StartLanguage, "JP");
    EXPECT_EQ(st.GradationSystem730, -1);
    EXPECT_EQ(st.Sensitivity940, -1);
    EXPECT_EQ(st.RelativePermittivitySetting730, 1);
    EXPECT_EQ(st.RelativePermittivitySetting940, 1);
    EXPECT_FLOAT_EQ(st.RelativePermittivity730, 8.0f);
    EXPECT_EQ(st.AModePrint, 1);
    EXPECT_EQ(st.UseModelPrint, 1);
    EXPECT_EQ(st.PrintingForm, 1);
    EXPECT_EQ(st.DistanceUnit, "m");
    EXPECT_EQ(st.DepthUnit940, "cm");
    EXPECT_EQ(st.Tab, 2);
}

// A value a key does not allow gives the key's default and is named for the user; the other
// keys are read as they are.
TEST(Settings, ValuesOutsideTheirKeysAllowedSetGiveTheDefault) {
    Scratch s;
    const QString path =
        s.write("Default.ini", "[Language]\r\nLanguage=FR\r\n"
                               "[PictureProc]\r\nIndicationRange730=99\r\nPictureProc730=17\r\n"
                               "RelativePermittivitySetting730=0\r\nRelativePermittivity730=25\r\n"
                               "GradationSystem730=55\r\nDistanceUnit=furlong\r\n"
                               "Direction730=abc\r\nDirection940=40000\r\nSensitivity940=\r\n"
                               "Sensitivity730=2.5\r\nGradationSystem940=11\r\nDepthUnit= INCH \r\n"
                               "[PrintProc]\r\nPrintingForm=3\r\nSensPrint=0\r\n");
    Settings st;
    std::vector<IgnoredSetting> ignored;
    ASSERT_TRUE(ReadSettings(st, path, &ignored));
    const Settings d;
    EXPECT_EQ(st.Language, "JP");
    EXPECT_EQ(st.IndicationRange730, d.IndicationRange730);
    EXPECT_EQ(st.PictureProc730, d.PictureProc730);
    EXPECT_EQ(st.RelativePermittivitySetting730, 0);
    EXPECT_FLOAT_EQ(st.RelativePermittivity730, d.RelativePermittivity730);
    EXPECT_EQ(st.GradationSystem730, d.GradationSystem730);
    EXPECT_EQ(st.DistanceUnit, d.DistanceUnit);
    EXPECT_EQ(st.Direction730, d.Direction730);
    EXPECT_EQ(st.Direction940, d.Direction940);
    EXPECT_EQ(st.Sensitivity940, d.Sensitivity940);
    EXPECT_EQ(st.PrintingForm, d.PrintingForm);
    // Allowed values, as written or in their listed form.
    EXPECT_EQ(st.Sensitivity730, 2); // halves to even
    EXPECT_EQ(st.GradationSystem940, 11);
    EXPECT_EQ(st.DepthUnit, "inch");
    EXPECT_EQ(st.SensPrint, 0);

    QStringList named;
    for (const IgnoredSetting& i : ignored)
        named << i.key + "=" + i.value;
    EXPECT_EQ(named, (QStringList{"Language=FR", "GradationSystem730=55", "IndicationRange730=99",
                                  "Direction730=abc", "Direction940=40000",
                                  "Sensitivity940=", "RelativePermittivity730=25",
                                  "PictureProc730=17", "DistanceUnit=furlong", "PrintingForm=3"}));
    const QString text = IgnoredSettingsMessage(ignored, "EN");
    EXPECT_TRUE(text.contains("\nDirection730=abc")) << text.toStdString();
    EXPECT_EQ(text.count('\n'), 10);
}

TEST(Settings, OverridesAreCheckedLikeTheFile) {
    Settings st;
    QString error;
    EXPECT_TRUE(ApplySetting(st, "indicationrange730", "2", &error));
    EXPECT_EQ(st.IndicationRange730, 2);
    EXPECT_FALSE(ApplySetting(st, "IndicationRange730", "9", &error));
    EXPECT_TRUE(error.contains("IndicationRange730"));
    EXPECT_EQ(st.IndicationRange730, 2);
    EXPECT_FALSE(ApplySetting(st, "NoSuchKey", "1", &error));
    EXPECT_TRUE(ApplySetting(st, "Language", "en", &error));
    EXPECT_EQ(st.Language, "EN");
}

// The display defaults a newly opened file takes from the settings.
TEST(SettleDisplaySettings, SensitivityBandsOfBothFamilies) {
    MeasurementRecord r;
    Settings st;
    r.FileKind = KindZvx4;
    r.Gain = 1;
    r.GainMode = 0;
    st.Sensitivity940 = 9;
    SettleDisplaySettings(r, st);
    EXPECT_EQ(r.GainMode, 1);
    EXPECT_EQ(r.Gain, 3); // deep band, auto
    EXPECT_EQ(r.Saved.Gain, 1);
    st.Sensitivity940 = 5;
    SettleDisplaySettings(r, st);
    EXPECT_EQ(r.GainMode, 0);
    EXPECT_EQ(r.Gain, 6); // shallow band, +3

    MeasurementRecord a;
    a.FileKind = KindRdd;
    st.Sensitivity730 = 5;
    SettleDisplaySettings(a, st);
    EXPECT_EQ(a.GainMode, 1);
    EXPECT_EQ(a.Gain, 1);
}

TEST(SettleDisplaySettings, SavedKeepsTheFileValuesAndTimeAxisKeepsItsPermittivity) {
    MeasurementRecord r;
    r.FileKind = KindRdd;
    r.ColorCode = 3;
    r.ViewRange = 2;
    r.Permittivity = 7.4000000953674316;
    r.XUnit = "cm";
    Settings st;
    st.GradationSystem730 = 6;
    st.IndicationRange730 = 0;
    st.RelativePermittivitySetting730 = 0;
    st.RelativePermittivity730 = 9.5f;
    st.Unit = 0;
    st.DistanceUnit = "mm";
    st.PuttingOnMagnification = 1;
    SettleDisplaySettings(r, st);
    EXPECT_EQ(r.ColorCode, 6);
    EXPECT_EQ(r.ViewRange, 0);
    EXPECT_DOUBLE_EQ(r.Permittivity, 9.5);
    EXPECT_EQ(r.XUnit, "mm");
    EXPECT_EQ(r.CoverMagnification, 1);
    EXPECT_EQ(r.Saved.ColorCode, 3);
    EXPECT_EQ(r.Saved.ViewRange, 2);
    EXPECT_EQ(r.Saved.XUnit, "cm");
    EXPECT_FLOAT_EQ(r.Saved.Permittivity, 7.4f);

    MeasurementRecord t;
    t.FileKind = KindRdd;
    t.PermittivityPreset = 7;
    t.Permittivity = 0;
    SettleDisplaySettings(t, st);
    EXPECT_EQ(t.Permittivity, 0);
}

// An installed program's SystemData cannot be written: each user reads and writes a copy of the
// shipped settings file in their own folder, and the shipped file stays as it came.
TEST(WritableDataFile, AnInstalledProgramKeepsTheUsersSettingsInTheirOwnFolder) {
    Scratch s;
    const QString shipped = s.write("SystemData/Default.ini", "[Language]\r\nLanguage=JP\r\n");
    const QString system = QFileInfo(shipped).absolutePath();
    const QString user = s.path("config/rebarscope");

    // Where SystemData can be written, the shipped file is the one used.
    EXPECT_EQ(writableDataFile("Default.ini", system, true, user), shipped);
    EXPECT_FALSE(QFileInfo::exists(user));

    // Otherwise the first use copies it; writes go to the copy.
    const QString copy = writableDataFile("Default.ini", system, false, user);
    EXPECT_EQ(copy, user + "/Default.ini");
    EXPECT_EQ(readFile(copy), readFile(shipped));
    QString error;
    ASSERT_TRUE(IniWrite("Language", "Language", "EN", copy, &error)) << error.toStdString();
    EXPECT_EQ(IniRead("Language", "Language", "", copy), "EN");
    EXPECT_EQ(IniRead("Language", "Language", "", shipped), "JP");
    EXPECT_FALSE(QFileInfo::exists(copy + ".part"));

    // The copy, once made, is kept: a later use reads the user's settings.
    EXPECT_EQ(writableDataFile("Default.ini", system, false, user), copy);
    EXPECT_EQ(IniRead("Language", "Language", "", copy), "EN");

    // Without a user folder, or without a shipped file to copy, the shipped path is used.
    EXPECT_EQ(writableDataFile("Default.ini", system, false, QString()), shipped);
    EXPECT_EQ(writableDataFile("ReportLayout.ini", system, false, user),
              system + "/ReportLayout.ini");
    EXPECT_FALSE(QFileInfo::exists(user + "/ReportLayout.ini"));
}
