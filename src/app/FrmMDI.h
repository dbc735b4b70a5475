#pragma once
// The main frame: holds the measurement views, its own File/Settings/Help menus (replaced by
// the active view's menu bar while a view is active), opens files from its Open command, from
// drops and from the command line, and shuts the program down.

#include "view/ViewHost.h"
#include "view/WindowArrangement.h"

#include <QMainWindow>
#include <QPointer>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;

namespace rebar {

class FrmMain;

class FrmMDI : public QMainWindow, public ViewHost {
    Q_OBJECT
public:
    // Qt's own dialog buttons and file dialog speak the program's language; a later change
    // of language replaces their texts.
    static void InstallQtTexts(const QString& language);
    explicit FrmMDI(QWidget* parent = nullptr);
    ~FrmMDI() override;

    // The start-up steps after the settings and language tables: instance check, report
    // layout, calibration tables, captions and menus. Shows the fixed failure text and returns
    // false when the program must end. checkInstance is off in the headless screenshot mode.
    bool StartUp(bool checkInstance);

    // Opens the files in order, one view each; stops at the first failure. Returns the number
    // of views opened.
    int OpenFiles(const QStringList& paths);
    // The Open command (menu2 item 1).
    void OpenCommand() override;
    // Exit (menu2 item 10 of a view): closes every view, then the frame.
    void ExitCommand() override;

    // Views: slot 0 is never used; a closed view leaves its slot empty.
    const std::vector<QPointer<FrmMain>>& Views() const { return m_views; }
    QList<FrmMain*> OpenViews() const override;
    QMdiArea* mdiArea() const { return m_mdi; }

    // Main frame captions from the caption table (start-up steps 5 to 7).
    void ApplyMainCaptions();
    // Arranges the views cascaded or tiled.
    void Cascade() override;
    void TileHorizontally() override;
    // Synchronised scrolling of all views (Menu8 item 2): toggles the check mark everywhere.
    void ToggleSynchronise(bool currentlyChecked) override;
    // Closes every view in slot order; the view's Exit command ends the program afterwards.
    bool CloseAllViews();
    void ShowAbout() override;
    void OpenHomepage() override;
    void ShowInitialSettings() override;
    void ViewChanged(FrmMain* view) override;
    void FillRecentFiles(QMenu* menu) override;
    void ShowReportSetup() override;
    // Shows the report designer (the sheet setup dialog's OK).
    void ShowReportDesigner();

    // Places a view's menus in the menu bar while it is active.
    void ShowMenusOf(FrmMain* view);
    FrmMain* ActiveView() const;

protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;

private:
    void buildMenus();
    void onSubWindowActivated(QMdiSubWindow* w);
    void reapplyLanguageIfChanged();
    // A view's sizes for the arrangements, the cascade step, and placing views.
    ArrangedWindow arranged(QMdiSubWindow* sub) const;
    int cascadeStep(QMdiSubWindow* sub) const;
    void arrange(const QList<QMdiSubWindow*>& subs, const std::vector<QRect>& rects);

    QMdiArea* m_mdi;
    std::vector<QPointer<FrmMain>> m_views;
    QMenu* m_menuFile = nullptr;          // Menu1(0)
    QMenu* m_menuSettings = nullptr;      // Menu1(5)
    QMenu* m_menuHelp = nullptr;          // Menu1(7)
    QMenu* m_recentMenu = nullptr;        // the files opened last
    QAction* m_open = nullptr;            // menu2(1)
    QAction* m_report = nullptr;          // menu2(7)
    QAction* m_convertAll = nullptr;      // menu2(9)
    QAction* m_exit = nullptr;            // menu2(10)
    QAction* m_initialSettings = nullptr; // Menu7(0)
    QAction* m_language = nullptr;        // Menu7(3), hidden
    QAction* m_about = nullptr;           // Menu9(0)
    QAction* m_homepage = nullptr;        // Menu9(1)
    FrmMain* m_menuOwner = nullptr;
    bool m_closing = false;
};

// The main frame of the running program (for the views' window commands).
FrmMDI* mainFrame();

} // namespace rebar
