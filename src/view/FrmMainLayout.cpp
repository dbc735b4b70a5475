// Placing the controls of a measurement view, its scroll model and its resize handler.

#include "app/FrmMDI.h"
#include "config/Program.h"
#include "view/FrmMain.h"
#include "view/PictureBoxWidget.h"

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>

namespace rebar {

namespace {

// Label heights and fonts come from the form's defaults.
int labelHeight(const QLabel* l) {
    return std::max(l->sizeHint().height(), 15);
}

// A length given in twips, in pixels.
int twipsX(const ViewGeometry& g, double twips) {
    return qRound(twips / g.TwipsPerPixelX);
}
int twipsY(const ViewGeometry& g, double twips) {
    return qRound(twips / g.TwipsPerPixelY);
}

} // namespace

void FrmMain::ApplyVisibility() {
    const WindowOptions& o = m_state.Options;
    m_pica->setVisible(o.AModeWin == 1);
    m_clrBar->setVisible(o.AModeWin == 1);
    m_yabar->setVisible(o.AModeWin == 1);
    m_mklist->setVisible(o.MKList == 1);
    m_lblCursor->setVisible(o.CursorInfo == 1);
    for (QLabel* l : m_lblCursorX)
        l->setVisible(o.CursorInfo == 1);
    for (QLabel* l : m_lblCursorY)
        l->setVisible(o.CursorInfo == 1);
    for (QLabel* l : m_lblYuudenritu)
        l->setVisible(o.Dielectric == 1);
    bool gps = false;
    if (o.Position == 1 && m_rec.FileKind == KindZvx4) {
        const QByteArray lat(
            reinterpret_cast<const char*>(m_rec.Zvx.Bytes.data()) + ZvxHeader::OffLatitude, 1);
        gps = lat.toDouble() > 0;
    }
    m_lblGPSDate->setVisible(gps);
    m_lblLocation->setVisible(gps);
    for (QLabel* l : m_lblMaker)
        l->setVisible(o.MarkerInfo == 1);
    for (QLabel* l : m_lblTire)
        l->setVisible(o.Tire == 1);
    for (QLabel* l : m_lblSpeed)
        l->setVisible(o.MeasurementSpeed == 1);
    m_state.InfoPanelShown = o.infoPanelShown() ? 1 : 0;
}

void FrmMain::InitialLayout() {
    ApplyVisibility();
    ViewGeometry& g = m_state.Geometry;
    g.computeColumns(m_state.InfoPanelShown == 1, m_state.Options.AModeWin == 1);
    const int W = g.InfoPanelWidth;
    const int x1 = g.x1;
    const int L1 = x1 + 10;
    const int L2 = x1 + W / 2 + 10;

    // Information panel, top to bottom.
    m_mklist->setGeometry(x1, 5, W, g.InfoPanelHeight);
    if (m_mklist->count() == 0) {
        const auto& C = program().language.Captions;
        m_mklist->addItem(C[96] + C[97].rightJustified(8) + C[98].rightJustified(8));
    }
    const int t0 = 5 + g.InfoPanelHeight + 5;
    m_lblCursor->setGeometry(x1, t0, W, labelHeight(m_lblCursor));
    const int tx = t0 + m_lblCursor->height() + 2;
    m_lblCursorX[0]->setGeometry(L1, tx, W / 2, labelHeight(m_lblCursorX[0]));
    m_lblCursorX[1]->setGeometry(L2, tx, W / 2, labelHeight(m_lblCursorX[1]));
    const int ty = m_lblCursorX[0]->y() + m_lblCursorX[0]->height() + 2;
    m_lblCursorY[0]->setGeometry(L1, ty, W / 2, labelHeight(m_lblCursorY[0]));
    m_lblCursorY[1]->setGeometry(L2, ty, W / 2, labelHeight(m_lblCursorY[1]));
    const int te = m_lblCursorY[1]->y() + m_lblCursorY[1]->height() + 2;
    m_lblYuudenritu[0]->setGeometry(x1, te, W, labelHeight(m_lblYuudenritu[0]));
    m_lblYuudenritu[1]->setGeometry(L2, te, W / 2, labelHeight(m_lblYuudenritu[1]));
    const int tg = m_lblYuudenritu[0]->y() + m_lblYuudenritu[0]->height() + 1;
    m_lblGPSDate->setGeometry(x1, tg, W, labelHeight(m_lblGPSDate));
    const int tl = tg + twipsY(g, 240);
    m_lblLocation->setGeometry(x1, tl, W, labelHeight(m_lblLocation));
    const int tt = tl + m_lblLocation->height() + 1;
    m_lblTire[0]->setGeometry(x1, tt, L2 - x1 - 1, labelHeight(m_lblTire[0]));
    m_lblTire[1]->setGeometry(L2, tt, W / 2, labelHeight(m_lblTire[1]));
    const int ts = tt + m_lblTire[0]->height() + 1;
    m_lblSpeed[0]->setGeometry(x1, ts, m_lblTire[1]->x() - m_lblTire[0]->x() - 1,
                               labelHeight(m_lblSpeed[0]));
    m_lblSpeed[1]->setGeometry(m_lblTire[1]->x(), ts, W / 2, labelHeight(m_lblSpeed[1]));

    // Statistics labels keep the form's design positions (twips).
    const int cellW = twipsX(g, 1005), cellH = twipsY(g, 210);
    const int cols[] = {120, 1140, 2160};
    const int rows[] = {5985, 6225, 6465};
    m_lblMaker[0]->setGeometry(twipsX(g, 120), twipsY(g, 5505), twipsX(g, 2025), cellH);
    m_lblMaker[10]->setGeometry(twipsX(g, 2160), twipsY(g, 5505), cellW, cellH);
    for (int c = 0; c < 3; ++c)
        m_lblMaker[static_cast<size_t>(11 + c)]->setGeometry(twipsX(g, cols[c]), twipsY(g, 5745),
                                                             cellW, cellH);
    for (int r = 0; r < 3; ++r) {
        m_lblMaker[static_cast<size_t>(1 + r)]->setGeometry(twipsX(g, 120), twipsY(g, rows[r]),
                                                            cellW, cellH);
        m_lblMaker[static_cast<size_t>(4 + r)]->setGeometry(twipsX(g, 1140), twipsY(g, rows[r]),
                                                            cellW, cellH);
        m_lblMaker[static_cast<size_t>(7 + r)]->setGeometry(twipsX(g, 2160), twipsY(g, rows[r]),
                                                            cellW, cellH);
    }

    // Pictures.
    m_picd->setGeometry(g.x2, 5, ViewGeometry::DepthAxisWidth, ViewGeometry::LoadPictureHeight);
    m_picb->setGeometry(g.x3, 5, g.PictureWidth, ViewGeometry::LoadPictureHeight);
    m_hsc->setGeometry(g.x3, 315, g.PictureWidth, m_hsc->sizeHint().height());
    m_xbar->setGeometry(g.x4 - 2, 27, 2, 286);
    m_ybar->setGeometry(g.x3 + 2, 27, g.PictureWidth - 4, 2);
    m_yabar->setGeometry(g.x4 + 2, 27, 128, 2);
    m_pica->setGeometry(g.x4, 5, ViewGeometry::AModeWidth, ViewGeometry::LoadPictureHeight);
    m_clrBar->setGeometry(g.x4, 5, ViewGeometry::AModeWidth, 20);
    m_clrBar->raise();
    m_xbar->raise();
    m_ybar->raise();
    m_yabar->raise();

    setWindowWidth(g.FormWidth);
    setWindowHeight(m_hsc->y() + m_hsc->height() + 110);
}

void FrmMain::Relayout() {
    ApplyVisibility();
    ViewGeometry& g = m_state.Geometry;
    g.computeColumns(m_state.InfoPanelShown == 1, m_state.Options.AModeWin == 1);
    const int x1 = g.x1;
    const int L2 = x1 + g.InfoPanelWidth / 2 + 10;
    const int L1 = x1 + 10;
    auto moveX = [](QWidget* w, int x) { w->move(x, w->y()); };
    moveX(m_mklist, x1);
    moveX(m_lblCursor, x1);
    moveX(m_lblCursorX[0], L1);
    moveX(m_lblCursorX[1], L2);
    moveX(m_lblCursorY[0], L1);
    moveX(m_lblCursorY[1], L2);
    moveX(m_lblYuudenritu[0], x1);
    moveX(m_lblYuudenritu[1], L2);
    moveX(m_lblGPSDate, x1);
    moveX(m_lblLocation, x1);
    moveX(m_lblTire[0], x1);
    moveX(m_lblTire[1], L2);
    moveX(m_lblSpeed[0], x1);
    moveX(m_lblSpeed[1], L2);
    moveX(m_picd, g.x2);
    moveX(m_picb, g.x3);
    moveX(m_hsc, g.x3);
    moveX(m_ybar, g.x3 + 2);
    moveX(m_pica, g.x4);
    moveX(m_clrBar, g.x4);
    moveX(m_yabar, g.x4 + 2);
    setWindowWidth(g.FormWidth);
}

void FrmMain::SetPictureHeights(bool renderStep) {
    const bool f940 = m_rec.is940();
    const bool half = m_rec.CoverMagnification != 0;
    int h;
    if (f940)
        h = half ? 408 : 792;
    else
        h = renderStep ? (half ? 281 : 537) : (half ? 280 : 536);
    if (renderStep) {
        // The window height first; the resize handler fixes it to the computed height.
        static const int twipsHeight[2][2] = {{9075, 5427}, {12900, 7140}};
        setWindowHeight(twipsY(m_state.Geometry, twipsHeight[f940 ? 1 : 0][half ? 1 : 0]));
    } else if (!half) {
        setWindowHeight(twipsY(m_state.Geometry, 9075));
    }
    m_picb->resize(m_picb->width(), h);
    m_pica->resize(m_pica->width(), h);
    m_picd->resize(m_picd->width(), h);
    m_xbar->resize(m_xbar->width(), h - 24);
    m_hsc->move(m_hsc->x(), m_picb->y() + h);
    if (renderStep) {
        m_xbar->resize(1, m_xbar->height());
        m_ybar->resize(m_ybar->width(), 1);
        m_yabar->resize(m_yabar->width(), 1);
    }
    // The fixed height follows the scroll bar just placed, so a change of magnification
    // never leaves the window cut short or too tall.
    if (m_rec.Loaded == FlagTrue)
        ApplyFixedHeight();
}

void FrmMain::SetScrollRange() {
    const ScrollRange r = ComputeScrollRange(ImageWidth(m_rec.TraceCount, m_rec.ViewRange),
                                             m_picb->width(), m_rec.Direction);
    m_hsc->blockSignals(true);
    applyScrollRange(r);
    m_hsc->blockSignals(false);
}

void FrmMain::applyScrollRange(const ScrollRange& r) {
    m_range = r;
    m_hsc->setInvertedAppearance(r.minimum > r.maximum);
    m_hsc->setRange(std::min(r.minimum, r.maximum), std::max(r.minimum, r.maximum));
}

bool FrmMain::ShowImage(int v) {
    if (m_state.Rendered == 0)
        return true;
    ShowImageInto(m_images.OverlayImage, m_picb->picture(), v,
                  ImageWidth(m_rec.TraceCount, m_rec.ViewRange), m_rec.Direction, m_rec.ViewRange,
                  ShowImageHeight(m_rec.is940(), m_rec.CoverMagnification));
    m_picb->update();
    return true;
}

// The scroll bar's value is the first image column shown; with Direction 1 the bar runs
// backwards, which the image copy takes into account.
void FrmMain::OnScroll(int value) {
    if (m_state.Resizing != 0)
        return;
    if (synchroniseChecked() && m_state.ViewActive != 0 && m_mdi) {
        for (FrmMain* other : m_mdi->OpenViews()) {
            if (other == this)
                continue;
            QScrollBar* bar = other->scrollBar();
            const ScrollRange r = other->scrollRange();
            if (r.minimum > 1)
                bar->setValue(std::min(value, r.minimum));
            else
                bar->setValue(std::min(value, r.maximum));
        }
    }
    m_state.LastScrollValue = value;
    ShowImage(value);
    UpdateReadouts();
}

void FrmMain::setWindowWidth(int w) {
    if (m_sub)
        m_sub->resize(w, m_sub->height());
    else
        resize(w, height());
}

void FrmMain::setWindowHeight(int h) {
    QWidget* window = m_sub ? static_cast<QWidget*>(m_sub) : this;
    window->setMinimumHeight(0);
    window->setMaximumHeight(QWIDGETSIZE_MAX);
    window->resize(window->width(), h);
}

void FrmMain::HandleResize() {
    if (m_rec.Loaded != FlagTrue || m_state.Resizing != 0)
        return;
    if (m_sub && m_sub->isMinimized())
        return;
    QWidget* window = m_sub ? static_cast<QWidget*>(m_sub) : this;
    m_state.Resizing = FlagTrue;
    m_state.Rendered = FlagTrue;
    // Which edge is dragged: the one the mouse is nearer to.
    const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
    const int mx = QCursor::pos().x();
    ResizeInput in;
    in.newWidth = window->width();
    in.rightEdge = std::abs(mx - frame.left()) >= std::abs(frame.right() - mx);
    in.imageWidth = ImageWidth(m_rec.TraceCount, m_rec.ViewRange);
    in.direction = m_rec.Direction;
    in.lastScrollValue = m_state.LastScrollValue;
    in.pictureWidthNow = m_picb->width();
    const ResizeOutcome out = ComputeResize(m_state.Geometry, in);
    if (out.clamped) {
        window->resize(out.windowWidth, window->height());
        m_picb->resize(out.pictureWidth, m_picb->height());
        window->setMinimumWidth(out.windowWidth);
    } else {
        m_picb->resize(out.pictureWidth, m_picb->height());
        applyScrollRange(out.range);
        m_state.LastScrollValue = out.scrollValue;
        m_hsc->setValue(out.scrollValue);
        UpdateReadouts();
        ShowImage(m_hsc->value());
    }
    // The controls right of the radargram follow it.
    m_pica->move(m_picb->x() + m_picb->width(), m_pica->y());
    m_hsc->resize(m_picb->width(), m_hsc->height());
    m_clrBar->move(m_pica->x(), m_clrBar->y());
    m_yabar->move(m_pica->x() + 2, m_yabar->y());
    m_ybar->resize(m_picb->width() - 4, m_ybar->height());
    ApplyFixedHeight();
    m_state.Resizing = 0;
}

// The window height is fixed: below the scroll bar or the statistics labels, whichever lies
// lower, plus the frame.
void FrmMain::ApplyFixedHeight() {
    QWidget* window = m_sub ? static_cast<QWidget*>(m_sub) : this;
    const int n = window->height() - height();
    const int h1 = m_hsc->y() + m_hsc->height() + n + twipsY(m_state.Geometry, 120);
    const int h2 = m_lblMaker[3]->y() + m_lblMaker[3]->height() + n + twipsY(m_state.Geometry, 120);
    const int h = h2 < h1 ? h1 : h2;
    window->setMinimumHeight(h);
    window->setMaximumHeight(h);
    window->resize(window->width(), h);
}

} // namespace rebar
