// The data workbooks read back by a spreadsheet reader (openpyxl): the picture's anchor and size,
// the marker table with numbers in the list's formats, the statistics, the blocks of a common
// workbook, and the library's failure text.

#include "export/DataWorkbook.h"
#include "export/JpegExport.h"
#include "view/CoverCompliance.h"

#include "view/DocumentFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace rebar;
using namespace rebar::test;

namespace {

// Every filled cell as {"B38": [value, number format]}, the pictures as [row, column, width,
// height] (0-based anchor cell, pixels) and the sheet count.
const char* Reader = R"py(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = {}
for row in ws.iter_rows():
    for c in row:
        if c.value is not None:
            cells[c.coordinate] = [c.value, c.number_format]
# The pictures from the sheet's drawing part itself (anchor cell and extent in EMU).
import re, zipfile
pics = []
with zipfile.ZipFile(sys.argv[1]) as z:
    for name in sorted(n for n in z.namelist() if n.startswith("xl/drawings/drawing")):
        xml = z.read(name).decode()
        for a in re.findall(r"<xdr:(?:two|one)CellAnchor.*?</xdr:(?:two|one)CellAnchor>", xml, re.S):
            col = int(re.search(r"<xdr:from><xdr:col>(\d+)", a).group(1))
            row = int(re.search(r"<xdr:from>.*?<xdr:row>(\d+)", a, re.S).group(1))
            ext = re.search(r'<a:ext cx="(\d+)" cy="(\d+)"', a)
            pics.append([row, col, round(int(ext.group(1)) / 9525), round(int(ext.group(2)) / 9525)])
print(json.dumps({"sheets": len(wb.worksheets), "cells": cells, "pictures": pics}))
)py";

class WorkbookRead : public DocumentTest {
protected:
    void SetUp() override {
        // The system's interpreter first: the package is installed for it.
        for (const QString& candidate :
             {QStringLiteral("/usr/bin/python3"),
              QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
            QProcess probe;
            probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
            if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0) {
                python = candidate;
                break;
            }
        }
        if (python.isEmpty())
            GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    QJsonObject read(const QString& xlsx) {
        QProcess p;
        p.start(python, {QStringLiteral("-c"), QString::fromLatin1(Reader), xlsx});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }
    // A 730 document with markers 1 and 3 at traces 400 and 200, depths in cm.
    std::unique_ptr<MeasurementDocument> doc730(const QString& name = QStringLiteral("A.RDD")) {
        auto doc = open(write(name, scangen::Format::Rdd, scene(700)));
        MeasurementRecord& r = doc->record();
        r.XUnit = QStringLiteral("m");
        r.XAdjust = 0;
        r.XScale = 0;
        r.Permittivity = 0;
        r.Markers730 = {{399, 1280}, {0, 0}, {199, 2560}};
        EXPECT_TRUE(doc->RebuildMarkerList());
        return doc;
    }
    static QJsonArray cell(const QJsonObject& book, const char* name) {
        return book[QStringLiteral("cells")].toObject()[QString::fromLatin1(name)].toArray();
    }
    const auto& C() const { return japanese().Captions; }
    QString python;
};

} // namespace

TEST_F(WorkbookRead, ViewWorkbookHoldsThePictureTheTableAndTheStatistics) {
    auto doc = doc730();
    CompositionParams p;
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    const QString base = scratch.path(QStringLiteral("view"));
    QString error;
    ASSERT_EQ(WriteDataWorkbook730(*doc, pics, base, p.StartTrace, p.EndTrace, 1, &error), 0)
        << error.toStdString();
    const QJsonObject book = read(base + QStringLiteral(".xlsx"));
    ASSERT_EQ(book[QStringLiteral("sheets")].toInt(), 1);
    // The picture at B3, at its own size.
    const QJsonArray pics0 = book[QStringLiteral("pictures")].toArray().at(0).toArray();
    ASSERT_EQ(pics0.size(), 4);
    EXPECT_EQ(pics0[0].toInt(), 2);
    EXPECT_EQ(pics0[1].toInt(), 1);
    EXPECT_EQ(pics0[2].toInt(), pics.width());
    EXPECT_EQ(pics0[3].toInt(), pics.height());

    // The table from row 38 (730 at full size): captions in B, one marker per column.
    EXPECT_EQ(cell(book, "B38")[0].toString(), C()[96]);
    EXPECT_EQ(cell(book, "C38")[0].toDouble(), 1);
    EXPECT_EQ(cell(book, "D38")[0].toDouble(), 3);
    EXPECT_EQ(cell(book, "B39")[0].toString(), C()[97] + " (m)");
    EXPECT_DOUBLE_EQ(cell(book, "C39")[0].toDouble(), 1.0);
    EXPECT_EQ(cell(book, "C39")[1].toString(), "0.0000");
    EXPECT_DOUBLE_EQ(cell(book, "D39")[0].toDouble(), 0.5);
    EXPECT_EQ(cell(book, "B40")[0].toString(), C()[100] + " (ns)");
    EXPECT_DOUBLE_EQ(cell(book, "D40")[0].toDouble(), 20.0);
    EXPECT_EQ(cell(book, "D40")[1].toString(), "0.00");
    EXPECT_DOUBLE_EQ(cell(book, "C41")[0].toDouble(), 0.0); // the first pitch
    EXPECT_EQ(cell(book, "C41")[1].toString(), "0.0000");
    // The statistics.
    EXPECT_EQ(cell(book, "B43")[0].toString(), C()[109]);
    EXPECT_EQ(cell(book, "C43")[0].toDouble(), 2);
    EXPECT_EQ(cell(book, "C44")[0].toString(), C()[100]);
    EXPECT_EQ(cell(book, "D44")[0].toString(), C()[105]);
    EXPECT_EQ(cell(book, "B45")[0].toString(), C()[106]);
    EXPECT_DOUBLE_EQ(cell(book, "C45")[0].toDouble(), 15.0);
    EXPECT_EQ(cell(book, "C45")[1].toString(), "0.00\"ns\"");
    EXPECT_DOUBLE_EQ(cell(book, "D45")[0].toDouble(), 0.5);
    EXPECT_EQ(cell(book, "D45")[1].toString(), "0.0000\"m\"");
    EXPECT_DOUBLE_EQ(cell(book, "C46")[0].toDouble(), 10.0);
    EXPECT_DOUBLE_EQ(cell(book, "C47")[0].toDouble(), 20.0);
}

TEST_F(WorkbookRead, WithoutMarkersTheStatisticsCountNone) {
    auto doc = doc730();
    doc->record().Markers730.clear();
    ASSERT_TRUE(doc->RebuildMarkerList());
    CompositionParams p;
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    const QString base = scratch.path(QStringLiteral("none"));
    ASSERT_EQ(WriteDataWorkbook730(*doc, pics, base, p.StartTrace, p.EndTrace, 1), 0);
    const QJsonObject book = read(base + QStringLiteral(".xlsx"));
    EXPECT_EQ(cell(book, "B38")[0].toString(), C()[96]);
    EXPECT_TRUE(cell(book, "C38").isEmpty());
    EXPECT_EQ(cell(book, "C43")[0].toDouble(), 0);
}

TEST_F(WorkbookRead, CommonWorkbookStacksBlocksAndNeverReplacesAFile) {
    CommonWorkbook common;
    QStringList names;
    for (const char* n : {"A.RDD", "B.RDD", "C.RDD"}) {
        auto doc = doc730(QString::fromLatin1(n));
        CompositionParams p;
        QImage pics;
        ASSERT_TRUE(MakeJPG(*doc, p, pics));
        std::optional<WorkbookBlock> block =
            PrepareWorkbookBlock(*doc, pics, p.StartTrace, p.EndTrace, 1);
        ASSERT_TRUE(block);
        ASSERT_TRUE(common.append(*block));
    }
    EXPECT_EQ(common.nextRow(), 3 * 48);
    const QString folder = scratch.path(QStringLiteral("common"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QDateTime now(QDate(2024, 5, 6), QTime(7, 8, 9));
    // A file of that name is there already: the workbook takes a suffix.
    QFile taken(folder + QStringLiteral("/20240506070809.xlsx"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("keep");
    taken.close();
    QString saved, error;
    ASSERT_TRUE(common.finish(folder, now, &saved, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(saved).fileName(), QStringLiteral("20240506070809_2.xlsx"));
    QFile kept(taken.fileName());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep"));

    const QJsonObject book = read(saved);
    // Pictures at rows 3, 51 and 99; file names at 37, 85, 133; tables from 38, 86, 134.
    const QJsonArray pictures = book[QStringLiteral("pictures")].toArray();
    ASSERT_EQ(pictures.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pictures[i].toArray()[0].toInt(), 2 + 48 * i);
        EXPECT_EQ(pictures[i].toArray()[1].toInt(), 1);
    }
    EXPECT_EQ(cell(book, "B37")[0].toString(), "A.RDD");
    EXPECT_EQ(cell(book, "B85")[0].toString(), "B.RDD");
    EXPECT_EQ(cell(book, "B133")[0].toString(), "C.RDD");
    EXPECT_EQ(cell(book, "B134")[0].toString(), C()[96]);
    EXPECT_EQ(common.blocks(), 0); // a new conversion starts a new workbook
}

TEST(WorkbookError, NamesTheFailureItsNumberAndTheLibrary) {
    const QStringList lines = WorkbookErrorText(QStringLiteral("disk full"), 7).split("\r\n");
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], "disk full");
    EXPECT_TRUE(lines[2].endsWith(" : 7"));
    EXPECT_TRUE(lines[3].startsWith(QString::fromUtf8("ExcelVer：")));
    EXPECT_GT(lines[3].size(), 9); // the library's version follows
}

// The view's own workbook carries the compliance of its markers under the statistics: the
// settings, the figures and verdict of the set, and each marker's cover and verdict.
TEST_F(WorkbookRead, ViewWorkbookCarriesTheComplianceTableUnderTheStatistics) {
    const scangen::Scene sc = barsAtCovers({{300, 30}, {550, 12}, {800, 45}});
    const QString file = write(QStringLiteral("W.RDD"), scangen::Format::Rdd, sc);
    ASSERT_TRUE(WriteComplianceSidecar(file, ComplianceSettings{30, 5, 10, 20}, nullptr));
    auto doc = open(file);
    CompositionParams p;
    QImage pics;
    ASSERT_TRUE(MakeJPG(*doc, p, pics));
    const QString base = scratch.path(QStringLiteral("cover"));
    QString error;
    ASSERT_EQ(WriteDataWorkbook730(*doc, pics, base, p.StartTrace, p.EndTrace, 1, &error), 0)
        << error.toStdString();
    const QJsonObject book = read(base + QStringLiteral(".xlsx"));
    const std::vector<MarkerCover> covers = MarkerCoversOf(doc->record(), buildTables());
    ASSERT_EQ(covers.size(), 3u);
    // The marker table keeps its place (row 38) and the compliance table follows at row 49.
    EXPECT_EQ(cell(book, "B38")[0].toString(), C()[96]);
    EXPECT_EQ(cell(book, "B49")[0].toString(), C()[290]);
    EXPECT_EQ(cell(book, "C49")[0].toString(), QString::fromUtf8("不合格"));
    EXPECT_EQ(cell(book, "B50")[0].toString(), C()[283]);
    EXPECT_DOUBLE_EQ(cell(book, "C50")[0].toDouble(), 30);
    EXPECT_EQ(cell(book, "C50")[1].toString(), "0.0");
    EXPECT_DOUBLE_EQ(cell(book, "C53")[0].toDouble(), 20); // the minimum cover
    EXPECT_EQ(cell(book, "C54")[0].toDouble(), 3);         // count
    const double mean = (covers[0].coverMm + covers[1].coverMm + covers[2].coverMm) / 3;
    EXPECT_NEAR(cell(book, "C55")[0].toDouble(), mean, 1e-9);
    EXPECT_NEAR(cell(book, "C57")[0].toDouble(), covers[1].coverMm, 1e-9); // the minimum
    EXPECT_TRUE(cell(book, "C59").isEmpty()); // no empirical quantile below 20 bars
    EXPECT_EQ(cell(book, "C60")[0].toDouble(), 1);
    EXPECT_NEAR(cell(book, "D60")[0].toDouble(), 1.0 / 3, 1e-9);
    EXPECT_EQ(cell(book, "E62")[0].toString(), C()[289]);
    for (int i = 0; i < 3; ++i) {
        const QByteArray row = QByteArray::number(63 + i);
        EXPECT_EQ(cell(book, ("B" + row).constData())[0].toDouble(), i + 1);
        EXPECT_NEAR(cell(book, ("D" + row).constData())[0].toDouble(),
                    covers[static_cast<size_t>(i)].coverMm, 1e-9);
    }
    EXPECT_EQ(cell(book, "E64")[0].toString(), QString::fromUtf8("不足"));

    // The common workbook's blocks stay as they were: no compliance table between them.
    CommonWorkbook common;
    ASSERT_EQ(AppendDataWorkbook730(common, *doc, pics, base, p.StartTrace, p.EndTrace, 1, true,
                                    false, &error),
              0);
    QString saved;
    ASSERT_TRUE(common.finish(scratch.path(QString()), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)),
                              &saved, &error));
    EXPECT_TRUE(cell(read(saved), "B49").isEmpty());
}
