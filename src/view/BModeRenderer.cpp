#include "view/BModeRenderer.h"

#include "data/Family.h"
#include "view/ColorMap.h"
#include "view/ScaleStrip.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace rebar {

namespace {

// Columns drawn together: few enough that the lines of their traces stay cached between rows
// whatever the trace length (measured best among 4..64).
constexpr int ColumnBlock = 8;

// Which sample every bitmap row shows, from the top; rows below the list stay black.
struct RowPlan {
    bool doubleDensity = true;    // Work*x2 (ranges 0, 1, 3, 4) or Work* (ranges 2, 5)
    std::vector<int> sampleOfRow; // sample index drawn on bitmap row 0, 1, 2, ...
    int highestSample = 0;
};

template <typename Family> bool planRows(const MeasurementRecord& rec, RowPlan& plan) {
    constexpr int M = Family::DisplayRows;
    const bool half = rec.CoverMagnification != 0;
    auto& rows = plan.sampleOfRow;
    rows.clear();
    switch (rec.ViewRange) {
    case 0:
    case 3:
    case 2:
    case 5:
        plan.doubleDensity = rec.ViewRange == 0 || rec.ViewRange == 3;
        // Samples 1..M at full size, every second one (1, 3, 5, ...) at half size.
        for (int s = 1; s <= M; s += half ? 2 : 1)
            rows.push_back(s);
        break;
    case 1:
    case 4: {
        plan.doubleDensity = true;
        // Sample 1 + 3g (1 + 6g at half size) on rows 2g and 2g + 1, down to two rows below
        // the shown rows.
        const int lastRow = half ? M / 2 : M;
        for (int g = 0, s = 1; s <= 2 * M && 2 * g <= lastRow; ++g, s += half ? 6 : 3) {
            rows.push_back(s);
            rows.push_back(s);
        }
        break;
    }
    default:
        return false;
    }
    if (static_cast<int>(rows.size()) > Family::BModeHeight)
        rows.resize(Family::BModeHeight);
    plan.highestSample = 0;
    for (int s : rows)
        plan.highestSample = std::max(plan.highestSample, s);
    return true;
}

// Trace shown in every image column (0: none, the column stays black).
std::vector<int> planColumns(const MeasurementRecord& rec, int W) {
    const int N = rec.TraceCount;
    const bool wide = rec.ViewRange >= 3;
    const bool mirrored = rec.Direction == 1;
    std::vector<int> traceOfColumn(static_cast<size_t>(W), 0);
    const int x0 = mirrored ? (wide ? (N - 1) / 2 : N - 1) : 0;
    int k = 1;
    for (int t = 1; t <= N; t += wide ? 2 : 1, ++k) {
        const int col = mirrored ? x0 - k : k;
        if (col >= 0 && col < W)
            traceOfColumn[static_cast<size_t>(col)] = t;
    }
    return traceOfColumn;
}

void fillRow(QImage& img, int y, QRgb c) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    std::fill(line, line + img.width(), c);
}

// Copies the strip into rows 0..19, one column right (left when mirrored); the vacated column
// stays black.
void placeStrip(QImage& composed, const QImage& strip, bool mirrored) {
    const int W = composed.width();
    for (int y = 0; y < ScaleStripHeight; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(composed.scanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
        if (mirrored) {
            std::memcpy(dst, src + 1, sizeof(QRgb) * static_cast<size_t>(W - 1));
            dst[W - 1] = ColorBlack;
        } else {
            dst[0] = ColorBlack;
            std::memcpy(dst + 1, src, sizeof(QRgb) * static_cast<size_t>(W - 1));
        }
    }
}

// Progress of the drawing: 77 before, 82/87/92 past traces 1500/3000/4500, 99 at the end.
class DrawProgress {
public:
    explicit DrawProgress(const ProgressFn* fn) : m_fn(fn && *fn ? fn : nullptr) {}
    void start() { report(77); }
    void drawn(int trace) {
        while (m_fn && m_next < 3 && trace >= Thresholds[m_next])
            report(Percents[m_next++]);
    }
    void finish() { report(99); }

private:
    static constexpr int Thresholds[3] = {1500, 3000, 4500};
    static constexpr int Percents[3] = {82, 87, 92};
    void report(int percent) {
        if (m_fn)
            (*m_fn)(percent);
    }
    const ProgressFn* m_fn;
    int m_next = 0;
};

template <typename Family, typename Lut>
bool renderBMode(const MeasurementRecord& rec, const Lut& lut, const QImage& strip,
                 ViewImages& images, DrawProgress& progress) {
    using Sample = typename Family::Sample;
    const int N = rec.TraceCount;
    RowPlan plan;
    if (!planRows<Family>(rec, plan))
        return false;
    const Matrix<Sample>& m = plan.doubleDensity ? Family::workX2(rec) : Family::work(rec);
    if (!m.hasTrace(1) || !m.hasTrace(N) || m.lastSample() < plan.highestSample)
        return false;

    const int W = BModeImageWidth(rec);
    if (W <= 0) {
        progress.start();
        progress.finish();
        images.ComposedImage = QImage();
        return true;
    }
    if (strip.width() != W)
        return false;
    QImage composed = TakeForRedraw(images.ComposedImage, W, Family::ComposedHeight);
    if (composed.isNull())
        return false;

    progress.start();
    placeStrip(composed, strip, rec.Direction == 1);
    const int drawnRows = static_cast<int>(plan.sampleOfRow.size());
    for (int y = ScaleStripHeight; y < BModeTop; ++y)
        fillRow(composed, y, ColorBlack);
    for (int y = BModeTop + drawnRows; y < Family::ComposedHeight; ++y)
        fillRow(composed, y, ColorBlack);

    // Blocks of columns, each drawn row by row: the block's traces are read in order and each
    // row segment is written in one go, touching few pages (a column at a time would touch a
    // new page with every pixel).
    const std::vector<int> traceOfColumn = planColumns(rec, W);
    const int* rowSample = plan.sampleOfRow.data();
    const bool mirrored = rec.Direction == 1;
    const int blocks = (W + ColumnBlock - 1) / ColumnBlock;
    const Sample* traces[ColumnBlock];
    uchar* const top = composed.bits() + static_cast<qsizetype>(BModeTop) * composed.bytesPerLine();
    const qsizetype bpl = composed.bytesPerLine();
    auto row = [&](int r) { return reinterpret_cast<QRgb*>(top + r * bpl); };
    for (int b = 0; b < blocks; ++b) {
        // Blocks in the order their traces are drawn, so progress follows the traces.
        const int x0 = (mirrored ? blocks - 1 - b : b) * ColumnBlock;
        const int n = std::min(ColumnBlock, W - x0);
        int lastTrace = 0;
        for (int j = 0; j < n; ++j) {
            const int t = traceOfColumn[static_cast<size_t>(x0 + j)];
            traces[j] = m.trace(t == 0 ? 1 : t); // black columns are painted over below
            lastTrace = std::max(lastTrace, t);
        }
        for (int r = 0; r < drawnRows; ++r) {
            QRgb* dst = row(r) + x0;
            if (r > 0 && rowSample[r] == rowSample[r - 1]) {
                // The same sample on a second row (ranges 1 and 4).
                std::memcpy(dst, row(r - 1) + x0, sizeof(QRgb) * static_cast<size_t>(n));
                continue;
            }
            const int s = rowSample[r];
            for (int j = 0; j < n; ++j)
                dst[j] = lut(traces[j][s]);
        }
        for (int j = 0; j < n; ++j)
            if (traceOfColumn[static_cast<size_t>(x0 + j)] == 0)
                for (int r = 0; r < drawnRows; ++r)
                    row(r)[x0 + j] = ColorBlack;
        progress.drawn(lastTrace);
    }
    progress.finish();
    images.ComposedImage = std::move(composed);
    return true;
}

} // namespace

int BModeImageWidth(const MeasurementRecord& rec) {
    return rec.ViewRange >= 3 && rec.ViewRange <= 5 ? rec.TraceCount / 2 : rec.TraceCount;
}

bool RenderBMode730(const MeasurementRecord& rec, const CalibrationTables& tables,
                    ViewImages& images) {
    if (rec.TraceCount < 1)
        return false;
    QImage strip;
    if (!DrawScaleStrip730(rec, strip))
        return false;
    const ColorLut730 lut(rec.ColorCode, tables);
    DrawProgress none(nullptr);
    return renderBMode<Family730>(rec, lut, strip, images, none);
}

bool RenderBMode940(const MeasurementRecord& rec, const CalibrationTables& tables,
                    ViewImages& images, const ProgressFn& progress) {
    if (rec.TraceCount < 1)
        return false;
    QImage strip;
    if (!DrawScaleStrip940(rec, strip))
        return false;
    const ColorLut940 lut(rec.ColorCode, tables);
    DrawProgress report(&progress);
    return renderBMode<Family940>(rec, lut, strip, images, report);
}

} // namespace rebar
