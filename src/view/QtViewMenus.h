#pragma once
// The menu bar and popup menus of a measurement view as Qt menus, built from the command table:
// every menu and item with its object name, shortcut and check mark, the File menu's list of
// files opened last, the captions from the language tables and the marks, enabled states and
// visibility as a document stands. A click on a built item goes to the view's command runner.

#include "view/ViewCommandTable.h"

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace rebar {

class MeasurementDocument;
class ViewHost;
struct LanguageTables;

class QtViewMenus {
public:
    using Runner = std::function<void(const ViewCommand&)>;

    // Builds every menu of the table as a child of owner; a click on an item calls run.
    QtViewMenus(QWidget* owner, ViewHost* host, Runner run);

    // The top-level menus Menu1(0..12).
    const std::vector<QMenu*>& topMenus() const { return m_topMenus; }
    // A menu item by its control name and index (Menu3, 5) -> the action; null when none.
    QAction* item(const QString& array, int index) const;
    // A menu or popup by its object name ("Menu10"); null when none.
    QMenu* menu(const QString& name) const { return m_menus.value(name, nullptr); }

    // Sets every menu caption from the caption tables.
    void applyCaptions(const LanguageTables& language);
    // Marks, enabled states and visibility of every item as the document stands.
    void sync(const MeasurementDocument& doc);

private:
    void buildRecentFiles(QWidget* owner, ViewHost* host);

    std::vector<QMenu*> m_topMenus;   // Menu1(0..12)
    QHash<QString, QAction*> m_items; // "Menu3_5" -> action
    QHash<QString, QMenu*> m_menus;   // "Menu16_0" -> menu
};

} // namespace rebar
