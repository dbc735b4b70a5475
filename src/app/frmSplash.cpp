#include "app/frmSplash.h"

#include "config/Program.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace rebar {

namespace {
constexpr int Major = 3, Minor = 0, Revision = 0;
}

QString splashVersionText() {
    return QStringLiteral("Ver. %1.%2.%3").arg(Major).arg(Minor).arg(Revision);
}

QString aboutVersionText() {
    return QStringLiteral("Ver %1.%2.%3").arg(Major).arg(Minor).arg(Revision);
}

QPixmap rebarscopeLogo(int size) {
    // A slab section with three bar echoes: the hyperbolas the program is about.
    QPixmap pm(size, size);
    pm.fill(QColor(40, 44, 52));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(230, 160, 60), size / 24.0));
    for (int k = 0; k < 3; ++k) {
        const double cx = size * (0.25 + 0.25 * k);
        QPainterPath path;
        for (int i = -20; i <= 20; ++i) {
            const double x = cx + i * size / 120.0;
            const double y =
                size * 0.35 + std::sqrt(std::pow(size * 0.08, 2) + std::pow(i * size / 120.0, 2));
            if (i == -20)
                path.moveTo(x, y);
            else
                path.lineTo(x, y);
        }
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(200, 200, 200), size / 40.0));
    p.drawLine(QPointF(size * 0.08, size * 0.3), QPointF(size * 0.92, size * 0.3));
    return pm;
}

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setModal(true);
    auto* product = new QLabel(program().language.WindowTitle, this);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont big = product->font();
    big.setPointSize(20);
    big.setBold(true);
    product->setFont(big);
    auto* company = new QLabel(caption(268), this);
    company->setObjectName(QStringLiteral("lblCompanyProduct"));
    company->setFont(QFont(QStringLiteral("System")));
    auto* version = new QLabel(splashVersionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setFont(QFont(QStringLiteral("System")));
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    m_logo->setPixmap(rebarscopeLogo(96));
    m_logo->setFixedSize(96, 96);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_logo, 0, Qt::AlignHCenter);
    layout->addWidget(product, 0, Qt::AlignHCenter);
    layout->addWidget(company, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    setFixedSize(420, 260);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Tmr1"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &frmSplash::tick);
    m_timer->start();
}

void frmSplash::tick() {
    m_logo->move(m_logo->x() - 15, m_logo->y());
    ++m_ticks;
    if (m_ticks * 100 > 1800) {
        m_timer->stop();
        accept();
    }
}

} // namespace rebar
