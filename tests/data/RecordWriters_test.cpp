// Saving a record as RDD or ZVX: the byte layout, dates that read the same under every locale,
// values that do not fit their fields, and saves that fail without touching the old file.

#include "ReaderFixtures.h"
#include "base/DateText.h"
#include "base/FileSave.h"
#include "data/DztImport.h"
#include "data/RecordWriters.h"
#include "data/ZvxReader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"
#include "view/DisplayDefaults.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::Opened;
using rebar::test::Scratch;
using H = rebar::ZvxHeader;
using test::getLE;

namespace {

struct SeamOff {
    ~SeamOff() { SetFileSaveFailureAfter(-1); }
};

struct DefaultLocale {
    explicit DefaultLocale(const QLocale& l) { QLocale::setDefault(l); }
    ~DefaultLocale() { QLocale::setDefault(m_old); }
    QLocale m_old;
};

// Opened as the open sequence does, with the display values as read kept for the next save.
Opened openForSaving(const QString& path) {
    Opened o = test::openFile(path);
    if (o.ok())
        SettleDisplaySettings(o.r, Settings());
    return o;
}

scangen::Scene scene(int traces = 60) {
    scangen::Scene s;
    s.traces = traces;
    s.er = 6.5;
    s.bars = {{40, 45}, {100, 60}};
    s.markGroups = 3;
    s.note = QStringLiteral("first line\nx@\n@second");
    return s;
}

MeasurementRecord sceneRecord(int32_t kind, int traces = 60) {
    MeasurementRecord r;
    EXPECT_TRUE(scangen::buildRecord(scene(traces), kind, r));
    return r;
}

// The fields a file of the family carries, compared one by one.
void expectSameRecord(const MeasurementRecord& a, const MeasurementRecord& b) {
    // A ZVX date is a fixed field of 20 characters, padded with blanks.
    EXPECT_EQ(a.MeasureDate.trimmed(), b.MeasureDate.trimmed());
    EXPECT_EQ(a.DataNo, b.DataNo);
    EXPECT_EQ(a.TraceCount, b.TraceCount);
    EXPECT_EQ(a.XScale, b.XScale);
    EXPECT_EQ(a.XAdjust, b.XAdjust);
    EXPECT_EQ(a.PermittivityPreset, b.PermittivityPreset);
    EXPECT_EQ(a.Permittivity, b.Permittivity);
    EXPECT_EQ(a.ColorCode, b.ColorCode);
    EXPECT_EQ(a.Direction, b.Direction);
    EXPECT_EQ(a.ProcessingLine, b.ProcessingLine);
    EXPECT_EQ(a.ProcCode, b.ProcCode);
    EXPECT_EQ(a.Gain, b.Gain);
    EXPECT_EQ(a.GainMode, b.GainMode);
    EXPECT_EQ(a.PeakFlag, b.PeakFlag);
    EXPECT_EQ(a.ViewRange, b.ViewRange);
    EXPECT_EQ(a.XUnit, b.XUnit);
    EXPECT_EQ(a.YUnit, b.YUnit);
    if (!a.is940()) {
        EXPECT_EQ(a.MeasureTime, b.MeasureTime);
        EXPECT_EQ(a.Note, b.Note);
        ASSERT_EQ(a.Markers730.size(), b.Markers730.size());
        for (size_t i = 0; i < a.Markers730.size(); ++i) {
            EXPECT_EQ(a.Markers730[i].Position, b.Markers730[i].Position) << i;
            EXPECT_EQ(a.Markers730[i].Sample, b.Markers730[i].Sample) << i;
        }
        for (int t = -1; t <= a.TraceCount; ++t)
            for (int v = 0; v <= 512; ++v)
                ASSERT_EQ(a.Raw730(t, v), b.Raw730(t, v)) << t << ", " << v;
        return;
    }
    EXPECT_EQ(a.SerialNo.trimmed(), b.SerialNo.trimmed());
    EXPECT_EQ(a.XDataSize, b.XDataSize);
    EXPECT_EQ(a.YDataSize, b.YDataSize);
    EXPECT_EQ(a.PrcsAsMS, b.PrcsAsMS);
    EXPECT_EQ(a.Handle, b.Handle);
    EXPECT_EQ(a.TireOption, b.TireOption);
    EXPECT_EQ(a.XPitch, b.XPitch);
    for (int g = 0; g < MarkGroups940; ++g)
        for (int i = 1; i <= MarksPerGroup940; ++i) {
            const Mark940& m = a.Marks940[size_t(g)][size_t(i)];
            const Mark940& n = b.Marks940[size_t(g)][size_t(i)];
            EXPECT_EQ(m.InUse, n.InUse) << g << "/" << i;
            if (m.InUse == FlagTrue) {
                EXPECT_EQ(m.X, n.X);
                EXPECT_EQ(m.Y, n.Y);
            }
        }
    for (int t : {-3, -1, 0})
        for (int v = 0; v <= 768; ++v)
            ASSERT_EQ(a.Raw940(t, v), b.Raw940(t, v)) << t << ", " << v;
    const bool second = a.FileKind == KindZvx4;
    for (int t = 1; t <= a.TraceCount; ++t)
        for (int v = 0; v <= 768; ++v) {
            ASSERT_EQ(a.Raw940(t, v), b.Raw940(t, v)) << t << ", " << v;
            if (second) {
                ASSERT_EQ(a.Raw940A(t, v), b.Raw940A(t, v)) << t << ", " << v;
            }
        }
}

} // namespace

// The RDD layout written out by hand: header lines in their order, then the samples.
TEST(WriteRdd, WritesTheHeaderLinesAndTheSampleBlock) {
    Scratch dir;
    MeasurementRecord r;
    r.FileKind = KindText730;
    r.TraceCount = 2;
    ASSERT_TRUE(r.Raw730.allocate(-1, 2, 512));
    for (int t = -1; t <= 2; ++t)
        for (int v = 0; v <= 512; ++v)
            r.Raw730(t, v) = static_cast<int16_t>(t * 1000 + v - 300);
    r.Note = QStringLiteral("first\r\nx@\r\n\"quoted\"");
    r.MeasureDate = QStringLiteral("2024/05/06");
    r.MeasureTime = QStringLiteral("10:20:30");
    r.DataNo = 12;
    r.XScale = 1;
    r.XAdjust = -3;
    r.PermittivityPreset = 8;
    r.PeakFlag = 1;
    r.ProcessingLine = 2;
    r.Gain = 1; // shown values; the saved copy is what is written
    r.ColorCode = 9;
    r.Saved = {6.5f, 3, 1, 1, 4, 2, 5, QStringLiteral("mm"), QStringLiteral("inch")};
    r.Markers730 = {{5, 100}, {7, 200}};

    const QString path = dir.path(QStringLiteral("OUT.RDD"));
    const WriteResult res = WriteRdd(r, path);
    ASSERT_TRUE(res) << qPrintable(res.reason);
    EXPECT_EQ(r.FileKind, KindRdd);

    QByteArray expected = "\"VER\",\"730\"\r\n"
                          "\"NOTE\",\"first\r\nx@\r\n'quoted'\"\r\n"
                          "\"DATE\",\"2024/05/06\"\r\n"
                          "\"TIME\",\"10:20:30\"\r\n"
                          "\"DATA\",12\r\n"
                          "\"LC\",2\r\n"
                          "\"XSCA\",1\r\n"
                          "\"XADJ\",-3\r\n"
                          "\"GAIN\",4\r\n"
                          "\"AF\",1\r\n"
                          "\"DEPTH\",8\r\n"
                          "\"E\",6.5\r\n"
                          "\"COLOR\",3\r\n"
                          "\"DIR\",1\r\n"
                          "\"RANGE\",2\r\n"
                          "\"SEARCH\",\"USER\"\r\n"
                          "\"PROC\",5\r\n"
                          "\"PEAK\",1\r\n"
                          "\"REF\",2\r\n"
                          "\"XUNIT\",\"mm\"\r\n"
                          "\"YUNIT\",\"inch\"\r\n"
                          "\"MARKER\",1\r\n"
                          "5,99\r\n"
                          "7,199\r\n"
                          "\"MAINDATA\",\"\"\r\n";
    for (int t = -1; t <= 2; ++t)
        for (int v = 0; v <= 512; ++v) {
            const auto u = static_cast<uint16_t>(t * 1000 + v - 300);
            expected.append(static_cast<char>(u & 0xFF));
            expected.append(static_cast<char>(u >> 8));
        }
    EXPECT_EQ(test::readFile(path), expected);

    // The note comes back with its line breaks; "@@" of older files still reads as one.
    const Opened back = test::openFile(path);
    ASSERT_TRUE(back.ok()) << qPrintable(back.res.reason);
    EXPECT_EQ(back.r.Note, QStringLiteral("first\r\nx@\r\n'quoted'"));
    QByteArray old = test::readFile(path);
    old.replace("first\r\nx@\r\n'quoted'", "a@@b@@");
    EXPECT_EQ(test::openBytes(dir, QStringLiteral("OLD.RDD"), old).r.Note, "a\r\nb\r\n");
}

TEST(WriteRdd, DatesReadTheSameUnderEveryLocale) {
    Scratch dir;
    const QDate day(2024, 5, 6); // a day whose day and month can be swapped
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::English, QLocale::UnitedKingdom),
                               QLocale(QLocale::German, QLocale::Germany),
                               QLocale(QLocale::Japanese, QLocale::Japan)};
    for (const QLocale& saveIn : locales) {
        MeasurementRecord r = sceneRecord(KindRdd, 5);
        const QString path = dir.path(saveIn.name() + QStringLiteral(".RDD"));
        {
            DefaultLocale l(saveIn);
            r.MeasureDate = ShortDateText(day); // as the reader shows it on this computer
            ASSERT_TRUE(WriteRdd(r, path)) << qPrintable(saveIn.name());
        }
        for (const QLocale& readIn : locales) {
            SCOPED_TRACE(qPrintable(saveIn.name() + QStringLiteral(" -> ") + readIn.name()));
            DefaultLocale l(readIn);
            const Opened o = test::openFile(path);
            ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
            EXPECT_EQ(ParseDateText(o.r.MeasureDate), day);
            EXPECT_EQ(o.r.MeasureDate, ShortDateText(day));
        }
    }
    // An ISO date of another program reads too.
    QByteArray iso = test::readFile(dir.path(QStringLiteral("C.RDD")));
    iso.replace("2024/05/06", "2024-05-06");
    EXPECT_EQ(ParseDateText(test::openBytes(dir, QStringLiteral("ISO.RDD"), iso).r.MeasureDate),
              day);
}

TEST(WriteRdd, TextDataWithADateThatIsNoDateIsNotWritten) {
    Scratch dir;
    const QString txt = dir.path(QStringLiteral("ABC.001"));
    ASSERT_TRUE(scangen::writeText730(scene(), txt, false));
    const QByteArray good = test::readFile(txt);
    for (const char* date : {"Jun.05.2024", "2024/06/05 (Wed)"}) {
        SCOPED_TRACE(date);
        QByteArray bytes = good;
        bytes.replace("DATE : 2024/05/17", QByteArray("DATE : ") + date);
        Opened o = openForSaving(dir.write(QStringLiteral("ABC.001"), bytes));
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        ASSERT_EQ(o.r.MeasureDate, QString::fromLatin1(date));
        const QString target = dir.path(QStringLiteral("ABC.001.RDD"));
        const WriteResult res = WriteRdd(o.r, target);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.kind, FailureKind::BadDate);
        EXPECT_TRUE(FailureLine(res, QStringLiteral("EN")).contains(QLatin1String(date)));
        EXPECT_FALSE(QFile::exists(target));
        EXPECT_EQ(o.r.FileKind, KindText730);
    }
}

TEST(WriteZvx, RefusesValuesOutsideTheirFieldsAndNamesTheField) {
    Scratch dir;
    struct Case {
        const char* field;
        std::function<void(MeasurementRecord&)> change;
    };
    const Case cases[] = {
        {"XScale", [](MeasurementRecord& r) { r.XScale = 300; }},
        {"YDataSize", [](MeasurementRecord& r) { r.YDataSize = 40000; }},
        {"PrcsAsMS", [](MeasurementRecord& r) { r.PrcsAsMS = -1; }},
        {"XAdjust", [](MeasurementRecord& r) { r.XAdjust = -40000; }},
        {"ViewRange", [](MeasurementRecord& r) { r.Saved.ViewRange = -1; }},
        {"Gain", [](MeasurementRecord& r) { r.Saved.Gain = 0; }},
        {"Marks940",
         [](MeasurementRecord& r) {
             r.Marks940[1][1] = {FlagTrue, 3, 40000};
         }},
        {"trace 3", [](MeasurementRecord& r) { r.Raw940(3, 10) = 40000; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        MeasurementRecord r = sceneRecord(KindZvx3);
        r.FileKind = KindVxd; // the record part is written too
        c.change(r);
        const QString path = dir.path(QStringLiteral("B0001.ZVX"));
        const WriteResult res = WriteZvx(r, path);
        EXPECT_FALSE(res.ok);
        EXPECT_TRUE(res.reason.contains(QLatin1String(c.field))) << qPrintable(res.reason);
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(r.FileKind, KindVxd);
    }
}

TEST(WriteZvx, UnknownTyreOptionIsKeptAsNoTyre) {
    Scratch dir;
    for (int16_t tyre : {int16_t(-1), int16_t(3)}) {
        MeasurementRecord r = sceneRecord(KindZvx3);
        r.FileKind = KindVxd;
        r.TireOption = tyre;
        const QString path = dir.path(QStringLiteral("B%1.ZVX").arg(tyre + 1));
        ASSERT_TRUE(WriteZvx(r, path));
        EXPECT_EQ(test::readFile(path)[H::OffTireOption], 0);
        const Opened back = test::openFile(path);
        ASSERT_TRUE(back.ok()) << qPrintable(back.res.reason);
        EXPECT_EQ(back.r.TireOption, 0);
    }
}

TEST(WriteZvx, OverALongerFileGivesExactlyTheNewFile) {
    Scratch dir;
    const QString path = dir.path(QStringLiteral("LONG.ZVX"));
    MeasurementRecord longer = sceneRecord(KindZvx4, 300);
    ASSERT_TRUE(WriteZvx(longer, path));

    // A VXD record that kept fewer traces than its scanner stored.
    MeasurementRecord r = sceneRecord(KindZvx3, 200);
    r.FileKind = KindVxd;
    r.XDataSize = 250;
    ASSERT_TRUE(WriteZvx(r, path));
    EXPECT_EQ(QFileInfo(path).size(), ZvxLayout::OffMeasured + 200 * ZvxLayout::RecordBytes);
    const Opened back = test::openFile(path);
    ASSERT_TRUE(back.ok()) << qPrintable(back.res.reason);
    EXPECT_EQ(back.r.TraceCount, 200);
    EXPECT_EQ(back.r.XDataSize, 250);
}

TEST(WriteZvx, SpecialTracesHoldZeroBetweenTheirFirstAndLastSamples) {
    Scratch dir;
    MeasurementRecord r = sceneRecord(KindZvx4);
    // Bytes the header image keeps from a file where trace 0's record began.
    for (int off = 3074; off < H::Size; ++off)
        r.Zvx.Bytes[size_t(off)] = 0x55;
    const QString path = dir.path(QStringLiteral("S.ZVX"));
    ASSERT_TRUE(WriteZvx(r, path));
    const QByteArray bytes = test::readFile(path);
    for (qint64 rec : {ZvxLayout::OffTrace0, ZvxLayout::OffTraceMinus1, ZvxLayout::OffTraceMinus3})
        for (int w = 1; w <= 768; ++w)
            ASSERT_EQ(getLE<int16_t>(bytes, rec + 2 * w), 0) << rec << " word " << w;
    EXPECT_EQ(getLE<int16_t>(bytes, ZvxLayout::OffTrace0 + 2 * 769), r.Raw940(0, 1));
}

// A save that cannot be completed leaves the old file byte for byte and the record as it was.
TEST(RecordSave, AFullDiskKeepsTheOldFile) {
    SeamOff off;
    Scratch dir;
    for (int32_t kind : {KindRdd, KindZvx4}) {
        SCOPED_TRACE(kind);
        const QString path =
            dir.path(kind == KindRdd ? QStringLiteral("A.RDD") : QStringLiteral("A.ZVX"));
        MeasurementRecord small = sceneRecord(kind, 20);
        ASSERT_TRUE(kind == KindRdd ? WriteRdd(small, path) : WriteZvx(small, path));
        const QByteArray old = test::readFile(path);
        MeasurementRecord big = sceneRecord(kind, 90);
        big.Saved.Permittivity = 9.5f;
        SetFileSaveFailureAfter(old.size() + 1000);
        const WriteResult res = kind == KindRdd ? WriteRdd(big, path) : WriteZvx(big, path);
        SetFileSaveFailureAfter(-1);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.kind, FailureKind::System);
        EXPECT_EQ(FailureLine(res, QStringLiteral("JP")), qt_error_string(ENOSPC));
        EXPECT_EQ(test::readFile(path), old);
        EXPECT_EQ(QDir(dir.dir()).entryList(QDir::Files | QDir::Hidden).size(),
                  kind == KindRdd ? 1 : 2);
    }
}

TEST(RecordSave, AFullTmpfsKeepsTheOldFile) {
    test::SmallFileSystem fs(400 * 1024);
    if (!fs.mounted())
        GTEST_SKIP() << "no right to mount a tmpfs here; the seam test covers a full disk";
    for (int32_t kind : {KindRdd, KindZvx4}) {
        SCOPED_TRACE(kind);
        const QString path =
            fs.path(kind == KindRdd ? QStringLiteral("A.RDD") : QStringLiteral("A.ZVX"));
        MeasurementRecord first = sceneRecord(kind, kind == KindRdd ? 150 : 60);
        ASSERT_TRUE(kind == KindRdd ? WriteRdd(first, path) : WriteZvx(first, path));
        const QByteArray old = test::readFile(path);
        MeasurementRecord big = sceneRecord(kind, kind == KindRdd ? 250 : 100);
        const WriteResult res = kind == KindRdd ? WriteRdd(big, path) : WriteZvx(big, path);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.subject, qt_error_string(ENOSPC));
        EXPECT_EQ(test::readFile(path), old);
        QFile::remove(path);
    }
}

// Every shipped sample and a scene file of every format: read, save, read gives the same
// record; an RDD or ZVX saved unchanged is the same file.
TEST(RecordSave, ReadSaveReadKeepsEveryField) {
    Scratch dir;
    QStringList files;
    const QDir samples(test::binDir() + QStringLiteral("/Samples"));
    for (const QString& f : samples.entryList(QDir::Files, QDir::Name))
        files << samples.filePath(f);
    const std::pair<scangen::Format, const char*> formats[] = {
        {scangen::Format::Rdd, "SCENE.RDD"},    {scangen::Format::Txt, "SCENE.001"},
        {scangen::Format::TxtHex, "T0001.002"}, {scangen::Format::Zvx, "SCENE.ZVX"},
        {scangen::Format::Zvx3, "SCENE3.ZVX"},  {scangen::Format::VxdB, "B0001.VXD"},
        {scangen::Format::VxdT, "T0001.VXD"}};
    for (const auto& [format, name] : formats) {
        const QString path = dir.path(QString::fromLatin1(name));
        ASSERT_TRUE(scangen::writeScene(scene(), format, path)) << name;
        files << path;
    }
    ASSERT_GE(files.size(), 15);
    for (const QString& file : files) {
        SCOPED_TRACE(qPrintable(file));
        Opened o = openForSaving(file);
        ASSERT_TRUE(o.ok()) << qPrintable(o.res.reason);
        const int32_t kindRead = o.r.FileKind;
        const QString saved =
            dir.path(QStringLiteral("saved") +
                     (o.r.is940() ? QStringLiteral(".ZVX") : QStringLiteral(".RDD")));
        const WriteResult res = o.r.is940() ? WriteZvx(o.r, saved) : WriteRdd(o.r, saved);
        ASSERT_TRUE(res) << qPrintable(res.reason);
        const Opened back = test::openFile(saved);
        ASSERT_TRUE(back.ok()) << qPrintable(back.res.reason);
        expectSameRecord(o.r, back.r);
        // A file of the kind saved is written back as it was (an imported DZT file is not).
        if ((kindRead == KindRdd && !IsDztPath(file)) || kindRead == KindZvx3 ||
            kindRead == KindZvx4) {
            EXPECT_EQ(test::readFile(saved), test::readFile(file));
        }
    }
}
