#include "view/AModeTrace.h"

#include "base/Numeric.h"

#include <QPainter>
#include <QPolygon>

namespace rebar {

namespace {

// The width the trace is drawn in, whatever the width of its picture.
constexpr int TraceWidth = 128;

// The matrix and sample read for display row i (1-based) of the cursor trace.
template <typename T>
bool sampleOfRow(const Matrix<T>& full, const Matrix<T>& x2, int trace, int row, int viewRange,
                 bool half, int& value) {
    const Matrix<T>* m = &x2;
    int s = 0;
    switch (viewRange) {
    case 0:
    case 3:
        s = half ? 2 * row - 1 : row;
        break;
    case 1:
    case 4: {
        const int mm = (row - 1) / 2;
        s = half ? 6 * mm + 1 : 3 * mm + 1;
        break;
    }
    case 2:
    case 5:
        m = &full;
        s = half ? 2 * row - 1 : row;
        break;
    default:
        return false;
    }
    if (!m->contains(trace, s))
        return false;
    value = (*m)(trace, s);
    return true;
}

} // namespace

bool AModeValueOfRow(const MeasurementRecord& r, int trace, int row, int& value) {
    const bool half = r.CoverMagnification != 0;
    return r.is940() ? sampleOfRow(r.Work940, r.Work940x2, trace, row, r.ViewRange, half, value)
                     : sampleOfRow(r.Work730, r.Work730x2, trace, row, r.ViewRange, half, value);
}

void DrawAModeTrace(const MeasurementRecord& r, int column, QImage& picture) {
    picture.fill(Qt::white);
    const bool f940 = r.is940();
    const bool half = r.CoverMagnification != 0;
    const int rows = (f940 ? 768 : 512) / (half ? 2 : 1);
    const bool wide = r.ViewRange >= 3 && r.ViewRange <= 5;
    const int trace = wide ? 2 * column : column;
    QPolygon points;
    points.reserve(rows);
    for (int i = 1; i <= rows; ++i) {
        int v = 0;
        if (!AModeValueOfRow(r, trace, i, v))
            break;
        // Zero echo lands on the zero line, x = 64, the middle of the trace's 128 columns: the
        // 730 family's 12-bit value scaled down, the 940 family's signed value around it.
        const int x = f940 ? static_cast<int>(roundHalfEven(truncDiv(v, 512) + TraceWidth / 2.0))
                           : truncDiv(v, 32);
        points << QPoint(x, i + 20);
    }
    QPainter p(&picture);
    p.setPen(Qt::black);
    if (!points.isEmpty())
        p.drawPolyline(points);
    p.drawLine(0, 20, TraceWidth, 20);
    p.drawLine(TraceWidth / 2, 20, TraceWidth / 2, picture.height());
}

} // namespace rebar
