// The report sheet and its two files: cells and pictures where the designer placed the slots,
// the workbook's merged ranges, borders and picture anchors (read from the unzipped package and,
// where the Python reader is installed, read back cell by cell), and the PDF page for page.

#include "report/ReportModel.h"
#include "report/ReportSheet.h"
#include "report/ReportWriters.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::Scratch;

namespace {

QImage picture(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

ReportDelivery delivery(int markers, bool f940) {
    ReportDelivery d;
    d.image = picture(900, 240, Qt::blue);
    d.family = f940 ? 940 : 730;
    for (int g = 0; g < 3; ++g) {
        ReportMarkerGrid& grid = d.grids[static_cast<size_t>(g)];
        grid.groupHeading = f940;
        grid.heading = QStringLiteral("Gr%1").arg(g);
        grid.captions = {"ID", "D(mm)", "C(mm)", "P(mm)"};
        const int n = g == 0 || f940 ? markers : 0;
        for (int k = 0; k < n; ++k)
            grid.markers.push_back({QStringLiteral("%1").arg(g * 100 + k + 1, 3, 10, QChar('0')),
                                    QString::number(100 * k), "55", "200"});
    }
    d.title = f940 ? "B0001.ZVX" : "A0001.RDD";
    return d;
}

// Three photos (one landscape 4:3, two portrait), two data entries of both families.
ReportModel sampleReport() {
    ReportLayout l;
    l.Sheet = "A4W";
    l.PhotoNum = 3;
    l.DataNum = 2;
    ReportModel m;
    m.Load(l, false);
    m.SetPhotoLandscape(0, true);
    m.LoadPhoto(0, picture(640, 480, Qt::red));
    m.LoadPhoto(1, picture(480, 640, Qt::green));
    m.texts().header[1] = "Name: bridge 7";
    m.texts().photoTitle[0] = "north face";
    m.Deliver(0, delivery(16, false));
    m.Deliver(1, delivery(3, true));
    m.TakeOverDeliveries();
    return m;
}

const SheetCell* cellAt(const ReportSheet& s, int col, int row) {
    for (const SheetCell& c : s.cells)
        if (c.col == col && c.row == row)
            return &c;
    return nullptr;
}

QString run(const QString& program, const QStringList& args, bool* ok = nullptr) {
    QProcess p;
    p.start(program, args);
    const bool done =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// "B12" for column 2, row 12.
QString cellName(int col, int row) {
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters + QString::number(row);
}

} // namespace

TEST(ReportSheet, BlocksStandWhereTheDesignerPlacedThem) {
    const ReportModel m = sampleReport();
    const ReportSheet s = BuildReportSheet(m);

    // Header items in pairs from row 2.
    const SheetCell* name = cellAt(s, 17, 2);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->text, "Name: bridge 7");
    EXPECT_EQ(name->colSpan, 15);

    // A 4:3 photo in a landscape frame is 160 x 120 points, in a portrait frame 120 x 90.
    ASSERT_GE(s.pictures.size(), 5u);
    const SheetPicture& p0 = s.pictures[0];
    EXPECT_EQ(p0.col, m.photo(0).Col);
    EXPECT_EQ(p0.row, m.photo(0).Row + 1);
    EXPECT_EQ(p0.widthPt, 160);
    EXPECT_EQ(p0.heightPt, 120);
    const SheetPicture& p1 = s.pictures[1];
    EXPECT_EQ(p1.widthPt, 120);
    EXPECT_EQ(p1.heightPt, 160);
    // A slot without a picture still gets its (blank) picture and framed cells.
    const SheetPicture& p2 = s.pictures[2];
    EXPECT_FALSE(p2.image.isNull());
    EXPECT_EQ(p2.image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_TRUE(cellAt(s, m.photo(2).Col, m.photo(2).Row));

    // Data 0 (730, 16 markers): number, title at +6, picture, two bands of the table.
    const DataSlot& d0 = m.data(0);
    EXPECT_TRUE(cellAt(s, 2, d0.Row));
    ASSERT_TRUE(cellAt(s, 8, d0.Row));
    EXPECT_EQ(cellAt(s, 8, d0.Row)->text, "A0001.RDD");
    // 900 x 240 pixels: the height limit of 8 rows (106.64 points) decides.
    EXPECT_EQ(s.pictures[3].widthPt, 400);
    EXPECT_EQ(s.pictures[3].heightPt, 107);
    const int table = d0.Row + d0.MarkerRow;
    ASSERT_TRUE(cellAt(s, 2, table));
    EXPECT_EQ(cellAt(s, 2, table)->text, "ID");
    EXPECT_EQ(cellAt(s, 6, table)->text, "001");
    EXPECT_EQ(cellAt(s, 6 + 13 * 3, table + 1)->text, "1300");
    EXPECT_EQ(cellAt(s, 6, table + 4)->text, "015"); // the 15th marker starts the second band
    EXPECT_TRUE(cellAt(s, 2, d0.Row + d0.RemarksRow));

    // Data 1 (940): each band headed by its group, the band two columns to the right.
    const DataSlot& d1 = m.data(1);
    const int t1 = d1.Row + d1.MarkerRow;
    ASSERT_TRUE(cellAt(s, 2, t1));
    EXPECT_EQ(cellAt(s, 2, t1)->text, "Gr0");
    EXPECT_EQ(cellAt(s, 2, t1)->rowSpan, 4);
    EXPECT_EQ(cellAt(s, 4, t1)->text, "ID");
    EXPECT_EQ(cellAt(s, 8, t1)->text, "001");
    EXPECT_EQ(cellAt(s, 2, t1 + 4)->text, "Gr1");

    // Without the number cell the title keeps its column.
    ReportLayout l;
    l.DNo = 0;
    l.PhotoNum = 0;
    l.DataNum = 1;
    ReportModel plain;
    plain.Load(l, true);
    const ReportSheet s2 = BuildReportSheet(plain);
    EXPECT_FALSE(cellAt(s2, 2, plain.data(0).Row));
    EXPECT_TRUE(cellAt(s2, 8, plain.data(0).Row));
}

TEST(ReportWorkbook, MergedFramedCellsAndPicturesInTheirCells) {
    Scratch dir;
    const ReportModel m = sampleReport();
    const ReportSheet s = BuildReportSheet(m);
    const QString path = dir.path("report.xlsx");
    const ReportWriteResult r = SaveReport(s, path);
    ASSERT_TRUE(r.ok) << r.reason.toStdString();

    bool ok = false;
    const QString sheetXml = run("unzip", {"-p", path, "xl/worksheets/sheet1.xml"}, &ok);
    ASSERT_TRUE(ok) << "unzip is needed to read the workbook";
    // The second header item: columns 17..31 of row 2 merged.
    EXPECT_TRUE(sheetXml.contains(
        QStringLiteral("<mergeCell ref=\"%1:%2\"/>").arg(cellName(17, 2), cellName(31, 2))));
    // The 940 group heading: 2 columns x 4 rows.
    const int t1 = m.data(1).Row + m.data(1).MarkerRow;
    EXPECT_TRUE(sheetXml.contains(
        QStringLiteral("<mergeCell ref=\"%1:%2\"/>").arg(cellName(2, t1), cellName(3, t1 + 3))));
    // Every cell count: one merge per framed block wider or higher than one cell.
    int merged = 0;
    for (const SheetCell& c : s.cells)
        merged += c.colSpan > 1 || c.rowSpan > 1;
    EXPECT_EQ(sheetXml.count("<mergeCell "), merged);
    // Page breaks every 39 rows.
    EXPECT_TRUE(sheetXml.contains("<brk id=\"39\""));

    const QString styles = run("unzip", {"-p", path, "xl/styles.xml"});
    EXPECT_TRUE(styles.contains("<left style=\"thin\">"));
    EXPECT_TRUE(styles.contains("<right style=\"thin\">"));

    // Pictures: one anchor each, at the photo's picture cell (0-based in the drawing).
    const QString drawing = run("unzip", {"-p", path, "xl/drawings/drawing1.xml"});
    EXPECT_EQ(drawing.count("<xdr:pic>"), static_cast<int>(s.pictures.size()));
    const PhotoSlot& p0 = m.photo(0);
    EXPECT_TRUE(drawing.contains(
        QStringLiteral("<xdr:from><xdr:col>%1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>%2</"
                       "xdr:row>")
            .arg(p0.Col - 1)
            .arg(p0.Row + p0.PictureRow - 1)));
    // 160 x 120 points in EMU (12700 a point).
    EXPECT_TRUE(drawing.contains(
        QStringLiteral("<a:ext cx=\"%1\" cy=\"%2\"/>").arg(160 * 12700).arg(120 * 12700)));

    // Read back with the Python workbook reader where it is installed.
    const QString python = QStandardPaths::findExecutable("python3", {"/usr/bin"});
    bool haveReader = false;
    if (!python.isEmpty())
        run(python, {"-c", "import openpyxl"}, &haveReader);
    if (haveReader) {
        const QString script = QStringLiteral("import openpyxl,sys\n"
                                              "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                                              "print(ws['%1'].value)\n"
                                              "print(ws['%2'].value)\n"
                                              "print(ws['%1'].border.left.style)\n"
                                              "print(len(ws.merged_cells.ranges))\n")
                                   .arg(cellName(17, 2), cellName(8, t1));
        const QStringList out = run(python, {"-c", script, path}).split('\n');
        ASSERT_GE(out.size(), 4);
        EXPECT_EQ(out[0], "Name: bridge 7");
        EXPECT_EQ(out[1], "001");
        EXPECT_EQ(out[2], "thin");
        EXPECT_EQ(out[3].toInt(), merged);
    }
}

TEST(ReportPdf, OnePagePerBandOfRowsWithThePicturesDrawn) {
    Scratch dir;
    ReportModel m = sampleReport();
    for (int i = 0; i < 3; ++i)
        m.AddData(1); // enough entries for a third page
    const ReportSheet s = BuildReportSheet(m);
    ASSERT_GE(s.pageCount, 3);
    const QString path = dir.path("report.pdf");
    ASSERT_TRUE(SaveReport(s, path).ok);

    bool ok = false;
    const QString info = run("pdfinfo", {path}, &ok);
    ASSERT_TRUE(ok) << "pdfinfo is needed to read the PDF";
    const QRegularExpression pages("Pages:\\s+(\\d+)");
    EXPECT_EQ(pages.match(info).captured(1).toInt(), s.pageCount);
    EXPECT_TRUE(info.contains("842 x 595") || info.contains("841.89 x 595.2"))
        << info.toStdString();

    // Rasterised: the red landscape photo stands on page 1, the first data picture (too high
    // for what is left of page 1) on page 2.
    run("pdftoppm", {"-r", "36", "-f", "1", "-l", "2", "-png", path, dir.path("p")}, &ok);
    ASSERT_TRUE(ok);
    auto count = [&](int n, QColor want) {
        QImage page(dir.path(QStringLiteral("p-%1.png").arg(n)));
        if (page.isNull())
            page.load(dir.path(QStringLiteral("p-0%1.png").arg(n)));
        int hits = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                hits += std::abs(c.red() - want.red()) < 40 &&
                        std::abs(c.green() - want.green()) < 40 &&
                        std::abs(c.blue() - want.blue()) < 40;
            }
        return hits;
    };
    // 160 x 120 points at 36 dpi, shrunk to fit the page: well over a thousand pixels.
    EXPECT_GT(count(1, Qt::red), 1000);
    EXPECT_EQ(count(1, Qt::blue), 0);
    EXPECT_GT(count(2, Qt::blue), 1000);

    // The texts are drawn at the sheet's type size: every word of page 1 is lower than one
    // row of the sheet (13.5 points before the page is fitted to the paper) but readable, and
    // lies on the paper.
    run("pdftotext", {"-bbox", "-f", "1", "-l", "1", path, dir.path("words.html")}, &ok);
    ASSERT_TRUE(ok) << "pdftotext is needed to read the PDF";
    QFile html(dir.path("words.html"));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    const QRegularExpression word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\"");
    int wordCount = 0;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto w = it.next();
        ++wordCount;
        const double height = w.captured(4).toDouble() - w.captured(2).toDouble();
        EXPECT_LT(height, 13.5);
        EXPECT_GT(height, 4.0); // and still readable
        EXPECT_LE(w.captured(3).toDouble(), 842.0);
        EXPECT_LE(w.captured(4).toDouble(), 595.0);
    }
    EXPECT_GT(wordCount, 3);

    // A file that cannot be written is a failure with a reason, never a success.
    const ReportWriteResult bad = SaveReport(s, dir.path("missing/dir/report.pdf"));
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.reason.isEmpty());
    const ReportWriteResult badXlsx = SaveReport(s, dir.path("missing/dir/report.xlsx"));
    EXPECT_FALSE(badXlsx.ok);
}

// A delivery with cover compliance figures adds their table under the marker tables: pairs of
// caption and value, three to a row, and the remarks move below it.
TEST(ReportSheet, TheComplianceTableStandsUnderTheMarkerTables) {
    ReportLayout l;
    l.PhotoNum = 0;
    l.DataNum = 1;
    ReportModel m;
    m.Load(l, false);
    ReportDelivery d = delivery(5, false);
    for (int k = 0; k < 9; ++k)
        d.compliance.push_back({QStringLiteral("c%1").arg(k), QStringLiteral("v%1").arg(k)});
    m.Deliver(0, d);
    m.TakeOverDeliveries();
    const DataSlot& slot = m.data(0);
    EXPECT_EQ(slot.ComplianceRow, slot.MarkerRow + MarkerBandRows);
    EXPECT_EQ(slot.RemarksRow, slot.ComplianceRow + 3); // nine figures: three rows
    const ReportSheet s = BuildReportSheet(m);
    const int row = slot.Row + slot.ComplianceRow;
    ASSERT_TRUE(cellAt(s, 2, row));
    EXPECT_EQ(cellAt(s, 2, row)->text, "c0");
    ASSERT_TRUE(cellAt(s, 6, row));
    EXPECT_EQ(cellAt(s, 6, row)->text, "v0");
    EXPECT_EQ(cellAt(s, 6, row)->colSpan, 6);
    EXPECT_EQ(cellAt(s, 12, row)->text, "c1");
    EXPECT_EQ(cellAt(s, 2, row + 1)->text, "c3");
    EXPECT_EQ(cellAt(s, 22, row + 2)->text, "c8");
    EXPECT_TRUE(cellAt(s, 2, slot.Row + slot.RemarksRow));

    // A delivery without covers keeps the slot as it was.
    ReportModel plain;
    plain.Load(l, false);
    plain.Deliver(0, delivery(5, false));
    plain.TakeOverDeliveries();
    EXPECT_EQ(plain.data(0).RemarksRow, slot.ComplianceRow);
}
