// Printing a picture: the sizes of the fitted and the A4-sheet layouts, and a real print to a
// PDF file, rasterised and compared with the picture.

#include "platform/PrintLayout.h"
#include "platform/QtPrinting.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace rebar;
using namespace rebar::test;

TEST(PrintLayout, FittedKeepsTheAspectAndSheetScalesByTheSmallerRatio) {
    // Relatively wider than the area: the full width.
    EXPECT_EQ(FittedPictureSize({400, 100}, {800, 1000}), QSizeF(800, 200));
    // Relatively higher: the full height.
    EXPECT_EQ(FittedPictureSize({100, 400}, {800, 1000}), QSizeF(250, 1000));
    EXPECT_TRUE(FittedPictureSize({0, 100}, {800, 1000}).isEmpty());
    EXPECT_TRUE(PrintsPortrait({100, 100}));
    EXPECT_FALSE(PrintsPortrait({101, 100}));
    // A4 landscape in twips (16838 x 11906): a wide picture takes the sheet's width.
    EXPECT_EQ(SheetPictureSize({1000, 300}, {16838, 11906}), QSize(16838, 5051));
    EXPECT_EQ(SheetPictureSize({300, 600}, {16838, 11906}), QSize(5953, 11906));
    EXPECT_TRUE(SheetPictureSize({0, 0}, {16838, 11906}).isEmpty());
}

TEST(PrintToPdf, TheSheetShowsThePictureScaledFromTheCorner) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    Scratch scratch;
    // Four coloured quarters with a black frame, wider than high.
    QImage picture(400, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter p(&picture);
        p.fillRect(0, 0, 200, 100, Qt::red);
        p.fillRect(200, 0, 200, 100, Qt::green);
        p.fillRect(0, 100, 200, 100, Qt::blue);
        p.fillRect(200, 100, 200, 100, Qt::yellow);
    }
    const QString pdf = scratch.path(QStringLiteral("sheet.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    PrintJob job{picture, PrintJob::SheetA4Landscape, QStringLiteral("sheet")};
    ASSERT_EQ(PrintPictureOn(printer, job), PrintOutcome::Printed);

    QProcess p;
    p.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), pdf, scratch.path(QStringLiteral("page"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QImage page(scratch.path(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    // A4 landscape at 50 dpi is about 585 x 413; the picture fills the width and half of it.
    EXPECT_NEAR(page.width(), 585, 2);
    EXPECT_NEAR(page.height(), 413, 2);
    auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
               std::abs(qBlue(a) - qBlue(b)) < 40;
    };
    const double s = page.width() / 400.0;
    for (const QPoint& at :
         {QPoint(100, 50), QPoint(300, 50), QPoint(100, 150), QPoint(300, 150)}) {
        const QPoint on(static_cast<int>(at.x() * s), static_cast<int>(at.y() * s));
        EXPECT_TRUE(near(page.pixel(on), picture.pixel(at)))
            << at.x() << "," << at.y() << ": " << std::hex << page.pixel(on);
    }
    // Below the picture the sheet stays white.
    EXPECT_TRUE(near(page.pixel(page.width() / 2, page.height() - 20), qRgb(255, 255, 255)));
}
