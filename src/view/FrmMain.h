#pragma once
// A measurement view: one open file shown as a radargram with its depth axis, A-mode picture,
// colour bar, information panel and its own menu bar. The window shows a MeasurementDocument:
// it turns menu clicks, mouse, keys and scrolling into calls on the document and shows what the
// document answers. It holds no algorithm itself.

#include "export/JpegExport.h"
#include "export/ViewExports.h"
#include "platform/Platform.h"
#include "view/CLimitForm.h"
#include "view/MeasurementDocument.h"
#include "view/QtViewMenus.h"
#include "view/ViewCommandTable.h"
#include "view/ViewState.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QMdiSubWindow;
class QPushButton;
class QScrollBar;

namespace rebar {

class CursorLineWidget;
class InfoPanelWidget;
class PictureBoxWidget;
class ViewHost;
class frmJpeg;

class FrmMain : public QWidget {
    Q_OBJECT
public:
    explicit FrmMain(ViewHost* host);
    ~FrmMain() override;

    // Opens path into this new view with the load progress dialog. True when the view is
    // shown; false when it has removed itself (the failure message has been shown).
    bool SetFile2(const QString& path);

    MeasurementDocument& document() { return m_doc; }
    const MeasurementDocument& document() const { return m_doc; }
    MeasurementRecord& record() { return m_doc.record(); }
    const MeasurementRecord& record() const { return m_doc.record(); }
    ViewState& state() { return m_state; }
    // True once the open succeeded and the view is shown.
    bool loaded() const { return m_loaded; }

    // The view's slot in the main frame's list (the window tag); 0 before the open succeeded.
    int tag() const { return m_tag; }
    // The narrowest the view's window may be (the narrowest radargram beside its panels).
    int minimumWindowWidth() const { return m_state.Geometry.MinFormWidth; }
    void setTag(int slot) { m_tag = slot; }
    QMdiSubWindow* subWindow() const { return m_sub; }
    void setSubWindow(QMdiSubWindow* sub);

    // The top-level menus Menu1(0..12) the main frame shows while this view is active.
    const std::vector<QMenu*>& topMenus() const { return m_menus->topMenus(); }
    // A menu item by its control name and index (Menu3, 5) -> the action.
    QAction* menuItem(const QString& array, int index) const { return m_menus->item(array, index); }
    // The open views of the main frame in slot order; this view alone when it has no frame.
    QList<FrmMain*> openViews() const;
    // Sets every caption of the view from the caption tables.
    void ApplyViewCaptions();
    void Activated();
    void Deactivated();
    // Asks about unsaved changes; false when the user keeps the view open.
    bool QueryClose();

    QScrollBar* scrollBar() const { return m_hsc; }
    // The scroll range as the view's rules read it: with Direction 1 the bar runs backwards
    // and its minimum holds the largest position (the widget itself always runs low to high,
    // drawn inverted).
    ScrollRange scrollRange() const { return m_range; }
    bool synchroniseChecked() const;
    void setSynchroniseChecked(bool on);
    // Runs the resize handler as the window system would after a width change.
    void HandleResize();
    PictureBoxWidget* picb() const { return m_picb; }

    // Runs a menu entry (what a click on its item does).
    void RunCommand(const ViewCommand& c);
    // Shows what a document command changed and tells the user what it reports.
    void Show(const CommandResult& result);
    // Sets the permittivity of this view (applying one value to all views).
    void SetDielectric(double er, int item);
    // Shows the record's title, with "*" while it has unsaved changes, in the caption.
    void UpdateWindowCaption();
    // Save (menu2 item 2) and Save As (item 3): 0 done, 1 failed, 2 cancelled.
    void SaveCommand() { Show(m_doc.SaveCommand()); }
    int SaveAsCommand(bool quiet);
    // The JPEG dialog (menu2 item 4), modeless, one per view; null while it is not open.
    void JpegCommand();
    frmJpeg* jpegDialog() const;
    // What the dialog's OK does after its checks: asks for the file name and writes (0 written,
    // 1 failed or refused, 2 the chooser was cancelled); a new measurement date is shown.
    int JpegExport(const CompositionParams& p, int16_t PrintingForm, ExportOutcome* outcome);
    // The copy command (menu2 item 5): 0 the picture is on the clipboard, 1 it is not.
    int CopyCommand() { return CopyViewPicture(m_doc, m_pics); }
    // The two prints of Menu21_0 (the export subsystem's ViewExports).
    PrintOutcome ScreenPrint();
    PrintOutcome DataPrint() {
        return PrintMeasurementData(m_doc, QDate::currentDate(), m_pics, platform());
    }
    // The view's export picture: what the last composition, copy or print drew.
    const QImage& pics() const { return m_pics; }
    // The nine window options (the window-options dialog's OK).
    void SetDispSet(const WindowOptions& options) { m_state.Options = options; }
    // The view's size limiter (created at load).
    const CLimitForm& sizeLimiter() const { return *m_limiter; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class QtViewInput; // the mouse, keys and marker list of this view (QtViewInput.cpp)

    void buildControls();
    void SyncMenuStates() { m_menus->sync(m_doc); }
    void PermittivityDialog();
    void WindowOptionsCommand();
    void FailOpen(const OpenResult& why);
    void LoadView();
    void ShowRefreshedImage();
    void ShowReadouts();
    void ShowColorBar();
    bool gpsInFile() const;
    Viewport viewport() const;

    // Layout (FrmMainLayout.cpp)
    void InitialLayout();
    void Relayout();
    void ApplyVisibility();
    void SetPictureHeights(bool renderStep);
    void SetScrollRange();
    void applyScrollRange(const ScrollRange& r);
    bool ShowImage(int v);
    void OnScroll(int value);
    void ApplyFixedHeight();
    void ApplyLimits();
    void setWindowWidth(int w);
    void setWindowHeight(int h);
    QWidget* frameWindow();

    ViewHost* m_host;
    QMdiSubWindow* m_sub = nullptr;
    int m_tag = 0;
    bool m_loaded = false;
    bool m_closeAccepted = false; // the view's close was agreed to; it is not asked again
    MeasurementDocument m_doc;
    QImage m_pics;
    QPointer<frmJpeg> m_jpeg;
    ViewState m_state;
    ScrollRange m_range;
    std::unique_ptr<CLimitForm> m_limiter;

    // Controls
    InfoPanelWidget* m_panel = nullptr;
    PictureBoxWidget* m_picd = nullptr;
    PictureBoxWidget* m_picb = nullptr;
    PictureBoxWidget* m_pica = nullptr;
    PictureBoxWidget* m_clrBar = nullptr;
    QScrollBar* m_hsc = nullptr;
    CursorLineWidget* m_xbar = nullptr;
    CursorLineWidget* m_ybar = nullptr;
    CursorLineWidget* m_yabar = nullptr;
    std::array<QPushButton*, 2> m_command1{};
    std::unique_ptr<QtViewMenus> m_menus; // the menu bar and popups, built from the command table
};

} // namespace rebar
