#include "app/FrmMDI.h"

#include "app/frmAbout.h"
#include "app/frmDefaultSet.h"
#include "config/Program.h"
#include "config/SystemPaths.h"
#include "config/UserPreferences.h"
#include "export/frmAllJpeg.h"
#include "platform/Platform.h"
#include "report/frmExcelForm.h"
#include "report/frmExcelFormSetup.h"
#include "view/DesktopTexts.h"
#include "view/FrmMain.h"
#include "view/WindowArrangement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTranslator>
#include <QUrl>
#include <memory>

namespace rebar {

namespace {
FrmMDI* g_mainFrame = nullptr;
// The maker's web page behind the homepage item and the about box link.
const char* const HomepageUrl = "https://rebarscope.example/";
} // namespace

FrmMDI* mainFrame() {
    return g_mainFrame;
}

FrmMDI::FrmMDI(QWidget* parent) : QMainWindow(parent) {
    g_mainFrame = this;
    setObjectName(QStringLiteral("FrmMDI"));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    setAcceptDrops(true);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &FrmMDI::onSubWindowActivated);
    buildMenus();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_views.emplace_back(); // slot 0 is never used
    resize(1280, 900);
}

FrmMDI::~FrmMDI() {
    // The area reports activation changes while it takes its windows down.
    disconnect(m_mdi, nullptr, this, nullptr);
    if (g_mainFrame == this)
        g_mainFrame = nullptr;
}

void FrmMDI::buildMenus() {
    auto item = [](QMenu* m, const char* name, const char* text) {
        QAction* a = m->addAction(QString::fromUtf8(text));
        a->setObjectName(QLatin1String(name));
        return a;
    };
    m_menuFile = new QMenu(QString::fromUtf8("ファイル"), this);
    m_menuFile->setObjectName(QStringLiteral("Menu1_0"));
    m_open = item(m_menuFile, "menu2_1", "開く");
    m_report = item(m_menuFile, "menu2_7", "報告書作成");
    m_convertAll = item(m_menuFile, "menu2_9", "一括変換");
    m_exit = item(m_menuFile, "menu2_10", "終了");
    m_menuSettings = new QMenu(QString::fromUtf8("設定"), this);
    m_menuSettings->setObjectName(QStringLiteral("Menu1_5"));
    m_initialSettings = item(m_menuSettings, "Menu7_0", "初期設定");
    m_language = item(m_menuSettings, "Menu7_3", "言語");
    m_menuHelp = new QMenu(QString::fromUtf8("ヘルプ"), this);
    m_menuHelp->setObjectName(QStringLiteral("Menu1_7"));
    m_about = item(m_menuHelp, "Menu9_0", "バージョン情報");
    m_homepage = item(m_menuHelp, "Menu9_1", "");

    m_open->setShortcut(QKeySequence::Open);
    m_exit->setShortcut(QKeySequence::Quit);
    m_about->setShortcut(QKeySequence::HelpContents);
    // The files opened last, after Open.
    m_recentMenu = new QMenu(m_menuFile);
    m_recentMenu->setObjectName(QStringLiteral("RecentFiles"));
    m_menuFile->insertMenu(m_report, m_recentMenu);
    connect(m_open, &QAction::triggered, this, &FrmMDI::OpenCommand);
    connect(m_exit, &QAction::triggered, this, &QWidget::close);
    connect(m_about, &QAction::triggered, this, &FrmMDI::ShowAbout);
    connect(m_homepage, &QAction::triggered, this, &FrmMDI::OpenHomepage);
    connect(m_initialSettings, &QAction::triggered, this, &FrmMDI::ShowInitialSettings);
    connect(m_report, &QAction::triggered, this, &FrmMDI::ShowReportSetup);
    connect(m_convertAll, &QAction::triggered, this, [this] {
        frmAllJpeg dialog(this);
        platform().runDialog(dialog);
    });
    // Whenever the File menu opens, its items are usable again.
    connect(m_menuFile, &QMenu::aboutToShow, this, [this] {
        for (QAction* a : {m_open, m_report, m_convertAll, m_exit})
            a->setEnabled(true);
        const bool jp = program().settings.Language == QLatin1String("JP");
        m_recentMenu->setTitle(jp ? QString::fromUtf8("最近使ったファイル(&R)")
                                  : QStringLiteral("&Recent files"));
        FillRecentFiles(m_recentMenu);
        m_recentMenu->setEnabled(!m_recentMenu->actions().isEmpty());
    });
    ShowMenusOf(nullptr);
}

bool FrmMDI::StartUp(bool checkInstance) {
    Platform& ui = platform();
    if (checkInstance && ui.anotherInstanceRunning()) {
        ui.messageBox(message(5), caption(0).isEmpty() ? QString() : program().language.WindowTitle,
                      MsgIcon::Warning);
        return false;
    }
    QString error;
    if (!ReadProgramReportLayout(&error)) {
        ui.messageBox(QStringLiteral("FileOpenErr"), QString(), MsgIcon::Warning);
        return false;
    }
    if (!LoadCalibrationTables(program().tables, systemDataDir(), &error)) {
        ui.messageBox(QStringLiteral("ColorTable,STCTable Read Err"), QString(), MsgIcon::Warning);
        return false;
    }
    ApplyMainCaptions();
    m_views.clear();
    m_views.emplace_back();
    // Settings that could not be used are named once, with the defaults that stand instead.
    if (!program().IgnoredSettings.empty()) {
        ui.messageBox(
            IgnoredSettingsMessage(program().IgnoredSettings, program().settings.Language),
            program().language.WindowTitle, MsgIcon::Warning);
        program().IgnoredSettings.clear();
    }
    if (!program().IgnoredReportLayout.empty()) {
        ui.messageBox(IgnoredSettingsMessage(program().IgnoredReportLayout,
                                             program().settings.Language,
                                             QStringLiteral("ReportLayout.ini")),
                      program().language.WindowTitle, MsgIcon::Warning);
        program().IgnoredReportLayout.clear();
    }
    return true;
}

void FrmMDI::ApplyMainCaptions() {
    setWindowTitle(program().language.WindowTitle);
    m_menuFile->setTitle(WithMnemonic(caption(0), QLatin1Char('F')));
    m_open->setText(caption(13));
    m_report->setText(caption(19));
    m_convertAll->setText(caption(21));
    m_exit->setText(caption(22));
    m_menuSettings->setTitle(WithMnemonic(caption(10), QLatin1Char('T')));
    m_initialSettings->setText(caption(60));
    m_language->setText(caption(63));
    m_menuHelp->setTitle(WithMnemonic(caption(12), QLatin1Char('H')));
    m_about->setText(caption(67));
    m_homepage->setText(message(37));
    for (QAction* a : {m_open, m_report, m_convertAll, m_exit})
        a->setEnabled(true);
    m_initialSettings->setVisible(true);
    m_language->setVisible(false);
}

// ---- Opening ------------------------------------------------------------------------------

int FrmMDI::OpenFiles(const QStringList& paths) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int opened = 0;
    for (const QString& path : paths) {
        const int slot = static_cast<int>(m_views.size());
        m_views.emplace_back();
        program().OpenForReport = 0;
        auto* view = new FrmMain(this);
        QMdiSubWindow* sub = m_mdi->addSubWindow(view);
        sub->setObjectName(QStringLiteral("FrmMainWindow"));
        // The window's own system menu binds the desktop's Close key too; with two owners of
        // one key inside the view neither would fire. The view's File menu item owns it.
        if (QMenu* system = sub->systemMenu())
            for (QAction* a : system->actions())
                for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close))
                    if (a->shortcuts().contains(key))
                        a->setShortcuts({});
        view->setSubWindow(sub);
        QPointer<FrmMain> guard(view);
        if (!view->SetFile2(path) || !guard)
            break; // the remaining files are not opened
        view->setTag(slot);
        m_views[static_cast<size_t>(slot)] = view;
        UserPreferences().addRecentFile(path);
        // One cascade step beyond the views already open, inside the workspace.
        const QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
        const QRect place = PlaceNewWindow(m_mdi->viewport()->size(), arranged(sub),
                                           static_cast<int>(subs.size()) - 1, cascadeStep(sub));
        sub->setGeometry(place);
        ++opened;
        // The view was hidden while loading; now that it is shown it takes the menu bar.
        m_mdi->setActiveSubWindow(sub);
        onSubWindowActivated(sub);
    }
    QApplication::restoreOverrideCursor();
    return opened;
}

void FrmMDI::OpenCommand() {
    const QList<FileFilter> filters = {
        {QStringLiteral("QTX"), QStringLiteral("*.??0;*.??1;*.??2;*.??3;*.??4;*.??5;*.??6;*.??7;*.?"
                                               "?8;*.??9;*.RDD;*.VXD;*.ZVX;*.DZT")},
        {message(33), QStringLiteral("*.*")},
    };
    // The dialog starts in the folder of the files chosen last.
    UserPreferences prefs;
    const auto answer = platform().chooseOpenFiles(QString(), filters, true, prefs.lastFolder());
    if (!answer)
        return;
    if (!answer->isEmpty() && !answer->first().trimmed().isEmpty())
        prefs.setLastFolder(QFileInfo(answer->first()).absolutePath());
    QStringList paths;
    for (const QString& p : *answer)
        if (!p.trimmed().isEmpty())
            paths << p;
    if (paths.isEmpty())
        return;
    OpenFiles(paths);
}

void FrmMDI::ExitCommand() {
    // Every view in slot order asks about its changes; a view the user keeps open keeps the
    // program running, so no unsaved work is thrown away.
    if (CloseAllViews())
        close();
}

QList<FrmMain*> FrmMDI::OpenViews() const {
    QList<FrmMain*> out;
    for (const auto& v : m_views)
        if (v)
            out << v.data();
    return out;
}

// ---- Menus of the active view -------------------------------------------------------------

void FrmMDI::ShowMenusOf(FrmMain* view) {
    if (m_menuOwner == view && !menuBar()->actions().isEmpty())
        return;
    m_menuOwner = view;
    menuBar()->clear();
    if (view) {
        for (QMenu* m : view->topMenus())
            menuBar()->addMenu(m);
    } else {
        menuBar()->addMenu(m_menuFile);
        menuBar()->addMenu(m_menuSettings);
        menuBar()->addMenu(m_menuHelp);
    }
}

FrmMain* FrmMDI::ActiveView() const {
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    return sub ? qobject_cast<FrmMain*>(sub->widget()) : nullptr;
}

void FrmMDI::onSubWindowActivated(QMdiSubWindow* w) {
    for (FrmMain* v : OpenViews())
        if (!w || v->subWindow() != w)
            v->Deactivated();
    FrmMain* view = w ? qobject_cast<FrmMain*>(w->widget()) : nullptr;
    if (view && view->loaded()) {
        view->Activated();
        ShowMenusOf(view);
        ViewChanged(view);
    } else if (!view) {
        ShowMenusOf(nullptr);
        statusBar()->clearMessage();
    }
}

// The initial-settings dialog may have changed the language; the frame re-captions itself the
// next time it is active.
void FrmMDI::reapplyLanguageIfChanged() {
    Settings& s = program().settings;
    if (s.StartLanguage == s.Language)
        return;
    QString error;
    if (!ReapplyLanguage(&error)) {
        platform().messageBox(QStringLiteral("FileOpenErr"), QString(), MsgIcon::Warning);
        QApplication::exit(1);
        return;
    }
    InstallQtTexts(s.Language);
    ApplyMainCaptions();
}

void FrmMDI::InstallQtTexts(const QString& language) {
    static QTranslator* installed = nullptr;
    if (installed) {
        QApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    // English is Qt's own language: there is no file to load and nothing to install.
    auto texts = std::make_unique<QTranslator>();
    const QLocale locale(language == QLatin1String("JP") ? QLocale::Japanese : QLocale::English);
    if (texts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QApplication::installTranslator(texts.get()))
        installed = texts.release();
}

void FrmMDI::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        reapplyLanguageIfChanged();
    QMainWindow::changeEvent(e);
}

bool FrmMDI::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        reapplyLanguageIfChanged();
    return QMainWindow::event(e);
}

// ---- Window commands ----------------------------------------------------------------------

ArrangedWindow FrmMDI::arranged(QMdiSubWindow* sub) const {
    ArrangedWindow w;
    w.width = sub->width();
    w.height = sub->height();
    const auto* view = qobject_cast<FrmMain*>(sub->widget());
    w.minWidth = view ? view->minimumWindowWidth() : sub->minimumWidth();
    return w;
}

int FrmMDI::cascadeStep(QMdiSubWindow* sub) const {
    // One title bar: the frame around the view above it.
    return std::max(sub->height() - sub->widget()->height(), 20);
}

// Places the views at the rectangles given, in the order given, shown normal.
void FrmMDI::arrange(const QList<QMdiSubWindow*>& subs, const std::vector<QRect>& rects) {
    for (qsizetype i = 0; i < subs.size() && i < static_cast<qsizetype>(rects.size()); ++i) {
        QMdiSubWindow* s = subs[i];
        if (s->isMinimized() || s->isMaximized())
            s->showNormal();
        s->setGeometry(rects[static_cast<size_t>(i)]);
        s->raise();
    }
}

// Cascaded: each view keeps its size (narrowed where the workspace is narrower) and is moved
// one title bar down and right of the one before, so every title stays in sight.
void FrmMDI::Cascade() {
    const QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    std::vector<ArrangedWindow> windows;
    for (QMdiSubWindow* s : subs) {
        if (s->isMinimized() || s->isMaximized())
            s->showNormal();
        windows.push_back(arranged(s));
    }
    arrange(subs, CascadeWindows(m_mdi->viewport()->size(), windows, cascadeStep(subs.first())));
    m_mdi->setActiveSubWindow(subs.last());
}

void FrmMDI::TileHorizontally() {
    // Views side by side and one above the other, each whole inside the workspace.
    const QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    std::vector<ArrangedWindow> windows;
    for (QMdiSubWindow* s : subs) {
        if (s->isMinimized() || s->isMaximized())
            s->showNormal();
        windows.push_back(arranged(s));
    }
    arrange(subs, TileWindows(m_mdi->viewport()->size(), windows));
}

void FrmMDI::ViewChanged(FrmMain* view) {
    if (!view || view != ActiveView() || !view->loaded())
        return;
    statusBar()->showMessage(ViewStatusLine(view->document().record(),
                                            program().settings.Language == QLatin1String("JP")));
}

void FrmMDI::FillRecentFiles(QMenu* menu) {
    menu->clear();
    int n = 0;
    for (const QString& path : UserPreferences().recentFiles()) {
        QAction* a =
            menu->addAction(QStringLiteral("&%1 %2").arg(++n).arg(QFileInfo(path).fileName()));
        a->setToolTip(path);
        a->setStatusTip(path);
        connect(a, &QAction::triggered, this, [this, path] {
            if (!QFileInfo::exists(path)) {
                // A file that has gone is dropped from the list.
                UserPreferences().removeRecentFile(path);
            }
            OpenFiles({path});
        });
    }
}

void FrmMDI::ToggleSynchronise(bool currentlyChecked) {
    for (FrmMain* v : OpenViews())
        v->setSynchroniseChecked(!currentlyChecked);
}

void FrmMDI::ShowAbout() {
    frmAbout about(this);
    about.exec();
}

void FrmMDI::OpenHomepage() {
    platform().openUrl(QString::fromLatin1(HomepageUrl));
}

void FrmMDI::ShowInitialSettings() {
    frmDefaultSet dlg(this);
    dlg.exec();
}

void FrmMDI::ShowReportSetup() {
    auto* dlg = new frmExcelFormSetup(this);
    connect(dlg, &frmExcelFormSetup::designerRequested, this, &FrmMDI::ShowReportDesigner);
    dlg->show();
}

void FrmMDI::ShowReportDesigner() {
    auto* designer = new frmExcelForm(this);
    designer->show();
}

// ---- Shutdown -----------------------------------------------------------------------------

bool FrmMDI::CloseAllViews() {
    for (auto& v : m_views) {
        if (!v)
            continue;
        QMdiSubWindow* sub = v->subWindow();
        if (sub ? !sub->close() : !v->close())
            return false; // the user kept this view
    }
    return true;
}

void FrmMDI::closeEvent(QCloseEvent* e) {
    // Each changed view asks first; a view the user keeps stops the shutdown.
    if (!CloseAllViews()) {
        e->ignore();
        return;
    }
    e->accept();
}

void FrmMDI::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void FrmMDI::dropEvent(QDropEvent* e) {
    QStringList paths;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile())
            paths << QDir::toNativeSeparators(u.toLocalFile());
    e->acceptProposedAction();
    OpenFiles(paths);
}

} // namespace rebar
