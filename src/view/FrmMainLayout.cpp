// Placing the controls of a measurement view, its scroll model and its resize handler; the
// arithmetic is ViewLayout's.

#include "view/CursorLineWidget.h"
#include "view/FrmMain.h"
#include "view/InfoPanelWidget.h"
#include "view/PictureBoxWidget.h"
#include "view/ViewHost.h"

#include "config/Program.h"
#include "data/GpsPosition.h"
#include "platform/Platform.h"

#include <QCursor>
#include <QMdiSubWindow>
#include <QScrollBar>

namespace rebar {

// The GPS labels show for four-channel ZVX files that carry a position.
bool FrmMain::gpsInFile() const {
    return GpsPositionOf(m_doc.record()).has_value();
}

void FrmMain::ApplyVisibility() {
    const WindowOptions& o = m_state.Options;
    m_pica->setVisible(o.AModeWin == 1);
    m_clrBar->setVisible(o.AModeWin == 1);
    m_yabar->setVisible(o.AModeWin == 1);
    m_panel->applyVisibility(o, o.Position == 1 && gpsInFile());
    m_state.InfoPanelShown = o.infoPanelShown() ? 1 : 0;
}

void FrmMain::InitialLayout() {
    ApplyVisibility();
    ViewGeometry& g = m_state.Geometry;
    g.computeColumns(m_state.InfoPanelShown == 1, m_state.Options.AModeWin == 1);
    // The panel covers the information column; its controls keep view coordinates.
    m_panel->setGeometry(0, 0, std::max(g.x2, 1), QWIDGETSIZE_MAX / 2);
    m_panel->placeControls(g, program().language);

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
    m_panel->resize(std::max(g.x2, 1), m_panel->height());
    m_panel->moveColumns(g);
    auto moveX = [](QWidget* w, int x) { w->move(x, w->y()); };
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
    const PictureHeights heights = ComputePictureHeights(
        m_state.Geometry, record().is940(), record().CoverMagnification != 0, renderStep);
    const int h = heights.picture;
    // The window height first; the resize handler fixes it to the computed height.
    if (heights.window != 0)
        setWindowHeight(heights.window);
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
    if (m_loaded)
        ApplyFixedHeight();
}

void FrmMain::SetScrollRange() {
    const ScrollRange r =
        ComputeScrollRange(m_doc.imageWidth(), m_picb->width(), m_doc.record().Direction);
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
    const MeasurementRecord& r = m_doc.record();
    // Beyond the end of a short image the picture shows the window's background, not the black
    // of an image column.
    ShowImageInto(m_doc.images().OverlayImage, m_picb->picture(), v, m_doc.imageWidth(),
                  r.Direction, r.ViewRange, ShowImageHeight(r.is940(), r.CoverMagnification),
                  palette().color(QPalette::Window).rgb());
    m_picb->update();
    return true;
}

// The scroll bar's value is the first image column shown; with Direction 1 the bar runs
// backwards, which the image copy takes into account.
void FrmMain::OnScroll(int value) {
    if (m_state.Resizing != 0)
        return;
    if (synchroniseChecked() && m_state.ViewActive != 0) {
        for (FrmMain* other : openViews())
            if (other != this)
                other->scrollBar()->setValue(SynchronisedScrollValue(value, other->scrollRange()));
    }
    m_state.LastScrollValue = value;
    ShowImage(value);
    ShowReadouts();
}

QWidget* FrmMain::frameWindow() {
    return m_sub ? static_cast<QWidget*>(m_sub) : this;
}

void FrmMain::setWindowWidth(int w) {
    if (m_sub)
        m_sub->resize(w, m_sub->height());
    else
        resize(w, height());
}

void FrmMain::setWindowHeight(int h) {
    QWidget* window = frameWindow();
    window->setMinimumHeight(0);
    window->setMaximumHeight(QWIDGETSIZE_MAX);
    window->resize(window->width(), h);
}

void FrmMain::HandleResize() {
    if (!m_loaded || m_state.Resizing != 0)
        return;
    if (m_sub && m_sub->isMinimized())
        return;
    QWidget* window = frameWindow();
    m_state.Resizing = FlagTrue;
    m_state.Rendered = FlagTrue;
    // Which edge is dragged: the one the mouse is nearer to.
    const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
    const int mx = QCursor::pos().x();
    ResizeInput in;
    in.newWidth = window->width();
    in.rightEdge = std::abs(mx - frame.left()) >= std::abs(frame.right() - mx);
    in.imageWidth = m_doc.imageWidth();
    in.direction = m_doc.record().Direction;
    in.lastScrollValue = m_state.LastScrollValue;
    in.pictureWidthNow = m_picb->width();
    const ResizeOutcome out = ComputeResize(m_state.Geometry, in);
    if (out.clamped) {
        window->resize(out.windowWidth, window->height());
        m_picb->resize(out.pictureWidth, m_picb->height());
        m_limiter->setMinWidth(out.windowWidth * m_state.Geometry.TwipsPerPixelX);
        ApplyLimits();
    } else {
        m_picb->resize(out.pictureWidth, m_picb->height());
        applyScrollRange(out.range);
        m_state.LastScrollValue = out.scrollValue;
        m_hsc->setValue(out.scrollValue);
        ShowReadouts();
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
    QWidget* window = frameWindow();
    // A maximised view covers the whole workspace, over the other views.
    if (m_sub && m_sub->isMaximized()) {
        window->setMinimumHeight(0);
        window->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    const int h = FixedWindowHeight(m_state.Geometry, m_hsc->y() + m_hsc->height(),
                                    m_panel->statisticsBottom(), window->height() - height());
    m_limiter->setMinHeight(h * m_state.Geometry.TwipsPerPixelY);
    m_limiter->setMaxHeight(h * m_state.Geometry.TwipsPerPixelY);
    ApplyLimits();
    window->resize(window->width(), h);
}

// The size limiter's answer, applied to the window: the user cannot drag it smaller than the
// minimum or taller than the maximum. The maximum width (the screen's) is left to the window
// system, which keeps windows on the screen anyway.
void FrmMain::ApplyLimits() {
    QWidget* window = frameWindow();
    window->setMinimumWidth(m_limiter->MinWidth());
    window->setMinimumHeight(m_limiter->MinHeight());
    window->setMaximumHeight(m_limiter->MaxHeight());
}

Viewport FrmMain::viewport() const {
    return {m_hsc->value(), m_range.minimum, m_range.maximum, m_picb->width(), m_picb->height()};
}

} // namespace rebar
