// The view commands: sensitivity, gradation, display range, cover magnification, direction,
// the processing items of the B-mode edit menus, the unit menus and the depth calibration.
// Each writes its display field and the saved copy, marks the record changed and refreshes
// the view with the steps it needs.

#include "app/FrmMDI.h"
#include "base/Numeric.h"
#include "config/Program.h"
#include "platform/Platform.h"
#include "processing/DepthScale.h"
#include "view/CursorPosition.h"
#include "view/FrmMain.h"
#include "view/PictureBoxWidget.h"
#include "view/frmDielectric.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>

namespace rebar {

namespace {
const QStringList UnitWords = {QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m"),
                               QStringLiteral("inch")};
} // namespace

bool FrmMain::Refresh(int markerList, int readouts) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = RefreshView(m_hsc->value(), 1, 1, 1, markerList, readouts);
    QApplication::restoreOverrideCursor();
    return ok;
}

void FrmMain::ReportRefreshFailure() {
    platform().messageBox(message(13), m_rec.FilePath, MsgIcon::Warning);
}

void FrmMain::CheckOnly(const QString& array, int count, int index) {
    for (int i = 0; i < count; ++i)
        if (QAction* a = menuItem(array, i))
            a->setChecked(i == index);
}

int FrmMain::CheckedIndex(const QString& array, int count) const {
    for (int i = 0; i < count; ++i)
        if (QAction* a = menuItem(array, i); a && a->isChecked())
            return i;
    return -1;
}

void FrmMain::SensitivityCommand(int i) {
    if (i <= 6) {
        m_rec.GainMode = 0;
        m_rec.Gain = static_cast<int16_t>(i + 1);
    } else {
        m_rec.GainMode = 1;
        m_rec.Gain = static_cast<int16_t>(i - 6);
    }
    if (Refresh()) {
        CheckOnly(QStringLiteral("Menu3"), 14, i);
        m_rec.Saved.GainMode = m_rec.GainMode;
        m_rec.Saved.Gain = m_rec.Gain;
        m_rec.Modified = FlagTrue;
    } else {
        // The new sensitivity stays in effect; the check mark stays where it was.
        menuItem(QStringLiteral("Menu3"), i)->setChecked(false);
        ReportRefreshFailure();
    }
}

void FrmMain::GradationCommand(int i) {
    const int count = m_rec.is940() ? 12 : 10;
    const int previous = CheckedIndex(QStringLiteral("Menu4"), count);
    m_rec.ColorCode = i;
    if (Refresh()) {
        DrawColorBar();
        CheckOnly(QStringLiteral("Menu4"), count, i);
        m_rec.Saved.ColorCode = static_cast<int16_t>(i);
        m_rec.Modified = FlagTrue;
    } else {
        if (previous >= 0)
            m_rec.ColorCode = previous;
        CheckOnly(QStringLiteral("Menu4"), count, previous);
        ReportRefreshFailure();
    }
}

void FrmMain::ApplyDirectionRange(int v) {
    SetScrollRange();
    m_hsc->blockSignals(true);
    m_hsc->setValue(v);
    m_hsc->blockSignals(false);
}

void FrmMain::DirectionCommand(int i) {
    const int v = m_hsc->value();
    m_rec.Direction = i == 0 ? 1 : 0;
    ApplyDirectionRange(v);
    if (Refresh()) {
        UpdateReadouts();
        CheckOnly(QStringLiteral("Menu6"), 2, i);
        HandleResize();
        m_rec.Modified = FlagTrue;
        m_rec.Saved.Direction = m_rec.Direction;
    } else {
        m_rec.Direction = menuItem(QStringLiteral("Menu6"), 0)->isChecked() ? 1 : 0;
        CheckOnly(QStringLiteral("Menu6"), 2, m_rec.Direction == 1 ? 0 : 1);
        ApplyDirectionRange(v);
        ReportRefreshFailure();
    }
}

void FrmMain::ViewRangeCommand(int i) {
    CheckOnly(QStringLiteral("Menu12"), 6, i);
    m_rec.ViewRange = static_cast<int16_t>(i);
    SetScrollRange();
    Refresh(1, 0); // its result is not examined: the previous picture stays on failure
    HandleResize();
    PlaceCursor(m_state.CursorColumn, m_state.CursorRow);
    m_state.LastPeakColumn = 0;
    m_rec.Saved.ViewRange = static_cast<int16_t>(i);
    m_rec.Modified = FlagTrue;
}

void FrmMain::CoverMagnificationCommand(int i) {
    CheckOnly(QStringLiteral("Menu15"), 2, i);
    m_rec.CoverMagnification = static_cast<int16_t>(i);
    if (m_rec.is940())
        BuildRowDepthTable940(m_rec, program().tables, m_state.RowDepthTable);
    else
        BuildRowDepthTable730(m_rec, program().tables, m_state.RowDepthTable);
    Refresh();
    // The picture and the boxes beside it take the new image height; neither the saved
    // settings nor the changed flag move, since the magnification is not stored in files.
    SetPictureHeights(true);
    ApplyFixedHeight();
}

// Items 4..11 of the B-mode edit menus (Menu14 forwards to Menu10).
void FrmMain::BModeEditCommand(int i) {
    auto both = [this](int item) {
        return std::array<QAction*, 2>{menuItem(QStringLiteral("Menu10"), item),
                                       menuItem(QStringLiteral("Menu14"), item)};
    };
    auto checkProcessingItem = [&](int item) {
        for (int k = 4; k <= 10; ++k)
            for (QAction* a : both(k))
                a->setChecked(k == item);
    };
    static const int procCodeOfItem[] = {0, 1, 5, 2, 3, 4}; // items 4..9
    if (i >= 4 && i <= 9) {
        m_rec.ProcCode = static_cast<int16_t>(procCodeOfItem[i - 4]);
        m_rec.ProcessingLine = (i == 7 || i == 8) ? GetXPos(m_rec, m_state.CursorColumn) : 0;
        Refresh();
        UpdateReadouts();
        checkProcessingItem(i);
        for (QAction* a : both(11))
            a->setEnabled(true);
        m_topMenus[1]->menuAction()->setEnabled(true);
        m_rec.Saved.ProcCode = m_rec.ProcCode;
        m_rec.Modified = FlagTrue;
    } else if (i == 10 && m_rec.is940()) {
        m_rec.ProcCode = 6;
        m_rec.ProcessingLine = 0;
        m_rec.PeakFlag = 0;
        for (QAction* a : both(11))
            a->setChecked(false);
        Refresh();
        UpdateReadouts();
        checkProcessingItem(10);
        for (QAction* a : both(11))
            a->setEnabled(false);
        m_topMenus[1]->menuAction()->setEnabled(false);
        m_rec.Saved.ProcCode = 6;
        m_rec.Modified = FlagTrue;
    } else if (i == 11) {
        m_rec.PeakFlag = m_rec.PeakFlag != 0 ? 0 : 1;
        for (QAction* a : both(11))
            a->setChecked(m_rec.PeakFlag == 1);
        Refresh();
        UpdateReadouts();
        m_rec.Modified = FlagTrue;
    }
}

// ---- Units ----------------------------------------------------------------------------------

void FrmMain::DistanceUnitCommand(int i) {
    CheckOnly(QStringLiteral("Menu16_0"), 4, i);
    m_rec.XUnit = UnitWords[i];
    if (Refresh()) {
        UpdateReadouts();
        m_rec.Saved.XUnit = m_rec.XUnit;
        m_rec.Modified = FlagTrue;
        HandleResize();
    } else {
        ReportRefreshFailure(); // the unit stays changed
    }
}

void FrmMain::DepthUnitCommand(int i) {
    CheckOnly(QStringLiteral("Menu16_1"), 4, i);
    m_rec.YUnit = UnitWords[i];
    if (!DrawDepthAxis())
        return;
    if (!RebuildMarkerList())
        return;
    UpdateReadouts();
    m_rec.Saved.YUnit = m_rec.YUnit;
    m_rec.Modified = FlagTrue;
}

// ---- Depth calibration ----------------------------------------------------------------------

void FrmMain::ChoosePermittivity(int i) {
    if (i >= 0 && i <= 6) {
        m_rec.PermittivityPreset = i;
        m_rec.Permittivity = PermittivityPresets[static_cast<size_t>(i)];
    } else if (i == 7) {
        m_rec.PermittivityPreset = 7;
        m_rec.Permittivity = 0;
    } else if (i == 8) {
        frmDielectric::State& dlg = frmDielectric::state();
        dlg.value = m_rec.PermittivityPreset == 7
                        ? 80
                        : static_cast<int>(roundHalfEven(m_rec.Permittivity * 10));
        dlg.applyToAll = false;
        frmDielectric::Run(this);
        if (dlg.applyToAll) {
            if (m_mdi) {
                for (FrmMain* v : m_mdi->OpenViews()) {
                    v->SetDielectric(dlg.value / 10.0, 8);
                    platform().processEvents();
                }
            }
        } else {
            m_rec.Permittivity = dlg.value / 10.0;
            m_rec.PermittivityPreset = 8;
        }
    }
    menuItem(QStringLiteral("Menu16"), 1)->setEnabled(m_rec.Permittivity != 0);
    if (DrawDepthAxis()) {
        CheckOnly(QStringLiteral("Menu5"), 9, i);
        RebuildMarkerList();
        UpdateReadouts();
        m_rec.Saved.Permittivity = static_cast<float>(m_rec.Permittivity);
        m_rec.Modified = FlagTrue;
    } else {
        m_rec.PermittivityPreset = CheckedIndex(QStringLiteral("Menu5"), 9);
        ReportRefreshFailure();
    }
}

void FrmMain::SetDielectric(double er, int index) {
    m_rec.Permittivity = er;
    m_rec.PermittivityPreset = index;
    DrawDepthAxis();
    CheckOnly(QStringLiteral("Menu5"), 9, index);
    menuItem(QStringLiteral("Menu16"), 1)->setEnabled(er != 0);
    RebuildMarkerList();
    UpdateReadouts();
    m_rec.Saved.Permittivity = static_cast<float>(er);
    m_rec.Modified = FlagTrue;
}

void FrmMain::connectViewCommands() {
    // Check marks follow the record, not Qt's own toggling of checkable items.
    for (const QString& array :
         {QStringLiteral("Menu3"), QStringLiteral("Menu4"), QStringLiteral("Menu5"),
          QStringLiteral("Menu6"), QStringLiteral("Menu12"), QStringLiteral("Menu15"),
          QStringLiteral("Menu16_0"), QStringLiteral("Menu16_1"), QStringLiteral("Menu10"),
          QStringLiteral("Menu14")}) {
        for (int i = 0; i < 14; ++i) {
            QAction* a = menuItem(array, i);
            if (!a || !a->isCheckable())
                continue;
            connect(a, &QAction::triggered, this, [a](bool checked) {
                // Undo the toggle before the command runs; the command that
                // follows sets the marks.
                a->blockSignals(true);
                a->setChecked(!checked);
                a->blockSignals(false);
            });
        }
    }
    auto each = [this](const QString& array, int count, auto fn) {
        for (int i = 0; i < count; ++i)
            if (QAction* a = menuItem(array, i))
                connect(a, &QAction::triggered, this, [this, fn, i] { (this->*fn)(i); });
    };
    each(QStringLiteral("Menu3"), 14, &FrmMain::SensitivityCommand);
    each(QStringLiteral("Menu4"), 12, &FrmMain::GradationCommand);
    each(QStringLiteral("Menu5"), 9, &FrmMain::ChoosePermittivity);
    each(QStringLiteral("Menu6"), 2, &FrmMain::DirectionCommand);
    each(QStringLiteral("Menu12"), 6, &FrmMain::ViewRangeCommand);
    each(QStringLiteral("Menu15"), 2, &FrmMain::CoverMagnificationCommand);
    each(QStringLiteral("Menu16_0"), 4, &FrmMain::DistanceUnitCommand);
    each(QStringLiteral("Menu16_1"), 4, &FrmMain::DepthUnitCommand);
    each(QStringLiteral("Menu10"), 13, &FrmMain::BModeEditCommand);
    each(QStringLiteral("Menu14"), 13, &FrmMain::BModeEditCommand);
}

} // namespace rebar
