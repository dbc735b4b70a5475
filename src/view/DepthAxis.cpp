#include "view/DepthAxis.h"

#include "data/Family.h"
#include "processing/DepthScale.h"
#include "view/ViewFonts.h"

#include <QPainter>
#include <array>
#include <initializer_list>

namespace rebar {

namespace {

constexpr int NoTick = -100;
constexpr int AxisFontCell = 20;
constexpr int DepthStepMm = 50;

struct Ticks {
    std::vector<int> y;        // slot i - 1: the y of tick i, NoTick when empty
    std::vector<QString> text; // label of tick i (even ticks only)
    QString unit;
};

// Echo-time ticks: fixed rows per family, view range and cover magnification.
void timeTicks(int family, int range, bool half, Ticks& t) {
    std::vector<int> rows;
    auto steps = [&](int first, int step, int count) {
        for (int i = 0; i < count; ++i)
            rows.push_back(first + i * step);
    };
    const int r = range % 3;
    if (range < 0 || range > 5) {
        // no ticks for an unknown range
    } else if (family == 730) {
        if (r == 0)
            rows =
                half ? std::vector<int>{84, 148, 212, 276} : std::vector<int>{148, 276, 404, 532};
        else if (r == 1)
            rows = half ? std::vector<int>{63, 105, 148, 191, 233, 276}
                        : std::vector<int>{106, 191, 276, 361, 447, 532};
        else
            half ? steps(52, 32, 8) : steps(84, 64, 8);
    } else {
        if (r == 0)
            rows = half ? std::vector<int>{84, 148, 212, 276, 340}
                        : std::vector<int>{148, 276, 404, 532, 660};
        else if (r == 1)
            rows = half ? std::vector<int>{63, 105, 148, 191, 233, 276, 319, 362}
                        : std::vector<int>{106, 191, 276, 361, 447, 532, 617, 702};
        else
            half ? steps(52, 32, 11) : steps(84, 64, 11);
    }
    for (size_t i = 0; i < rows.size() && i < t.y.size(); ++i) {
        t.y[i] = rows[i];
        if ((i + 1) % 2 == 0)
            t.text[i] = QString::number(i + 1);
    }
    t.unit = QStringLiteral("(ns)");
}

QString depthLabel(const QString& unit, int q, bool family940) {
    if (unit == QLatin1String("m"))
        return QString::number(q / 10.0, 'f', 1);
    if (unit == QLatin1String("cm"))
        return QString::number(10 * q);
    if (unit == QLatin1String("mm"))
        return QString::number(100 * q);
    if (unit == QLatin1String("inch"))
        return QString::number(4 * q);
    if (family940 && unit == QLatin1String("ns"))
        return QString::number(q);
    return QString();
}

// Depth ticks every 50 mm: the 730 family fills 50..800 mm (a depth below the shown range gives
// y = -81, which ends the drawing); the 940 family stops at the first depth below the range.
template <typename Family>
void depthTicks(const MeasurementRecord& rec, const std::vector<int32_t>& table, Ticks& t) {
    constexpr bool is940 = Family::Number == 940;
    const int count = is940 ? Family::DepthAxisTickSlots : 800 / DepthStepMm;
    for (int i = 1; i <= count; ++i) {
        int depth = DepthStepMm * i;
        if (!is940 && i == 1 && rec.YUnit == QLatin1String("inch"))
            depth = 51;
        const int row = DepthToRow(table, depth);
        if (is940 && row == DepthBelowRange)
            break;
        t.y[static_cast<size_t>(i - 1)] = row + Family::DepthAxisRowOffset;
        if (i % 2 == 0)
            t.text[static_cast<size_t>(i - 1)] = depthLabel(rec.YUnit, i / 2, is940);
    }
    t.unit = rec.YUnit == QLatin1String("inch") ? QStringLiteral("(in)")
                                                : QLatin1Char('(') + rec.YUnit + QLatin1Char(')');
}

QString distanceUnitLabel(const MeasurementRecord& rec) {
    if (rec.XScale != 0)
        return QStringLiteral("(s)");
    if (rec.XUnit == QLatin1String("inch"))
        return QStringLiteral("(in)");
    return QLatin1Char('(') + rec.XUnit + QLatin1Char(')');
}

void drawText(QPainter& p, int x, int y, const QString& text) {
    if (!text.isEmpty())
        p.drawText(QRect(x, y, 200, 100), Qt::AlignLeft | Qt::AlignTop, text);
}

template <typename Family>
bool drawDepthAxis(const MeasurementRecord& rec, const CalibrationTables& tables,
                   std::vector<int32_t>& table, QImage& bitmap,
                   bool (*build)(const MeasurementRecord&, const CalibrationTables&,
                                 std::vector<int32_t>&)) {
    if (!build(rec, tables, table)) {
        bitmap = QImage();
        return false;
    }
    QImage img(DepthAxisWidth, Family::BModeHeight, QImage::Format_RGB32);
    if (img.isNull()) {
        bitmap = QImage();
        return false;
    }
    img.fill(Qt::white);

    Ticks t;
    t.y.assign(Family::DepthAxisTickSlots, NoTick);
    t.text.assign(Family::DepthAxisTickSlots, QString());
    if (rec.Permittivity == 0)
        timeTicks(Family::Number, rec.ViewRange, rec.CoverMagnification != 0, t);
    else
        depthTicks<Family>(rec, table, t);

    {
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        p.setFont(ArialCellFont(AxisFontCell));
        const int labelX =
            rec.YUnit == QLatin1String("mm") || rec.YUnit == QLatin1String("m") ? 14 : 20;
        const int belowRange = DepthBelowRange + Family730::DepthAxisRowOffset; // -81
        for (size_t i = 0; i < t.y.size(); ++i) {
            const int y = t.y[i];
            if (y == belowRange)
                break;
            if ((i + 1) % 2 == 1) {
                p.drawLine(45, y, DepthAxisWidth, y);
            } else {
                p.drawLine(40, y, DepthAxisWidth, y);
                drawText(p, labelX, y - 15, t.text[i]);
            }
        }
        drawText(p, 10, 20, t.unit);
        p.drawLine(0, 20, DepthAxisWidth, 20);
        drawText(p, 10, 0, distanceUnitLabel(rec));
    }
    bitmap = std::move(img);
    return true;
}

} // namespace

bool DrawDepthAxis730(const MeasurementRecord& rec, const CalibrationTables& tables,
                      std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap) {
    return drawDepthAxis<Family730>(rec, tables, RowDepthTable, DepthAxisBitmap,
                                    &BuildRowDepthTable730);
}

bool DrawDepthAxis940(const MeasurementRecord& rec, const CalibrationTables& tables,
                      std::vector<int32_t>& RowDepthTable, QImage& DepthAxisBitmap) {
    return drawDepthAxis<Family940>(rec, tables, RowDepthTable, DepthAxisBitmap,
                                    &BuildRowDepthTable940);
}

} // namespace rebar
