#pragma once
// A spreadsheet workbook (.xlsx) written with libxlsxwriter, for the data workbooks of the
// exports and the report workbook: sheets, cells holding numbers or texts in cell styles, merged
// ranges, column widths and row heights, and pictures from QImages.
//
// Rows and columns are counted from 0 here (row 0, column 1 is cell B1). The first failing call
// fails the workbook: every later call does nothing and answers false, and errorText() tells
// what went wrong in the library's words. Nothing is written before save(): the library builds
// the file in a temporary folder, and the finished file takes the target's place in one step,
// so a failed save leaves no partial workbook behind.

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace rebar {

// How a cell looks. The default style is the library's default cell.
struct CellStyle {
    enum Align { General, Left, Centre, Right };
    enum VAlign { Bottom, Middle, Top };
    QString numberFormat; // "0.00", "0.0\"cm\"", ...; empty: General
    Align align = General;
    VAlign valign = Bottom;
    bool bold = false;
    bool wrap = false;
    bool border = false; // a thin border on all four sides
    double fontSize = 0; // points; 0: the library's default (11)
    QString fontName;    // empty: the library's default

    QString key() const;
};

class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Adds a sheet (empty name: the library's "Sheet1", "Sheet2", ...); its index, or -1.
    int addSheet(const QString& name = {});
    int sheetCount() const { return static_cast<int>(m_sheets.size()); }
    // The library's sheet, for what the helpers below do not offer (null for a bad index).
    lxw_worksheet* sheet(int index) const;
    // The library's format of a style, made once per distinct style.
    lxw_format* format(const CellStyle& style);

    bool writeText(int sheet, int row, int col, const QString& text, const CellStyle& style = {});
    bool writeNumber(int sheet, int row, int col, double value, const CellStyle& style = {});
    // A blank cell that carries a style (borders of empty cells).
    bool writeBlank(int sheet, int row, int col, const CellStyle& style);
    // Merges the range (inclusive) and writes text into it.
    bool merge(int sheet, int firstRow, int firstCol, int lastRow, int lastCol, const QString& text,
               const CellStyle& style = {});
    // Width in characters of the default font, for the columns firstCol..lastCol.
    bool setColumnWidth(int sheet, int firstCol, int lastCol, double width);
    // Height of a row in points.
    bool setRowHeight(int sheet, int row, double points);
    // Inserts image with its top-left corner in the cell (plus an offset in pixels), scaled; at
    // scale 1 a pixel of the image is a pixel of the sheet at 96 dots per inch (0.75 points).
    bool insertPicture(int sheet, int row, int col, const QImage& image, double xScale = 1,
                       double yScale = 1, int xOffset = 0, int yOffset = 0);
    // The same with a picture EncodeWorkbookPicture made (encoded ahead, on another thread).
    bool insertPng(int sheet, int row, int col, const QByteArray& png, double xScale = 1,
                   double yScale = 1, int xOffset = 0, int yOffset = 0);

    // Writes the workbook to path. replace false: an existing file at path is never replaced;
    // the save then fails without failing the workbook, and a save to another name may follow.
    // The first save finishes the workbook: nothing can be added afterwards.
    bool save(const QString& path, bool replace);

    bool failed() const { return m_error != 0; }
    // The library's error number (0 none) and the description of the first failure.
    int errorNumber() const { return m_error; }
    QString errorText() const { return m_errorText; }

private:
    bool fail(int error, const QString& what);
    bool usable(int sheet);

    QString m_tempDir;
    QString m_tempFile;
    lxw_workbook* m_book = nullptr;
    std::vector<lxw_worksheet*> m_sheets;
    QHash<QString, lxw_format*> m_formats;
    std::vector<QByteArray> m_pictures; // kept until the library has written them
    QByteArray m_bytes;                 // the finished file
    int m_error = 0;
    QString m_errorText;
    bool m_closed = false;
};

// A picture as a workbook holds it: lossless, at 96 dots per inch. Empty when it cannot be
// encoded.
QByteArray EncodeWorkbookPicture(const QImage& image);

// The version of the workbook library (shown where the spreadsheet application's would be).
QString WorkbookLibraryVersion();

} // namespace rebar
