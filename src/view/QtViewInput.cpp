#include "view/QtViewInput.h"

#include "config/Program.h"
#include "platform/Platform.h"
#include "view/FrmMain.h"
#include "view/InfoPanelWidget.h"
#include "view/InteractiveCommands.h"
#include "view/PictureBoxWidget.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QScrollBar>

namespace rebar {

QtViewInput::QtViewInput(FrmMain& view) : QObject(&view), m_view(view) {
    PictureBoxWidget* picb = view.m_picb;
    connect(picb, &PictureBoxWidget::mousePressed, this, [this, picb](Qt::MouseButton b, QPoint p) {
        if (b == Qt::LeftButton || b == Qt::RightButton) {
            picb->setFocus();
            PlaceCursor(p.x(), p.y());
        }
    });
    connect(picb, &PictureBoxWidget::mouseMoved, this, [this](Qt::MouseButtons b, QPoint p) {
        if (b & (Qt::LeftButton | Qt::RightButton))
            PlaceCursor(p.x(), p.y());
    });
    connect(picb, &PictureBoxWidget::keyPressed, this, &QtViewInput::CursorKey);
    connect(picb, &PictureBoxWidget::keyReleased, this, &QtViewInput::PicbKeyReleased);
    connect(picb, &PictureBoxWidget::mouseReleased, this,
            [this, picb](Qt::MouseButton b, QPoint p) {
                if (b == Qt::RightButton && m_view.m_loaded)
                    ShowBModePopup(picb->mapToGlobal(p));
            });
    connect(view.m_panel, &InfoPanelWidget::markerListReleased, this,
            &QtViewInput::MarkerListReleased);
    connect(view.m_panel, &InfoPanelWidget::locationClicked, this,
            [this] { m_view.Show(OpenMapLink(m_view.m_doc, platform())); });
}

// ---- Cursor -----------------------------------------------------------------------------------

void QtViewInput::PlaceCursor(int x, int y) {
    Viewport v = m_view.viewport();
    const CursorMove m = m_view.m_doc.MouseCursor(v, x, y);
    if (m.ignored)
        return;
    if (m.scrolled) {
        m_view.m_hsc->setValue(v.scroll); // redraws through the scroll handler
        platform().processEvents();
    }
    m_view.ShowReadouts();
}

void QtViewInput::CursorKey(int key, Qt::KeyboardModifiers modifiers) {
    Viewport v = m_view.viewport();
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const CursorMove m =
        m_view.m_doc.KeyCursor(v, key, mods == Qt::ShiftModifier, mods == Qt::NoModifier);
    if (m.ignored)
        return;
    if (m.scrolled)
        m_view.m_hsc->setValue(v.scroll);
    m_view.ShowReadouts();
}

// ---- Markers ----------------------------------------------------------------------------------

// Keys released over the radargram: the marker keys with Shift (MarkerKeyCommand); Space opens
// the popup menu.
void QtViewInput::PicbKeyReleased(int key, Qt::KeyboardModifiers modifiers) {
    if (!m_view.m_loaded)
        return;
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    if (key == Qt::Key_Space && mods == Qt::NoModifier) {
        ShowBModePopup(QCursor::pos());
        return;
    }
    if (mods != Qt::ShiftModifier)
        return;
    if (const std::optional<CommandResult> res = MarkerKeyCommand(m_view.m_doc, platform(), key)) {
        m_view.Show(*res);
        m_view.SyncMenuStates();
    }
}

// The B-mode edit menu as the radargram's popup (Menu10), its items enabled as the document
// stands.
void QtViewInput::ShowBModePopup(QPoint globalPos) {
    m_view.SyncMenuStates();
    if (QMenu* popup = m_view.m_menus->menu(QStringLiteral("Menu10")))
        popup->popup(globalPos);
}

// A left click on a marker line puts the cursor on the marker; a right click opens the list's
// popup menu.
void QtViewInput::MarkerListReleased(Qt::MouseButton button, int line, QPoint globalPos) {
    if (!m_view.m_loaded)
        return;
    MeasurementDocument& doc = m_view.m_doc;
    if (button == Qt::LeftButton && line >= 1) {
        m_view.m_picb->setFocus();
        Viewport v = m_view.viewport();
        const CommandResult res = doc.ClickMarkerLine(line, v, m_view.m_state.LastScrollValue);
        if (v.scroll != m_view.m_hsc->value())
            m_view.m_hsc->setValue(v.scroll); // redraws the picture through the scroll handler
        m_view.Show(res);
    } else if (button == Qt::RightButton && doc.HasMarkerLines()) {
        ShowListPopup(globalPos);
    }
}

// The list's popup (Menu11): its delete item names the marker of the selected line and is
// enabled only while a marker line is selected.
void QtViewInput::ShowListPopup(QPoint globalPos) {
    m_view.SyncMenuStates();
    QAction* remove = m_view.menuItem(QStringLiteral("Menu11"), 0);
    const int line = m_view.m_panel->selectedLine();
    const MarkerListContent& list = m_view.m_doc.markerList();
    const bool selected = line >= 1 && line <= list.lines.size();
    remove->setEnabled(selected);
    remove->setText(selected ? message(36) + QLatin1Char(' ') +
                                   QString::number(list.lines[line - 1].number) + QLatin1Char(' ') +
                                   caption(101)
                             : caption(101));
    if (QMenu* popup = m_view.m_menus->menu(QStringLiteral("Menu11")))
        popup->popup(globalPos);
}

} // namespace rebar
