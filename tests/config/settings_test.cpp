// The settings store: INI access with the platform's rules and the key table of Default.ini.

#include "config/IniStore.h"
#include "config/Settings.h"
#include "data/FileOpen.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace rebar;
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

TEST(IniStore, ReadsFilesInTheSystemCodePage) {
    Scratch s;
    // "深さ" in Shift-JIS.
    const QString path = s.write("sjis.ini", QByteArray("[A]\r\nK=\x90\x5b\x82\xb3\r\n"));
    EXPECT_EQ(IniRead("A", "K", "", path), QString::fromUtf8("深さ"));
}

TEST(Settings, MissingFileGivesTheDefaultsOfTheKeyTable) {
    Scratch s;
    Settings st;
    st.Language = "EN";
    st.PrintingForm = 0;
    ASSERT_TRUE(ReadSettings(st, s.path("Default.ini")));
    const Settings d;
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

TEST(Settings, BadNumbersFailTheRead) {
    Scratch s;
    for (const char* bad : {"abc", "", "40000", "-32769"}) {
        const QString path =
            s.write("Default.ini", QByteArray("[PictureProc]\r\nDirection730=") + bad + "\r\n");
        Settings st;
        QString error;
        EXPECT_FALSE(ReadSettings(st, path, &error)) << bad;
        EXPECT_TRUE(error.contains("Direction730")) << error.toStdString();
    }
    const QString ok =
        s.write("Default.ini", "[PictureProc]\r\nDirection730= 1 \r\nSensitivity730=2.5\r\n");
    Settings st;
    ASSERT_TRUE(ReadSettings(st, ok));
    EXPECT_EQ(st.Direction730, 1);
    EXPECT_EQ(st.Sensitivity730, 2); // halves to even
}

TEST(Settings, WrittenSettingsReadBack) {
    Scratch s;
    Settings st;
    st.Language = "EN";
    st.Sensitivity940 = 9;
    st.RelativePermittivity940 = 6.5f;
    st.DistanceUnit = "inch";
    st.PrintingForm = 2;
    ASSERT_TRUE(WriteSettings(st, s.path("Default.ini")));
    Settings back;
    ASSERT_TRUE(ReadSettings(back, s.path("Default.ini")));
    EXPECT_EQ(back.Language, "EN");
    EXPECT_EQ(back.Sensitivity940, 9);
    EXPECT_FLOAT_EQ(back.RelativePermittivity940, 6.5f);
    EXPECT_EQ(back.DistanceUnit, "inch");
    EXPECT_EQ(back.PrintingForm, 2);
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
