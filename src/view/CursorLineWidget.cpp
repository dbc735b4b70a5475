#include "view/CursorLineWidget.h"

#include "view/ContrastColor.h"
#include "view/PictureBoxWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace rebar {

CursorLineWidget::CursorLineWidget(const QString& name, QWidget* parent, PictureBoxWidget* under)
    : QWidget(parent), m_under(under) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CursorLineWidget::setColor(QColor c) {
    m_color = c;
    update();
}

void CursorLineWidget::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    if (!m_under) {
        p.fillRect(e->rect(), m_color);
        return;
    }
    // The picture's pixels under this line, each turned into its contrasting colour.
    const QRect area = e->rect();
    const QPoint origin = m_under->mapFrom(parentWidget(), pos()) + area.topLeft();
    const QImage under = m_under->picture().copy(QRect(origin, area.size()));
    QImage line(area.size(), QImage::Format_RGB32);
    line.fill(m_color);
    for (int y = 0; y < under.height() && y < line.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(under.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(line.scanLine(y));
        for (int x = 0; x < under.width() && x < line.width(); ++x)
            dst[x] = ContrastColor(src[x]);
    }
    p.drawImage(area.topLeft(), line);
}

} // namespace rebar
