#include "export/Workbook.h"

#include "base/FileSave.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace rebar {

namespace {

// Keeps the temporary folders of the workbooks being built; each is removed with its workbook.
QString makeTempDir() {
    QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("rebarscope-book-XXXXXX")));
    if (!dir.isValid())
        return {};
    dir.setAutoRemove(false);
    return dir.path();
}

} // namespace

QString CellStyle::key() const {
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(numberFormat)
        .arg(static_cast<int>(align))
        .arg(static_cast<int>(valign))
        .arg(bold)
        .arg(wrap)
        .arg(border)
        .arg(fontSize)
        .arg(fontName);
}

Workbook::Workbook() {
    m_tempDir = makeTempDir();
    if (m_tempDir.isEmpty()) {
        fail(LXW_ERROR_CREATING_TMPFILE, QStringLiteral("no temporary folder for the workbook"));
        return;
    }
    m_tempFile = QDir(m_tempDir).filePath(QStringLiteral("book.xlsx"));
    const QByteArray file = QFile::encodeName(m_tempFile);
    QByteArray tmp = QFile::encodeName(m_tempDir);
    lxw_workbook_options options{};
    options.tmpdir = tmp.data();
    m_book = workbook_new_opt(file.constData(), &options);
    if (!m_book)
        fail(LXW_ERROR_MEMORY_MALLOC_FAILED,
             QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)));
}

Workbook::~Workbook() {
    if (m_book && !m_closed)
        lxw_workbook_free(m_book); // discarded: nothing is written
    if (!m_tempDir.isEmpty())
        QDir(m_tempDir).removeRecursively();
}

bool Workbook::fail(int error, const QString& what) {
    if (m_error == 0) {
        m_error = error != 0 ? error : LXW_ERROR_PARAMETER_VALIDATION;
        m_errorText = what;
    }
    return false;
}

bool Workbook::usable(int sheet) {
    if (failed() || m_closed)
        return false;
    if (sheet < 0 || sheet >= sheetCount())
        return fail(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE,
                    QString::fromUtf8(lxw_strerror(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)));
    return true;
}

int Workbook::addSheet(const QString& name) {
    if (failed() || m_closed)
        return -1;
    const QByteArray n = name.toUtf8();
    lxw_worksheet* s = workbook_add_worksheet(m_book, name.isEmpty() ? nullptr : n.constData());
    if (!s) {
        fail(LXW_ERROR_PARAMETER_VALIDATION,
             QStringLiteral("the sheet \"%1\" could not be added").arg(name));
        return -1;
    }
    m_sheets.push_back(s);
    return sheetCount() - 1;
}

lxw_worksheet* Workbook::sheet(int index) const {
    return index >= 0 && index < sheetCount() ? m_sheets[static_cast<size_t>(index)] : nullptr;
}

lxw_format* Workbook::format(const CellStyle& style) {
    if (failed() || m_closed)
        return nullptr;
    const QString key = style.key();
    if (lxw_format* f = m_formats.value(key))
        return f;
    lxw_format* f = workbook_add_format(m_book);
    if (!f) {
        fail(LXW_ERROR_MEMORY_MALLOC_FAILED,
             QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)));
        return nullptr;
    }
    if (!style.numberFormat.isEmpty())
        format_set_num_format(f, style.numberFormat.toUtf8().constData());
    static const uint8_t aligns[] = {LXW_ALIGN_NONE, LXW_ALIGN_LEFT, LXW_ALIGN_CENTER,
                                     LXW_ALIGN_RIGHT};
    if (style.align != CellStyle::General)
        format_set_align(f, aligns[style.align]);
    if (style.valign == CellStyle::Middle)
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    else if (style.valign == CellStyle::Top)
        format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
    if (style.bold)
        format_set_bold(f);
    if (style.wrap)
        format_set_text_wrap(f);
    if (style.border)
        format_set_border(f, LXW_BORDER_THIN);
    if (style.fontSize > 0)
        format_set_font_size(f, style.fontSize);
    if (!style.fontName.isEmpty())
        format_set_font_name(f, style.fontName.toUtf8().constData());
    m_formats.insert(key, f);
    return f;
}

bool Workbook::writeText(int s, int row, int col, const QString& text, const CellStyle& style) {
    if (!usable(s))
        return false;
    lxw_format* f = format(style);
    const lxw_error e = text.isEmpty()
                            ? worksheet_write_blank(sheet(s), row, static_cast<lxw_col_t>(col), f)
                            : worksheet_write_string(sheet(s), row, static_cast<lxw_col_t>(col),
                                                     text.toUtf8().constData(), f);
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::writeNumber(int s, int row, int col, double value, const CellStyle& style) {
    if (!usable(s))
        return false;
    const lxw_error e =
        worksheet_write_number(sheet(s), row, static_cast<lxw_col_t>(col), value, format(style));
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::writeBlank(int s, int row, int col, const CellStyle& style) {
    if (!usable(s))
        return false;
    const lxw_error e =
        worksheet_write_blank(sheet(s), row, static_cast<lxw_col_t>(col), format(style));
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::merge(int s, int firstRow, int firstCol, int lastRow, int lastCol,
                     const QString& text, const CellStyle& style) {
    if (!usable(s))
        return false;
    const lxw_error e = worksheet_merge_range(sheet(s), firstRow, static_cast<lxw_col_t>(firstCol),
                                              lastRow, static_cast<lxw_col_t>(lastCol),
                                              text.toUtf8().constData(), format(style));
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::setColumnWidth(int s, int firstCol, int lastCol, double width) {
    if (!usable(s))
        return false;
    const lxw_error e = worksheet_set_column(sheet(s), static_cast<lxw_col_t>(firstCol),
                                             static_cast<lxw_col_t>(lastCol), width, nullptr);
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::setRowHeight(int s, int row, double points) {
    if (!usable(s))
        return false;
    const lxw_error e = worksheet_set_row(sheet(s), row, points, nullptr);
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::insertPicture(int s, int row, int col, const QImage& image, double xScale,
                             double yScale, int xOffset, int yOffset) {
    if (!usable(s))
        return false;
    const QByteArray png = EncodeWorkbookPicture(image);
    if (png.isEmpty())
        return fail(LXW_ERROR_IMAGE_DIMENSIONS,
                    QString::fromUtf8(lxw_strerror(LXW_ERROR_IMAGE_DIMENSIONS)));
    return insertPng(s, row, col, png, xScale, yScale, xOffset, yOffset);
}

bool Workbook::insertPng(int s, int row, int col, const QByteArray& png, double xScale,
                         double yScale, int xOffset, int yOffset) {
    if (!usable(s))
        return false;
    if (png.isEmpty())
        return fail(LXW_ERROR_IMAGE_DIMENSIONS,
                    QString::fromUtf8(lxw_strerror(LXW_ERROR_IMAGE_DIMENSIONS)));
    m_pictures.push_back(png);
    const QByteArray& kept = m_pictures.back();
    lxw_image_options options{};
    options.x_scale = xScale;
    options.y_scale = yScale;
    options.x_offset = xOffset;
    options.y_offset = yOffset;
    const lxw_error e =
        worksheet_insert_image_buffer_opt(sheet(s), row, static_cast<lxw_col_t>(col),
                                          reinterpret_cast<const unsigned char*>(kept.constData()),
                                          static_cast<size_t>(kept.size()), &options);
    return e == LXW_NO_ERROR || fail(e, QString::fromUtf8(lxw_strerror(e)));
}

bool Workbook::save(const QString& path, bool replace) {
    if (failed())
        return false;
    if (!m_closed) {
        if (sheetCount() == 0)
            addSheet();
        m_closed = true;
        const lxw_error e = workbook_close(m_book); // writes the temporary file, frees the book
        m_book = nullptr;
        if (e != LXW_NO_ERROR)
            return fail(e, QString::fromUtf8(lxw_strerror(e)));
        QFile built(m_tempFile);
        if (!built.open(QIODevice::ReadOnly))
            return fail(LXW_ERROR_READING_TMPFILE, built.errorString());
        m_bytes = built.readAll();
        built.close();
        QDir(m_tempDir).removeRecursively();
        m_tempDir.clear();
    }

    if (!replace) {
        // Reserve the name first: a file that appears in between is never replaced. A name
        // that is taken fails this save only; another name may follow.
        QFile reserve(path);
        if (!reserve.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (reserve.exists())
                return false;
            return fail(LXW_ERROR_CREATING_XLSX_FILE,
                        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                     reserve.errorString()));
        }
        reserve.close();
    }
    const QByteArrayView parts[] = {QByteArrayView(m_bytes)};
    const FileSaveOutcome saved = SaveFileBytes(path, parts);
    if (!saved.ok) {
        if (!replace)
            QFile::remove(path);
        return fail(LXW_ERROR_CREATING_XLSX_FILE,
                    QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), saved.reason));
    }
    return true;
}

QByteArray EncodeWorkbookPicture(const QImage& image) {
    if (image.isNull())
        return {};
    QImage picture = image.convertToFormat(QImage::Format_RGB32);
    picture.setDotsPerMeterX(3780); // 96 dots per inch
    picture.setDotsPerMeterY(3780);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        return {};
    return png;
}

QString WorkbookLibraryVersion() {
    return QStringLiteral("libxlsxwriter " LXW_VERSION);
}

} // namespace rebar
