// The menu bar and popup menu of a measurement view, built from the command table, their
// captions and marks, and the commands that need the window.

#include "config/Program.h"
#include "platform/Platform.h"
#include "view/DesktopTexts.h"
#include "view/FrmMain.h"
#include "view/InfoPanelWidget.h"
#include "view/ViewHost.h"
#include "view/frmDielectric.h"
#include "view/frmNote.h"
#include "view/frmWindowOption.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>

namespace rebar {

namespace {

// The desktop's standard keys of the items that have one.
QKeySequence::StandardKey standardKeyOf(const QString& item) {
    static const std::pair<const char*, QKeySequence::StandardKey> keys[] = {
        {"menu2_1", QKeySequence::Open},   {"menu2_2", QKeySequence::Save},
        {"menu2_3", QKeySequence::SaveAs}, {"menu2_8", QKeySequence::Close},
        {"menu2_10", QKeySequence::Quit},  {"Menu9_0", QKeySequence::HelpContents}};
    for (const auto& [name, key] : keys)
        if (item == QLatin1String(name))
            return key;
    return QKeySequence::UnknownKey;
}

// Access keys of the menu bar's menus, Menu1 items 0..12.
const char TopMenuKeys[] = "FSGDRMUILBTWH";

bool japanese() {
    return program().settings.Language == QLatin1String("JP");
}

} // namespace

void FrmMain::buildMenus() {
    for (const ViewCommand& c : ViewCommandTable()) {
        QMenu* menu = nullptr;
        QAction* action = nullptr;
        switch (c.kind) {
        case ViewCommand::TopMenu:
            menu = new QMenu(c.design, this);
            action = menu->menuAction();
            m_topMenus.push_back(menu);
            break;
        case ViewCommand::Popup:
            menu = new QMenu(this);
            break;
        case ViewCommand::Submenu:
            menu = m_menus.value(c.parent)->addMenu(c.design);
            action = menu->menuAction();
            break;
        case ViewCommand::Item:
            action = m_menus.value(c.parent)->addAction(c.design);
            action->setCheckable(c.checkable);
            action->setShortcuts(c.shortcuts);
            break;
        }
        if (menu) {
            menu->setObjectName(c.menuName);
            m_menus.insert(c.menuName, menu);
        }
        if (!action)
            continue;
        action->setObjectName(c.name());
        m_items.insert(c.name(), action);
        if (const auto key = standardKeyOf(c.name()); key != QKeySequence::UnknownKey)
            action->setShortcut(key);
        if (c.window == WindowCommand::DataPrint)
            action->setShortcut(QKeySequence::Print);
        if (c.kind != ViewCommand::Item || !c.built())
            continue;
        connect(action, &QAction::triggered, this, [this, &c, action](bool checked) {
            // Marks follow their owner, not Qt's own toggling of checkable items.
            if (c.checkable) {
                action->blockSignals(true);
                action->setChecked(!checked);
                action->blockSignals(false);
            }
            RunCommand(c);
        });
    }
    // The files opened last, in the File menu after Open.
    if (QMenu* file = m_menus.value(QStringLiteral("Menu1_0"))) {
        m_recent = new QMenu(file);
        m_recent->setObjectName(QStringLiteral("RecentFiles"));
        file->insertMenu(m_items.value(QStringLiteral("menu2_2")), m_recent);
        connect(file, &QMenu::aboutToShow, this, [this] {
            m_recent->setTitle(japanese() ? QString::fromUtf8("最近使ったファイル(&R)")
                                          : QStringLiteral("&Recent files"));
            if (m_host)
                m_host->FillRecentFiles(m_recent);
            m_recent->setEnabled(!m_recent->actions().isEmpty());
        });
    }
    SyncMenuStates();
}

QAction* FrmMain::menuItem(const QString& array, int index) const {
    return m_items.value(array + QLatin1Char('_') + QString::number(index), nullptr);
}

void FrmMain::ApplyViewCaptions() {
    const LanguageTables& language = program().language;
    for (const ViewCommand& c : ViewCommandTable()) {
        QString text;
        if (c.caption >= 0)
            text = language.Captions[static_cast<size_t>(c.caption)];
        else if (c.message >= 0)
            text = language.Messages[static_cast<size_t>(c.message)];
        else
            continue;
        if (c.kind == ViewCommand::TopMenu)
            m_menus.value(c.menuName)
                ->setTitle(c.index >= 0 && c.index < 13
                               ? WithMnemonic(text, QLatin1Char(TopMenuKeys[c.index]))
                               : text);
        else if (QAction* a = m_items.value(c.name()))
            a->setText(text);
    }
    m_panel->applyCaptions(language);
    m_panel->setReadoutToolTips(japanese());
}

// Marks, enabled states and visibility of every item as the document stands.
void FrmMain::SyncMenuStates() {
    for (const ViewCommand& c : ViewCommandTable()) {
        QAction* a = m_items.value(c.name());
        if (!a)
            continue;
        a->setVisible(CommandVisible(c, m_doc));
        a->setEnabled(CommandEnabled(c, m_doc));
        if (const std::optional<bool> checked = CommandChecked(c, m_doc))
            a->setChecked(*checked);
    }
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
        ConvertOpenViewsCommand();
    } else if (c.window == WindowCommand::Synchronise) {
        // The mark is set for all views at once.
        if (m_host)
            m_host->ToggleSynchronise(action->isChecked());
        else
            action->setChecked(!action->isChecked());
    } else {
        RunWindowCommand(c);
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

// Menu7 item 2: the note of a 730-family file, or the comments of a ZVX file of kind 10.
void FrmMain::CommentCommand() {
    frmNote dlg(this, m_doc.record());
    platform().runDialog(dlg);
    if (!dlg.saved())
        return;
    const int k = dlg.fileKind();
    if (k == KindText730 || k == KindRdd)
        Show(m_doc.SetNote(dlg.note()));
    else if (k == KindZvx4)
        Show(m_doc.SetComment(dlg.comments(), dlg.direction()));
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
    if (m_topMenus[0]->title() != caption(0))
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
