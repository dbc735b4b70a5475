// The report workbook, written with libxlsxwriter into a temporary file and then saved over the
// target in one step.

#include "base/FileSave.h"
#include "report/ReportWriters.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cmath>
#include <memory>

namespace rebar {

namespace {

// Two characters of the report's original sheet font are 21 pixels; libxlsxwriter measures
// widths in characters of its standard font (7 pixels plus 5 of padding).
constexpr double ColumnWidthChars = 16.0 / 7.0;
constexpr int LastColumn = 16383;
constexpr double PixelsPerPoint = 96.0 / 72.0;
constexpr int DotsPerMeter96 = 3780;

QString lxwReason(lxw_error e) {
    return QString::fromUtf8(lxw_strerror(e));
}

// The picture as the file embedded in the workbook: photographs as JPEG (quality 90) at no more
// than twice the pixels they are shown with, data pictures as PNG at their own size.
QByteArray pictureBytes(const SheetPicture& p, int& widthPx, int& heightPx) {
    QImage img = p.image.convertToFormat(QImage::Format_RGB32);
    if (p.photo) {
        const int maxW = static_cast<int>(std::ceil(2 * p.widthPt * PixelsPerPoint));
        const int maxH = static_cast<int>(std::ceil(2 * p.heightPt * PixelsPerPoint));
        if (img.width() > maxW || img.height() > maxH)
            img = img.scaled(maxW, maxH, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    img.setDotsPerMeterX(DotsPerMeter96);
    img.setDotsPerMeterY(DotsPerMeter96);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter w(&buffer, p.photo ? "jpeg" : "png");
    if (p.photo)
        w.setQuality(90);
    if (!w.write(img))
        return {};
    widthPx = img.width();
    heightPx = img.height();
    return bytes;
}

class WorkbookWriter {
public:
    explicit WorkbookWriter(const QString& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_FALSE;
        m_path = QFile::encodeName(path);
        m_book = workbook_new_opt(m_path.constData(), &options);
        if (m_book)
            m_sheet = workbook_add_worksheet(m_book, nullptr);
    }
    ~WorkbookWriter() {
        if (m_book)
            workbook_close(m_book); // only after a failure: the file is thrown away
    }

    bool ok() const { return m_book && m_sheet && m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    void pageSetup(const ReportSheet& s) {
        const SheetGeometry& g = s.geometry;
        check(worksheet_set_column(m_sheet, 0, LastColumn, ColumnWidthChars, nullptr));
        worksheet_set_default_row(m_sheet, SheetRowPt, LXW_FALSE);
        worksheet_set_paper(m_sheet, g.PaperWidthMm == 420 || g.PaperHeightMm == 420 ? 8 : 9);
        if (g.landscapePaper())
            worksheet_set_landscape(m_sheet);
        else
            worksheet_set_portrait(m_sheet);
        worksheet_set_margins(m_sheet, 0.3, 0.3, 0.3, 0.3);
        const int rows = s.pageCount * g.PageRows;
        check(worksheet_print_area(m_sheet, 0, 0, static_cast<lxw_row_t>(rows - 1),
                                   static_cast<lxw_col_t>(g.PageColumns - 1)));
        // Pages are bands of PageRows rows.
        m_breaks.clear();
        for (int p = 1; p < s.pageCount && p <= 1000; ++p)
            m_breaks.push_back(static_cast<lxw_row_t>(p * g.PageRows));
        m_breaks.push_back(0);
        if (m_breaks.size() > 1)
            check(worksheet_set_h_pagebreaks(m_sheet, m_breaks.data()));
        // The page's columns fill the printable width.
        const double paperWidthPt =
            (g.landscapePaper() ? std::max(g.PaperWidthMm, g.PaperHeightMm)
                                : std::min(g.PaperWidthMm, g.PaperHeightMm)) *
            72.0 / 25.4;
        const double printable = paperWidthPt - 0.6 * 72.0;
        const int scale = static_cast<int>(100.0 * printable / (g.PageColumns * SheetColumnPt));
        worksheet_set_print_scale(m_sheet, static_cast<uint16_t>(std::clamp(scale, 10, 100)));
    }

    // WriteFramedCell: merges the block, frames it with a thin black line and writes the text
    // into its top-left cell.
    void framedCell(const SheetCell& c) {
        if (!ok() || c.col < 1 || c.row < 1)
            return;
        lxw_format* f = c.centred ? centred() : plain();
        const QByteArray text = c.text.toUtf8();
        const auto r0 = static_cast<lxw_row_t>(c.row - 1);
        const auto c0 = static_cast<lxw_col_t>(c.col - 1);
        const auto r1 = static_cast<lxw_row_t>(c.row + c.rowSpan - 2);
        const auto c1 = static_cast<lxw_col_t>(c.col + c.colSpan - 2);
        if (r0 == r1 && c0 == c1)
            check(worksheet_write_string(m_sheet, r0, c0, text.constData(), f));
        else
            check(worksheet_merge_range(m_sheet, r0, c0, r1, c1, text.constData(), f));
    }

    void picture(const SheetPicture& p) {
        if (!ok())
            return;
        int w = 0, h = 0;
        const QByteArray bytes = pictureBytes(p, w, h);
        if (bytes.isEmpty() || w <= 0 || h <= 0) {
            m_error = QStringLiteral("a picture could not be encoded");
            return;
        }
        lxw_image_options o{};
        o.x_scale = p.widthPt * PixelsPerPoint / w;
        o.y_scale = p.heightPt * PixelsPerPoint / h;
        o.object_position = LXW_OBJECT_MOVE_DONT_SIZE;
        o.description = const_cast<char*>("");
        m_pictures.push_back(bytes); // the bytes stay alive until the workbook is written
        check(worksheet_insert_image_buffer_opt(
            m_sheet, static_cast<lxw_row_t>(p.row - 1), static_cast<lxw_col_t>(p.col - 1),
            reinterpret_cast<const unsigned char*>(bytes.constData()),
            static_cast<size_t>(bytes.size()), &o));
    }

    // Writes the file; false (error says why) when it could not.
    bool close() {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        if (!book)
            return false;
        const lxw_error e = workbook_close(book);
        if (e != LXW_NO_ERROR && m_error.isEmpty())
            m_error = lxwReason(e);
        return m_error.isEmpty();
    }

private:
    void check(lxw_error e) {
        if (e != LXW_NO_ERROR && m_error.isEmpty())
            m_error = lxwReason(e);
    }
    lxw_format* framed() {
        lxw_format* f = workbook_add_format(m_book);
        format_set_border(f, LXW_BORDER_THIN);
        format_set_border_color(f, LXW_COLOR_BLACK);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        return f;
    }
    lxw_format* plain() {
        if (!m_plain) {
            m_plain = framed();
            format_set_align(m_plain, LXW_ALIGN_LEFT);
        }
        return m_plain;
    }
    lxw_format* centred() {
        if (!m_centred) {
            m_centred = framed();
            format_set_align(m_centred, LXW_ALIGN_CENTER);
        }
        return m_centred;
    }

    QByteArray m_path;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_plain = nullptr;
    lxw_format* m_centred = nullptr;
    std::vector<lxw_row_t> m_breaks;
    std::vector<QByteArray> m_pictures;
    QString m_error;
};

} // namespace

ReportWriteResult SaveReportWorkbook(const ReportSheet& sheet, const QString& path) {
    ReportWriteResult out;
    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        out.reason = QStringLiteral("no temporary folder: %1").arg(tmp.errorString());
        return out;
    }
    const QString work = tmp.filePath(QStringLiteral("report.xlsx"));
    {
        WorkbookWriter w(work);
        if (!w.ok()) {
            out.reason = w.error().isEmpty() ? QStringLiteral("the workbook could not be created")
                                             : w.error();
            return out;
        }
        w.pageSetup(sheet);
        for (const SheetCell& c : sheet.cells)
            w.framedCell(c);
        for (const SheetPicture& p : sheet.pictures)
            w.picture(p);
        if (!w.ok() || !w.close()) {
            out.reason = w.error();
            return out;
        }
    }
    QFile f(work);
    if (!f.open(QIODevice::ReadOnly)) {
        out.reason = f.errorString();
        return out;
    }
    const QByteArray bytes = f.readAll();
    const QByteArrayView parts[] = {bytes};
    const FileSaveOutcome saved = SaveFileBytes(path, parts);
    out.ok = saved.ok;
    out.reason = saved.reason;
    return out;
}

ReportWriteResult SaveReport(const ReportSheet& sheet, const QString& path) {
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return SaveReportPdf(sheet, path);
    return SaveReportWorkbook(sheet, path);
}

} // namespace rebar
