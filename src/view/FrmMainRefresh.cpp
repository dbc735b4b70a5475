// Re-processing and redrawing a measurement view, its menu check marks, activation and the
// window-level commands that act on all views.

#include "app/FrmMDI.h"
#include "config/Program.h"
#include "processing/DepthScale.h"
#include "view/ColorBar.h"
#include "view/FrmMain.h"
#include "view/PictureBoxWidget.h"
#include "view/ViewRefresh.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>

namespace rebar {

namespace {

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

bool FrmMain::RefreshView(int position, int process, int render, int depthAxis, int markerList,
                          int readouts) {
    const CalibrationTables& tables = program().tables;
    ProgressFn progress;
    if (m_rec.ProgressShown == FlagTrue)
        progress = [](int p) {
            platform().progress().setPercent(p);
            platform().processEvents();
        };
    UpdateWindowCaption();
    if (process == 1 && !ProcessView(m_rec, tables, progress))
        return false;
    if (render == 1) {
        SetPictureHeights(true);
        if (!RenderView(m_rec, tables, program().MaxTraces, m_images, progress))
            return false;
        m_state.Rendered = FlagTrue;
        m_state.LastScrollValue = position;
        ShowImage(position);
    }
    if (depthAxis == 1 && !DrawDepthAxis())
        return false;
    if (markerList == 1 && !RebuildMarkerList())
        return false;
    if (readouts == 1)
        UpdateReadouts();
    return true;
}

bool FrmMain::DrawDepthAxis() {
    const CalibrationTables& tables = program().tables;
    m_picd->clear(Qt::white);
    // The axis drawing rebuilds the depth of every display row first.
    if (!DrawViewDepthAxis(m_rec, tables, m_state.RowDepthTable, m_depthAxisBitmap))
        return false;
    m_picd->showImage(m_depthAxisBitmap);
    return true;
}

void FrmMain::DrawColorBar() {
    ColorBar bar;
    if (m_rec.is940())
        DrawColorBar940(m_rec.ColorCode, program().tables, bar);
    else
        DrawColorBar730(m_rec.ColorCode, program().tables, bar);
    m_clrBar->showImage(bar.bar);
    auto paint = [](QFrame* f, QRgb c) {
        QPalette pal = f->palette();
        pal.setColor(QPalette::Window, QColor::fromRgb(c));
        f->setPalette(pal);
    };
    paint(m_xbar, bar.cursor.xbar);
    paint(m_ybar, bar.cursor.ybar);
    paint(m_yabar, bar.cursor.yabar);
}

void FrmMain::UpdateWindowCaption() {
    const QString title = m_rec.FileName;
    setWindowTitle(title);
    if (m_sub)
        m_sub->setWindowTitle(title);
}

// Check marks and enabled states of the view's menus from the record.
void FrmMain::SetMenuStates() {
    const bool f940 = m_rec.is940();
    auto check = [this](const QString& array, int count, int checkedIndex) {
        for (int i = 0; i < count; ++i)
            if (QAction* a = menuItem(array, i))
                a->setChecked(i == checkedIndex);
    };
    // Items the 730 family does not offer.
    for (int i : {5, 6, 12, 13})
        menuItem(QStringLiteral("Menu3"), i)->setVisible(f940);
    for (int i : {10, 11})
        menuItem(QStringLiteral("Menu4"), i)->setVisible(f940);
    for (const QString& array : {QStringLiteral("Menu10"), QStringLiteral("Menu14")}) {
        menuItem(array, 10)->setVisible(f940);
        menuItem(array, 2)->setVisible(f940);
    }
    check(QStringLiteral("Menu3"), 14, m_rec.GainMode * 7 + m_rec.Gain - 1);
    check(QStringLiteral("Menu4"), 12, m_rec.ColorCode);
    check(QStringLiteral("Menu12"), 6, m_rec.ViewRange);
    check(QStringLiteral("Menu15"), 2, m_rec.CoverMagnification);
    check(QStringLiteral("Menu6"), 2, m_rec.Direction != 0 ? 0 : 1);
    check(QStringLiteral("Menu5"), 9, PresetItemForPermittivity(m_rec.Permittivity));
    static const int itemOfProcCode[] = {4, 5, 7, 8, 9, 6, 10};
    const int procItem =
        m_rec.ProcCode >= 0 && m_rec.ProcCode <= 6 ? itemOfProcCode[m_rec.ProcCode] : -1;
    for (const QString& array : {QStringLiteral("Menu10"), QStringLiteral("Menu14")}) {
        for (int i = 4; i <= 10; ++i)
            menuItem(array, i)->setChecked(i == procItem);
        menuItem(array, 11)->setChecked(m_rec.PeakFlag == 1);
    }
    m_topMenus[1]->menuAction()->setEnabled(m_rec.ProcCode != 6);
    if (f940) {
        check(QStringLiteral("Menu17_0"), 3, m_rec.MarkerGroup);
        check(QStringLiteral("Menu18_0"), 3, m_rec.MarkerGroup);
    }
    const QStringList units = {QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m"),
                               QStringLiteral("inch")};
    check(QStringLiteral("Menu16_0"), 4, units.indexOf(m_rec.XUnit));
    check(QStringLiteral("Menu16_1"), 4, units.indexOf(m_rec.YUnit));
    menuItem(QStringLiteral("Menu16"), 1)->setEnabled(m_rec.Permittivity != 0);
}

// Activation: menu states of the file kind and re-captioning after a language change.
void FrmMain::Activated() {
    m_state.ViewActive = FlagTrue;
    const int k = m_rec.FileKind;
    menuItem(QStringLiteral("menu2"), 2)->setEnabled(k == 7 || k == 9 || k == 10);
    for (int i : {3, 4, 5, 6, 9})
        menuItem(QStringLiteral("menu2"), i)->setEnabled(true);
    menuItem(QStringLiteral("Menu7"), 2)->setVisible(k == 6 || k == 7 || k == 10);
    menuItem(QStringLiteral("Menu10"), 3)->setVisible(false);
    if (m_topMenus[0]->title() != caption(0)) {
        if (!ApplyViewCaptions())
            platform().messageBox(QStringLiteral("FormOpenErr"), QString(), MsgIcon::Warning);
    }
    UpdateWindowCaption();
}

void FrmMain::Deactivated() {
    m_state.ViewActive = 0;
}

bool FrmMain::synchroniseChecked() const {
    return menuItem(QStringLiteral("Menu8"), 2)->isChecked();
}

void FrmMain::setSynchroniseChecked(bool on) {
    menuItem(QStringLiteral("Menu8"), 2)->setChecked(on);
}

void FrmMain::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    HandleResize();
}

} // namespace rebar
