#include "view/MeasurementDocument.h"

#include "data/Family.h"
#include "data/GpsPosition.h"
#include "platform/Platform.h"
#include "processing/DepthScale.h"
#include "view/AModeTrace.h"
#include "view/DisplayDefaults.h"
#include "view/MarkerOverlay.h"
#include "view/ScaleStrip.h"
#include "view/ViewLayout.h"
#include "view/ViewRefresh.h"

#include <QDir>
#include <QFileInfo>
#include <QUndoStack>
#include <cstdio>

namespace rebar {

namespace {

constexpr int MsgMarkersNotShown = 18;
constexpr int MsgCoverSidecarNotSaved = 43;
constexpr int MsgCoverSettingInvalid = 44;

// The leading number of a marker-list figure ("12.5cm" -> 12.5); nothing when there is none.
std::optional<double> leadingNumber(const QString& field) {
    qsizetype n = 0;
    while (n < field.size() && (field[n].isDigit() || field[n] == QLatin1Char('.') ||
                                (n == 0 && field[n] == QLatin1Char('-'))))
        ++n;
    bool ok = false;
    const double v = field.left(n).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// Rewrites the distance and depth readouts from the figures of a marker-list line, which are
// in the display units already, in the readouts' own formats.
void ShowLineFigures(const MeasurementRecord& r, const QString& distance, const QString& depth,
                     ReadoutTexts& t) {
    static const QStringList units = {QStringLiteral("m"), QStringLiteral("cm"),
                                      QStringLiteral("mm"), QStringLiteral("inch")};
    if (const std::optional<double> d = leadingNumber(distance); d && t.distanceSet) {
        static const int decimals[] = {4, 2, 1, 2};
        if (r.XScale != 0)
            t.distanceValue = FormatFixed(*d, 3) + QStringLiteral("s");
        else if (const qsizetype u = units.indexOf(r.XUnit); u >= 0)
            t.distanceValue = FormatFixed(*d, decimals[u]) + r.XUnit;
    }
    if (const std::optional<double> d = leadingNumber(depth); d && t.depthSet) {
        static const int decimals[] = {3, 1, 0, 2};
        if (r.Permittivity == 0)
            t.depthValue = FormatFixed(*d, 1) + QStringLiteral("ns");
        else if (const qsizetype u = units.indexOf(r.YUnit); u >= 0)
            t.depthValue = FormatFixed(*d, decimals[u]) + r.YUnit;
    }
}

// A coordinate as the plain number-to-text conversion writes it: a leading blank for values
// that are not negative.
QString plainNumber(double d) {
    return (d >= 0 ? QStringLiteral(" ") : QString()) + QString::number(d, 'g', 15);
}

} // namespace

LoadFeedback ProgressDialogFeedback(MeasurementDocument& doc, Platform& ui,
                                    const QString& language) {
    LoadFeedback feedback;
    feedback.kindKnown = [&doc, &ui, language] {
        doc.record().ProgressShown = FlagTrue;
        const LoadingTexts texts = LoadingTextsFor(language);
        ShowProgress(ui, texts.caption, texts.message);
    };
    feedback.progress = [&doc, bar = ProgressOf(ui)](int p) {
        if (doc.record().ProgressShown == FlagTrue)
            bar(p);
    };
    feedback.pumpEvents = [&ui] { ui.processEvents(); };
    return feedback;
}

OpenResult MeasurementDocument::Open(const QString& path, const DocumentContext& ctx,
                                     const LoadFeedback& feedback) {
    if (!ctx.complete())
        return {false, {}, QStringLiteral("the document has no settings or tables"), {}};
    m_ctx = ctx;
    m_maxTraces = ctx.MaxTraces;
    m_rec = MeasurementRecord{};
    m_state = DocumentState{};
    m_marks = MenuMarks{};
    m_images = ViewImages{};
    m_depthAxis = QImage();
    m_colorBar = ColorBar{};
    m_markerList = MarkerListContent{};
    m_readouts = Readouts{};
    m_compliance = ComplianceDefaults(*ctx.settings);
    m_complianceFromSidecar = false;
    m_complianceNote.clear();
    m_undo->clear();
    m_lineFigures.reset();
    ApplyCreationDefaults(m_rec, *ctx.settings);
    m_rec.OpenedForReport = ctx.OpenForReport;

    ReadContext read;
    read.MaxTraces = &m_maxTraces;
    read.progress = feedback.progress;
    read.pumpEvents = feedback.pumpEvents;
    read.dztOptions = feedback.dztOptions;
    read.dztFigures = feedback.dztFigures;
    m_progress = feedback.progress;
    OpenResult result = ReadMeasurementPath(m_rec, path, read, feedback.kindKnown);
    if (result) {
        readComplianceSidecar(path);
        SettleDisplaySettings(m_rec, *ctx.settings);
        if (Refresh(AllRefreshSteps)) {
            SetMenuMarks();
            m_rec.Loaded = FlagTrue;
            UpdateReadouts();
            DrawColorBar();
        } else {
            // Read, but not shown: the reader has nothing to add to the user's message.
            result = {false, m_rec.LoadStage, QStringLiteral("the file could not be shown"), {}};
        }
    }
    m_progress = {};
    return result;
}

// The sidecar beside the file gives the view's cover settings; one that cannot be used is
// ignored with a note on standard error, and the defaults stay.
void MeasurementDocument::readComplianceSidecar(const QString& path) {
    const SidecarRead sidecar = ReadComplianceSidecar(path, m_compliance);
    m_compliance = sidecar.settings;
    m_complianceFromSidecar = sidecar.found;
    m_complianceNote = sidecar.note;
    if (!sidecar.note.isEmpty())
        std::fprintf(stderr, "rebarscope: %s\n", qUtf8Printable(sidecar.note));
}

CommandResult MeasurementDocument::SetCompliance(const ComplianceSettings& s) {
    CommandResult res;
    const QString language = languageName();
    if (const QString problem = CheckComplianceSettings(s, language); !problem.isEmpty()) {
        res.ok = false;
        res.warn(MsgCoverSettingInvalid, m_rec.FilePath, problem);
        return res;
    }
    m_compliance = s;
    if (!redrawMarkers(res)) {
        res.ok = false;
        res.warn(MsgMarkersNotShown, m_rec.FilePath);
    }
    QString error;
    if (!WriteComplianceSidecar(m_rec.FilePath, s, &error)) {
        res.ok = false;
        res.warn(MsgCoverSidecarNotSaved, ComplianceSidecarPath(m_rec.FilePath), error);
        return res;
    }
    m_complianceFromSidecar = true;
    m_complianceNote.clear();
    return res;
}

bool MeasurementDocument::drawMarkers() {
    const CoverWarning warning{*m_ctx.tables, m_compliance};
    return DrawViewMarkers(m_rec, m_images, &warning);
}

QString MeasurementDocument::languageName() const {
    return m_ctx.settings ? m_ctx.settings->Language : QStringLiteral("JP");
}

bool MeasurementDocument::Refresh(RefreshSteps steps) {
    const CalibrationTables& tables = *m_ctx.tables;
    m_shown = {};
    if (!m_ctx.complete())
        return false;
    if (steps & RefreshStep::Process && !ProcessView(m_rec, tables, m_progress))
        return false;
    if (steps & RefreshStep::Render) {
        if (!RenderView(m_rec, tables, m_images, m_progress, &m_compliance))
            return false;
        m_shown |= RefreshStep::Render;
    }
    if (steps & RefreshStep::DepthAxis) {
        m_shown |= RefreshStep::DepthAxis;
        if (!DrawDepthAxis())
            return false;
    }
    if (steps & RefreshStep::MarkerList) {
        m_shown |= RefreshStep::MarkerList;
        if (!RebuildMarkerList())
            return false;
    }
    if (steps & RefreshStep::Readouts) {
        m_shown |= RefreshStep::Readouts;
        UpdateReadouts();
    }
    return true;
}

int MeasurementDocument::imageWidth() const {
    return ImageWidth(m_rec.TraceCount, m_rec.ViewRange);
}

QImage MeasurementDocument::RadargramImage() const {
    const QImage& overlay = m_images.OverlayImage;
    const int w = std::min(imageWidth(), overlay.width());
    if (overlay.isNull() || w < 1)
        return {};
    // The whole overlay is shared rather than copied.
    return w == overlay.width() ? overlay : overlay.copy(0, 0, w, overlay.height());
}

void MeasurementDocument::DrawAMode(QImage& picture) const {
    DrawAModeTrace(m_rec, m_state.CursorColumn, picture);
}

bool MeasurementDocument::DrawDepthAxis() {
    // The axis drawing rebuilds the depth of every display row first.
    return DrawViewDepthAxis(m_rec, *m_ctx.tables, m_state.RowDepthTable, m_depthAxis);
}

bool MeasurementDocument::RebuildMarkerList() {
    m_lineFigures.reset(); // the figures of a clicked line may be out of date
    m_markerList = BuildMarkerList(m_rec, *m_ctx.tables, *m_ctx.language, m_state.CurrentMarker, -1,
                                   &m_compliance, languageName());
    return m_markerList.ok;
}

void MeasurementDocument::DrawColorBar() {
    if (m_rec.is940())
        DrawColorBar940(m_rec.ColorCode, *m_ctx.tables, m_colorBar);
    else
        DrawColorBar730(m_rec.ColorCode, *m_ctx.tables, m_colorBar);
}

CursorScene MeasurementDocument::sceneIn(const Viewport& v) const {
    CursorScene s;
    s.column = m_state.CursorColumn;
    s.row = m_state.CursorRow;
    s.scroll = v.scroll;
    s.scrollMin = v.scrollMin;
    s.scrollMax = v.scrollMax;
    s.pictureWidth = v.pictureWidth;
    s.pictureHeight = v.pictureHeight;
    s.traceCount = m_rec.TraceCount;
    s.viewRange = m_rec.ViewRange;
    s.direction = m_rec.Direction;
    s.rows = displayRows();
    return s;
}

int MeasurementDocument::displayRows() const {
    return (m_rec.is940() ? Family940::DisplayRows : Family730::DisplayRows) /
           (m_rec.CoverMagnification != 0 ? 2 : 1);
}

void MeasurementDocument::ClampCursor() {
    m_state.CursorColumn = std::clamp(m_state.CursorColumn, 1, std::max(1, imageWidth()));
    m_state.CursorRow = std::clamp(m_state.CursorRow, 1, displayRows());
}

CursorMove MeasurementDocument::takeMove(const CursorScene& s, Viewport& v, CursorMove m) {
    if (!m.ignored) {
        m_state.CursorColumn = s.column;
        m_state.CursorRow = s.row;
        v.scroll = s.scroll;
    }
    return m;
}

CursorMove MeasurementDocument::MouseCursor(Viewport& v, int x, int y) {
    CursorScene s = sceneIn(v);
    return takeMove(s, v, MouseMoveCursor(s, x, y));
}

CursorMove MeasurementDocument::KeyCursor(Viewport& v, int key, bool shiftOnly, bool noModifiers) {
    CursorScene s = sceneIn(v);
    return takeMove(s, v, KeyMoveCursor(s, key, shiftOnly, noModifiers));
}

CrossLines MeasurementDocument::CrossLinesIn(const Viewport& v) const {
    CrossLines out;
    const int C = m_state.CursorColumn;
    // The vertical line stands on the picture pixel that shows the cursor column, the
    // horizontal ones on the row of the cursor's display row (B-mode rows start at row 21).
    const ImageCopy copy =
        ShowImageCopy(v.scroll, imageWidth(), v.pictureWidth, m_rec.Direction, m_rec.ViewRange);
    out.x =
        copy.pictureX(OverlayColumnOfCursor(C, m_rec.TraceCount, m_rec.Direction, m_rec.ViewRange));
    out.columnShown = out.x >= 0 && out.x < v.pictureWidth;
    out.columnMoved = out.columnShown && C <= imageWidth();
    out.y = m_state.CursorRow + BModeTop - 1;
    // A cursor row below the picture (after halving the picture) shows on its last image row.
    if (v.pictureHeight <= out.y + 2) {
        const bool half = m_rec.CoverMagnification != 0;
        out.y = m_rec.is940() ? (half ? 403 : 787) : (half ? 275 : 531);
    }
    return out;
}

void MeasurementDocument::UpdateReadouts() {
    if (m_rec.Loaded != FlagTrue)
        return;
    const bool f940 = m_rec.is940();
    const int C = m_state.CursorColumn;
    const int s = RowToSample(m_rec, m_state.CursorRow);
    const CursorPosition p = f940 ? CalcPosition940(m_rec, *m_ctx.tables, C, s)
                                  : CalcPosition730(m_rec, *m_ctx.tables, C, s);
    // A failed conversion leaves the texts as they were.
    m_readouts.valid = p.ok;
    if (p.ok)
        m_readouts.texts = FormatReadouts(m_rec, *m_ctx.language, p);
    if (m_lineFigures && (m_lineFigures->column != C || m_lineFigures->row != m_state.CursorRow))
        m_lineFigures.reset();
    if (m_lineFigures && p.ok)
        ShowLineFigures(m_rec, m_lineFigures->distance, m_lineFigures->depth, m_readouts.texts);

    // Positioning data of GPS-equipped files.
    const std::optional<GpsPosition> gps = GpsPositionOf(m_rec);
    m_readouts.gps = gps.has_value();
    if (gps) {
        const bool jp = m_ctx.settings->Language == QLatin1String("JP");
        const QString lat = plainNumber(gps->latitude);
        const QString lon = plainNumber(gps->longitude);
        m_readouts.gpsDate =
            (jp ? QString::fromUtf8("GPS測位時刻 ") : QStringLiteral("GPS positioning time ")) +
            m_rec.MeasureDate;
        m_readouts.gpsLocation =
            jp ? QString::fromUtf8("緯度:") + lat + QString::fromUtf8(" 経度:") + lon
               : QStringLiteral("Lat:") + lat + QStringLiteral(" Long:") + lon;
    }
}

void MeasurementDocument::SetMenuMarks() {
    static const int itemOfProcCode[] = {4, 5, 7, 8, 9, 6, 10};
    const MeasurementRecord& r = m_rec;
    m_marks.Sensitivity = r.GainMode * 7 + r.Gain - 1;
    m_marks.Gradation = r.ColorCode;
    m_marks.ViewRange = r.ViewRange;
    m_marks.Magnification = r.CoverMagnification;
    m_marks.Direction = r.Direction != 0 ? 0 : 1;
    m_marks.Permittivity = PresetItemForPermittivity(r.Permittivity);
    m_marks.Processing = r.ProcCode >= 0 && r.ProcCode <= 6 ? itemOfProcCode[r.ProcCode] : -1;
    m_marks.Peak = r.PeakFlag == 1;
    m_marks.SensitivityEnabled = r.ProcCode != 6;
    m_marks.MarkerGroup = r.MarkerGroup;
    m_marks.DistanceUnit = static_cast<int>(UnitWords().indexOf(r.XUnit));
    m_marks.DepthUnit = static_cast<int>(UnitWords().indexOf(r.YUnit));
    ResetSaveEnabled();
}

void MeasurementDocument::ResetSaveEnabled() {
    const int k = m_rec.FileKind;
    m_marks.SaveEnabled = k == KindRdd || k == KindZvx3 || k == KindZvx4;
}

SaveAsProposal MeasurementDocument::SaveAsChoice() const {
    SaveAsProposal p;
    p.extension = m_rec.is940() ? QStringLiteral("ZVX") : QStringLiteral("RDD");
    QString name = m_rec.FileName;
    if (name.right(4).toUpper() != QLatin1Char('.') + p.extension)
        name += QLatin1Char('.') + p.extension;
    p.path = QDir(QFileInfo(m_rec.FilePath).absolutePath()).filePath(name);
    p.title =
        QStringLiteral("Save") + QString::fromUtf8("【") + m_rec.FileName + QString::fromUtf8("】");
    return p;
}

} // namespace rebar
