// The commands of a view's menu bar that belong to the window: file, window and help items.

#include "app/FrmMDI.h"
#include "config/Program.h"
#include "view/FrmMain.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>

namespace rebar {

void FrmMain::connectMenus() {
    auto on = [this](const QString& array, int index, auto fn) {
        if (QAction* a = menuItem(array, index))
            connect(a, &QAction::triggered, this, fn);
    };
    on(QStringLiteral("menu2"), 1, [this] {
        if (m_mdi)
            m_mdi->OpenCommand();
    });
    on(QStringLiteral("menu2"), 8, [this] {
        if (m_sub)
            m_sub->close();
        else
            close();
    });
    on(QStringLiteral("menu2"), 10, [this] {
        // Exit: every view in slot order asks about its changes; a view the user keeps
        // open keeps the program running, so no unsaved work is thrown away.
        if (m_mdi && m_mdi->CloseAllViews())
            m_mdi->close();
    });
    on(QStringLiteral("Menu8"), 0, [this] {
        if (m_mdi)
            m_mdi->Cascade();
    });
    on(QStringLiteral("Menu8"), 1, [this] {
        if (m_mdi)
            m_mdi->TileHorizontally();
    });
    if (QAction* sync = menuItem(QStringLiteral("Menu8"), 2)) {
        // The check mark is set for all views at once; undo Qt's own toggle of this item.
        connect(sync, &QAction::triggered, this, [this, sync](bool nowChecked) {
            const bool wasChecked = !nowChecked;
            sync->setChecked(wasChecked);
            if (m_mdi)
                m_mdi->ToggleSynchronise(wasChecked);
            else
                sync->setChecked(!wasChecked);
        });
    }
    on(QStringLiteral("Menu9"), 0, [this] {
        if (m_mdi)
            m_mdi->ShowAbout();
    });
    on(QStringLiteral("Menu9"), 1, [this] {
        if (m_mdi)
            m_mdi->OpenHomepage();
    });
    on(QStringLiteral("Menu7"), 0, [this] {
        if (m_mdi)
            m_mdi->ShowInitialSettings();
    });
}

} // namespace rebar
