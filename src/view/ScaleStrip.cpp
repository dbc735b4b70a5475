#include "view/ScaleStrip.h"

#include "base/Numeric.h"
#include "view/Sprites.h"
#include "view/ViewFonts.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace rebar {

namespace {

constexpr int TickTop = 12;
constexpr int LabelCellNormal = 15;
constexpr int LabelCellWide = 12;
// More than one tick per trace means a meaningless distance adjustment; such a strip gets no
// distance ticks rather than one per pixel (or, at XAdjust -100, an endless loop).
constexpr double MinTracesPerTick = 1.0;

bool usableStep(double tracesPerTick) {
    return std::isfinite(tracesPerTick) && tracesPerTick >= MinTracesPerTick;
}

// The strip's drawing surface with the strip's pen, font and text rules. Labels stay whole
// inside the columns the composed image shows of the strip (it is copied one column right, or
// left when mirrored), moved in from an edge they would run over; a label that would run into
// one already written is left out, so that dense scales label every other tick or fewer.
class StripPainter {
public:
    StripPainter(QImage& img, bool wide, bool mirrored)
        : m_p(&img), m_height(img.height()), m_first(mirrored ? 1 : 0),
          m_last(img.width() - (mirrored ? 1 : 2)) {
        m_p.setPen(QPen(Qt::black, 1));
        m_p.setFont(ArialCellFont(wide ? LabelCellWide : LabelCellNormal));
        // Labels are drawn without a background box so that they never cut a tick they touch.
        m_p.setBackgroundMode(Qt::TransparentMode);
    }
    void tick(int x) { m_p.drawLine(x, TickTop, x, m_height); }
    void label(int x, const QString& text) {
        if (text.isEmpty())
            return;
        const int w = m_p.fontMetrics().horizontalAdvance(text);
        x = std::max(m_first, std::min(x, m_last - w + 1));
        const int right = x + w - 1;
        for (const auto& [a, b] : m_written)
            if (x <= b + LabelGap && right >= a - LabelGap)
                return;
        m_written.emplace_back(x, right);
        m_p.drawText(QRect(x, 0, 1000, m_height), Qt::AlignLeft | Qt::AlignTop, text);
    }
    void picture(int x, const QImage& img) { m_p.drawImage(x, 0, img); }

private:
    static constexpr int LabelGap = 2;
    QPainter m_p;
    int m_height;
    int m_first; // first and last strip columns the composed image shows
    int m_last;
    std::vector<std::pair<int, int>> m_written; // columns of the labels written
};

struct StripGeometry {
    int N = 0;         // TraceCount
    bool wide = false; // view ranges 3..5
    int d = 1;         // traces per column
    int W = 0;         // strip width
    bool mirrored = false;
};

StripGeometry geometryOf(const MeasurementRecord& rec) {
    StripGeometry g;
    g.N = rec.TraceCount;
    g.wide = rec.ViewRange >= 3 && rec.ViewRange <= 5;
    g.d = g.wide ? 2 : 1;
    g.W = g.wide ? g.N / 2 : g.N;
    g.mirrored = rec.Direction == 1;
    return g;
}

// The label of metric (or time) tick number k.
QString metricLabel(const MeasurementRecord& rec, int64_t k) {
    if (rec.XScale != 0)
        return QString::number(2.0 * static_cast<double>(k), 'f', 1);
    if (rec.XUnit == QLatin1String("m"))
        return QString::number(static_cast<double>(k) / 10.0, 'f', 1);
    if (rec.XUnit == QLatin1String("cm"))
        return QString::number(10 * k);
    if (rec.XUnit == QLatin1String("mm"))
        return QString::number(100 * k);
    return QString();
}

bool metricScale(const MeasurementRecord& rec) {
    return rec.XUnit != QLatin1String("inch") || rec.XScale != 0;
}

void drawTicks730(const MeasurementRecord& rec, const StripGeometry& g, StripPainter& sp) {
    // Origin.
    QString origin;
    if (rec.XUnit == QLatin1String("m") || rec.XScale == 1)
        origin = QStringLiteral("0.0");
    else if (rec.XUnit == QLatin1String("cm") || rec.XUnit == QLatin1String("mm") ||
             rec.XUnit == QLatin1String("inch"))
        origin = QStringLiteral("0");
    sp.tick(g.mirrored ? g.W : 0);
    sp.label(g.mirrored ? g.W - 15 : 0, origin);

    const double adjust = static_cast<double>(rec.XAdjust) + 100.0;
    if (metricScale(rec)) {
        const double s = 4000.0 / adjust; // traces per 0.1 m
        if (!usableStep(s))
            return;
        for (int64_t k = 1;; ++k) {
            int64_t l = 0;
            if (!roundTo(static_cast<double>(k) * s, l) || l > g.N)
                break;
            const int x = static_cast<int>(g.mirrored ? (g.N - l + 1) / g.d : (l - 1) / g.d);
            sp.tick(x);
            sp.label(g.mirrored ? x - 15 : x, metricLabel(rec, k));
        }
        return;
    }
    if (!(adjust > 0))
        return;
    const int step = g.wide ? 10 : 5; // inches a tick
    for (int64_t n = step; static_cast<double>(n) * 25.4 <= static_cast<double>(g.N) * 2.5;
         n += step) {
        int64_t l = 0;
        if (!roundTo(static_cast<double>(n) * 25.4 * 100.0 / adjust / 2.5, l))
            break;
        int64_t x = 0;
        if (!g.wide)
            x = g.mirrored ? g.N - l : l - 1;
        else
            x = g.mirrored ? (g.N - l + 1) / 2 : (l - 1) / 2;
        sp.tick(static_cast<int>(x));
        sp.label(static_cast<int>(g.mirrored ? x - 15 : x), QString::number(n));
    }
}

// The first tick number whose trace (0-based from the file's first trace), round(k x step),
// is held when the file's first `skipped` traces are not.
bool firstHeldTick(double step, int64_t skipped, int64_t& k) {
    k = skipped > 0 ? static_cast<int64_t>(std::floor(static_cast<double>(skipped) / step)) : 0;
    for (int64_t l = 0; roundTo(static_cast<double>(k) * step, l) && l < skipped;)
        ++k;
    int64_t l = 0;
    return roundTo(static_cast<double>(k) * step, l);
}

// Ticks count the file's traces from its first one; the record holds them from trace
// SkippedTraces + 1 on (a 940 file longer than the traces kept), so tick k of the file stands
// at held trace round(k x step) - SkippedTraces + 1.
void drawTicks940(const MeasurementRecord& rec, const StripGeometry& g, StripPainter& sp) {
    const int64_t skipped = std::max(rec.SkippedTraces, 0);
    const double adjust = static_cast<double>(rec.XAdjust) + 100.0;
    if (metricScale(rec)) {
        const double s = 4000.0 / adjust;
        int64_t k = 0;
        if (!usableStep(s) || !firstHeldTick(s, skipped, k))
            return;
        for (;; ++k) {
            int64_t l = 0;
            if (!roundTo(static_cast<double>(k) * s, l))
                break;
            l += 1 - skipped;
            if (l > g.N)
                break;
            if (g.mirrored) {
                const int x = static_cast<int>((g.N - l + 1) / g.d);
                sp.tick(x);
                sp.label(x - 11, metricLabel(rec, k));
            } else {
                const int x = static_cast<int>((l - 1) / g.d);
                sp.tick(x);
                sp.label(x, metricLabel(rec, k));
            }
        }
        return;
    }
    const double t = 1016.0 / adjust * 5.0 * g.d; // traces per labelled tick
    int64_t k = 0;
    if (!usableStep(t) || !firstHeldTick(t, skipped, k))
        return;
    for (;; ++k) {
        int64_t l = 0;
        if (!roundTo(static_cast<double>(k) * t, l))
            break;
        l -= skipped;
        if (l > g.N)
            break;
        const int x = static_cast<int>(g.mirrored ? (g.N - l + 3) / g.d : (l - 1) / g.d);
        sp.tick(x);
        sp.label(x - 15, QString::number(5 * g.d * k));
    }
}

// Flags of the recorded marks and the processing-line arrow.
template <typename Sample, typename IsMark>
void drawMarksAndArrow(const MeasurementRecord& rec, const Matrix<Sample>& work,
                       const StripGeometry& g, IsMark isMark, StripPainter& sp) {
    const QImage& flag = MarkFlagPicture();
    if (!g.wide) {
        const int o = g.mirrored ? g.N - 1 : 0;
        for (int t = 1; t <= g.N; ++t)
            if (isMark(work(t, 0)))
                sp.picture(std::abs(o - t) - 5, flag);
    } else {
        const int o = g.mirrored ? (g.N - 1) / 2 : 0;
        int i = 1;
        for (int t = 1; t < g.N - 1; t += 2, ++i)
            if (isMark(work(t, 0)) || isMark(work(t + 1, 0)))
                sp.picture(std::abs(o - i) - 5, flag);
    }
    if (rec.ProcessingLine >= 1) {
        int64_t c =
            g.mirrored ? static_cast<int64_t>(g.N) - rec.ProcessingLine : rec.ProcessingLine;
        if (g.wide)
            c /= 2;
        if (c >= INT32_MIN / 2 && c <= INT32_MAX / 2)
            sp.picture(static_cast<int>(c) - 3, ProcessingLineArrow());
    }
}

template <typename Sample> bool workHolds(const Matrix<Sample>& work, int N) {
    return N >= 0 && (N == 0 || (work.hasTrace(1) && work.hasTrace(N)));
}

QImage newStrip(int W) {
    QImage img(W, ScaleStripHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

} // namespace

bool DrawScaleStrip730(const MeasurementRecord& rec, QImage& strip) {
    const StripGeometry g = geometryOf(rec);
    if (!workHolds(rec.Work730, g.N))
        return false;
    if (g.W <= 0) {
        strip = QImage();
        return true;
    }
    QImage img = newStrip(g.W);
    {
        StripPainter sp(img, g.wide, g.mirrored);
        drawTicks730(rec, g, sp);
        drawMarksAndArrow(
            rec, rec.Work730, g, [](int16_t w) { return w == 32 || w == 48; }, sp);
    }
    strip = std::move(img);
    return true;
}

bool DrawScaleStrip940(const MeasurementRecord& rec, QImage& strip) {
    const StripGeometry g = geometryOf(rec);
    if (!workHolds(rec.Work940, g.N))
        return false;
    if (g.W <= 0) {
        strip = QImage();
        return true;
    }
    QImage img = newStrip(g.W);
    {
        StripPainter sp(img, g.wide, g.mirrored);
        drawTicks940(rec, g, sp);
        drawMarksAndArrow(
            rec, rec.Work940, g, [](int32_t w) { return w == 1; }, sp);
    }
    strip = std::move(img);
    return true;
}

} // namespace rebar
