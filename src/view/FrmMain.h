#pragma once
// A measurement view: one open file shown as a radargram with its depth axis, A-mode picture,
// colour bar, readouts and marker list, and its own menu bar. The window holds the controls
// and forwards events to the core operations of the record; it holds no algorithm itself.

#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"
#include "view/ViewImages.h"
#include "view/ViewState.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <array>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QScrollBar;

namespace rebar {

class FrmMDI;
class PictureBoxWidget;

class FrmMain : public QWidget {
    Q_OBJECT
public:
    explicit FrmMain(FrmMDI* mdi);
    ~FrmMain() override;

    // Opens path into this new view with the load progress dialog. True when the view is
    // shown; false when it has removed itself (the failure message has been shown).
    bool SetFile2(const QString& path);
    // Opens the file chosen in the view's own open dialog (or the preset path).
    bool SetFile();

    // Re-processes and redraws the view; each switch 1 performs its step.
    bool RefreshView(int position, int process, int render, int depthAxis, int markerList,
                     int readouts);

    MeasurementRecord& record() { return m_rec; }
    const MeasurementRecord& record() const { return m_rec; }
    ViewState& state() { return m_state; }
    const ViewImages& images() const { return m_images; }

    // The view's slot in the main frame's list (the window tag); 0 before the open succeeded.
    int tag() const { return m_tag; }
    void setTag(int slot) { m_tag = slot; }

    QMdiSubWindow* subWindow() const { return m_sub; }
    void setSubWindow(QMdiSubWindow* sub);

    // The top-level menus Menu1(0..12) the main frame shows while this view is active.
    const std::vector<QMenu*>& topMenus() const { return m_topMenus; }
    // A menu item by its control name and index (Menu3, 5) -> the action.
    QAction* menuItem(const QString& array, int index) const;

    // Sets every caption of the view from the caption tables; false on failure.
    bool ApplyViewCaptions();
    // Activation and deactivation of the child window.
    void Activated();
    void Deactivated();
    // Asks about unsaved changes; false when the user keeps the view open.
    bool QueryClose();

    // Scroll bar value and the synchronised scrolling of other views.
    QScrollBar* scrollBar() const { return m_hsc; }
    // The scroll range as the view's rules read it: with Direction 1 the bar runs backwards
    // and its minimum holds the largest position (the widget itself always runs low to high,
    // drawn inverted).
    ScrollRange scrollRange() const { return m_range; }
    void applyScrollRange(const ScrollRange& r);
    bool synchroniseChecked() const;
    void setSynchroniseChecked(bool on);
    // Runs the resize handler as the window system would after a width change.
    void HandleResize();
    // Shows the overlay at scroll value v.
    bool ShowImage(int v);

    // Layout operations of the view window.
    void InitialLayout();
    void Relayout();
    void ApplyVisibility();
    void SetPictureHeights(bool renderStep);
    void SetScrollRange();

    PictureBoxWidget* picb() const { return m_picb; }

    // View commands (menu item index as argument).
    void SensitivityCommand(int i);        // Menu3
    void GradationCommand(int i);          // Menu4
    void ChoosePermittivity(int i);        // Menu5
    void DirectionCommand(int i);          // Menu6
    void ViewRangeCommand(int i);          // Menu12
    void CoverMagnificationCommand(int i); // Menu15
    void DistanceUnitCommand(int i);       // Menu16_0
    void DepthUnitCommand(int i);          // Menu16_1
    void BModeEditCommand(int i);          // Menu10 / Menu14
    // Sets the permittivity and its preset item (applying one value to all views).
    void SetDielectric(double er, int index);
    // The cursor as a left-button mouse move at picture pixel (x, y) would place it.
    void PlaceCursor(int x, int y);
    // An arrow key over the radargram.
    void CursorKey(int key, Qt::KeyboardModifiers modifiers);
    // Public conversions of the cursor: the column under the cursor, column -> trace.
    int RetPos() const { return m_state.CursorColumn; }

    // The depth axis of the family into picd; false when it cannot be drawn.
    bool DrawDepthAxis();
    // The gradation colour bar and the colours of the cursor lines.
    void DrawColorBar();
    // Rebuilds the marker list and the statistics labels.
    bool RebuildMarkerList();
    // Writes the record before closing (the Yes answer); false keeps the view open.
    bool SaveBeforeClose();
    // Save (menu2 item 2) and Save As (item 3); Save As returns 0 done, 1 failed, 2 cancelled.
    void SaveCommand();
    int SaveAsCommand(bool quiet);

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    void connectMenus();
    void connectViewCommands();
    bool Refresh(int markerList = 1, int readouts = 1);
    void ReportRefreshFailure();
    void CheckOnly(const QString& array, int count, int index);
    int CheckedIndex(const QString& array, int count) const;
    void ApplyDirectionRange(int v);
    void ApplyFixedHeight();
    WriteResult WriteRecord(const QString& path);
    QAction* addItem(QMenu* menu, const QString& array, int index, const QString& text);
    QMenu* addSubmenu(QMenu* menu, const QString& array, int index, const QString& submenuName,
                      const QString& text);
    void LoadView();
    void ApplyCreationDefaults();
    bool OpenSequence(bool withProgress);
    // The failure of an open: the message with the reason (none when the user cancelled a
    // question), then the view removes itself.
    void FailOpen(bool withStage, const ReadResult& why);
    void SetMenuStates();
    void UpdateWindowCaption();
    void OnScroll(int value);
    void setWindowWidth(int w);
    void setWindowHeight(int h);
    void UpdateReadouts();

    FrmMDI* m_mdi;
    QMdiSubWindow* m_sub = nullptr;
    int m_tag = 0;
    MeasurementRecord m_rec;
    ViewState m_state;
    ViewImages m_images;
    ScrollRange m_range;
    QImage m_depthAxisBitmap;

    // Controls
    QListWidget* m_mklist = nullptr;
    QLabel* m_lblCursor = nullptr;
    std::array<QLabel*, 2> m_lblCursorX{};
    std::array<QLabel*, 2> m_lblCursorY{};
    std::array<QLabel*, 2> m_lblYuudenritu{};
    QLabel* m_lblGPSDate = nullptr;
    QLabel* m_lblLocation = nullptr;
    std::array<QLabel*, 2> m_lblTire{};
    std::array<QLabel*, 2> m_lblSpeed{};
    std::array<QLabel*, 14> m_lblMaker{};
    PictureBoxWidget* m_picd = nullptr;
    PictureBoxWidget* m_picb = nullptr;
    PictureBoxWidget* m_pica = nullptr;
    PictureBoxWidget* m_clrBar = nullptr;
    QScrollBar* m_hsc = nullptr;
    QFrame* m_xbar = nullptr;
    QFrame* m_ybar = nullptr;
    QFrame* m_yabar = nullptr;
    std::array<QPushButton*, 2> m_command1{};

    // Menus
    std::vector<QMenu*> m_topMenus;    // Menu1(0..12)
    QMenu* m_popup = nullptr;          // Menu10
    QHash<QString, QAction*> m_items;  // "Menu3_5" -> action
    QHash<QString, QMenu*> m_submenus; // "Menu16_0" -> menu
};

} // namespace rebar
