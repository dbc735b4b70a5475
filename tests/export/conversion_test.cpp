// The conversions of many files: the folder's file list, a broken file among good ones, the
// order of the results, the common workbook that keeps what succeeded, the batch conversion of
// the open views (visited, first failure, the last open view), and the headless converter.

#include "export/Conversion.h"

#include "export/DataWorkbook.h"
#include "export/JpegExport.h"
#include "export/ViewExports.h"
#include "platform/ScriptedPlatform.h"
#include "scangen/DztWriter.h"
#include "view/CoverCompliance.h"
#include "view/DocumentFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace rebar;
using namespace rebar::test;

namespace {

class Conversion : public DocumentTest {
protected:
    void SetUp() override {
        in = scratch.path(QStringLiteral("in"));
        out = scratch.path(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkpath(in));
        ASSERT_TRUE(QDir().mkpath(out));
    }
    QString file(const QString& name, scangen::Format f, int traces = 500) {
        return write(QStringLiteral("in/") + name, f, scene(traces));
    }
    QString broken(const QString& name) {
        const QString p = in + QLatin1Char('/') + name;
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(700, 'x'));
        return p;
    }
    ConversionOptions options(int16_t form, bool one = false) {
        ConversionOptions o = ConversionOptionsFrom(settings, out, one, QDate(2024, 1, 2));
        o.PrintingForm = form;
        return o;
    }
    QStringList outputs() const { return QDir(out).entryList(QDir::Files, QDir::Name); }
    QString in, out;
};

int convert(const QStringList& args, QByteArray* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(binDir() + QStringLiteral("/rebarscope-convert"), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = p.readAll();
    return p.exitCode();
}

} // namespace

TEST(ConversionFiles, ListsEveryMeasurementFormatInAnyCase) {
    for (const char* yes : {"A.RDD", "b.rdd", "C.VXD", "D.ZVX", "E.dzt", "T0001.TX0", "x.ab9"})
        EXPECT_TRUE(IsConversionFile(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"A.jpg", "B.csv", "RDD", ".RDD", "C.TXT", "D.xlsx", "E.ABX"})
        EXPECT_FALSE(IsConversionFile(QString::fromLatin1(no))) << no;
}

TEST_F(Conversion, BrokenFileIsReportedAndTheOthersAreWrittenInOrder) {
    const QStringList paths = {file("A.RDD", scangen::Format::Rdd), broken("B.RDD"),
                               file("C.ZVX", scangen::Format::Zvx),
                               file("D.RDD", scangen::Format::Rdd)};
    EXPECT_EQ(ConversionFiles(in), QStringList({"A.RDD", "B.RDD", "C.ZVX", "D.RDD"}));
    std::vector<int> seen;
    const ConversionSummary s =
        ConvertFilesInParallel(paths, context(), options(FormJpegCsv), 2, DztImportOptions{},
                               [&](int i, const FileConversion&) { seen.push_back(i); });
    ASSERT_EQ(s.files.size(), 4u);
    EXPECT_EQ(seen.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(s.files[i].path, paths[static_cast<int>(i)]);
    EXPECT_FALSE(s.files[1].opened);
    EXPECT_FALSE(s.files[1].reason.isEmpty());
    EXPECT_TRUE(s.anyOpenFailed);
    EXPECT_FALSE(s.anyExportFailed);
    EXPECT_EQ(s.exported(), 3);
    // The scenes carry markers: a CSV beside every JPEG.
    EXPECT_EQ(outputs(), QStringList({"A_RDD.csv", "A_RDD.jpg", "C_ZVX.csv", "C_ZVX.jpg",
                                      "D_RDD.csv", "D_RDD.jpg"}));
    // The files in order give the same outputs.
    const ConversionSummary o = ConvertFilesInOrder(paths, context(), options(FormJpeg));
    EXPECT_EQ(o.exported(), 3);
    EXPECT_TRUE(o.anyOpenFailed);
}

TEST_F(Conversion, CommonWorkbookKeepsWhatSucceededWhenTheLastFileFails) {
    const QStringList paths = {file("A.RDD", scangen::Format::Rdd), broken("B.RDD"),
                               file("C.RDD", scangen::Format::Rdd), broken("Z.RDD")};
    for (bool parallel : {false, true}) {
        const ConversionSummary s =
            parallel ? ConvertFilesInParallel(paths, context(), options(FormWorkbook, true), 2, {})
                     : ConvertFilesInOrder(paths, context(), options(FormWorkbook, true));
        EXPECT_EQ(s.exported(), 2);
        ASSERT_FALSE(s.commonWorkbook.isEmpty()) << s.commonWorkbookError.toStdString();
        EXPECT_TRUE(QFile::exists(s.commonWorkbook));
        // A date-time stamp of digits, and a second run in the same second takes another name.
        const QString base = QFileInfo(s.commonWorkbook).completeBaseName();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}(_\\d+)?$")).match(base).hasMatch())
            << base.toStdString();
    }
    const QStringList books = outputs().filter(QStringLiteral(".xlsx"));
    EXPECT_EQ(books.size(), 2) << books.join(' ').toStdString();
}

TEST_F(Conversion, TimeBasedDztNeedsAPitch) {
    scangen::DztOutput o;
    o.byTime = true;
    const QString dzt = in + QStringLiteral("/LINE.DZT");
    QString error;
    ASSERT_TRUE(scangen::writeDzt(scene(300), o, dzt, &error)) << error.toStdString();
    DztImportOptions dztOptions;
    dztOptions.channel = 1;
    ConversionSummary s =
        ConvertFilesInParallel({dzt}, context(), options(FormJpeg), 1, dztOptions);
    ASSERT_EQ(s.files.size(), 1u);
    EXPECT_FALSE(s.files[0].ok);
    EXPECT_FALSE(s.files[0].reason.isEmpty());
    dztOptions.pitchMm = 2.5;
    s = ConvertFilesInParallel({dzt}, context(), options(FormJpeg), 1, dztOptions);
    EXPECT_TRUE(s.files[0].ok) << s.files[0].reason.toStdString();
    EXPECT_EQ(outputs(), QStringList{"LINE_DZT.jpg"}); // named after the file listed
}

TEST_F(Conversion, OpenViewsStopAtTheFirstFailureAndTheLastOpenViewFinishesTheWorkbook) {
    auto a = open(file("A.RDD", scangen::Format::Rdd));
    auto b = open(file("B.ZVX", scangen::Format::Zvx));
    auto c = open(file("C.RDD", scangen::Format::Rdd));
    // Slots 1, 3 and 4 hold views; the last slot (5) is empty.
    std::vector<MeasurementDocument*> views = {nullptr, a.get(), nullptr,
                                               b.get(), c.get(), nullptr};
    std::vector<int> bar, visited;
    BatchConversion r = ConvertOpenViews(
        views, options(FormWorkbook, true), [&](int p) { bar.push_back(p); },
        [&](int slot, const FileConversion&) { visited.push_back(slot); });
    EXPECT_TRUE(r.AllOk);
    EXPECT_EQ(r.exported, 3);
    EXPECT_EQ(visited, std::vector<int>({1, 3, 4}));
    EXPECT_EQ(bar, std::vector<int>({20, 40, 60, 80, 100, 100}));
    EXPECT_FALSE(r.commonWorkbook.isEmpty()) << r.commonWorkbookError.toStdString();

    // A view whose picture cannot be composed stops the run; the views before it are written.
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    b->record().ViewRange = 9;
    visited.clear();
    r = ConvertOpenViews(views, options(FormJpeg), {},
                         [&](int slot, const FileConversion&) { visited.push_back(slot); });
    EXPECT_FALSE(r.AllOk);
    EXPECT_EQ(r.failedSlot, 3);
    EXPECT_EQ(visited, std::vector<int>({1, 3}));
    EXPECT_EQ(outputs(), QStringList{"A_RDD.jpg"});
}

// The menu's batch conversion: under the progress dialog, and told as a whole afterwards.
TEST_F(Conversion, OpenViewsRunUnderTheProgressDialogAndTheOutcomeIsTold) {
    ScriptedPlatform ui;
    auto a = open(file("A.RDD", scangen::Format::Rdd));
    auto b = open(file("B.ZVX", scangen::Format::Zvx));
    const std::vector<MeasurementDocument*> views = {nullptr, a.get(), b.get()};
    BatchConversion r = ConvertViewsWithProgress(views, options(FormJpeg), "EN", ui);
    EXPECT_TRUE(r.AllOk);
    EXPECT_EQ(ui.m_progress.caption, BatchConversionTexts("EN").caption);
    EXPECT_EQ(ui.m_progress.message, BatchConversionTexts("EN").message);
    EXPECT_EQ(ui.m_progress.history, QList<int>({0, 50, 100, 100}));
    EXPECT_FALSE(ui.m_progress.shown);
    ReportViewsConversion(r, QStringLiteral("A.RDD"), japanese(), ui);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, japanese().Messages[3]);
    EXPECT_EQ(ui.messages[0].title, "A.RDD");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);

    // A view that cannot be composed: the warning names what went wrong.
    b->record().ViewRange = 9;
    r = ConvertViewsWithProgress(views, options(FormJpeg), "JP", ui);
    EXPECT_FALSE(r.AllOk);
    EXPECT_EQ(ui.m_progress.caption, BatchConversionTexts("JP").caption);
    ReportViewsConversion(r, QStringLiteral("A.RDD"), japanese(), ui);
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_TRUE(ui.messages[1].text.startsWith(japanese().Messages[2]));
    EXPECT_EQ(ui.messages[1].icon, MsgIcon::Warning);
}

TEST_F(Conversion, ConverterWritesAFolderAndReportsTheBrokenFile) {
    file("A.RDD", scangen::Format::Rdd, 2000);
    file("B.ZVX", scangen::Format::Zvx, 3000);
    broken("C.RDD");
    QByteArray log;
    EXPECT_EQ(convert({in, "--to", out, "--form", "jpeg+csv", "--threads", "2"}, &log), 1);
    EXPECT_TRUE(log.contains("failed ")) << log.toStdString();
    EXPECT_TRUE(log.contains("C.RDD")) << log.toStdString();
    EXPECT_TRUE(log.contains("2 of 3 files converted")) << log.toStdString();
    EXPECT_EQ(outputs(), QStringList({"A_RDD.csv", "A_RDD.jpg", "B_ZVX.csv", "B_ZVX.jpg"}));

    // Everything written: status 0. Bad arguments: 2.
    QFile::remove(in + QStringLiteral("/C.RDD"));
    EXPECT_EQ(convert({in, "--to", out, "--form", "jpeg"}), 0);
    EXPECT_EQ(convert({in, "--to", out, "--form", "png"}), 2);
    EXPECT_EQ(convert({in, "--to", out, "--form", "jpeg", "--one-workbook"}), 2);
    EXPECT_EQ(convert({in}), 2);
}

// --compliance adds one CSV per file with the covers the file's view lists; the marker CSV
// keeps its bytes.
TEST_F(Conversion, ConverterWritesACoverComplianceCsvPerFile) {
    const scangen::Scene sc = barsAtCovers({{300, 30}, {550, 12}, {800, 45}});
    const QString a = write(QStringLiteral("in/A.RDD"), scangen::Format::Rdd, sc);
    const QString b = write(QStringLiteral("in/B.ZVX"), scangen::Format::Zvx, sc);
    ASSERT_TRUE(WriteComplianceSidecar(b, ComplianceSettings{40, 5, 5, 35}, nullptr));
    ASSERT_EQ(convert({in, "--to", out, "--form", "jpeg+csv"}), 0);
    QFile plainCsv(out + QStringLiteral("/A_RDD.csv"));
    ASSERT_TRUE(plainCsv.open(QIODevice::ReadOnly));
    const QByteArray markerCsv = plainCsv.readAll();
    plainCsv.close();

    QByteArray log;
    ASSERT_EQ(convert({in, "--to", out, "--form", "jpeg+csv", "--compliance"}, &log), 0)
        << log.toStdString();
    EXPECT_EQ(outputs(), QStringList({"A_RDD.csv", "A_RDD.jpg", "A_RDD_cover.csv", "B_ZVX.csv",
                                      "B_ZVX.jpg", "B_ZVX_cover.csv"}));
    ASSERT_TRUE(plainCsv.open(QIODevice::ReadOnly));
    EXPECT_EQ(plainCsv.readAll(), markerCsv);
    for (const QString& path : {a, b}) {
        auto doc = open(path);
        const std::vector<MarkerCover> covers = MarkerCoversOf(doc->record(), buildTables());
        ASSERT_EQ(covers.size(), 3u);
        QFile f(out + QLatin1Char('/') + DefaultExportName(QFileInfo(path).fileName()) +
                QStringLiteral("_cover.csv"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray csv = f.readAll();
        EXPECT_EQ(csv, ComplianceCsv(covers, doc->compliance(), QStringLiteral("m")));
        EXPECT_EQ(csv.count("\r\n"), 5); // header, three markers, summary
        EXPECT_TRUE(csv.contains(path == b ? "design=40.0-5.0+5.0/min35.0" : "/min20.0"));
    }
}
