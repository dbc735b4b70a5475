#include "view/InfoPanelWidget.h"

#include "view/MeasurementDocument.h"

#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyle>

namespace rebar {

namespace {

// Label heights and fonts come from the form's defaults.
int labelHeight(const QLabel* l) {
    return std::max(l->sizeHint().height(), 15);
}

} // namespace

QLabel* InfoPanelWidget::label(const QString& name) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    return l;
}

InfoPanelWidget::InfoPanelWidget(QWidget* view) : QWidget(view) {
    setObjectName(QStringLiteral("InfoPanel"));
    m_mklist = new QListWidget(this);
    m_mklist->setObjectName(QStringLiteral("mklist"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPixelSize(ListFontPixels);
    m_mklist->setFont(fixed);
    m_lblCursor = label(QStringLiteral("lblCursor"));
    for (size_t i = 0; i < 2; ++i) {
        m_lblCursorX[i] = label(QStringLiteral("lblCursorX_%1").arg(i));
        m_lblCursorY[i] = label(QStringLiteral("lblCursorY_%1").arg(i));
        m_lblYuudenritu[i] = label(QStringLiteral("lblYuudenritu_%1").arg(i));
        m_lblTire[i] = label(QStringLiteral("lblTire_%1").arg(i));
        m_lblSpeed[i] = label(QStringLiteral("lblSpeed_%1").arg(i));
    }
    m_lblGPSDate = label(QStringLiteral("lbl_GPSDate"));
    m_lblLocation = label(QStringLiteral("lbl_Location"));
    m_lblLocation->setText(QString::fromUtf8("測定場所"));
    m_lblLocation->setCursor(Qt::PointingHandCursor);
    m_lblLocation->installEventFilter(this);
    m_mklist->viewport()->installEventFilter(this);
    for (size_t i = 0; i < m_lblMaker.size(); ++i)
        m_lblMaker[i] = label(QStringLiteral("lblMaker_%1").arg(i));
    m_lblCompliance = label(QStringLiteral("lblCompliance"));
    m_lblCompliance->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void InfoPanelWidget::applyCaptions(const LanguageTables& language) {
    const auto& C = language.Captions;
    const size_t makerItems[] = {0, 1, 2, 3, 12, 13};
    const size_t makerCaptions[] = {109, 106, 107, 108, 98, 105};
    for (size_t k = 0; k < 6; ++k)
        m_lblMaker[makerItems[k]]->setText(C[makerCaptions[k]]);
    m_lblCursor->setText(C[110]);
    m_lblCursorX[0]->setText(C[111]);
    m_lblCursorY[0]->setText(C[112]);
    m_lblYuudenritu[0]->setText(C[113]);
    m_lblTire[0]->setText(C[269]);
    m_lblTire[1]->setText(QStringLiteral("-"));
    m_lblSpeed[0]->setText(C[273]);
    m_lblSpeed[1]->setText(QStringLiteral("-"));
}

void InfoPanelWidget::applyVisibility(const WindowOptions& o, bool gps) {
    m_mklist->setVisible(o.MKList == 1);
    m_lblCursor->setVisible(o.CursorInfo == 1);
    for (QLabel* l : m_lblCursorX)
        l->setVisible(o.CursorInfo == 1);
    for (QLabel* l : m_lblCursorY)
        l->setVisible(o.CursorInfo == 1);
    for (QLabel* l : m_lblYuudenritu)
        l->setVisible(o.Dielectric == 1);
    m_lblGPSDate->setVisible(gps);
    m_lblLocation->setVisible(gps);
    for (QLabel* l : m_lblMaker)
        l->setVisible(o.MarkerInfo == 1);
    m_lblCompliance->setVisible(o.MarkerInfo == 1);
    for (QLabel* l : m_lblTire)
        l->setVisible(o.Tire == 1);
    for (QLabel* l : m_lblSpeed)
        l->setVisible(o.MeasurementSpeed == 1);
}

void InfoPanelWidget::placeControls(const ViewGeometry& g, const LanguageTables& language) {
    const int W = g.InfoPanelWidth;
    const int x1 = g.x1;
    const int L1 = x1 + 10;
    const int L2 = x1 + W / 2 + 10;
    auto place = [](QLabel* l, int x, int y, int w) { l->setGeometry(x, y, w, labelHeight(l)); };
    auto below = [](const QLabel* l, int gap) { return l->y() + l->height() + gap; };

    // Top to bottom.
    m_mklist->setGeometry(x1, 5, W, g.InfoPanelHeight);
    if (m_mklist->count() == 0) {
        const auto& C = language.Captions;
        m_mklist->addItem(C[96] + C[97].rightJustified(8) + C[98].rightJustified(8));
    }
    const int t0 = 5 + g.InfoPanelHeight + 5;
    place(m_lblCursor, x1, t0, W);
    const int tx = t0 + m_lblCursor->height() + 2;
    place(m_lblCursorX[0], L1, tx, W / 2);
    place(m_lblCursorX[1], L2, tx, W / 2);
    const int ty = below(m_lblCursorX[0], 2);
    place(m_lblCursorY[0], L1, ty, W / 2);
    place(m_lblCursorY[1], L2, ty, W / 2);
    const int te = below(m_lblCursorY[1], 2);
    place(m_lblYuudenritu[0], x1, te, W);
    place(m_lblYuudenritu[1], L2, te, W / 2);
    const int tg = below(m_lblYuudenritu[0], 1);
    place(m_lblGPSDate, x1, tg, W);
    const int tl = tg + g.twipsY(240);
    place(m_lblLocation, x1, tl, W);
    const int tt = below(m_lblLocation, 1);
    place(m_lblTire[0], x1, tt, L2 - x1 - 1);
    place(m_lblTire[1], L2, tt, W / 2);
    const int ts = below(m_lblTire[0], 1);
    place(m_lblSpeed[0], x1, ts, m_lblTire[1]->x() - m_lblTire[0]->x() - 1);
    place(m_lblSpeed[1], m_lblTire[1]->x(), ts, W / 2);

    // Statistics labels keep the form's design positions (twips).
    const int cellW = g.twipsX(1005), cellH = g.twipsY(210);
    const int cols[] = {120, 1140, 2160};
    const int rows[] = {5985, 6225, 6465};
    m_lblMaker[0]->setGeometry(g.twipsX(120), g.twipsY(5505), g.twipsX(2025), cellH);
    m_lblMaker[10]->setGeometry(g.twipsX(2160), g.twipsY(5505), cellW, cellH);
    for (size_t c = 0; c < 3; ++c)
        m_lblMaker[11 + c]->setGeometry(g.twipsX(cols[c]), g.twipsY(5745), cellW, cellH);
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c)
            m_lblMaker[1 + 3 * c + r]->setGeometry(g.twipsX(cols[c]), g.twipsY(rows[r]), cellW,
                                                   cellH);
    // The cover compliance lines below the statistics, across the panel.
    placeCompliance(g);
}

// The label keeps room for the seven lines of the compliance statistics whatever it shows, so
// the view's height does not follow the markers.
void InfoPanelWidget::placeCompliance(const ViewGeometry& g) {
    constexpr int Lines = 7;
    const int lineH = m_lblCompliance->fontMetrics().lineSpacing();
    m_lblCompliance->setGeometry(g.twipsX(120), g.twipsY(6465 + 210 + 90),
                                 g.InfoPanelWidth - g.twipsX(120) + g.x1, Lines * lineH + 2);
}

void InfoPanelWidget::moveColumns(const ViewGeometry& g) {
    const int x1 = g.x1;
    const int L1 = x1 + 10;
    const int L2 = x1 + g.InfoPanelWidth / 2 + 10;
    auto moveX = [](QWidget* w, int x) { w->move(x, w->y()); };
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_mklist, m_lblCursor, m_lblYuudenritu[0], m_lblGPSDate,
                                         m_lblLocation, m_lblTire[0], m_lblSpeed[0]})
        moveX(w, x1);
    moveX(m_lblCursorX[0], L1);
    moveX(m_lblCursorY[0], L1);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_lblCursorX[1], m_lblCursorY[1], m_lblYuudenritu[1], m_lblTire[1], m_lblSpeed[1]})
        moveX(w, L2);
}

void InfoPanelWidget::showTyreAndSpeed(const MeasurementRecord& r, const LanguageTables& language) {
    if (!r.is940())
        return;
    const auto& C = language.Captions;
    m_lblTire[1]->setText(C[static_cast<size_t>(270 + std::clamp<int>(r.TireOption, 0, 7))]);
    m_lblSpeed[1]->setText(C[static_cast<size_t>(274 + std::clamp<int>(r.SpeedOption, 0, 3))]);
}

void InfoPanelWidget::showMarkerList(const MarkerListContent& c) {
    m_mklist->clear();
    m_mklist->addItem(c.header);
    for (const MarkerListLine& line : c.lines) {
        auto* item = new QListWidgetItem(line.text, m_mklist);
        item->setData(Qt::UserRole, line.itemData);
    }
    if (c.selected >= 0 && c.selected < m_mklist->count())
        m_mklist->setCurrentRow(c.selected);
    fitListFont();
    for (size_t i = 0; i < c.labels.size(); ++i)
        if (c.labelSet[i])
            m_lblMaker[i]->setText(c.labels[i]);
    m_lblCompliance->setText(c.complianceLines.join(QLatin1Char('\n')));
}

void InfoPanelWidget::showReadouts(const Readouts& r, bool showGps) {
    if (r.valid) {
        const ReadoutTexts& t = r.texts;
        if (t.distanceSet) {
            m_lblCursorX[0]->setText(t.distanceCaption);
            m_lblCursorX[1]->setText(t.distanceValue);
        }
        if (t.depthSet) {
            m_lblCursorY[0]->setText(t.depthCaption);
            m_lblCursorY[1]->setText(t.depthValue);
        }
        m_lblYuudenritu[0]->setText(t.permittivityCaption);
        m_lblYuudenritu[1]->setText(t.permittivityValue);
    }
    if (r.gps) {
        m_lblGPSDate->setText(r.gpsDate);
        m_lblLocation->setText(r.gpsLocation);
        m_lblLocation->setStyleSheet(
            QStringLiteral("color: rgb(0,0,255); text-decoration: underline;"));
    }
    m_lblGPSDate->setVisible(showGps);
    m_lblLocation->setVisible(showGps);
}

// The list's lines are fixed-width columns; the font is made small enough (down to 9 pixels)
// for the widest line to fit the list's width beside a vertical scroll bar, so that no column
// is cut off at the panel's width.
void InfoPanelWidget::fitListFont() {
    int widest = 0;
    QFont font = m_mklist->font();
    font.setPixelSize(ListFontPixels);
    const int room = m_mklist->width() - 2 * m_mklist->frameWidth() -
                     m_mklist->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 6;
    for (int size = ListFontPixels; size >= 9; --size) {
        font.setPixelSize(size);
        const QFontMetrics fm(font);
        widest = 0;
        for (int i = 0; i < m_mklist->count(); ++i)
            widest = std::max(widest, fm.horizontalAdvance(m_mklist->item(i)->text()));
        if (widest <= room)
            break;
    }
    if (font.pixelSize() != m_mklist->font().pixelSize())
        m_mklist->setFont(font);
}

void InfoPanelWidget::setReadoutToolTips(bool japanese) {
    const QString distance = japanese
                                 ? QString::fromUtf8("カーソル位置の走査始点からの距離")
                                 : QStringLiteral("Distance of the cursor from the scan's start");
    const QString depth = japanese
                              ? QString::fromUtf8("カーソル位置の深さ（時間軸では反射時間）")
                              : QStringLiteral("Depth at the cursor (echo time on the time axis)");
    const QString er = japanese
                           ? QString::fromUtf8("深さの換算に使う比誘電率")
                           : QStringLiteral("Relative permittivity the depths are computed with");
    for (QLabel* l : m_lblCursorX)
        l->setToolTip(distance);
    for (QLabel* l : m_lblCursorY)
        l->setToolTip(depth);
    for (QLabel* l : m_lblYuudenritu)
        l->setToolTip(er);
}

bool InfoPanelWidget::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        if (watched == m_mklist->viewport()) {
            const QListWidgetItem* item = m_mklist->itemAt(me->position().toPoint());
            emit markerListReleased(me->button(), item ? m_mklist->row(item) : -1,
                                    me->globalPosition().toPoint());
        } else if (watched == m_lblLocation && me->button() == Qt::LeftButton) {
            emit locationClicked();
        }
    }
    return QWidget::eventFilter(watched, e);
}

int InfoPanelWidget::selectedLine() const {
    return m_mklist->currentRow();
}

int InfoPanelWidget::statisticsBottom() const {
    const QLabel* lowest = m_lblCompliance->isVisibleTo(this) ? m_lblCompliance : m_lblMaker[3];
    return y() + lowest->y() + lowest->height();
}

} // namespace rebar
