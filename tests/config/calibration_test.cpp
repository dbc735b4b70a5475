// The calibration and colour tables: loading the generated SystemData, the expansions done while
// loading (mirrored columns, doubled tables, half STC, symmetric level columns), the physical
// sense of the generated values, and every way a damaged table folder fails the load.

#include "base/DepthModel.h"
#include "config/CalibrationTables.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

using namespace rebar;
using rebar::test::Scratch;

namespace {

// The generated tables, loaded once for the read-only tests.
const CalibrationTables& generated() {
    static const CalibrationTables tables = [] {
        CalibrationTables t;
        QString error;
        EXPECT_TRUE(LoadCalibrationTables(t, test::systemData(), &error)) << error.toStdString();
        return t;
    }();
    return tables;
}

bool sameTables(const CalibrationTables& a, const CalibrationTables& b) {
    return a.ColorPalette730 == b.ColorPalette730 && a.GreyPalette730 == b.GreyPalette730 &&
           a.LevelTable730 == b.LevelTable730 && a.StcGain730 == b.StcGain730 &&
           a.StcGain730Half == b.StcGain730Half && a.DepthTable730 == b.DepthTable730 &&
           a.ColorTable940 == b.ColorTable940 && a.StcGain940 == b.StcGain940 &&
           a.StcGain940x2 == b.StcGain940x2 && a.DepthTable940 == b.DepthTable940 &&
           a.loaded == b.loaded;
}

// The level a 940 amplitude is drawn with by the generated colour tables (256 equal bins).
int level940(int a) {
    return ((a + 32768) >> 8) + 1;
}

// ---- a damaged copy of the table folders --------------------------------------------------

// A SystemData folder whose entries are symbolic links to the generated table folders. A folder
// turns into a real one (with links to its entries) only when a test damages something inside
// it, and a damaged file is always written as a new file in place of its link, so the generated
// files are never touched and a test creates a few entries instead of copying ~380 files.
class DamagedCopy : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = m_scratch.path(QStringLiteral("SystemData"));
        ASSERT_TRUE(QDir().mkpath(m_dir));
        for (const char* family : {"730", "940"})
            ASSERT_TRUE(QFile::link(QDir(test::systemData()).filePath(QLatin1String(family)),
                                    QDir(m_dir).filePath(QLatin1String(family))));
    }

    QString file(const char* relative) const {
        return QDir(m_dir).filePath(QLatin1String(relative));
    }
    QString file(const QString& relative) const { return QDir(m_dir).filePath(relative); }

    // Makes every folder on the way to path real, then path itself a real file (or gone).
    void own(const QString& path, bool keepContent = true) {
        const QDir root(m_dir), from(test::systemData());
        const QStringList parts = root.relativeFilePath(path).split(QLatin1Char('/'));
        QString rel;
        for (qsizetype k = 0; k + 1 < parts.size(); ++k) {
            rel = rel.isEmpty() ? parts[k] : rel + QLatin1Char('/') + parts[k];
            const QString here = root.filePath(rel);
            if (!QFileInfo(here).isSymLink())
                continue;
            ASSERT_TRUE(QFile::remove(here) && QDir().mkdir(here)) << here.toStdString();
            const QDir source(from.filePath(rel));
            for (const QString& entry : source.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
                ASSERT_TRUE(QFile::link(source.filePath(entry), QDir(here).filePath(entry)));
        }
        if (QFileInfo(path).isSymLink()) {
            const QByteArray bytes = test::readFile(path);
            ASSERT_TRUE(QFile::remove(path));
            if (keepContent)
                write(path, bytes);
        }
    }

    void overwrite(const QString& path, const QByteArray& bytes) {
        own(path, false);
        write(path, bytes);
    }
    void remove(const QString& path) {
        own(path, false);
        ASSERT_FALSE(QFileInfo::exists(path));
    }
    void truncate(const QString& path, qsizetype size) {
        overwrite(path, test::readFile(path).left(size));
    }
    // Replaces line n (1-based) of a text file with CR LF line ends.
    void replaceLine(const QString& path, int n, const QByteArray& line) {
        QList<QByteArray> lines = test::readFile(path).split('\n');
        ASSERT_LT(n - 1, lines.size());
        lines[n - 1] = line + "\r";
        overwrite(path, lines.join('\n'));
    }
    // Sets value k of a binary float file.
    void setFloat(const QString& path, int k, float v) {
        QByteArray bytes = test::readFile(path);
        ASSERT_LE(4 * (k + 1), bytes.size());
        std::memcpy(bytes.data() + 4 * k, &v, 4);
        overwrite(path, bytes);
    }

    // Loads the damaged copy into tables that already hold the generated ones: the load must
    // fail, name the file, and leave the tables as they were.
    void expectFailure(const QString& damagedFile) {
        CalibrationTables t = generated();
        QString error;
        EXPECT_FALSE(LoadCalibrationTables(t, m_dir, &error));
        EXPECT_TRUE(error.contains(QFileInfo(damagedFile).fileName())) << error.toStdString();
        EXPECT_TRUE(sameTables(t, generated()));
        m_error = error;
    }

    CalibrationTables loadCopy() {
        CalibrationTables t;
        QString error;
        EXPECT_TRUE(LoadCalibrationTables(t, m_dir, &error)) << error.toStdString();
        return t;
    }

    static void write(const QString& path, const QByteArray& bytes) {
        ASSERT_FALSE(QFileInfo(path).isSymLink()) << path.toStdString();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    Scratch m_scratch;
    QString m_dir;
    QString m_error;
};

} // namespace

// ---- the generated tables ------------------------------------------------------------------

TEST(CalibrationTables, LoadsTheGeneratedSystemData) {
    const CalibrationTables& t = generated();
    EXPECT_TRUE(t.loaded);
    EXPECT_EQ(t.DepthTable730.size(), 181u * 1025u);
    EXPECT_EQ(t.DepthTable940.size(), 181u * 1537u);
    EXPECT_EQ(t.ColorTable940.size(), 12u * 65536u);
}

TEST(CalibrationTables, PaletteEntryZeroIsBlackAndNoLevelUsesIt) {
    const CalibrationTables& t = generated();
    EXPECT_EQ(t.ColorPalette730[0], qRgb(0, 0, 0));
    EXPECT_EQ(t.GreyPalette730[0], qRgb(0, 0, 0));
    for (int g = 0; g < 12; ++g)
        for (int L = 1; L <= 256; ++L) {
            EXPECT_GE(t.LevelTable730[g][L], 1) << g << " " << L;
            EXPECT_LE(t.LevelTable730[g][L], 128) << g << " " << L;
        }
}

TEST(CalibrationTables, AbsoluteLevelColumnsAreSymmetricAboutTheCentre) {
    const CalibrationTables& t = generated();
    for (int g : {0, 2, 4, 6, 8})
        for (int L = 1; L <= 128; ++L)
            EXPECT_EQ(t.LevelTable730[g][L], t.LevelTable730[g][257 - L]) << g << " " << L;
    // Levels 100 and 157 both lie 28 levels from the centre.
    EXPECT_EQ(t.LevelTable730[0][100], t.LevelTable730[0][157]);
    EXPECT_NE(t.LevelTable730[1][100], t.LevelTable730[1][157]);
}

TEST(CalibrationTables, ReversedMonoColumnsMirrorTheOffsetColumns) {
    const CalibrationTables& t = generated();
    for (int L = 1; L <= 256; ++L) {
        EXPECT_EQ(t.LevelTable730[10][L], t.LevelTable730[7][257 - L]);
        EXPECT_EQ(t.LevelTable730[11][L], t.LevelTable730[9][257 - L]);
    }
}

TEST(CalibrationTables, OffsetColumnsAreMonotonicWithZeroEchoMidScale) {
    const CalibrationTables& t = generated();
    // Zero echo (730 value 2048) shows at level 2048 * 256 / 4096 = 128.
    const int zeroLevel = 2048 * 256 / 4096;
    for (int g : {1, 3, 5, 7, 9}) {
        for (int L = 2; L <= 256; ++L)
            EXPECT_GE(t.LevelTable730[g][L], t.LevelTable730[g][L - 1]) << g << " " << L;
        const int lo = t.LevelTable730[g][1], hi = t.LevelTable730[g][256];
        const int mid = t.LevelTable730[g][zeroLevel];
        EXPECT_LT(lo, mid) << g;
        EXPECT_LT(mid, hi) << g;
        EXPECT_NEAR(mid - lo, hi - mid, 2) << g;
    }
    // Absolute columns: zero echo at one end of the scale, the strongest echoes at the other.
    for (int g : {0, 2, 4, 6, 8}) {
        const auto& pal = t.palette730(g);
        EXPECT_NE(pal[t.LevelTable730[g][zeroLevel]], pal[t.LevelTable730[g][1]]) << g;
        EXPECT_EQ(t.LevelTable730[g][zeroLevel], t.LevelTable730[g][zeroLevel + 1]) << g;
    }
}

TEST(CalibrationTables, GreyOffsetScalesRunFromBlackToWhite) {
    const CalibrationTables& t = generated();
    EXPECT_EQ(t.GreyPalette730[t.LevelTable730[7][1]], qRgb(0, 0, 0));
    EXPECT_EQ(t.GreyPalette730[t.LevelTable730[7][256]], qRgb(255, 255, 255));
    EXPECT_EQ(t.GreyPalette730[t.LevelTable730[10][1]], qRgb(255, 255, 255));
    for (int k = 1; k <= 128; ++k)
        EXPECT_EQ(qRed(t.GreyPalette730[k]), qBlue(t.GreyPalette730[k]));
}

TEST(CalibrationTables, ThreeColourMapsAreDistinct) {
    const CalibrationTables& t = generated();
    for (int L : {1, 64, 200, 256}) {
        const QRgb c1 = t.ColorPalette730[t.LevelTable730[1][L]];
        const QRgb c2 = t.ColorPalette730[t.LevelTable730[3][L]];
        const QRgb c3 = t.ColorPalette730[t.LevelTable730[5][L]];
        EXPECT_TRUE(c1 != c2 && c2 != c3 && c1 != c3) << L;
    }
}

TEST(CalibrationTables, MirroredColourColumns) {
    const CalibrationTables& t = generated();
    EXPECT_EQ(t.color940(10, -32768), t.color940(8, 32767));
    EXPECT_EQ(t.color940(10, 0), t.color940(8, -1));
    for (int a = -32768; a <= 32767; ++a) {
        ASSERT_EQ(t.color940(10, a), t.color940(8, -1 - a)) << a;
        ASSERT_EQ(t.color940(11, a), t.color940(9, -1 - a)) << a;
    }
}

TEST(CalibrationTables, ColourTablesOf940ShowThe730Gradations) {
    const CalibrationTables& t = generated();
    for (int g = 0; g < 12; ++g) {
        const int column = ColorTable940ColumnOf[g];
        for (int a = -32768; a <= 32767; ++a)
            ASSERT_EQ(t.color940(column, a), t.palette730(g)[t.LevelTable730[g][level940(a)]])
                << "gradation " << g << " amplitude " << a;
    }
    // Absolute columns: the same colour for a and -1 - a, zero echo unlike the strongest echo.
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(t.color940(column, 0), t.color940(column, -1));
        EXPECT_EQ(t.color940(column, 32767), t.color940(column, -32768));
        EXPECT_NE(t.color940(column, 0), t.color940(column, 32767));
    }
}

TEST(CalibrationTables, StcTablesDoubledAndHalved) {
    const CalibrationTables& t = generated();
    for (int k = 0; k < 768; ++k) {
        EXPECT_EQ(t.StcGain940x2[2 * k], t.StcGain940[k]);
        EXPECT_EQ(t.StcGain940x2[2 * k + 1], t.StcGain940[k]);
    }
    EXPECT_EQ(t.StcGain940x2[1535], t.StcGain940[767]);
    for (int k = 0; k < 512; ++k)
        EXPECT_EQ(t.StcGain730Half[k], t.StcGain730[2 * k]);
    EXPECT_EQ(t.StcGain730Half[511], t.StcGain730[1022]);
}

TEST(CalibrationTables, StcGainsRiseFromOneToAboutEight) {
    const CalibrationTables& t = generated();
    EXPECT_EQ(t.StcGain730[0], 1.0f);
    EXPECT_EQ(t.StcGain940[0], 1.0);
    EXPECT_NEAR(t.StcGain730[1023], 8.0, 0.01);
    EXPECT_NEAR(t.StcGain940[767], 8.0, 0.01);
    for (int k = 1; k < 1024; ++k)
        EXPECT_GE(t.StcGain730[k], t.StcGain730[k - 1]) << k;
    for (int k = 1; k < 768; ++k)
        EXPECT_GE(t.StcGain940[k], t.StcGain940[k - 1]) << k;
    // Smooth: no step between neighbouring samples above 1 %.
    for (int k = 1; k < 1024; ++k)
        EXPECT_LT(t.StcGain730[k] / t.StcGain730[k - 1], 1.01f) << k;
}

TEST(CalibrationTables, DepthPairsOf940AreEqual) {
    const CalibrationTables& t = generated();
    for (int e = 20; e <= 200; ++e)
        for (int m = 0; m < 768; ++m)
            ASSERT_EQ(t.depth940(e, 2 * m + 1), t.depth940(e, 2 * m + 2)) << e << " " << m;
}

TEST(CalibrationTables, DepthFallsStrictlyWithPermittivityPastTimeZero) {
    const CalibrationTables& t = generated();
    for (int e = 21; e <= 200; ++e) {
        for (int s = 1; s <= 1024; ++s) {
            if (s <= DepthModel::TimeZeroSample)
                ASSERT_EQ(t.depth730(e, s), 0.0f) << e << " " << s;
            else
                ASSERT_LT(t.depth730(e, s), t.depth730(e - 1, s)) << e << " " << s;
        }
        for (int s = 1; s <= 1536; ++s) {
            if (DepthModel::timeOfSample(s) <= DepthModel::TimeZeroNs)
                ASSERT_EQ(t.depth940(e, s), 0.0) << e << " " << s;
            else
                ASSERT_LT(t.depth940(e, s), t.depth940(e - 1, s)) << e << " " << s;
        }
    }
}

TEST(CalibrationTables, DepthFollowsTheDepthModel) {
    const CalibrationTables& t = generated();
    for (int e : {20, 62, 80, 107, 200}) {
        const double er = e / 10.0;
        for (int s = 1; s <= 1024; ++s)
            ASSERT_NEAR(t.depth730(e, s), DepthModel::depthAt(DepthModel::timeOfSample(s), er),
                        1e-3)
                << e << " " << s;
        for (int m = 0; m < 768; ++m)
            ASSERT_NEAR(t.depth940(e, 2 * m + 1),
                        DepthModel::depthAt(DepthModel::timeOfRawSample(m + 1), er), 1e-3)
                << e << " " << m;
        // Deeper with every later sample past time zero.
        for (int s = DepthModel::TimeZeroSample + 1; s < 1024; ++s)
            ASSERT_LT(t.depth730(e, s), t.depth730(e, s + 1));
    }
    // A reflector 100 mm deep in concrete of er 8.0 shows at the sample the model predicts.
    const double s = DepthModel::sampleAt(100.0, 8.0);
    EXPECT_NEAR(DepthModel::depthAt(DepthModel::timeOfSample(s), 8.0), 100.0, 1e-9);
    EXPECT_NEAR(t.depth730(80, static_cast<int>(s)), 100.0, 0.5);
    // A raw sample lies at the time of its double-density sample 2j - 1.
    EXPECT_EQ(DepthModel::timeOfRawSample(10), DepthModel::timeOfSample(19));
    EXPECT_NEAR(DepthModel::rawSampleAt(100.0, 8.0), (s + 1) / 2, 1e-12);
}

// ---- loading from a copied folder ----------------------------------------------------------

TEST_F(DamagedCopy, ACopyLoadsTheSameTables) {
    EXPECT_TRUE(sameTables(loadCopy(), generated()));
}

TEST_F(DamagedCopy, LineFeedOnlyFilesLoadTheSame) {
    for (const char* f : {"940/ColorTable/Color_OffsetTable2.csv", "940/STCTable/STCTable.csv",
                          "730/DepthTable.dat"}) {
        QByteArray bytes = test::readFile(file(f));
        overwrite(file(f), bytes.replace("\r\n", "\n"));
    }
    EXPECT_TRUE(sameTables(loadCopy(), generated()));
}

TEST_F(DamagedCopy, IntegersRoundHalvesToEven) {
    setFloat(file("730/OFFSET1.dat"), 0, 2.5f); // offset column 1, level 1
    setFloat(file("730/OFFSET1.dat"), 1, 3.5f); // level 2
    replaceLine(file("940/ColorTable/Color_ABSTable1.csv"), 2, "126.5, 127.5 ,0");
    const CalibrationTables t = loadCopy();
    EXPECT_EQ(t.LevelTable730[1][1], 2);
    EXPECT_EQ(t.LevelTable730[1][2], 4);
    EXPECT_EQ(t.color940(0, -32768), qRgb(126, 128, 0));
}

TEST_F(DamagedCopy, ALevelTableIndexZeroShowsBlack) {
    setFloat(file("730/OFFSET2.dat"), 99, 0.0f); // offset column 3, level 100
    const CalibrationTables t = loadCopy();
    EXPECT_EQ(t.LevelTable730[3][100], 0);
    EXPECT_EQ(t.ColorPalette730[t.LevelTable730[3][100]], qRgb(0, 0, 0));
}

// ---- failures ------------------------------------------------------------------------------

TEST_F(DamagedCopy, MissingLevelFileFails) {
    remove(file("730/OFFSET2.dat"));
    expectFailure(file("730/OFFSET2.dat"));
}

TEST_F(DamagedCopy, MissingColourFileFails) {
    remove(file("940/ColorTable/Mono_ABSTable2.csv"));
    expectFailure(file("940/ColorTable/Mono_ABSTable2.csv"));
}

TEST_F(DamagedCopy, MissingDepthCsvFails) {
    remove(file(CalibrationFiles::depth940(200)));
    expectFailure(file(CalibrationFiles::depth940(200)));
}

TEST_F(DamagedCopy, ShortBinaryDepthFileFails) {
    // The copy's own depth file, named by its DepthTable.dat: paths resolve inside the copy.
    truncate(file("730/Depth/Depth_100.dat"), 4092);
    expectFailure(file("730/Depth/Depth_100.dat"));
    EXPECT_TRUE(m_error.contains(QStringLiteral("4092"))) << m_error.toStdString();
}

TEST_F(DamagedCopy, ShortPaletteFileFails) {
    truncate(file("730/CLR_OFST.dat"), 2044);
    expectFailure(file("730/CLR_OFST.dat"));
}

TEST_F(DamagedCopy, EmptyStcFileFails) {
    truncate(file("730/stc.dat"), 0);
    expectFailure(file("730/stc.dat"));
}

TEST_F(DamagedCopy, OutOfRangePaletteIndexFails) {
    setFloat(file("730/OFSTMONO2.dat"), 300, 129.0f);
    expectFailure(file("730/OFSTMONO2.dat"));
}

TEST_F(DamagedCopy, NonFiniteBinaryValueFails) {
    setFloat(file("730/stc.dat"), 5, std::numeric_limits<float>::quiet_NaN());
    expectFailure(file("730/stc.dat"));
}

TEST_F(DamagedCopy, MalformedColourLineFails) {
    replaceLine(file("940/ColorTable/Mono_OffsetTable2.csv"), 40000, "12,x,5");
    expectFailure(file("940/ColorTable/Mono_OffsetTable2.csv"));
    EXPECT_TRUE(m_error.contains(QStringLiteral("40000"))) << m_error.toStdString();
}

TEST_F(DamagedCopy, ColourLineWithFourFieldsFails) {
    replaceLine(file("940/ColorTable/Color_OffsetTable3.csv"), 3, "1,2,3,4");
    expectFailure(file("940/ColorTable/Color_OffsetTable3.csv"));
}

TEST_F(DamagedCopy, ColourComponentAbove255Fails) {
    replaceLine(file("940/ColorTable/Color_ABSTable3.csv"), 65537, "0,256,0");
    expectFailure(file("940/ColorTable/Color_ABSTable3.csv"));
}

TEST_F(DamagedCopy, ColourHeaderWithFourFieldsFails) {
    replaceLine(file("940/ColorTable/Color_ABSTable2.csv"), 1, "R,G,B,A");
    expectFailure(file("940/ColorTable/Color_ABSTable2.csv"));
    EXPECT_TRUE(m_error.contains(QStringLiteral("header"))) << m_error.toStdString();
}

TEST_F(DamagedCopy, ColourHeaderWithOneFieldFails) {
    replaceLine(file("940/ColorTable/Mono_ABSTable1.csv"), 1, "RGB");
    expectFailure(file("940/ColorTable/Mono_ABSTable1.csv"));
}

TEST_F(DamagedCopy, ColourFileWithoutHeaderFails) {
    // The first colour line is taken as the header, so one colour line is missing.
    QByteArray bytes = test::readFile(file("940/ColorTable/Color_OffsetTable1.csv"));
    overwrite(file("940/ColorTable/Color_OffsetTable1.csv"), bytes.mid(bytes.indexOf('\n') + 1));
    expectFailure(file("940/ColorTable/Color_OffsetTable1.csv"));
}

TEST_F(DamagedCopy, ColourFileWithAnExtraLineFails) {
    QByteArray bytes = test::readFile(file("940/ColorTable/Mono_OffsetTable1.csv"));
    overwrite(file("940/ColorTable/Mono_OffsetTable1.csv"), bytes + "1,2,3\r\n\r\n");
    expectFailure(file("940/ColorTable/Mono_OffsetTable1.csv"));
}

TEST_F(DamagedCopy, MalformedStcValueFails) {
    replaceLine(file("940/STCTable/STCTable.csv"), 700, "1.2.3");
    expectFailure(file("940/STCTable/STCTable.csv"));
}

TEST_F(DamagedCopy, ShortStcCsvFails) {
    QByteArray bytes = test::readFile(file("940/STCTable/STCTable.csv"));
    bytes.chop(2); // the final line end
    overwrite(file("940/STCTable/STCTable.csv"), bytes.left(bytes.lastIndexOf('\n') + 1));
    expectFailure(file("940/STCTable/STCTable.csv"));
    EXPECT_TRUE(m_error.contains(QStringLiteral("767"))) << m_error.toStdString();
}

TEST_F(DamagedCopy, DepthListWithTooFewEntriesFails) {
    QByteArray bytes = test::readFile(file("730/DepthTable.dat"));
    bytes.chop(2);
    overwrite(file("730/DepthTable.dat"), bytes.left(bytes.lastIndexOf('\n') + 1));
    expectFailure(file("730/DepthTable.dat"));
}

TEST_F(DamagedCopy, DepthListNamingAMissingFileFails) {
    replaceLine(file("730/DepthTable.dat"), 7, "\\SystemData\\730\\Depth\\Nowhere.dat");
    expectFailure(file("730/Depth/Nowhere.dat"));
}

TEST_F(DamagedCopy, FailedLoadLeavesEmptyTablesEmpty) {
    remove(file("940/STCTable/STCTable.csv"));
    CalibrationTables t;
    QString error;
    EXPECT_FALSE(LoadCalibrationTables(t, m_dir, &error));
    EXPECT_FALSE(t.loaded);
    EXPECT_TRUE(t.DepthTable730.empty());
    EXPECT_TRUE(t.ColorTable940.empty());
    EXPECT_EQ(t.StcGain730[0], 0.0f);
    EXPECT_TRUE(sameTables(t, CalibrationTables{}));
}

TEST_F(DamagedCopy, ColourStepAloneLeavesItsTableOnFailure) {
    CalibrationTables t = generated();
    replaceLine(file("940/ColorTable/Color_ABSTable1.csv"), 2, "0,0");
    QString error;
    EXPECT_FALSE(LoadColorTable940(t, m_dir, &error));
    EXPECT_EQ(t.ColorTable940, generated().ColorTable940);
    CalibrationTables fresh;
    EXPECT_TRUE(LoadColorTable940(fresh, test::systemData(), &error)) << error.toStdString();
    EXPECT_EQ(fresh.ColorTable940, generated().ColorTable940);
}
