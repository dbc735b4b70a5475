#include "view/QtViewMenus.h"

#include "config/Program.h"
#include "view/DesktopTexts.h"
#include "view/ViewHost.h"

#include <QAction>
#include <QKeySequence>
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

QtViewMenus::QtViewMenus(QWidget* owner, ViewHost* host, Runner run) {
    for (const ViewCommand& c : ViewCommandTable()) {
        QMenu* menu = nullptr;
        QAction* action = nullptr;
        switch (c.kind) {
        case ViewCommand::TopMenu:
            menu = new QMenu(c.design, owner);
            action = menu->menuAction();
            m_topMenus.push_back(menu);
            break;
        case ViewCommand::Popup:
            menu = new QMenu(owner);
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
        QObject::connect(action, &QAction::triggered, owner, [run, &c, action](bool checked) {
            // Marks follow their owner, not Qt's own toggling of checkable items.
            if (c.checkable) {
                action->blockSignals(true);
                action->setChecked(!checked);
                action->blockSignals(false);
            }
            run(c);
        });
    }
    buildRecentFiles(owner, host);
}

// The files opened last, in the File menu after Open.
void QtViewMenus::buildRecentFiles(QWidget* owner, ViewHost* host) {
    QMenu* file = m_menus.value(QStringLiteral("Menu1_0"));
    if (!file)
        return;
    auto* recent = new QMenu(file);
    recent->setObjectName(QStringLiteral("RecentFiles"));
    file->insertMenu(m_items.value(QStringLiteral("menu2_2")), recent);
    QObject::connect(file, &QMenu::aboutToShow, owner, [recent, host] {
        recent->setTitle(japanese() ? QString::fromUtf8("最近使ったファイル(&R)")
                                    : QStringLiteral("&Recent files"));
        if (host)
            host->FillRecentFiles(recent);
        recent->setEnabled(!recent->actions().isEmpty());
    });
}

QAction* QtViewMenus::item(const QString& array, int index) const {
    return m_items.value(array + QLatin1Char('_') + QString::number(index), nullptr);
}

void QtViewMenus::applyCaptions(const LanguageTables& language) {
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
}

void QtViewMenus::sync(const MeasurementDocument& doc) {
    for (const ViewCommand& c : ViewCommandTable()) {
        QAction* a = m_items.value(c.name());
        if (!a)
            continue;
        a->setVisible(CommandVisible(c, doc));
        a->setEnabled(CommandEnabled(c, doc));
        if (const std::optional<bool> checked = CommandChecked(c, doc))
            a->setChecked(*checked);
    }
}

} // namespace rebar
