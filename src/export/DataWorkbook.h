#pragma once
// The data workbooks of the exports: a view's composed picture at the top of a sheet and, below
// it, the markers of the exported range (number, distance, depth or echo time, pitch) followed by
// their statistics. Either one workbook per view, or one common workbook of a conversion whose
// sheet stacks one block per view. Always .xlsx. The workbook of one view also carries the
// cover compliance of those markers under the statistics: the view's settings, the figures of
// the set and its verdict, and each marker's cover and verdict.
//
// Figures are written as numbers in number formats that show them as the marker list does
// ("0.0000", "0.0\"cm\""), so the cells read as the list's texts and still compute.

#include "export/MarkerTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace rebar {

class MeasurementDocument;
class Workbook;

// A cell of a block's table: a caption text, or a number shown in a number format.
struct BlockCell {
    int row = 0;    // rows below the table's first row R0
    int column = 0; // 0: column B, 1: column C, ...
    bool number = false;
    double value = 0;
    QString text; // the caption, or the number format
};

// Everything one view adds to a workbook, prepared before anything is written, so that a view
// that fails adds nothing.
struct WorkbookBlock {
    QByteArray picturePng; // the composed picture, encoded while the block is prepared
    QSize pictureSize;
    QString fileName; // the measurement file's name, without folder
    bool family940 = false;
    bool halfSize = false; // CoverMagnification on
    std::vector<BlockCell> cells;
    // The cover compliance table (rows below R0 as the cells'), written in a view's own
    // workbook only; empty on the time axis.
    std::vector<BlockCell> complianceCells;
};

std::optional<WorkbookBlock> PrepareWorkbookBlock(const MeasurementDocument& doc,
                                                  const QImage& pics, int start, int end,
                                                  int16_t distanceFromFile,
                                                  QString* error = nullptr);

// The failure of a workbook as the user is told it: the fixed text with the library's
// description, number and version.
QString WorkbookErrorText(const QString& description, int number);

// One workbook per view: writes path + ".xlsx" (path is the folder and base name), replacing
// a file there. Error count 0 or 1; on failure error holds the text for the user.
int WriteDataWorkbook730(const MeasurementDocument& doc, const QImage& pics, const QString& path,
                         int start, int end, int16_t distanceFromFile, QString* error = nullptr);
int WriteDataWorkbook940(const MeasurementDocument& doc, const QImage& pics, const QString& path,
                         int start, int end, int16_t distanceFromFile, QString* error = nullptr);
// The same from a prepared block.
int WriteDataWorkbook(const WorkbookBlock& block, const QString& path, QString* error = nullptr);

// The common workbook of a conversion: blocks stacked on its first sheet, K the first row of
// the next block. A block that could not be prepared is never added, so a failed view costs
// nothing of the others'. Finishing saves what was added under the date and time of the save
// in the folder, with a suffix (_2, _3, ...) rather than replacing a file of that name.
class CommonWorkbook {
public:
    CommonWorkbook();
    ~CommonWorkbook();

    bool append(const WorkbookBlock& block, QString* error = nullptr);
    int blocks() const { return m_blocks; }
    int nextRow() const { return m_K; } // K, 0-based offset of the next block
    bool started() const { return m_book != nullptr; }
    // Saves into folder as yyyymmddhhnnss.xlsx of now; savedPath gets the file written. The
    // workbook is empty afterwards (a new conversion starts a new one). False (error holds the
    // text for the user) when the save failed; the blocks are then lost with it.
    bool finish(const QString& folder, const QDateTime& now, QString* savedPath = nullptr,
                QString* error = nullptr);
    // Forgets the blocks without saving.
    void discard();

private:
    std::unique_ptr<Workbook> m_book;
    int m_sheet = -1;
    int m_K = 0;
    int m_blocks = 0;
};

// Adds the view to the common workbook; with lastFile it finishes the workbook in the folder
// of path. Error count 0 or 1.
int AppendDataWorkbook730(CommonWorkbook& book, const MeasurementDocument& doc, const QImage& pics,
                          const QString& path, int start, int end, int16_t distanceFromFile,
                          bool firstFile, bool lastFile, QString* error = nullptr);
int AppendDataWorkbook940(CommonWorkbook& book, const MeasurementDocument& doc, const QImage& pics,
                          const QString& path, int start, int end, int16_t distanceFromFile,
                          bool firstFile, bool lastFile, QString* error = nullptr);

} // namespace rebar
