#include "view/MarkerOverlay.h"

#include "data/Family.h"
#include "data/Markers.h"
#include "view/ColorMap.h"
#include "view/MarkerFigures.h"
#include "view/Sprites.h"
#include "view/ViewFonts.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <optional>

namespace rebar {

namespace {

constexpr int LabelCell = 15;

// The overlay's starting picture: the composed image cut or padded (black) to width x height,
// drawn into the previous overlay when it can be reused.
QImage overlayBase(const QImage& composed, QImage& previous, int width, int height) {
    QImage img = TakeForRedraw(previous, width, height);
    if (img.isNull())
        return img;
    const int cw = composed.isNull() ? 0 : std::min(composed.width(), width);
    const int ch = composed.isNull() ? 0 : composed.height();
    for (int y = 0; y < height; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        int from = 0;
        if (y < ch) {
            std::memcpy(dst, composed.constScanLine(y), sizeof(QRgb) * static_cast<size_t>(cw));
            from = cw;
        }
        std::fill(dst + from, dst + width, ColorBlack);
    }
    return img;
}

class MarkerPainter {
public:
    explicit MarkerPainter(QImage& img) : m_p(&img), m_w(img.width()), m_h(img.height()) {
        m_p.setFont(ArialCellFont(LabelCell));
        m_p.setPen(Qt::black);
        m_p.setBackgroundMode(Qt::OpaqueMode);
        m_p.setBackground(Qt::white);
    }
    // The mask ANDed at (left, maskTop), the picture ORed at (left, top), the label at
    // (left, labelTop).
    void marker(int64_t left, int64_t maskTop, int64_t top, int64_t labelTop, const QString& label,
                bool warning) {
        if (!near(left) || !near(maskTop) || !near(top) || !near(labelTop))
            return; // far outside the picture: nothing of it would show
        const int x = static_cast<int>(left);
        m_p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        m_p.drawImage(x, static_cast<int>(maskTop), MarkFlagPicture());
        m_p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        m_p.drawImage(x, static_cast<int>(top), warning ? WarningMarkerPicture() : MarkerPicture());
        m_p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        m_p.drawText(QRect(x, static_cast<int>(labelTop), 1000, 100), Qt::AlignLeft | Qt::AlignTop,
                     label);
    }

private:
    bool near(int64_t v) const {
        const int64_t margin = 2000;
        return v > -margin && v < static_cast<int64_t>(std::max(m_w, m_h)) + margin;
    }
    QPainter m_p;
    int m_w;
    int m_h;
};

QString markerLabel(int64_t number) {
    return QLatin1Char(' ') + QString::number(number);
}

// Tells whether a marker is drawn in the warning colours: its cover, measured as the marker
// list measures it, lies below the minimum cover.
class WarningTest {
public:
    WarningTest(const MeasurementRecord& rec, const CoverWarning* warning) : m_warning(warning) {
        if (warning && rec.Permittivity > 0)
            m_measure.emplace(rec, warning->tables);
    }
    bool operator()(const MarkerEntry& m) const {
        if (!m_measure)
            return false;
        const MarkerFigures f = (*m_measure)(m);
        return f.ok && BelowMinimum(f.depthCm * 10, m_warning->settings);
    }

private:
    const CoverWarning* m_warning;
    std::optional<MarkerMeasure> m_measure;
};

} // namespace

int WalkedRowOfSample(int64_t y, int maxSample, int maxRow) {
    int j = 1;
    for (int s = 1; s <= maxSample; s += 3) {
        for (int q = 0; q < 3; ++q) {
            if (s + q > maxSample || j > maxRow)
                return 0;
            if (s + q == y)
                return j;
            if (q < 2)
                ++j;
        }
    }
    return 0;
}

bool DrawMarkers730(const MeasurementRecord& rec, ViewImages& images, const CoverWarning* warning) {
    const int N = rec.TraceCount;
    if (N < 1)
        return false;
    QImage overlay =
        overlayBase(images.ComposedImage, images.OverlayImage, N, Family730::BModeHeight);
    if (overlay.isNull())
        return false;
    constexpr int M = Family730::DisplayRows;
    const bool wide = rec.ViewRange >= 3 && rec.ViewRange <= 5;
    const bool mirrored = rec.Direction == 1;
    const bool half = rec.CoverMagnification != 0;
    const WarningTest warns(rec, warning);
    {
        MarkerPainter mp(overlay);
        ForEachMarker730(rec, [&](const MarkerEntry& mk) {
            const int64_t X = mk.x;
            const int64_t Y = mk.y;
            int64_t n = mirrored ? N - X : X + 1;
            if (wide)
                n /= 2;
            int64_t c = 0;
            switch (rec.ViewRange) {
            case 0:
            case 3:
                c = half ? Y / 2 : Y;
                if (c < 1 || c > (half ? M / 2 : M))
                    return;
                break;
            case 2:
            case 5:
                c = half ? Y / 4 : Y / 2;
                break;
            case 1:
            case 4: {
                const int j = WalkedRowOfSample(Y, Family730::DDLast, M);
                if (j == 0)
                    return;
                c = half ? j / 2 : j;
                break;
            }
            default:
                return;
            }
            mp.marker(n - 6, c + 9, c + 9, c - 5, markerLabel(mk.number), warns(mk));
        });
    }
    images.OverlayImage = std::move(overlay);
    return true;
}

bool DrawMarkers940(const MeasurementRecord& rec, ViewImages& images, const CoverWarning* warning) {
    const int N = rec.TraceCount;
    const int group = rec.MarkerGroup;
    if (N < 1 || group < 0 || group >= MarkGroups940)
        return false;
    QImage overlay =
        overlayBase(images.ComposedImage, images.OverlayImage, N, Family940::BModeHeight);
    if (overlay.isNull())
        return false;
    constexpr int M = Family940::DisplayRows;
    const bool wide = rec.ViewRange >= 3 && rec.ViewRange <= 5;
    const bool mirrored = rec.Direction == 1;
    const bool half = rec.CoverMagnification != 0;
    const WarningTest warns(rec, warning);
    {
        MarkerPainter mp(overlay);
        ForEachMark940(rec, group, [&](const MarkerEntry& mk) {
            const int64_t X = mk.x;
            const int64_t Y = mk.y;
            const int64_t left =
                wide ? (mirrored ? (N - X) / 2 : X / 2) - 4 : (mirrored ? N - X : X) - 5;
            int64_t d = 0;
            int64_t maskTop = 0;
            switch (rec.ViewRange) {
            case 0:
            case 3:
                if (half) {
                    d = (2 * Y + 1) / 2;
                    if (d > M / 2)
                        return;
                    maskTop = d + 10;
                } else {
                    if (2 * Y > 766)
                        return;
                    d = 2 * Y + 1;
                    maskTop = 2 * Y + 11;
                }
                break;
            case 2:
            case 5:
                d = half ? Y / 2 : Y;
                maskTop = d + 10;
                break;
            case 1:
            case 4: {
                const int j = WalkedRowOfSample(2 * Y + 1, Family940::DDLast, M);
                if (j == 0)
                    return;
                d = half ? j / 2 : j;
                maskTop = d + 10;
                break;
            }
            default:
                return;
            }
            mp.marker(left, maskTop, d + 10, d - 5, markerLabel(mk.number), warns(mk));
        });
    }
    images.OverlayImage = std::move(overlay);
    return true;
}

bool DrawViewMarkers(const MeasurementRecord& rec, ViewImages& images,
                     const CoverWarning* warning) {
    return rec.is940() ? DrawMarkers940(rec, images, warning)
                       : DrawMarkers730(rec, images, warning);
}

} // namespace rebar
