// The report as a PDF: the same blocks and pictures as the workbook, one page for every
// PageRows rows, each page's cell grid scaled to fit the paper and centred on it.

#include "base/FileSave.h"
#include "report/ReportWriters.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace rebar {

namespace {

constexpr double MarginPt = 20;
constexpr int PdfDpi = 720; // device units per inch; the painter works in points

QFont sheetFont() {
    QFont f;
    f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    // 8.5 points on paper: the font is sized at the writer's 720 units per inch and then scaled
    // with the painter's point transform, so its size is given in points of that transform.
    f.setPointSizeF(8.5 * 72.0 / PdfDpi);
    return f;
}

class PdfPage {
public:
    PdfPage(QPainter& p, const ReportSheet& s, int page) : m_p(p), m_sheet(s) {
        m_firstRow = s.geometry.firstRowOf(page);
        m_lastRow = m_firstRow + s.geometry.PageRows - 1;
    }

    void cell(const SheetCell& c) {
        if (c.row > m_lastRow || c.row + c.rowSpan - 1 < m_firstRow)
            return;
        const QRectF r = rectOf(c.col, c.row, c.colSpan, c.rowSpan);
        m_p.setPen(QPen(Qt::black, 0.75));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(r);
        if (c.text.isEmpty())
            return;
        // The text stands in the top-left cell's row, clipped to the block.
        const QRectF line(r.left() + 2, r.top(), r.width() - 4,
                          c.rowSpan == 1 ? r.height() : SheetRowPt * c.rowSpan);
        m_p.save();
        m_p.setClipRect(r);
        m_p.drawText(line, (c.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter,
                     c.text);
        m_p.restore();
    }

    void picture(const SheetPicture& pic) {
        const QRectF r((pic.col - 1) * SheetColumnPt, (pic.row - m_firstRow) * SheetRowPt,
                       pic.widthPt, pic.heightPt);
        const QRectF page(0, 0, m_sheet.geometry.PageColumns * SheetColumnPt,
                          m_sheet.geometry.PageRows * SheetRowPt);
        if (!r.intersects(page))
            return;
        m_p.drawImage(r, pic.image);
    }

private:
    QRectF rectOf(int col, int row, int colSpan, int rowSpan) const {
        return QRectF((col - 1) * SheetColumnPt, (row - m_firstRow) * SheetRowPt,
                      colSpan * SheetColumnPt, rowSpan * SheetRowPt);
    }

    QPainter& m_p;
    const ReportSheet& m_sheet;
    int m_firstRow = 1;
    int m_lastRow = 1;
};

} // namespace

ReportWriteResult SaveReportPdf(const ReportSheet& sheet, const QString& path) {
    ReportWriteResult out;
    const SheetGeometry& g = sheet.geometry;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(PdfDpi);
        pdf.setCreator(QStringLiteral("Rebarscope"));
        const QPageSize size(g.PaperWidthMm == 420 || g.PaperHeightMm == 420 ? QPageSize::A3
                                                                             : QPageSize::A4);
        pdf.setPageLayout(
            QPageLayout(size, g.landscapePaper() ? QPageLayout::Landscape : QPageLayout::Portrait,
                        QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        QPainter p;
        if (!p.begin(&pdf)) {
            out.reason = QStringLiteral("the PDF could not be started");
            return out;
        }
        const QSizeF paper = pdf.pageLayout().fullRect(QPageLayout::Point).size();
        const double contentW = g.PageColumns * SheetColumnPt;
        const double contentH = g.PageRows * SheetRowPt;
        const double scale = std::min({1.0, (paper.width() - 2 * MarginPt) / contentW,
                                       (paper.height() - 2 * MarginPt) / contentH});
        const double unit = PdfDpi / 72.0;
        p.setFont(sheetFont());
        for (int page = 1; page <= sheet.pageCount; ++page) {
            if (page > 1)
                pdf.newPage();
            p.resetTransform();
            p.scale(unit, unit);
            p.translate((paper.width() - contentW * scale) / 2,
                        (paper.height() - contentH * scale) / 2);
            p.scale(scale, scale);
            p.setClipRect(QRectF(0, 0, contentW, contentH));
            PdfPage drawer(p, sheet, page);
            for (const SheetPicture& pic : sheet.pictures)
                drawer.picture(pic);
            for (const SheetCell& c : sheet.cells)
                drawer.cell(c);
            p.setClipping(false);
        }
        if (!p.end()) {
            out.reason = QStringLiteral("the PDF could not be finished");
            return out;
        }
    }
    const QByteArrayView parts[] = {bytes};
    const FileSaveOutcome saved = SaveFileBytes(path, parts);
    out.ok = saved.ok;
    out.reason = saved.reason;
    return out;
}

} // namespace rebar
