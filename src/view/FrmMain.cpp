#include "view/FrmMain.h"

#include "base/PathNames.h"
#include "config/Program.h"
#include "export/frmJpeg.h"
#include "platform/Platform.h"
#include "view/CursorLineWidget.h"
#include "view/DesktopTexts.h"
#include "view/DztOpenQuestions.h"
#include "view/InfoPanelWidget.h"
#include "view/PictureBoxWidget.h"
#include "view/QtViewInput.h"
#include "view/ViewHost.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace rebar {

FrmMain::FrmMain(ViewHost* host) : QWidget(nullptr), m_host(host) {
    setObjectName(QStringLiteral("FrmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    m_menus =
        std::make_unique<QtViewMenus>(this, host, [this](const ViewCommand& c) { RunCommand(c); });
    SyncMenuStates();
    LoadView();
}

FrmMain::~FrmMain() = default;

void FrmMain::setSubWindow(QMdiSubWindow* sub) {
    m_sub = sub;
    // The window takes the size the layout gave the view.
    const int h = m_hsc->y() + m_hsc->height() + 110;
    m_sub->resize(m_state.Geometry.FormWidth, h);
    // Maximised, the view drops its fixed height; shown normal again, it takes it back.
    connect(m_sub, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates, Qt::WindowStates) {
                if (m_loaded)
                    ApplyFixedHeight();
            });
}

void FrmMain::buildControls() {
    m_panel = new InfoPanelWidget(this);
    m_picd = new PictureBoxWidget(QStringLiteral("picd"), this);
    m_picb = new PictureBoxWidget(QStringLiteral("picb"), this);
    m_picb->setBackground(palette().color(QPalette::Window));
    m_picb->setFocusPolicy(Qt::ClickFocus);
    m_pica = new PictureBoxWidget(QStringLiteral("pica"), this);
    m_clrBar = new PictureBoxWidget(QStringLiteral("ClrBar"), this);
    m_hsc = new QScrollBar(Qt::Horizontal, this);
    m_hsc->setObjectName(QStringLiteral("hsc"));
    m_hsc->setSingleStep(10);
    m_hsc->setPageStep(100);
    connect(m_hsc, &QScrollBar::valueChanged, this, &FrmMain::OnScroll);
    new QtViewInput(*this); // the mouse and keys over the radargram, the marker list's clicks

    // The cross over the radargram takes the contrasting colour of every pixel it covers; the
    // line over the A-mode trace its colour from the gradation.
    m_xbar = new CursorLineWidget(QStringLiteral("xbar"), this, m_picb);
    m_ybar = new CursorLineWidget(QStringLiteral("ybar"), this, m_picb);
    m_yabar = new CursorLineWidget(QStringLiteral("yabar"), this);
    for (size_t i = 0; i < m_command1.size(); ++i) {
        m_command1[i] = new QPushButton(this);
        m_command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
    }
}

// The view's load: captions, screen factors, layout.
void FrmMain::LoadView() {
    m_state.InfoPanelShown = 1;
    m_state.Options = WindowOptions{};
    ApplyViewCaptions();
    m_state.Geometry.setScreen(logicalDpiX());
    m_limiter = std::make_unique<CLimitForm>(screen() ? screen()->size() : QSize(1920, 1080),
                                             m_state.Geometry.TwipsPerPixelX,
                                             m_state.Geometry.TwipsPerPixelY);
    m_state.Geometry.PictureWidth = ViewGeometry::LoadPictureWidth;
    m_state.Geometry.MinPictureWidth = ViewGeometry::MinimumPictureWidth;
    m_state.Rendered = 0;
    m_hsc->blockSignals(true);
    applyScrollRange(ScrollRange{});
    m_hsc->setValue(1);
    m_hsc->blockSignals(false);
    m_state.Resizing = 0;
    m_state.LastScrollValue = 1;
    for (QPushButton* b : m_command1)
        b->setVisible(program().OpenForReport == FlagTrue);
    InitialLayout();
}

// ---- Opening ------------------------------------------------------------------------------

// The document opens the file; the window shows the progress dialog on the way and then the
// pictures, the menus and itself.
bool FrmMain::SetFile2(const QString& path) {
    setWindowTitle(fileNamePart(path));
    if (m_sub)
        m_sub->setWindowTitle(windowTitle());
    platform().processEvents();

    LoadFeedback feedback = ProgressDialogFeedback(m_doc, platform(), program().settings.Language);
    const DztImportOptions dzt = DztOpenQuestions(path, program().settings);
    feedback.dztOptions = &dzt;
    const OpenResult opened = m_doc.Open(path, ContextOf(program()), feedback);
    if (!opened) {
        FailOpen(opened);
        return false;
    }
    const MeasurementRecord& r = m_doc.record();
    m_panel->showTyreAndSpeed(r, program().language);
    SetPictureHeights(false);
    SetScrollRange();
    m_hsc->blockSignals(true);
    m_hsc->setValue(1);
    m_hsc->blockSignals(false);
    Show(CommandResult{true,
                       ViewUpdate::Caption | ViewUpdate::Image | ViewUpdate::DepthAxis |
                           ViewUpdate::MarkerList,
                       {}});
    feedback.progress(99);
    SyncMenuStates();
    m_loaded = true;
    if (m_sub)
        m_sub->show();
    show();
    ShowColorBar();
    if (r.ProgressShown == FlagTrue)
        platform().progress().close();
    // The report designer takes over views opened on its behalf (report delivery).
    return true;
}

void FrmMain::FailOpen(const OpenResult& why) {
    QString text = why.stage + message(21);
    // The reader's reason on a line of its own.
    if (const QString line = FailureLine(why.read, program().settings.Language); !line.isEmpty())
        text += QLatin1Char('\n') + line;
    if (!why.read.cancelled) // a question the user cancelled needs no message
        platform().messageBox(text, m_doc.record().FilePath, MsgIcon::Warning);
    if (m_doc.record().ProgressShown == FlagTrue)
        platform().progress().close();
    m_doc.record().Modified = 0;
    if (m_sub)
        m_sub->close();
    else
        close();
}

// ---- Closing ------------------------------------------------------------------------------

bool FrmMain::QueryClose() {
    // A view the user has already let go is not asked about again (the main frame's shutdown
    // closes every view once more after a view's Exit command closed them).
    if (m_closeAccepted || m_doc.record().Modified != FlagTrue)
        return true;
    const MsgAnswer a =
        platform().messageBox(message(32), m_doc.record().FilePath, MsgIcon::Question,
                              MsgButtons::YesNoCancel, MsgAnswer::Cancel);
    if (a == MsgAnswer::Cancel)
        return false;
    if (a != MsgAnswer::Yes)
        return true;
    // Yes: a save that fails or is cancelled keeps the view open, so the changes are never
    // thrown away without the user's say.
    const int k = m_doc.record().FileKind;
    if (k == KindText730 || k == KindVxd)
        return SaveAsCommand(false) == 0;
    const CommandResult saved = m_doc.SaveInPlace();
    Show(saved);
    return saved.ok;
}

void FrmMain::closeEvent(QCloseEvent* e) {
    if (!QueryClose()) {
        e->ignore();
        return;
    }
    m_closeAccepted = true;
    e->accept();
}

int FrmMain::SaveAsCommand(bool quiet) {
    const SaveAsProposal p = m_doc.SaveAsChoice();
    const auto chosen = platform().chooseSaveFile(
        p.title, {{p.extension, QStringLiteral("*.") + p.extension}}, p.path, p.extension);
    if (!chosen)
        return 2;
    const CommandResult saved = m_doc.SaveAs(*chosen, quiet);
    Show(saved);
    SyncMenuStates();
    return saved.ok ? 0 : 1;
}

// ---- Showing the document -------------------------------------------------------------------

void FrmMain::Show(const CommandResult& result) {
    const ViewUpdates u = result.updates;
    if (u & ViewUpdate::Caption)
        UpdateWindowCaption();
    if (u & ViewUpdate::ScrollRange) {
        const int v = m_hsc->value();
        SetScrollRange();
        m_hsc->blockSignals(true);
        m_hsc->setValue(v);
        m_hsc->blockSignals(false);
    }
    if (u & ViewUpdate::Image)
        ShowRefreshedImage();
    if (u & ViewUpdate::DepthAxis)
        m_picd->showImage(m_doc.depthAxis()); // cleared white when it could not be drawn
    if (u & ViewUpdate::MarkerList)
        m_panel->showMarkerList(m_doc.markerList());
    if (u & ViewUpdate::Readouts)
        ShowReadouts();
    if (u & ViewUpdate::ColorBar)
        ShowColorBar();
    if (u & ViewUpdate::Resize)
        HandleResize();
    if (u & ViewUpdate::PictureHeight) {
        SetPictureHeights(true);
        ApplyFixedHeight();
    }
    for (const Notice& n : result.notices)
        platform().messageBox(
            message(n.message) + (n.line ? QLatin1Char('\n') + *n.line : QString()), n.title,
            n.kind == Notice::Warning ? MsgIcon::Warning : MsgIcon::Information);
    // The title's "*" and the frame's status line follow every command.
    UpdateWindowCaption();
    if (m_host)
        m_host->ViewChanged(this);
}

void FrmMain::ShowRefreshedImage() {
    SetPictureHeights(true);
    m_state.Rendered = FlagTrue;
    m_state.LastScrollValue = m_hsc->value();
    ShowImage(m_hsc->value());
}

void FrmMain::UpdateWindowCaption() {
    setWindowTitle(ViewTitle(m_doc.record()));
    if (m_sub)
        m_sub->setWindowTitle(windowTitle());
}

void FrmMain::ShowColorBar() {
    const ColorBar& bar = m_doc.colorBar();
    m_clrBar->showImage(bar.bar);
    m_xbar->setColor(QColor::fromRgb(bar.cursor.xbar));
    m_ybar->setColor(QColor::fromRgb(bar.cursor.ybar));
    m_yabar->setColor(QColor::fromRgb(bar.cursor.yabar));
}

// Positions the cross lines, writes the readouts and redraws the A-mode trace for the current
// cursor. Quietly does nothing until the view is loaded.
void FrmMain::ShowReadouts() {
    if (!m_loaded)
        return;
    m_doc.UpdateReadouts();
    const CrossLines lines = m_doc.CrossLinesIn(viewport());
    m_xbar->setVisible(lines.columnShown);
    if (lines.columnMoved)
        m_xbar->move(m_picb->x() + lines.x, m_xbar->y());
    m_ybar->move(m_ybar->x(), m_picb->y() + lines.y);
    m_yabar->move(m_yabar->x(), m_pica->y() + lines.y);
    m_panel->showReadouts(m_doc.readouts(), m_doc.readouts().gps && m_state.Options.Position == 1);
    m_doc.DrawAMode(m_pica->picture());
    m_pica->update();
}

QList<FrmMain*> FrmMain::openViews() const {
    return m_host ? m_host->OpenViews() : QList<FrmMain*>{const_cast<FrmMain*>(this)};
}

// ---- Exports ----------------------------------------------------------------------------------

frmJpeg* FrmMain::jpegDialog() const {
    return m_jpeg.data();
}

void FrmMain::JpegCommand() {
    if (m_jpeg) {
        m_jpeg->raise();
        m_jpeg->activateWindow();
        return;
    }
    m_jpeg = new frmJpeg(this);
    m_jpeg->setAttribute(Qt::WA_DeleteOnClose);
    m_jpeg->SetData(record().TraceCount, RecordMeasureDate(record()), QDate::currentDate(),
                    record().FileName);
    m_jpeg->show();
}

int FrmMain::JpegExport(const CompositionParams& p, int16_t PrintingForm, ExportOutcome* outcome) {
    const int result = SetJpgFileName(m_doc, p, PrintingForm, m_pics, outcome);
    if (outcome && outcome->dateChanged) {
        UpdateWindowCaption();
        SyncMenuStates();
    }
    return result;
}

PrintOutcome FrmMain::ScreenPrint() {
    return PrintViewSnapshot(frameWindow()->grab().toImage(), record().FileName, platform());
}

void FrmMain::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    HandleResize();
}

} // namespace rebar
