#include "view/FrmMain.h"

#include "app/FrmMDI.h"
#include "config/Program.h"
#include "data/FileOpen.h"
#include "platform/Platform.h"
#include "view/DztOpenQuestions.h"
#include "view/PictureBoxWidget.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTime>

namespace rebar {

FrmMain::FrmMain(FrmMDI* mdi) : QWidget(nullptr), m_mdi(mdi) {
    setObjectName(QStringLiteral("FrmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    buildMenus();
    connectViewCommands();
    connectMenus();
    LoadView();
}

FrmMain::~FrmMain() = default;

void FrmMain::setSubWindow(QMdiSubWindow* sub) {
    m_sub = sub;
    // The window takes the size the layout gave the view.
    const int h = m_hsc->y() + m_hsc->height() + 110;
    m_sub->resize(m_state.Geometry.FormWidth, h);
}

void FrmMain::buildControls() {
    auto label = [this](const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };
    m_mklist = new QListWidget(this);
    m_mklist->setObjectName(QStringLiteral("mklist"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPixelSize(12);
    m_mklist->setFont(fixed);
    m_lblCursor = label(QStringLiteral("lblCursor"));
    for (int i = 0; i < 2; ++i) {
        m_lblCursorX[static_cast<size_t>(i)] = label(QStringLiteral("lblCursorX_%1").arg(i));
        m_lblCursorY[static_cast<size_t>(i)] = label(QStringLiteral("lblCursorY_%1").arg(i));
        m_lblYuudenritu[static_cast<size_t>(i)] = label(QStringLiteral("lblYuudenritu_%1").arg(i));
        m_lblTire[static_cast<size_t>(i)] = label(QStringLiteral("lblTire_%1").arg(i));
        m_lblSpeed[static_cast<size_t>(i)] = label(QStringLiteral("lblSpeed_%1").arg(i));
    }
    m_lblGPSDate = label(QStringLiteral("lbl_GPSDate"));
    m_lblLocation = label(QStringLiteral("lbl_Location"));
    m_lblLocation->setText(QString::fromUtf8("測定場所"));
    for (int i = 0; i < 14; ++i)
        m_lblMaker[static_cast<size_t>(i)] = label(QStringLiteral("lblMaker_%1").arg(i));

    m_picd = new PictureBoxWidget(QStringLiteral("picd"), this);
    m_picb = new PictureBoxWidget(QStringLiteral("picb"), this);
    m_picb->setBackground(Qt::black);
    m_picb->setFocusPolicy(Qt::ClickFocus);
    m_pica = new PictureBoxWidget(QStringLiteral("pica"), this);
    m_clrBar = new PictureBoxWidget(QStringLiteral("ClrBar"), this);
    m_hsc = new QScrollBar(Qt::Horizontal, this);
    m_hsc->setObjectName(QStringLiteral("hsc"));
    m_hsc->setSingleStep(10);
    m_hsc->setPageStep(100);
    connect(m_hsc, &QScrollBar::valueChanged, this, &FrmMain::OnScroll);
    connect(m_picb, &PictureBoxWidget::mousePressed, this, [this](Qt::MouseButton b, QPoint p) {
        if (b == Qt::LeftButton || b == Qt::RightButton) {
            m_picb->setFocus();
            PlaceCursor(p.x(), p.y());
        }
    });
    connect(m_picb, &PictureBoxWidget::mouseMoved, this, [this](Qt::MouseButtons b, QPoint p) {
        if (b & (Qt::LeftButton | Qt::RightButton))
            PlaceCursor(p.x(), p.y());
    });
    connect(m_picb, &PictureBoxWidget::keyPressed, this, &FrmMain::CursorKey);

    auto line = [this](const QString& name) {
        auto* f = new QFrame(this);
        f->setObjectName(name);
        f->setAutoFillBackground(true);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        return f;
    };
    m_xbar = line(QStringLiteral("xbar"));
    m_ybar = line(QStringLiteral("ybar"));
    m_yabar = line(QStringLiteral("yabar"));
    for (int i = 0; i < 2; ++i) {
        m_command1[static_cast<size_t>(i)] = new QPushButton(this);
        m_command1[static_cast<size_t>(i)]->setObjectName(QStringLiteral("Command1_%1").arg(i));
    }
}

// The view's load: captions, screen factors, creation defaults of the record, layout.
void FrmMain::LoadView() {
    m_state.InfoPanelShown = 1;
    m_state.Options = WindowOptions{};
    m_rec.AModeSet = 0;
    if (!ApplyViewCaptions())
        platform().messageBox(QStringLiteral("FormOpenErr"), QString(), MsgIcon::Warning);
    m_state.Geometry.setScreen(logicalDpiX());
    m_state.Geometry.PictureWidth = ViewGeometry::LoadPictureWidth;
    m_state.Geometry.MinPictureWidth = ViewGeometry::MinimumPictureWidth;
    m_state.Rendered = 0;
    m_rec.Loaded = 0;
    ApplyCreationDefaults();
    m_hsc->blockSignals(true);
    applyScrollRange(ScrollRange{});
    m_hsc->setValue(1);
    m_hsc->blockSignals(false);
    m_state.Resizing = 0;
    m_state.CursorColumn = 1;
    m_state.CursorRow = 1;
    m_state.LastScrollValue = 1;
    m_rec.Modified = 0;
    m_rec.PresetPath = 0;
    m_state.DeleteWithoutPrompt = 0;
    m_state.MarkerToDelete = 0;
    m_state.LastPeakColumn = 0;
    m_state.LastPeakSample = 0;
    m_rec.OpenedForReport = program().OpenForReport;
    for (QPushButton* b : m_command1)
        b->setVisible(m_rec.OpenedForReport == FlagTrue);
    InitialLayout();
}

void FrmMain::ApplyCreationDefaults() {
    const Settings& s = program().settings;
    m_rec.ColorCode = s.GradationSystem730;
    m_rec.Direction = s.Direction730;
    m_rec.ViewRange = s.IndicationRange730;
    m_rec.CoverMagnification = s.PuttingOnMagnification;
    if (s.Sensitivity730 == -1) {
        m_rec.GainMode = 0;
        m_rec.Gain = 3;
    } else if (s.Sensitivity730 <= 4) {
        m_rec.GainMode = 0;
        m_rec.Gain = static_cast<int16_t>(s.Sensitivity730 + 1);
    } else {
        m_rec.GainMode = 1;
        m_rec.Gain = static_cast<int16_t>(s.Sensitivity730 - 4);
    }
    m_rec.Permittivity = 8.0;
    m_rec.ProcCode = 1;
    m_rec.MeasureDate = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    m_rec.MeasureTime = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    m_rec.XUnit = QStringLiteral("m");
    m_rec.YUnit = QStringLiteral("cm");
    m_rec.ProcessingLine = 0;
    m_rec.DataNo = 0;
    m_rec.TraceCount = 0;
    m_rec.PeakFlag = 0;
    m_rec.PermittivityPreset = 0;
    m_rec.XScale = 0;
    m_rec.XAdjust = 0;
}

// ---- Opening ------------------------------------------------------------------------------

bool FrmMain::SetFile2(const QString& path) {
    m_rec.LoadStage.clear();
    m_rec.ProgressShown = 0;
    if (m_rec.PresetPath != FlagTrue)
        SetRecordPath(m_rec, path);
    if (m_rec.FilePath.isEmpty()) {
        close();
        return false;
    }
    return OpenSequence(true);
}

bool FrmMain::SetFile() {
    m_rec.LoadStage.clear();
    m_rec.ProgressShown = 0;
    if (m_rec.PresetPath != FlagTrue) {
        const QList<FileFilter> filters = {
            {message(33), QStringLiteral("*.*")},
            {QStringLiteral("RDD"), QStringLiteral("*.RDD")},
            {QStringLiteral("VXD"), QStringLiteral("*.VXD")},
            {QStringLiteral("ZVX"), QStringLiteral("*.ZVX")},
            {QStringLiteral("DZT"), QStringLiteral("*.DZT")},
        };
        const auto chosen = platform().chooseOpenFiles(QString(), filters, false);
        if (!chosen || chosen->isEmpty()) {
            close();
            return false;
        }
        SetRecordPath(m_rec, chosen->first());
    }
    if (m_rec.FilePath.isEmpty()) {
        close();
        return false;
    }
    return OpenSequence(false);
}

// The steps shared by both open operations after the path is known.
bool FrmMain::OpenSequence(bool withProgress) {
    setWindowTitle(m_rec.FileName);
    if (m_sub)
        m_sub->setWindowTitle(m_rec.FileName);
    platform().processEvents();

    if (!DetectFileKind(m_rec)) {
        if (withProgress && IsBadVxdName(m_rec))
            m_rec.LoadStage = Stage::FType001;
        FailOpen(withProgress, ExplainDetectionFailure(m_rec));
        return false;
    }
    ProgressDialog& dlg = platform().progress();
    if (withProgress) {
        m_rec.ProgressShown = FlagTrue;
        if (program().settings.Language == QLatin1String("JP")) {
            dlg.setCaption(QString::fromUtf8("データ読み込み"));
            dlg.setMessage(QString::fromUtf8("計測データの読み込み中です、しばらくお待ちください"));
        } else {
            dlg.setCaption(QStringLiteral("Data loading"));
            dlg.setMessage(QStringLiteral("Is loading Measurement data. Please wait."));
        }
        dlg.setPercent(0);
        dlg.show();
        platform().processEvents();
    }
    ReadContext ctx;
    ctx.MaxTraces = &program().MaxTraces;
    ctx.progress = [this](int p) {
        if (m_rec.ProgressShown == FlagTrue) {
            platform().progress().setPercent(p);
            platform().processEvents();
        }
    };
    ctx.pumpEvents = [] { platform().processEvents(); };
    const DztImportOptions dzt = DztOpenQuestions(m_rec.FilePath, program().settings);
    ctx.dztOptions = &dzt;
    if (const ReadResult res = ReadMeasurementFile(m_rec, ctx); !res) {
        FailOpen(withProgress, res);
        return false;
    }
    if (m_rec.is940()) {
        // Tyre and speed options name themselves from their caption groups (an option with
        // no caption, such as tyre 2, shows empty).
        m_lblTire[1]->setText(caption(270 + std::clamp<int>(m_rec.TireOption, 0, 7)));
        m_lblSpeed[1]->setText(caption(274 + std::clamp<int>(m_rec.SpeedOption, 0, 3)));
    }
    SetPictureHeights(false);
    SettleDisplaySettings(m_rec, program().settings);
    SetScrollRange();
    m_hsc->blockSignals(true);
    m_hsc->setValue(1);
    m_hsc->blockSignals(false);
    if (!RefreshView(m_hsc->value(), 1, 1, 1, 1, 1)) {
        FailOpen(withProgress, ReadResult());
        return false;
    }
    if (withProgress)
        ctx.progress(99);
    SetMenuStates();
    m_rec.Loaded = FlagTrue;
    if (!withProgress)
        UpdateReadouts();
    if (m_sub)
        m_sub->show();
    show();
    DrawColorBar();
    if (m_rec.ProgressShown == FlagTrue)
        dlg.close();
    m_rec.OpenedForReport = program().OpenForReport;
    // The report designer takes over views opened on its behalf (report delivery).
    return true;
}

void FrmMain::FailOpen(bool withStage, const ReadResult& why) {
    QString text = (withStage ? m_rec.LoadStage : QString()) + message(21);
    // The reader's reason on a line of its own.
    if (const QString line = FailureLine(why, program().settings.Language); !line.isEmpty())
        text += QLatin1Char('\n') + line;
    if (!why.cancelled) // a question the user cancelled needs no message
        platform().messageBox(text, m_rec.FilePath, MsgIcon::Warning);
    if (m_rec.ProgressShown == FlagTrue)
        platform().progress().close();
    m_rec.Modified = 0;
    if (m_sub)
        m_sub->close();
    else
        close();
}

// ---- Closing ------------------------------------------------------------------------------

bool FrmMain::QueryClose() {
    if (m_rec.Modified != FlagTrue)
        return true;
    const MsgAnswer a = platform().messageBox(message(32), m_rec.FilePath, MsgIcon::Question,
                                              MsgButtons::YesNoCancel, MsgAnswer::Cancel);
    if (a == MsgAnswer::Cancel)
        return false;
    if (a == MsgAnswer::Yes)
        return SaveBeforeClose();
    return true;
}

void FrmMain::closeEvent(QCloseEvent* e) {
    if (!QueryClose()) {
        e->ignore();
        return;
    }
    e->accept();
}

} // namespace rebar
