// The marker commands of a measurement document: adding at the cursor, deleting by number, the
// peak search and the snap, the marker list's own commands and clicks, the results of the
// detections and of the permittivity back-calculation; their undo history; the half-wave
// choice, the note and the comments.

#include "data/Markers.h"
#include "data/Notes.h"
#include "processing/BackCalculation.h"
#include "processing/Detection.h"
#include "view/MarkerEditing.h"
#include "view/MarkerOverlay.h"
#include "view/MeasurementDocument.h"

#include <QUndoStack>

namespace rebar {

namespace {

constexpr int MsgGroupFull = 12;
constexpr int MsgNotCarriedOut = 18;
constexpr int MsgNoPermittivityFits = 22;

} // namespace

bool MarkerState::operator==(const MarkerState& o) const {
    auto same730 = [](const std::vector<Marker730>& a, const std::vector<Marker730>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const Marker730& x, const Marker730& y) {
                              return x.Position == y.Position && x.Sample == y.Sample;
                          });
    };
    for (size_t g = 0; g < Marks940.size(); ++g)
        for (size_t s = 0; s < Marks940[g].size(); ++s) {
            const Mark940& a = Marks940[g][s];
            const Mark940& b = o.Marks940[g][s];
            if (a.InUse != b.InUse || a.X != b.X || a.Y != b.Y)
                return false;
        }
    return same730(Markers730, o.Markers730) && MarkerGroup == o.MarkerGroup &&
           CurrentMarker == o.CurrentMarker && Permittivity == o.Permittivity &&
           PermittivityPreset == o.PermittivityPreset && SavedPermittivity == o.SavedPermittivity &&
           PermittivityMark == o.PermittivityMark;
}

// One step of the undo history: the marker state before and after a command.
class MarkerStep : public QUndoCommand {
public:
    MarkerStep(MeasurementDocument* doc, MarkerState before, MarkerState after, const QString& text)
        : QUndoCommand(text), m_doc(doc), m_before(std::move(before)), m_after(std::move(after)) {}
    // The first redo happens as the step is recorded, with the command's result in place.
    void redo() override { m_doc->restoreMarkerState(m_after); }
    void undo() override { m_doc->restoreMarkerState(m_before); }

private:
    MeasurementDocument* m_doc;
    MarkerState m_before, m_after;
};

MeasurementDocument::MeasurementDocument() : m_undo(std::make_unique<QUndoStack>()) {}
MeasurementDocument::~MeasurementDocument() = default;

MarkerState MeasurementDocument::markerState() const {
    MarkerState s;
    s.Markers730 = m_rec.Markers730;
    s.Marks940 = m_rec.Marks940;
    s.MarkerGroup = m_rec.MarkerGroup;
    s.CurrentMarker = m_state.CurrentMarker;
    s.Permittivity = m_rec.Permittivity;
    s.PermittivityPreset = m_rec.PermittivityPreset;
    s.SavedPermittivity = m_rec.Saved.Permittivity;
    s.PermittivityMark = m_marks.Permittivity;
    return s;
}

void MeasurementDocument::restoreMarkerState(const MarkerState& s) {
    m_rec.Markers730 = s.Markers730;
    m_rec.Marks940 = s.Marks940;
    m_rec.MarkerGroup = s.MarkerGroup;
    m_marks.MarkerGroup = s.MarkerGroup;
    m_state.CurrentMarker = s.CurrentMarker;
    m_rec.Permittivity = s.Permittivity;
    m_rec.PermittivityPreset = s.PermittivityPreset;
    m_rec.Saved.Permittivity = s.SavedPermittivity;
    m_marks.Permittivity = s.PermittivityMark;
}

void MeasurementDocument::recordStep(const MarkerState& before, const QString& text) {
    MarkerState after = markerState();
    if (after == before)
        return;
    m_undo->push(new MarkerStep(this, before, std::move(after), text));
}

bool MeasurementDocument::canUndo() const {
    return m_undo->canUndo();
}

bool MeasurementDocument::canRedo() const {
    return m_undo->canRedo();
}

// After an undo or redo: everything a marker or permittivity change shows, drawn again.
CommandResult MeasurementDocument::showRestored() {
    CommandResult res;
    res.updates |= ViewUpdate::DepthAxis | ViewUpdate::Readouts;
    const bool axis = DrawDepthAxis();
    const bool drawn = redrawMarkers(res);
    UpdateReadouts();
    m_rec.Modified = FlagTrue;
    if (!axis || !drawn) {
        res.ok = false;
        res.warn(MsgNotCarriedOut, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::UndoCommand(int) {
    if (!m_undo->canUndo())
        return CommandResult{false, {}, {}};
    m_undo->undo();
    return showRestored();
}

CommandResult MeasurementDocument::RedoCommand(int) {
    if (!m_undo->canRedo())
        return CommandResult{false, {}, {}};
    m_undo->redo();
    return showRestored();
}

bool MeasurementDocument::redrawMarkers(CommandResult& result) {
    result.updates |= ViewUpdate::MarkerList | ViewUpdate::Readouts;
    const bool listed = RebuildMarkerList();
    const bool drawn = drawMarkers();
    if (drawn)
        result.updates |= ViewUpdate::Image;
    UpdateReadouts();
    return listed && drawn;
}

// ---- Adding ---------------------------------------------------------------------------------

CommandResult MeasurementDocument::AddMarkerCommand(int) {
    CommandResult res;
    const MarkerState before = markerState();
    const int C = m_state.CursorColumn;
    const int R = m_state.CursorRow;
    if (m_rec.is940()) {
        const int g = m_rec.MarkerGroup;
        const std::optional<int> slot = InsertMark940(m_rec, g, GetXPos940r(C - 1, m_rec.ViewRange),
                                                      SingleSampleOfRow(m_rec, R - 1));
        if (!slot) {
            // A full group: told, nothing else happens.
            res.warn(MsgGroupFull, m_rec.FilePath);
            return res;
        }
        m_state.CurrentMarker = g * 100 + *slot;
        if (!redrawMarkers(res))
            res.warn(MsgNotCarriedOut, m_rec.FilePath); // the mark stays
    } else {
        const size_t sizeBefore = m_rec.Markers730.size();
        const int i =
            InsertMarker730(m_rec, GetXPos730r(C - 1, m_rec.ViewRange), RowToSample(m_rec, R));
        m_state.CurrentMarker = i + 1;
        if (!redrawMarkers(res)) {
            // The marker cannot be shown: it goes again.
            if (m_rec.Markers730.size() > sizeBefore)
                m_rec.Markers730.resize(sizeBefore);
            else
                DeleteMarker730(m_rec, i);
            m_state.CurrentMarker = before.CurrentMarker;
            redrawMarkers(res);
            res.ok = false;
            res.warn(MsgNotCarriedOut, m_rec.FilePath);
            return res;
        }
    }
    m_rec.Modified = FlagTrue;
    recordStep(before, QStringLiteral("add marker"));
    return res;
}

// ---- Deleting -------------------------------------------------------------------------------

int MeasurementDocument::LastListNumber() const {
    return m_markerList.lines.isEmpty() ? 999 : m_markerList.lines.last().number;
}

QString MeasurementDocument::DeleteTextWithoutPrompt() {
    m_state.DeleteWithoutPrompt = 0;
    return QString::number(m_state.CurrentMarker);
}

CommandResult MeasurementDocument::DeleteMarkers(const QString& text) {
    CommandResult res;
    const MarkerState before = markerState();
    const DeleteRequest req = ParseDeleteInput(text, LastListNumber());
    const bool f940 = m_rec.is940();
    const int g = m_rec.MarkerGroup;
    if (req.kind == DeleteRequest::All) {
        if (f940)
            ClearMarkGroup940(m_rec, g);
        else
            ClearMarkers730(m_rec);
        m_state.CurrentMarker = 0;
    } else {
        const int base = f940 ? 100 * g : 0;
        for (const int k : req.numbers) {
            const bool freed =
                f940 ? DeleteMark940(m_rec, g, k - base) : DeleteMarker730(m_rec, k - 1);
            if (freed && k == m_state.CurrentMarker)
                m_state.CurrentMarker = 0;
        }
    }
    if (req.message != 0) {
        res.ok = false;
        res.warn(req.message, m_rec.FilePath);
    }
    if (markerState() == before)
        return res;
    // Markers freed before a bad item stay freed; the list and the picture show it.
    if (!redrawMarkers(res)) {
        if (!f940) {
            restoreMarkerState(before);
            redrawMarkers(res);
            res.ok = false;
            res.warn(MsgNotCarriedOut, m_rec.FilePath);
            return res;
        }
        res.warn(MsgNotCarriedOut, m_rec.FilePath);
    }
    m_rec.Modified = FlagTrue;
    recordStep(before, QStringLiteral("delete markers"));
    return res;
}

// ---- Peak search and snap -------------------------------------------------------------------

bool MeasurementDocument::placeCursor(int column, int row) {
    const int columns = std::max(1, imageWidth());
    if (column > 0)
        m_state.CursorColumn = std::clamp(column, 1, columns);
    if (row > 0)
        m_state.CursorRow = row;
    return true;
}

CommandResult MeasurementDocument::PeakSearchCommand(int) {
    CommandResult res;
    const CursorTarget t = PeakSearchTarget(m_rec, m_state.CursorColumn, m_state.CursorRow,
                                            m_state.LastPeakColumn, m_state.LastPeakSample);
    if (GetXPos(m_rec, m_state.CursorColumn) < 2)
        return res;
    if (t.found)
        placeCursor(0, t.row);
    m_state.LastPeakColumn = GetXPos(m_rec, m_state.CursorColumn);
    m_state.LastPeakSample = SingleSampleOfRow(m_rec, m_state.CursorRow);
    UpdateReadouts();
    res.updates |= ViewUpdate::Readouts;
    return res;
}

CommandResult MeasurementDocument::SnapCommand(int) {
    CommandResult res;
    const CursorTarget t = SnapTarget(m_rec, m_state.CursorColumn, m_state.CursorRow);
    if (t.found)
        placeCursor(t.column, t.row);
    UpdateReadouts();
    res.updates |= ViewUpdate::Readouts;
    return res;
}

CommandResult MeasurementDocument::SnapAndAddCommand(int) {
    CommandResult res = SnapCommand();
    const CommandResult added = AddMarkerCommand();
    res.ok = added.ok;
    res.updates |= added.updates;
    res.notices << added.notices;
    return res;
}

// ---- The marker list ------------------------------------------------------------------------

CommandResult MeasurementDocument::MarkerListCommand(int item, int selectedLine) {
    CommandResult res;
    if (!HasMarkerLines() || item < 0 || item > 3) {
        res.ok = false;
        return res;
    }
    const MarkerState before = markerState();
    switch (item) {
    case 0: {
        if (selectedLine < 1 || selectedLine > m_markerList.lines.size()) {
            res.ok = false;
            return res;
        }
        const int number = m_markerList.lines[selectedLine - 1].number;
        DeleteShownMarker(m_rec, selectedLine);
        if (!m_rec.is940() || number == m_state.CurrentMarker)
            m_state.CurrentMarker = 0;
        break;
    }
    case 1:
        CompactShownMarkers(m_rec);
        m_state.CurrentMarker = 0; // the numbers change
        break;
    default:
        SortShownMarkers(m_rec, item == 2 ? MarkerOrder::Ascending : MarkerOrder::Descending);
        m_state.CurrentMarker = 0;
        break;
    }
    if (!redrawMarkers(res)) {
        // The storage goes back as it was.
        restoreMarkerState(before);
        redrawMarkers(res);
        res.ok = false;
        res.warn(MsgNotCarriedOut, m_rec.FilePath);
        return res;
    }
    m_rec.Modified = FlagTrue;
    recordStep(before, QStringLiteral("marker list"));
    return res;
}

CommandResult MeasurementDocument::ClickMarkerLine(int line, Viewport& v, int lastScrollValue) {
    CommandResult res;
    if (line < 1 || line > m_markerList.lines.size()) {
        res.ok = false;
        return res;
    }
    const MarkerListLine& l = m_markerList.lines[line - 1];
    const bool wide = m_rec.ViewRange >= 3 && m_rec.ViewRange <= 5;
    int column = 0, row = 0;
    if (m_rec.is940()) {
        const int g = std::clamp<int>(m_rec.MarkerGroup, 0, MarkGroups940 - 1);
        const Mark940& m =
            m_rec.Marks940[static_cast<size_t>(g)]
                          [static_cast<size_t>(std::clamp(l.itemData - 1, 0, MarksPerGroup940))];
        column = wide ? m.X / 2 + 1 : m.X + 1;
        row = RowOfSample(m_rec, 2 * m.Y + 1);
    } else {
        const size_t i = static_cast<size_t>(std::max(l.itemData - 1, 0));
        if (i >= m_rec.Markers730.size()) {
            res.ok = false;
            return res;
        }
        const Marker730& m = m_rec.Markers730[i];
        column = wide ? (m.Position + 1) / 2 : m.Position + 1;
        row = RowOfSample(m_rec, m.Sample);
    }
    placeCursor(column, row);
    column = m_state.CursorColumn;

    // Scroll so that the marker shows with a quarter of the picture before it.
    const int wp = v.pictureWidth;
    const int last = v.scrollMin > v.scrollMax ? v.scrollMin : v.scrollMax;
    const int first = std::min(v.scrollMin, v.scrollMax);
    int scroll = v.scroll;
    if (column < lastScrollValue)
        scroll = std::max(1, column - wp / 4);
    else if (column > lastScrollValue + wp / 2)
        scroll = column + wp / 4 > imageWidth() ? last : column - wp / 4;
    v.scroll = std::clamp(scroll, first, last);

    UpdateReadouts();
    // The readouts show the line's own figures while the cursor stays on the marker.
    m_lineFigures =
        LineFigures{m_state.CursorColumn, m_state.CursorRow, l.distanceField, l.depthField};
    UpdateReadouts();
    res.updates |= ViewUpdate::Readouts;
    return res;
}

// ---- Detections and back-calculation --------------------------------------------------------

CommandResult MeasurementDocument::ApplyDetectionRun(const DetectionRun& run,
                                                     bool setPermittivity) {
    CommandResult res;
    if (run.refused) {
        res.ok = false;
        if (run.messageKey != 0)
            res.warn(run.messageKey, m_rec.FilePath,
                     run.reason.isEmpty() ? std::nullopt : std::optional<QString>(run.reason));
        return res;
    }
    const MarkerState before = markerState();
    res.ok = ApplyDetection(m_rec, run);
    m_state.CurrentMarker = 0;
    if (m_rec.is940() && run.group >= 0 && run.group < MarkGroups940) {
        // The view shows the group the run wrote.
        m_rec.MarkerGroup = static_cast<int16_t>(run.group);
        m_marks.MarkerGroup = run.group;
    }
    const double er = run.fit.permittivitySetting;
    if (res.ok && setPermittivity && run.mode == DetectionMode::Fitted && er >= 2.0 && er <= 20.0) {
        m_marks.Permittivity = ApplyBackCalculation(m_rec, static_cast<float>(er));
        res.updates |= ViewUpdate::DepthAxis;
        DrawDepthAxis();
    }
    // Whatever the outcome, the view shows what the run left.
    redrawMarkers(res);
    if (run.messageKey != 0)
        res.warn(run.messageKey, m_rec.FilePath,
                 run.reason.isEmpty() ? std::nullopt : std::optional<QString>(run.reason));
    recordStep(before, QStringLiteral("detect markers"));
    return res;
}

CommandResult MeasurementDocument::BackCalculateCommand(double depthMm) {
    CommandResult res;
    const BackCalculation b = BackCalculatePermittivity(m_rec, *m_ctx.tables, depthMm,
                                                        RowToSample(m_rec, m_state.CursorRow));
    if (b.outcome == BackCalculation::Error) {
        res.ok = false;
        res.warn(MsgNotCarriedOut, m_rec.FilePath, b.error);
        return res;
    }
    if (b.outcome == BackCalculation::NoFit) {
        res.ok = false;
        res.warn(MsgNoPermittivityFits, m_rec.FilePath);
    }
    const MarkerState before = markerState();
    m_marks.Permittivity = ApplyBackCalculation(m_rec, b.permittivity);
    DrawDepthAxis();
    RebuildMarkerList();
    UpdateReadouts();
    res.updates |= ViewUpdate::DepthAxis | ViewUpdate::MarkerList | ViewUpdate::Readouts;
    recordStep(before, QStringLiteral("back-calculate permittivity"));
    return res;
}

// ---- Window options, notes and comments -----------------------------------------------------

CommandResult MeasurementDocument::HalfWaveCommand(int choice) {
    CommandResult res;
    if (choice == m_rec.AModeSet || choice < 0 || choice > 2)
        return res;
    m_rec.AModeSet = static_cast<int16_t>(choice);
    m_rec.ProcessingLine = GetXPos(m_rec, m_state.CursorColumn);
    refreshInto(res, AllRefreshSteps); // its result is not examined
    UpdateReadouts();
    res.updates |= ViewUpdate::Readouts;
    return res;
}

CommandResult MeasurementDocument::SetNote(const QString& note) {
    rebar::SetNote(m_rec, note);
    return CommandResult{true, ViewUpdate::Caption, {}};
}

CommandResult MeasurementDocument::SetComment(const std::array<QString, 4>& texts, int direction) {
    rebar::SetComment(m_rec, texts, direction);
    return CommandResult{true, ViewUpdate::Caption, {}};
}

} // namespace rebar
