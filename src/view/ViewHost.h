#pragma once
// What a measurement view asks of the window that holds it: the other open views (synchronised
// scrolling, a permittivity for all views) and the frame's own commands that its menus offer.
// The main frame implements it; a view without a host runs its own commands only.

#include <QList>

class QMenu;

namespace rebar {

class FrmMain;

class ViewHost {
public:
    virtual ~ViewHost() = default;

    // The open views in slot order.
    virtual QList<FrmMain*> OpenViews() const = 0;
    virtual void OpenCommand() = 0;
    // Exit: every view asks about its changes; a view the user keeps keeps the program running.
    virtual void ExitCommand() = 0;
    virtual void Cascade() = 0;
    virtual void TileHorizontally() = 0;
    // Synchronised scrolling: the check mark moves on every view at once.
    virtual void ToggleSynchronise(bool currentlyChecked) = 0;
    virtual void ShowAbout() = 0;
    virtual void OpenHomepage() = 0;
    virtual void ShowInitialSettings() = 0;
    // The view's title, settings or changes moved on (the frame's status line follows).
    virtual void ViewChanged(FrmMain* view) { (void)view; }
    // Fills a File menu's list of the files opened last.
    virtual void FillRecentFiles(QMenu* menu) { (void)menu; }
    // The report sheet setup dialog (not modal), from which the report designer starts.
    virtual void ShowReportSetup() = 0;
};

} // namespace rebar
