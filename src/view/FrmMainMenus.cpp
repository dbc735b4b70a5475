// The commands of a measurement view's menus: the document's commands, the frame's, and those
// that need the window (its dialogs, saving, the exports, the other views); activation.

#include "config/Program.h"
#include "export/frmSaveFolder.h"
#include "platform/Platform.h"
#include "view/FrmMain.h"
#include "view/InfoPanelWidget.h"
#include "view/InteractiveCommands.h"
#include "view/ViewHost.h"
#include "view/frmCoverSettings.h"
#include "view/frmDielectric.h"
#include "view/frmNote.h"
#include "view/frmWindowOption.h"

#include <QAction>
#include <QMenu>

namespace rebar {

void FrmMain::ApplyViewCaptions() {
    const LanguageTables& language = program().language;
    m_menus->applyCaptions(language);
    m_panel->applyCaptions(language);
    m_panel->setReadoutToolTips(program().settings.Language == QLatin1String("JP"));
}

void FrmMain::RunCommand(const ViewCommand& c) {
    QAction* action = menuItem(c.array, c.index);
    if (c.run) {
        Show(RunViewCommand(m_doc, c));
        SyncMenuStates();
    } else if (c.host) {
        if (m_host)
            (m_host->*c.host)();
    } else if (c.window == WindowCommand::Save) {
        SaveCommand();
    } else if (c.window == WindowCommand::SaveAs) {
        SaveAsCommand(false);
    } else if (c.window == WindowCommand::Close) {
        frameWindow()->close();
    } else if (c.window == WindowCommand::PermittivityDialog) {
        PermittivityDialog();
    } else if (c.window == WindowCommand::JpegDialog) {
        JpegCommand();
    } else if (c.window == WindowCommand::Copy) {
        CopyCommand();
    } else if (c.window == WindowCommand::ScreenPrint) {
        ScreenPrint();
    } else if (c.window == WindowCommand::DataPrint) {
        DataPrint();
    } else if (c.window == WindowCommand::ConvertOpenViews) {
        frmSaveFolder::ConvertOpenViews(*this);
    } else if (c.window == WindowCommand::Synchronise) {
        // The mark is set for all views at once.
        if (m_host)
            m_host->ToggleSynchronise(action->isChecked());
        else
            action->setChecked(!action->isChecked());
    } else if (c.window == WindowCommand::WindowOptions) {
        WindowOptionsCommand();
        SyncMenuStates();
    } else if (c.window == WindowCommand::Comment) {
        if (const auto res = frmNote::Edit(this, m_doc))
            Show(*res);
        SyncMenuStates();
    } else if (c.window == WindowCommand::CoverSettings) {
        Show(CoverSettingsCommand(m_doc, platform(), this));
        SyncMenuStates();
    } else if (const auto res =
                   RunInteractiveCommand(m_doc, platform(), c, m_panel->selectedLine())) {
        Show(*res);
        SyncMenuStates();
    }
}

// Menu7 item 1: the window options; whichever button closes the dialog, the view is laid out
// again, and a new half-wave choice reprocesses it.
void FrmMain::WindowOptionsCommand() {
    frmWindowOption dlg(this, m_state.Options, m_tag);
    platform().runDialog(dlg);
    if (dlg.accepted())
        SetDispSet(dlg.options());
    Relayout();
    ShowReadouts();
    Show(m_doc.HalfWaveCommand(m_state.Options.AModeSetChoice));
}

// Menu5 item 8: the dialog opens at the view's permittivity (8.0 after the time axis); its
// value goes to this view or, with "apply to all", to every open view.
void FrmMain::PermittivityDialog() {
    frmDielectric dlg(this, m_doc.PermittivityDialogValue());
    platform().runDialog(dlg);
    const double er = dlg.value() / 10.0;
    if (dlg.applyToAll() && m_host) {
        for (FrmMain* v : m_host->OpenViews()) {
            v->SetDielectric(er, 8);
            platform().processEvents();
        }
    }
    Show(m_doc.ChoosePermittivity(8, er));
    SyncMenuStates();
}

void FrmMain::SetDielectric(double er, int item) {
    Show(m_doc.SetDielectric(er, item));
    SyncMenuStates();
}

// Activation: menu states of the file kind and re-captioning after a language change.
void FrmMain::Activated() {
    m_state.ViewActive = FlagTrue;
    m_doc.ResetSaveEnabled();
    SyncMenuStates();
    if (topMenus()[0]->title() != caption(0))
        ApplyViewCaptions();
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

} // namespace rebar
