// The view commands of a measurement document: sensitivity, gradation, direction, display range,
// cover magnification, the processing items of the B-mode edit menus, the mark group, the unit
// menus, the depth calibration and saving. Each writes its display field and the saved copy,
// marks the record changed, refreshes with the steps it needs and moves its menu mark.

#include "base/Numeric.h"
#include "data/RecordWriters.h"
#include "processing/DepthScale.h"
#include "view/DisplayDefaults.h"
#include "view/MarkerOverlay.h"
#include "view/MeasurementDocument.h"

namespace rebar {

namespace {

// Failed refreshes of the sensitivity, gradation, direction and unit commands.
constexpr int MsgRefreshFailed = 13;
constexpr int MsgSaved = 3;
constexpr int MsgSaveFailed = 2;
constexpr int MsgMarkersNotShown = 18;

} // namespace

// Runs the refresh and records what it changed in result.
bool MeasurementDocument::refreshInto(CommandResult& result, RefreshSteps steps) {
    const bool ok = Refresh(steps);
    result.updates |= ViewUpdate::Caption;
    if (m_shown & RefreshStep::Render)
        result.updates |= ViewUpdate::Image;
    if (m_shown & RefreshStep::DepthAxis)
        result.updates |= ViewUpdate::DepthAxis;
    if (m_shown & RefreshStep::MarkerList)
        result.updates |= ViewUpdate::MarkerList;
    if (m_shown & RefreshStep::Readouts)
        result.updates |= ViewUpdate::Readouts;
    return ok;
}

CommandResult MeasurementDocument::SensitivityCommand(int item) {
    CommandResult res;
    if (item <= 6) {
        m_rec.GainMode = 0;
        m_rec.Gain = static_cast<int16_t>(item + 1);
    } else {
        m_rec.GainMode = 1;
        m_rec.Gain = static_cast<int16_t>(item - 6);
    }
    if (refreshInto(res, AllRefreshSteps)) {
        m_marks.Sensitivity = item;
        m_rec.Saved.GainMode = m_rec.GainMode;
        m_rec.Saved.Gain = m_rec.Gain;
        m_rec.Modified = FlagTrue;
    } else {
        // The new sensitivity stays in effect; the mark stays where it was.
        res.ok = false;
        res.warn(MsgRefreshFailed, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::GradationCommand(int item) {
    CommandResult res;
    const int count = m_rec.is940() ? 12 : 10;
    const int previous =
        m_marks.Gradation >= 0 && m_marks.Gradation < count ? m_marks.Gradation : -1;
    m_rec.ColorCode = item;
    if (refreshInto(res, AllRefreshSteps)) {
        DrawColorBar();
        res.updates |= ViewUpdate::ColorBar;
        m_marks.Gradation = item;
        m_rec.Saved.ColorCode = static_cast<int16_t>(item);
        m_rec.Modified = FlagTrue;
    } else {
        // Back to the previous choice.
        if (previous >= 0)
            m_rec.ColorCode = previous;
        m_marks.Gradation = previous;
        res.ok = false;
        res.warn(MsgRefreshFailed, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::DirectionCommand(int item) {
    CommandResult res;
    m_rec.Direction = item == 0 ? 1 : 0;
    // The scroll bar runs backwards with Direction 1; the window keeps its value.
    res.updates |= ViewUpdate::ScrollRange;
    if (refreshInto(res, AllRefreshSteps)) {
        UpdateReadouts();
        m_marks.Direction = item;
        res.updates |= ViewUpdate::Readouts | ViewUpdate::Resize;
        m_rec.Modified = FlagTrue;
        m_rec.Saved.Direction = m_rec.Direction;
    } else {
        m_rec.Direction = m_marks.Direction == 0 ? 1 : 0;
        m_marks.Direction = m_rec.Direction == 1 ? 0 : 1;
        res.ok = false;
        res.warn(MsgRefreshFailed, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::ViewRangeCommand(int item) {
    CommandResult res;
    m_marks.ViewRange = item;
    m_rec.ViewRange = static_cast<int16_t>(item);
    res.updates |= ViewUpdate::ScrollRange;
    // Its result is not examined: the previous picture stays on failure.
    refreshInto(res, AllRefreshSteps & ~RefreshSteps(RefreshStep::Readouts));
    // The cursor keeps its column and row, brought inside the new picture (a wide range has
    // half the columns), and the readouts follow.
    ClampCursor();
    UpdateReadouts();
    res.updates |= ViewUpdate::Resize | ViewUpdate::Readouts;
    m_state.LastPeakColumn = 0;
    m_rec.Saved.ViewRange = static_cast<int16_t>(item);
    m_rec.Modified = FlagTrue;
    return res;
}

CommandResult MeasurementDocument::CoverMagnificationCommand(int item) {
    CommandResult res;
    m_marks.Magnification = item;
    m_rec.CoverMagnification = static_cast<int16_t>(item);
    if (m_rec.is940())
        BuildRowDepthTable940(m_rec, *m_ctx.tables, m_state.RowDepthTable);
    else
        BuildRowDepthTable730(m_rec, *m_ctx.tables, m_state.RowDepthTable);
    refreshInto(res, AllRefreshSteps);
    // The picture takes the new image height. Neither the saved settings nor the changed flag
    // move: the magnification is not stored in files.
    res.updates |= ViewUpdate::PictureHeight;
    return res;
}

// Items 4..11 of the B-mode edit menus (Menu14 forwards to Menu10).
CommandResult MeasurementDocument::ProcessingCommand(int item) {
    CommandResult res;
    static const int procCodeOfItem[] = {0, 1, 5, 2, 3, 4}; // items 4..9
    if (item >= 4 && item <= 9) {
        m_rec.ProcCode = static_cast<int16_t>(procCodeOfItem[item - 4]);
        m_rec.ProcessingLine = (item == 7 || item == 8) ? GetXPos(m_rec, m_state.CursorColumn) : 0;
        refreshInto(res, AllRefreshSteps);
        m_marks.Processing = item;
        m_marks.PeakEnabled = true;
        m_marks.SensitivityEnabled = true;
        m_rec.Saved.ProcCode = m_rec.ProcCode;
    } else if (item == 10 && m_rec.is940()) {
        // Automatic sensitivity: no peak processing and no sensitivity choice beside it.
        m_rec.ProcCode = 6;
        m_rec.ProcessingLine = 0;
        m_rec.PeakFlag = 0;
        m_marks.Peak = false;
        refreshInto(res, AllRefreshSteps);
        m_marks.Processing = 10;
        m_marks.PeakEnabled = false;
        m_marks.SensitivityEnabled = false;
        m_rec.Saved.ProcCode = 6;
    } else if (item == 11) {
        // Toggles from the flag, not from the mark; the saved settings do not move.
        m_rec.PeakFlag = m_rec.PeakFlag != 0 ? 0 : 1;
        m_marks.Peak = m_rec.PeakFlag == 1;
        refreshInto(res, AllRefreshSteps);
    } else {
        res.ok = false;
        return res;
    }
    UpdateReadouts();
    res.updates |= ViewUpdate::Readouts;
    m_rec.Modified = FlagTrue;
    return res;
}

CommandResult MeasurementDocument::MarkerGroupCommand(int group) {
    CommandResult res;
    if (!m_rec.is940() || group < 0 || group >= MarkGroups940) {
        res.ok = false;
        return res;
    }
    m_marks.MarkerGroup = group;
    m_rec.MarkerGroup = static_cast<int16_t>(group);
    res.updates |= ViewUpdate::MarkerList;
    const bool drawn = drawMarkers();
    if (drawn)
        res.updates |= ViewUpdate::Image;
    if (!RebuildMarkerList() || !drawn) {
        res.ok = false;
        res.warn(MsgMarkersNotShown, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::DistanceUnitCommand(int item) {
    CommandResult res;
    m_marks.DistanceUnit = item;
    m_rec.XUnit = UnitWords().value(item);
    if (refreshInto(res, AllRefreshSteps)) {
        UpdateReadouts();
        m_rec.Saved.XUnit = m_rec.XUnit;
        m_rec.Modified = FlagTrue;
        res.updates |= ViewUpdate::Readouts | ViewUpdate::Resize;
    } else {
        res.ok = false; // the unit stays changed
        res.warn(MsgRefreshFailed, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::DepthUnitCommand(int item) {
    CommandResult res;
    m_marks.DepthUnit = item;
    m_rec.YUnit = UnitWords().value(item);
    // The radargram itself is not rebuilt.
    res.updates |= ViewUpdate::DepthAxis;
    if (!DrawDepthAxis()) {
        res.ok = false;
        return res;
    }
    res.updates |= ViewUpdate::MarkerList;
    if (!RebuildMarkerList()) {
        res.ok = false;
        return res;
    }
    UpdateReadouts();
    res.updates |= ViewUpdate::Readouts;
    m_rec.Saved.YUnit = m_rec.YUnit;
    m_rec.Modified = FlagTrue;
    return res;
}

// ---- Depth calibration ----------------------------------------------------------------------

int MeasurementDocument::PermittivityDialogValue() const {
    return m_rec.PermittivityPreset == 7 ? 80
                                         : static_cast<int>(roundHalfEven(m_rec.Permittivity * 10));
}

CommandResult MeasurementDocument::ChoosePermittivity(int item, double chosen) {
    CommandResult res;
    if (item >= 0 && item <= 6) {
        m_rec.PermittivityPreset = item;
        m_rec.Permittivity = PermittivityPresets[static_cast<size_t>(item)];
    } else if (item == 7) {
        m_rec.PermittivityPreset = 7; // the time axis
        m_rec.Permittivity = 0;
    } else if (item == 8) {
        m_rec.PermittivityPreset = 8;
        m_rec.Permittivity = chosen;
    }
    res.updates |= ViewUpdate::DepthAxis;
    if (DrawDepthAxis()) {
        m_marks.Permittivity = item;
        RebuildMarkerList();
        UpdateReadouts();
        res.updates |= ViewUpdate::MarkerList | ViewUpdate::Readouts;
        m_rec.Saved.Permittivity = static_cast<float>(m_rec.Permittivity);
        m_rec.Modified = FlagTrue;
    } else {
        m_rec.PermittivityPreset = m_marks.Permittivity;
        res.ok = false;
        res.warn(MsgRefreshFailed, m_rec.FilePath);
    }
    return res;
}

CommandResult MeasurementDocument::SetDielectric(double er, int item) {
    CommandResult res;
    m_rec.Permittivity = er;
    m_rec.PermittivityPreset = item;
    DrawDepthAxis();
    m_marks.Permittivity = item;
    RebuildMarkerList();
    UpdateReadouts();
    res.updates |= ViewUpdate::DepthAxis | ViewUpdate::MarkerList | ViewUpdate::Readouts;
    m_rec.Saved.Permittivity = static_cast<float>(er);
    m_rec.Modified = FlagTrue;
    return res;
}

// ---- Saving ---------------------------------------------------------------------------------

// Writes the record; a failure is told with MSG2 and, on a line of its own, why.
bool MeasurementDocument::writeRecord(const QString& path, CommandResult& result) {
    const WriteResult written = m_rec.is940() ? WriteZvx(m_rec, path) : WriteRdd(m_rec, path);
    if (!written) {
        result.ok = false;
        result.warn(MsgSaveFailed, m_rec.FilePath, FailureLine(written, m_ctx.settings->Language));
    }
    return written.ok;
}

CommandResult MeasurementDocument::SaveInPlace() {
    CommandResult res;
    if (writeRecord(m_rec.FilePath, res))
        m_rec.Modified = 0;
    return res;
}

CommandResult MeasurementDocument::SaveCommand() {
    const int k = m_rec.FileKind;
    if (k != KindRdd && k != KindZvx3 && k != KindZvx4)
        return CommandResult{false, {}, {}};
    CommandResult res = SaveInPlace();
    if (res.ok)
        res.inform(MsgSaved, m_rec.FilePath);
    return res;
}

CommandResult MeasurementDocument::SaveAs(const QString& path, bool quiet) {
    CommandResult res;
    if (!writeRecord(path, res))
        return res;
    SetRecordPath(m_rec, path);
    res.updates |= ViewUpdate::Caption;
    m_marks.SaveEnabled = true;
    if (!quiet)
        res.inform(MsgSaved, m_rec.FilePath);
    m_rec.Modified = 0;
    return res;
}

} // namespace rebar
