// Marker editing in a measurement view: the keys over the radargram, its popup menu, the marker
// list's clicks and popup, the map link, and the menu commands that ask the user first.

#include "config/Program.h"
#include "platform/Platform.h"
#include "view/FrmMain.h"
#include "view/InfoPanelWidget.h"
#include "view/InteractiveCommands.h"
#include "view/PictureBoxWidget.h"
#include "view/frmCoverSettings.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QScrollBar>

namespace rebar {

void FrmMain::connectMarkerEditing() {
    connect(m_picb, &PictureBoxWidget::keyReleased, this, &FrmMain::PicbKeyReleased);
    connect(m_picb, &PictureBoxWidget::mouseReleased, this, [this](Qt::MouseButton b, QPoint p) {
        if (b == Qt::RightButton && m_loaded)
            ShowBModePopup(m_picb->mapToGlobal(p));
    });
    connect(m_panel, &InfoPanelWidget::markerListReleased, this, &FrmMain::MarkerListReleased);
    connect(m_panel, &InfoPanelWidget::locationClicked, this,
            [this] { Show(OpenMapLink(m_doc, platform())); });
}

// Keys released over the radargram: Shift+M add, Shift+D delete the marker last added, Shift+E
// delete the last marker of the list, Shift+L peak search, Shift+S snap, Shift+P snap and add;
// Space opens the popup menu.
void FrmMain::PicbKeyReleased(int key, Qt::KeyboardModifiers modifiers) {
    if (!m_loaded)
        return;
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    if (key == Qt::Key_Space && mods == Qt::NoModifier) {
        ShowBModePopup(QCursor::pos());
        return;
    }
    if (mods != Qt::ShiftModifier)
        return;
    switch (key) {
    case Qt::Key_M:
        Show(m_doc.AddMarkerCommand());
        break;
    case Qt::Key_D:
        Show(DeleteCurrentMarkerCommand(m_doc, platform()));
        break;
    case Qt::Key_E:
        Show(DeleteLastMarkerCommand(m_doc, platform()));
        break;
    case Qt::Key_L:
        Show(m_doc.PeakSearchCommand());
        break;
    case Qt::Key_S:
        Show(m_doc.SnapCommand());
        break;
    case Qt::Key_P:
        Show(m_doc.SnapAndAddCommand());
        break;
    default:
        return;
    }
    SyncMenuStates();
}

// The B-mode edit menu as the radargram's popup (Menu10), its items enabled as the document
// stands.
void FrmMain::ShowBModePopup(QPoint globalPos) {
    SyncMenuStates();
    if (QMenu* popup = m_menus.value(QStringLiteral("Menu10")))
        popup->popup(globalPos);
}

// A left click on a marker line puts the cursor on the marker; a right click opens the list's
// popup menu.
void FrmMain::MarkerListReleased(Qt::MouseButton button, int line, QPoint globalPos) {
    if (!m_loaded)
        return;
    if (button == Qt::LeftButton && line >= 1) {
        m_picb->setFocus();
        Viewport v = viewport();
        const CommandResult res = m_doc.ClickMarkerLine(line, v, m_state.LastScrollValue);
        if (v.scroll != m_hsc->value())
            m_hsc->setValue(v.scroll); // redraws the picture through the scroll handler
        Show(res);
    } else if (button == Qt::RightButton && m_doc.HasMarkerLines()) {
        ShowListPopup(globalPos);
    }
}

// The list's popup (Menu11): its delete item names the marker of the selected line and is
// enabled only while a marker line is selected.
void FrmMain::ShowListPopup(QPoint globalPos) {
    SyncMenuStates();
    QAction* remove = menuItem(QStringLiteral("Menu11"), 0);
    const int line = m_panel->selectedLine();
    const MarkerListContent& list = m_doc.markerList();
    const bool selected = line >= 1 && line <= list.lines.size();
    remove->setEnabled(selected);
    remove->setText(selected ? message(36) + QLatin1Char(' ') +
                                   QString::number(list.lines[line - 1].number) + QLatin1Char(' ') +
                                   caption(101)
                             : caption(101));
    if (QMenu* popup = m_menus.value(QStringLiteral("Menu11")))
        popup->popup(globalPos);
}

void FrmMain::RunWindowCommand(const ViewCommand& c) {
    Platform& ui = platform();
    switch (c.window) {
    case WindowCommand::DeleteMarkers:
        Show(DeleteMarkersCommand(m_doc, ui));
        break;
    case WindowCommand::MarkerList:
        Show(m_doc.MarkerListCommand(c.index, m_panel->selectedLine()));
        break;
    case WindowCommand::Detect: {
        static const DetectionMode modes[] = {DetectionMode::FromStart, DetectionMode::FromEnd,
                                              DetectionMode::Fitted};
        Show(DetectionCommand(m_doc, ui, modes[std::clamp(c.index, 0, 2)]));
        break;
    }
    case WindowCommand::BackCalculate:
        Show(BackCalculationCommand(m_doc, ui));
        break;
    case WindowCommand::WindowOptions:
        WindowOptionsCommand();
        break;
    case WindowCommand::Comment:
        CommentCommand();
        break;
    case WindowCommand::CoverSettings:
        Show(CoverSettingsCommand(m_doc, ui, this));
        break;
    default:
        return;
    }
    SyncMenuStates();
}

} // namespace rebar
