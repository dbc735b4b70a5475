#include "report/ReportModel.h"

#include <algorithm>

namespace rebar {

double FitScale(double w, double h, double limitW, double limitH) {
    double k = 1;
    if (limitW > 0 && w > limitW)
        k = std::max(k, w / limitW);
    if (limitH > 0 && h > limitH)
        k = std::max(k, h / limitH);
    return k;
}

ReportTexts DefaultReportTexts(bool japanese) {
    ReportTexts t;
    static const char* const jp[] = {"タイトル",   "工事件名：", "現場名：",
                                     "測定日：",   "測定者：",   "測定位置：",
                                     "使用機器：", "測定設定：", "備考："};
    static const char* const en[] = {
        "TiTle:",    "Name:",      "Site name:", "Date:",   "Measurer:",
        "Position:", "Equipment:", "Setting:",   "Remarks:"};
    for (int i = 0; i < ReportHeaderItemCount; ++i)
        t.header[static_cast<size_t>(i)] = QString::fromUtf8(japanese ? jp[i] : en[i]);
    const QString remarks = QString::fromUtf8(japanese ? "備考：" : "Remarks：");
    t.photoTitle.fill(QString::fromUtf8(japanese ? "写真タイトル" : "Photo Title"));
    t.photoRemarks.fill(remarks);
    t.dataNumber.fill(QStringLiteral("No."));
    t.dataTitle.fill(QString::fromUtf8(japanese ? "データタイトル" : "Data Title"));
    t.dataRemarks.fill(remarks);
    return t;
}

// ---- Loading and the initial layout ---------------------------------------------------------

void ReportModel::Load(const ReportLayout& layout, bool japanese) {
    m_geometry = &GeometryOf(layout.Sheet);
    m_slots = ReportSlots{};
    m_slots.options = layout;
    m_texts = DefaultReportTexts(japanese);
    m_state.fill(SlotIdle);
    m_pending = {};

    const int photos = std::clamp<int>(layout.PhotoNum, 0, ReportPhotoSlots);
    for (int i = 0; i < photos; ++i) {
        PhotoSlot& p = m_slots.photos[static_cast<size_t>(i)];
        p.InUse = 1;
        p.Landscape = layout.PDir != 0 ? 1 : 0;
        p.HasTitle = layout.PTitle != 0 ? 1 : 0;
        p.HasRemarks = layout.PText1 != 0 ? 1 : 0;
        layoutPhoto(p);
    }
    const int data = std::clamp<int>(layout.DataNum, 1, ReportDataSlots);
    for (int i = 0; i < data; ++i) {
        DataSlot& d = m_slots.data[static_cast<size_t>(i)];
        d.InUse = 1;
        d.Size = static_cast<int16_t>(DataSizeRows(layout.DSize));
        d.HasNumber = layout.DNo != 0 ? 1 : 0;
        d.HasTitle = layout.DTitle != 0 ? 1 : 0;
        d.HasMarkers = layout.DMark != 0 ? 1 : 0;
        d.HasRemarks = layout.DText1 != 0 ? 1 : 0;
        layoutData(d);
    }
    m_slots.PhotoNum = static_cast<int16_t>(photos);
    m_slots.DataNum = static_cast<int16_t>(data);
    m_currentPage = 1;
    initialLayout();
}

void ReportModel::initialLayout() {
    LayoutHeader();
    m_slots.lines.clear();
    // Photos fill lines with the per-line count of their orientation.
    const bool landscape = m_slots.options.PDir != 0;
    const int perLine =
        landscape ? geometry().PhotosPerLineLandscape : geometry().PhotosPerLinePortrait;
    ReportLine line;
    for (int i = 0; i < ReportPhotoSlots; ++i) {
        PhotoSlot& p = m_slots.photos[static_cast<size_t>(i)];
        if (!p.InUse)
            continue;
        const int k = static_cast<int>(line.entries.size());
        p.Col = static_cast<int16_t>((FrameWidth(landscape) + 1) * k + 2);
        line.entries.push_back(i);
        if (static_cast<int>(line.entries.size()) == perLine) {
            m_slots.lines.push_back(line);
            line.entries.clear();
        }
    }
    if (!line.entries.empty())
        m_slots.lines.push_back(line);
    for (int i = 0; i < ReportDataSlots; ++i)
        if (m_slots.data[static_cast<size_t>(i)].InUse)
            m_slots.lines.push_back(ReportLine{true, {i}});
    PlaceReport();
}

void ReportModel::LayoutHeader() {
    int32_t row = 1;
    bool pending = false; // a standard-width item waits for a partner on its row
    for (int n = 0; n < ReportHeaderItemCount; ++n) {
        HeaderPlace& h = m_slots.header[static_cast<size_t>(n)];
        const ReportHeaderOption& o = m_slots.options.HeaderItems[static_cast<size_t>(n)];
        h = HeaderPlace{};
        if (o.Shown != 1)
            continue;
        h.Shown = true;
        if (o.Wide == 1) {
            h = {true, 2, ++row, 30};
            pending = false;
        } else if (!pending) {
            h = {true, 2, ++row, 15};
            pending = true;
        } else {
            h = {true, 17, row, 15};
            pending = false;
        }
    }
    m_slots.headerLastRow = row;
}

void ReportModel::layoutPhoto(PhotoSlot& p) const {
    const bool landscape = p.Landscape != 0;
    p.Width = static_cast<int16_t>(FrameWidth(landscape));
    p.PictureHeight = static_cast<int16_t>(FrameHeight(landscape));
    p.TitleRow = 0;
    p.PictureRow = p.HasTitle ? 1 : 0;
    p.RemarksRow = static_cast<int16_t>(p.PictureRow + p.PictureHeight);
    p.Height =
        static_cast<int16_t>(p.PictureHeight + (p.HasTitle ? 1 : 0) + (p.HasRemarks ? 1 : 0));
}

// The rows of a data slot from its options: number and title on the first row, the picture,
// the marker tables (four rows until a file has delivered its tables), the remarks.
void ReportModel::layoutData(DataSlot& d) const {
    d.Col = 2;
    d.Width = static_cast<int16_t>(geometry().DataWidth);
    d.NumberRow = 0;
    d.TitleRow = 0;
    d.TitleCol = d.HasNumber ? 6 : 0;
    d.PictureRow = (d.HasNumber || d.HasTitle) ? 1 : 0;
    int32_t rows = d.PictureRow + d.Size;
    d.Grids = {};
    d.MarkerRow = rows;
    if (d.HasMarkers) {
        if (d.Delivered) {
            for (int g = 0; g < ReportMarkerGridCount; ++g) {
                const int n = d.MarkerCounts[static_cast<size_t>(g)];
                if (n <= 0)
                    continue;
                const int32_t h = MarkerGridRows(n, geometry().MarkersPerLine);
                d.Grids[static_cast<size_t>(g)] = {1, rows, h};
                rows += h;
            }
        } else {
            rows += MarkerBandRows;
        }
        d.ComplianceRow = rows;
        if (d.Delivered)
            rows += ComplianceTableRows(static_cast<int>(d.Compliance.size()));
    }
    d.RemarksRow = rows;
    d.Height = rows + (d.HasRemarks ? 1 : 0);
}

// ---- Lines ------------------------------------------------------------------------------------

std::array<std::array<int16_t, ReportLineEntries>, ReportLineLimit>
ReportModel::ReportLines() const {
    std::array<std::array<int16_t, ReportLineEntries>, ReportLineLimit> t{};
    for (size_t k = 0; k < m_slots.lines.size() && k < t.size(); ++k) {
        const ReportLine& l = m_slots.lines[k];
        if (l.data) {
            t[k][0] = static_cast<int16_t>(101 + l.entries.front());
            continue;
        }
        for (size_t e = 0; e < l.entries.size() && e < t[k].size(); ++e)
            t[k][e] = static_cast<int16_t>(l.entries[e] + 1);
    }
    return t;
}

int32_t ReportModel::LineTop(int k) const {
    const ReportLine& l = m_slots.lines[static_cast<size_t>(k)];
    if (l.entries.empty())
        return 0;
    return l.data ? data(l.entries.front()).Row : photo(l.entries.front()).Row;
}

int32_t ReportModel::LineHeight(int k) const {
    const ReportLine& l = m_slots.lines[static_cast<size_t>(k)];
    int32_t h = 0;
    for (int s : l.entries)
        h = std::max<int32_t>(h, l.data ? data(s).Height : photo(s).Height);
    return h;
}

int ReportModel::LineOfPhoto(int i) const {
    for (size_t k = 0; k < m_slots.lines.size(); ++k) {
        const ReportLine& l = m_slots.lines[k];
        if (!l.data && std::find(l.entries.begin(), l.entries.end(), i) != l.entries.end())
            return static_cast<int>(k);
    }
    return -1;
}

int ReportModel::LineOfData(int i) const {
    for (size_t k = 0; k < m_slots.lines.size(); ++k)
        if (m_slots.lines[k].data && m_slots.lines[k].entries.front() == i)
            return static_cast<int>(k);
    return -1;
}

void ReportModel::placeLine(int k, int32_t top) {
    ReportLine& l = m_slots.lines[static_cast<size_t>(k)];
    for (int s : l.entries) {
        if (l.data)
            m_slots.data[static_cast<size_t>(s)].Row = top;
        else
            m_slots.photos[static_cast<size_t>(s)].Row = top;
    }
}

// Lines follow one another with one blank row between them. A line that would reach the last
// row of its page starts on the second row of the next page, so the first and last row of
// every page stay blank. A line higher than a page that already starts on a page's second row
// stays there (moving it would only leave a blank page).
void ReportModel::PlaceReport() {
    const int rowsPerPage = geometry().PageRows;
    bool anyHeader = false;
    for (const HeaderPlace& h : m_slots.header)
        anyHeader = anyHeader || h.Shown;
    int32_t top = anyHeader ? m_slots.headerLastRow + 2 : 2;
    int page = 1;
    int32_t bottom = 0;
    for (int k = 0; k < static_cast<int>(m_slots.lines.size()); ++k) {
        const int32_t h = LineHeight(k);
        if (k > 0)
            top = bottom + 2;
        if (top > page * rowsPerPage) {
            page = geometry().pageOf(top);
            if (top == geometry().firstRowOf(page))
                ++top;
        }
        if (top + h - 1 >= page * rowsPerPage && top != geometry().firstRowOf(page) + 1) {
            top = page * rowsPerPage + 2;
            ++page;
        }
        placeLine(k, top);
        bottom = top + h - 1;
    }
    m_pageCount = m_slots.lines.empty() ? 1 : geometry().pageOf(bottom);
    clampPage();
}

void ReportModel::clampPage() {
    m_currentPage = std::clamp(m_currentPage, 1, std::max(1, m_pageCount));
}

void ReportModel::ReflowPhotos(int j) {
    auto& lines = m_slots.lines;
    if (j < 0 || j >= static_cast<int>(lines.size()) || lines[static_cast<size_t>(j)].data)
        return;
    std::vector<int> group;
    int end = j;
    while (end < static_cast<int>(lines.size()) && !lines[static_cast<size_t>(end)].data) {
        const auto& s = lines[static_cast<size_t>(end)].entries;
        group.insert(group.end(), s.begin(), s.end());
        ++end;
    }
    lines.erase(lines.begin() + j, lines.begin() + end);
    std::vector<ReportLine> fresh;
    int column = 2;
    for (int n : group) {
        PhotoSlot& p = m_slots.photos[static_cast<size_t>(n)];
        const bool fits = column + p.Width + 1 < geometry().PageColumns;
        if (fresh.empty() || !fits ||
            static_cast<int>(fresh.back().entries.size()) == ReportLineEntries) {
            fresh.push_back(ReportLine{false, {}});
            column = 2;
        }
        p.Col = static_cast<int16_t>(column);
        column += p.Width + 1;
        fresh.back().entries.push_back(n);
    }
    lines.insert(lines.begin() + j, fresh.begin(), fresh.end());
}

void ReportModel::reflowAllPhotoGroups() {
    for (int k = 0; k < static_cast<int>(m_slots.lines.size()); ++k)
        if (!m_slots.lines[static_cast<size_t>(k)].data &&
            (k == 0 || m_slots.lines[static_cast<size_t>(k - 1)].data))
            ReflowPhotos(k);
}

void ReportModel::RestoreSlots(const ReportSlots& s) {
    m_slots = s;
    PlaceReport();
}

// ---- Paging -------------------------------------------------------------------------------------

void ReportModel::PreviousPage() {
    if (m_currentPage >= 2)
        --m_currentPage;
}

void ReportModel::NextPage() {
    if (m_currentPage < m_pageCount)
        ++m_currentPage;
}

QString ReportModel::PageLabel(int side) const {
    return QStringLiteral("P%1 / %2").arg(m_currentPage + (side == 0 ? 0 : 1)).arg(m_pageCount);
}

std::optional<QPoint> ReportModel::BlockOrigin(int col, int row) const {
    const int side = geometry().pageOf(row) - m_currentPage + 1;
    if (side != 1 && side != 2)
        return std::nullopt;
    const int left = ((side - 1) * geometry().PageColumns + col) * ReportCellTwips;
    const int top = (row - (m_currentPage + side - 2) * geometry().PageRows) * ReportCellTwips;
    return QPoint(left, top);
}

std::optional<QPoint> ReportModel::HeaderOrigin(int i) const {
    const HeaderPlace& h = m_slots.header[static_cast<size_t>(i)];
    if (!h.Shown || m_currentPage != 1)
        return std::nullopt;
    return QPoint(h.Col * ReportCellTwips, h.Row * ReportCellTwips);
}

DropCell ReportModel::DropCellAt(int xTwips, int yTwips) const {
    DropCell c;
    if (xTwips < geometry().PLine) {
        c.column = xTwips / ReportCellTwips;
        c.page = m_currentPage;
    } else {
        c.column = (xTwips - geometry().PLine) / ReportCellTwips;
        c.page = m_currentPage + 1;
    }
    c.row = (c.page - 1) * geometry().PageRows + yTwips / ReportCellTwips;
    return c;
}

} // namespace rebar
