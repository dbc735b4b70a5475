#include "export/DataWorkbook.h"

#include "base/PathNames.h"
#include "base/TextEncoding.h"
#include "export/Workbook.h"
#include "view/CoverCompliance.h"
#include "view/CursorPosition.h"
#include "view/MeasurementDocument.h"

#include <QDir>
#include <QFileInfo>

namespace rebar {

namespace {

// Rows of a block (1-based, counted from the block's first row K = 0), by mode and family.
struct BlockGeometry {
    int pictureRow = 3; // the picture's top-left cell is in column B (2)
    int nameRow = 0;    // the file-name cell (common workbook only)
    int tableRow = 0;   // R0
    int height = 0;     // rows the block takes in the common workbook
};

BlockGeometry geometry(const WorkbookBlock& b, bool common) {
    BlockGeometry g;
    if (!common) {
        g.tableRow = b.family940 ? (b.halfSize ? 30 : 51) : (b.halfSize ? 25 : 38);
        return g;
    }
    if (!b.family940) {
        g.nameRow = 37;
        g.tableRow = 38;
        g.height = 48;
    } else {
        g.nameRow = b.halfSize ? 30 : 51;
        g.tableRow = b.halfSize ? 31 : 52;
        g.height = b.halfSize ? 41 : 62;
    }
    return g;
}

constexpr int ColumnB = 1; // 0-based
constexpr double CaptionColumnWidth = 18;

// A number format that shows a figure with `decimals` decimals and a unit text after it.
QString numberFormat(int decimals, const QString& unit = {}) {
    QString f = decimals > 0 ? QStringLiteral("0.") + QString(decimals, QLatin1Char('0'))
                             : QStringLiteral("0");
    if (!unit.isEmpty())
        f += QLatin1Char('"') + unit + QLatin1Char('"');
    return f;
}

// A figure text ("12.30") as a number cell that shows it the same way.
void figureCell(std::vector<BlockCell>& cells, int row, int column, const QString& figure,
                const QString& unit = {}) {
    if (figure.isEmpty())
        return; // a unit the program does not know leaves the cell empty
    const qsizetype dot = figure.indexOf(QLatin1Char('.'));
    const int decimals = dot < 0 ? 0 : static_cast<int>(figure.size() - dot - 1);
    cells.push_back({row, column, true, figure.toDouble(), numberFormat(decimals, unit)});
}

void textCell(std::vector<BlockCell>& cells, int row, int column, const QString& text) {
    cells.push_back({row, column, false, 0, text});
}

// The sheet's last row and column (0-based).
constexpr int LastSheetRow = 1048575;
constexpr int LastSheetColumn = 16383;

// The cells a block writes: its marker table, and in a view's own workbook the compliance table.
template <class Fn> void forEachCell(const WorkbookBlock& b, bool common, Fn&& fn) {
    for (const BlockCell& c : b.cells)
        fn(c);
    if (!common)
        for (const BlockCell& c : b.complianceCells)
            fn(c);
}

// True when every cell of the block at K lies on the sheet.
bool fits(int K, const WorkbookBlock& b, bool common) {
    const BlockGeometry g = geometry(b, common);
    bool inside = true;
    forEachCell(b, common, [&](const BlockCell& c) {
        if (static_cast<int64_t>(K) + g.tableRow - 1 + c.row > LastSheetRow ||
            ColumnB + c.column > LastSheetColumn)
            inside = false;
    });
    return inside && static_cast<int64_t>(K) + std::max(g.tableRow, g.height) <= LastSheetRow;
}

// Rows of the compliance table below R0: its figures from row 11 on, the marker lines after
// them.
constexpr int ComplianceRow = 11;
constexpr int ComplianceMarkerRow = ComplianceRow + 13;

// The compliance of the table's markers by the view's settings: the settings, the figures of
// the set and its verdict, then one line per marker (number, distance, cover, verdict).
void complianceCells(const MeasurementDocument& doc, const MarkerTable& table,
                     std::vector<BlockCell>& cells) {
    const MeasurementRecord& r = doc.record();
    if (r.Permittivity <= 0)
        return; // echo times are no covers
    const auto& C = doc.context().language->Captions;
    const ComplianceSettings& s = doc.compliance();
    const QString language = doc.languageName();
    std::vector<double> covers;
    for (const MarkerTableRow& row : table.rows)
        covers.push_back(row.figures.depthCm * 10);
    const CoverStatistics st = SummarizeCovers(covers, s);
    const QString mmFormat = numberFormat(1);
    auto figure = [&](int row, const QString& caption, double v) {
        textCell(cells, row, 0, caption);
        cells.push_back({row, 1, true, v, mmFormat});
    };
    int row = ComplianceRow;
    textCell(cells, row, 0, C[290]);
    textCell(cells, row++, 1, ComplianceVerdictText(st.verdict, language));
    figure(row++, C[283], s.DesignCover);
    figure(row++, C[284], s.DeviationBelow);
    figure(row++, C[285], s.DeviationAbove);
    figure(row++, C[286], s.MinimumCover);
    textCell(cells, row, 0, C[291]);
    cells.push_back({row++, 1, true, static_cast<double>(st.count), QStringLiteral("0")});
    if (st.count > 0) {
        figure(row, C[292], st.mean);
        figure(row + 1, C[293], st.standardDeviation);
        figure(row + 2, C[294], st.minimum);
        figure(row + 3, C[295], st.quantile5Normal);
    }
    row += 4;
    textCell(cells, row, 0, C[296]);
    if (st.quantile5Empirical)
        cells.push_back({row, 1, true, *st.quantile5Empirical, mmFormat});
    ++row;
    textCell(cells, row, 0, C[297]);
    cells.push_back({row, 1, true, static_cast<double>(st.belowMinimum), QStringLiteral("0")});
    cells.push_back({row, 2, true, st.shareBelowMinimum, QStringLiteral("0.0%")});

    row = ComplianceMarkerRow;
    const QString distUnit =
        r.XScale != 0 ? QStringLiteral(" (s)") : QStringLiteral(" (") + r.XUnit + QLatin1Char(')');
    textCell(cells, row, 0, C[96]);
    textCell(cells, row, 1, (r.XScale != 0 ? C[99] : C[97]) + distUnit);
    textCell(cells, row, 2, C[98] + QStringLiteral(" (mm)"));
    textCell(cells, row, 3, C[289]);
    for (const MarkerTableRow& m : table.rows) {
        ++row;
        const double cover = m.figures.depthCm * 10;
        cells.push_back({row, 0, true, static_cast<double>(m.number), QStringLiteral("0")});
        figureCell(cells, row, 1, DistanceFigure(r, m.figures.distance));
        cells.push_back({row, 2, true, cover, mmFormat});
        textCell(cells, row, 3, CoverVerdictText(JudgeCover(cover, s), language));
    }
}

bool writeBlock(Workbook& book, int sheet, int K, const WorkbookBlock& b, bool common) {
    const BlockGeometry g = geometry(b, common);
    book.setColumnWidth(sheet, ColumnB, ColumnB, CaptionColumnWidth);
    book.insertPng(sheet, K + g.pictureRow - 1, ColumnB, b.picturePng);
    if (common)
        book.writeText(sheet, K + g.nameRow - 1, ColumnB, b.fileName);
    const int R0 = K + g.tableRow - 1;
    forEachCell(b, common, [&](const BlockCell& c) {
        if (c.number) {
            CellStyle style;
            style.numberFormat = c.text;
            book.writeNumber(sheet, R0 + c.row, ColumnB + c.column, c.value, style);
        } else {
            book.writeText(sheet, R0 + c.row, ColumnB + c.column, c.text);
        }
    });
    return !book.failed();
}

} // namespace

std::optional<WorkbookBlock> PrepareWorkbookBlock(const MeasurementDocument& doc,
                                                  const QImage& pics, int start, int end,
                                                  int16_t distanceFromFile, QString* error) {
    const MeasurementRecord& r = doc.record();
    if (pics.isNull() || !doc.context().complete()) {
        if (error)
            *error = QStringLiteral("there is no picture to put in the workbook");
        return std::nullopt;
    }
    const MarkerTable table = TakeMarkers(doc, start, end, distanceFromFile);
    if (!table.ok) {
        if (error)
            *error = QStringLiteral("a marker's depth could not be computed");
        return std::nullopt;
    }
    const auto& C = doc.context().language->Captions;
    WorkbookBlock b;
    b.picturePng = EncodeWorkbookPicture(pics);
    b.pictureSize = pics.size();
    if (b.picturePng.isEmpty()) {
        if (error)
            *error = QStringLiteral("the picture could not be encoded");
        return std::nullopt;
    }
    b.fileName = fileNamePart(r.FilePath.isEmpty() ? r.FileName : r.FilePath);
    b.family940 = r.is940();
    b.halfSize = r.CoverMagnification != 0;
    auto& cells = b.cells;

    const bool timeAxis = r.Permittivity <= 0;
    const QString distUnit =
        r.XScale != 0 ? QStringLiteral(" (s)") : QStringLiteral(" (") + r.XUnit + QLatin1Char(')');
    textCell(cells, 0, 0, C[96]);
    textCell(cells, 1, 0, (r.XScale != 0 ? C[99] : C[97]) + distUnit);
    textCell(cells, 2, 0,
             timeAxis ? C[100] + QStringLiteral(" (ns)")
                      : C[98] + QStringLiteral(" (") + r.YUnit + QLatin1Char(')'));
    textCell(cells, 3, 0, C[105] + distUnit);
    int column = 1;
    for (const MarkerTableRow& row : table.rows) {
        cells.push_back({0, column, true, static_cast<double>(row.number), QStringLiteral("0")});
        figureCell(cells, 1, column, DistanceFigure(r, row.figures.distance));
        figureCell(cells, 2, column,
                   timeAxis ? TimeFigure(row.figures.timeNs) : DepthFigure(r, row.figures.depthCm));
        figureCell(cells, 3, column, DistanceFigure(r, row.pitch));
        ++column;
    }

    // Statistics of the markers in the table, by the marker list's rules.
    const MarkerStatistics::Texts stats = table.statistics.texts(r);
    textCell(cells, 5, 0, C[109]);
    cells.push_back({5, 1, true, static_cast<double>(table.rows.size()), QStringLiteral("0")});
    textCell(cells, 6, 1, timeAxis ? C[100] : C[98]);
    textCell(cells, 6, 2, C[105]);
    for (int i = 0; i < 3; ++i) {
        textCell(cells, 7 + i, 0, C[static_cast<size_t>(106 + i)]);
        for (int k : {4 + i, 7 + i}) {
            const auto s = static_cast<size_t>(k);
            if (!stats.set[s])
                continue;
            cells.push_back(
                {7 + i, k < 7 ? 1 : 2, true, stats.value[s],
                 numberFormat(stats.decimals[s], k < 7 ? stats.depthUnit : stats.pitchUnit)});
        }
    }
    complianceCells(doc, table, b.complianceCells);
    return b;
}

QString WorkbookErrorText(const QString& description, int number) {
    const QString crlf = QStringLiteral("\r\n");
    return QString::fromUtf8("エクセル保存に失敗しました。") + crlf + description + crlf +
           QString::fromUtf8("エラー番号 : ") + QString::number(number) + crlf +
           QString::fromUtf8("ExcelVer：") + WorkbookLibraryVersion() + crlf +
           QString::fromUtf8("お手数ですが、上記メッセージ内容を弊社までお知らせくださいますよう、"
                             "宜しくお願い致します。");
}

int WriteDataWorkbook(const WorkbookBlock& block, const QString& path, QString* error) {
    if (!fits(0, block, false)) {
        if (error)
            *error =
                WorkbookErrorText(QStringLiteral("the marker table does not fit on a sheet"), 0);
        return 1;
    }
    Workbook book;
    const int sheet = book.addSheet();
    writeBlock(book, sheet, 0, block, false);
    if (book.failed() || !book.save(path + QStringLiteral(".xlsx"), true)) {
        if (error)
            *error = WorkbookErrorText(book.errorText(), book.errorNumber());
        return 1;
    }
    return 0;
}

namespace {

int writeDataWorkbook(const MeasurementDocument& doc, const QImage& pics, const QString& path,
                      int start, int end, int16_t distanceFromFile, QString* error) {
    QString why;
    const std::optional<WorkbookBlock> block =
        PrepareWorkbookBlock(doc, pics, start, end, distanceFromFile, &why);
    if (!block) {
        if (error)
            *error = WorkbookErrorText(why, 0);
        return 1;
    }
    return WriteDataWorkbook(*block, path, error);
}

int appendDataWorkbook(CommonWorkbook& book, const MeasurementDocument& doc, const QImage& pics,
                       const QString& path, int start, int end, int16_t distanceFromFile,
                       bool lastFile, QString* error) {
    QString why;
    const std::optional<WorkbookBlock> block =
        PrepareWorkbookBlock(doc, pics, start, end, distanceFromFile, &why);
    if (!block) {
        if (error)
            *error = WorkbookErrorText(why, 0);
        return 1;
    }
    if (!book.append(*block, error))
        return 1;
    if (lastFile &&
        !book.finish(QFileInfo(path).absolutePath(), QDateTime::currentDateTime(), nullptr, error))
        return 1;
    return 0;
}

} // namespace

int WriteDataWorkbook730(const MeasurementDocument& doc, const QImage& pics, const QString& path,
                         int start, int end, int16_t distanceFromFile, QString* error) {
    return writeDataWorkbook(doc, pics, path, start, end, distanceFromFile, error);
}

int WriteDataWorkbook940(const MeasurementDocument& doc, const QImage& pics, const QString& path,
                         int start, int end, int16_t distanceFromFile, QString* error) {
    return writeDataWorkbook(doc, pics, path, start, end, distanceFromFile, error);
}

int AppendDataWorkbook730(CommonWorkbook& book, const MeasurementDocument& doc, const QImage& pics,
                          const QString& path, int start, int end, int16_t distanceFromFile, bool,
                          bool lastFile, QString* error) {
    return appendDataWorkbook(book, doc, pics, path, start, end, distanceFromFile, lastFile, error);
}

int AppendDataWorkbook940(CommonWorkbook& book, const MeasurementDocument& doc, const QImage& pics,
                          const QString& path, int start, int end, int16_t distanceFromFile, bool,
                          bool lastFile, QString* error) {
    return appendDataWorkbook(book, doc, pics, path, start, end, distanceFromFile, lastFile, error);
}

// ---- The common workbook ---------------------------------------------------------------------

CommonWorkbook::CommonWorkbook() = default;
CommonWorkbook::~CommonWorkbook() = default;

bool CommonWorkbook::append(const WorkbookBlock& block, QString* error) {
    if (!m_book) {
        m_book = std::make_unique<Workbook>();
        m_sheet = m_book->addSheet();
        m_K = 0;
        m_blocks = 0;
    }
    if (!fits(m_K, block, true)) {
        // Refused before anything is written: the blocks already added stay good.
        if (error)
            *error = WorkbookErrorText(QStringLiteral("the block does not fit on the sheet"), 0);
        return false;
    }
    if (!writeBlock(*m_book, m_sheet, m_K, block, true)) {
        if (error)
            *error = WorkbookErrorText(m_book->errorText(), m_book->errorNumber());
        // The library refused a write: the workbook cannot be trusted any more, so it is saved
        // as far as it got when the conversion finishes it. Nothing more is added.
        return false;
    }
    m_K += geometry(block, true).height;
    ++m_blocks;
    return true;
}

bool CommonWorkbook::finish(const QString& folder, const QDateTime& now, QString* savedPath,
                            QString* error) {
    if (!m_book)
        return true;
    std::unique_ptr<Workbook> book = std::move(m_book);
    m_sheet = -1;
    m_K = 0;
    m_blocks = 0;
    const QString stamp = now.toString(QStringLiteral("yyyyMMddHHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            stamp + (n > 1 ? QStringLiteral("_%1").arg(n) : QString()) + QStringLiteral(".xlsx");
        const QString path = joinPath(folder, name);
        if (QFileInfo::exists(path))
            continue;
        if (book->save(path, false)) {
            if (savedPath)
                *savedPath = path;
            return true;
        }
        if (book->failed()) // not a race for the name: give up
            break;
    }
    if (error)
        *error = WorkbookErrorText(
            book->failed()
                ? book->errorText()
                : QStringLiteral("no free file name in %1").arg(QDir::toNativeSeparators(folder)),
            book->errorNumber());
    return false;
}

void CommonWorkbook::discard() {
    m_book.reset();
    m_sheet = -1;
    m_K = 0;
    m_blocks = 0;
}

} // namespace rebar
