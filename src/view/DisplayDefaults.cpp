#include "view/DisplayDefaults.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace rebar {

const QStringList& UnitWords() {
    static const QStringList words = {QStringLiteral("mm"), QStringLiteral("cm"),
                                      QStringLiteral("m"), QStringLiteral("inch")};
    return words;
}

void ApplyCreationDefaults(MeasurementRecord& r, const Settings& s) {
    r.ColorCode = s.GradationSystem730;
    r.Direction = s.Direction730;
    r.ViewRange = s.IndicationRange730;
    r.CoverMagnification = s.PuttingOnMagnification;
    if (s.Sensitivity730 == -1) {
        r.GainMode = 0;
        r.Gain = 3;
    } else if (s.Sensitivity730 <= 4) {
        r.GainMode = 0;
        r.Gain = static_cast<int16_t>(s.Sensitivity730 + 1);
    } else {
        r.GainMode = 1;
        r.Gain = static_cast<int16_t>(s.Sensitivity730 - 4);
    }
    r.Permittivity = 8.0;
    r.ProcCode = 1;
    r.MeasureDate = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    r.MeasureTime = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    r.XUnit = QStringLiteral("m");
    r.YUnit = QStringLiteral("cm");
    r.ProcessingLine = 0;
    r.DataNo = 0;
    r.TraceCount = 0;
    r.PeakFlag = 0;
    r.PermittivityPreset = 0;
    r.XScale = 0;
    r.XAdjust = 0;
}

void SettleDisplaySettings(MeasurementRecord& r, const Settings& s) {
    // 1. What the file holds is what a save writes back.
    r.Saved.Permittivity = static_cast<float>(r.Permittivity);
    r.Saved.ColorCode = static_cast<int16_t>(r.ColorCode);
    r.Saved.GainMode = r.GainMode;
    r.Saved.Gain = r.Gain;
    r.Saved.Direction = r.Direction;
    r.Saved.ProcCode = r.ProcCode;
    r.Saved.ViewRange = r.ViewRange;
    r.Saved.XUnit = r.XUnit;
    r.Saved.YUnit = r.YUnit;

    const bool f940 = r.is940();
    const int16_t permSetting =
        f940 ? s.RelativePermittivitySetting940 : s.RelativePermittivitySetting730;
    const float perm = f940 ? s.RelativePermittivity940 : s.RelativePermittivity730;
    const int16_t gradation = f940 ? s.GradationSystem940 : s.GradationSystem730;
    const int16_t direction = f940 ? s.Direction940 : s.Direction730;
    const int16_t sensitivity = f940 ? s.Sensitivity940 : s.Sensitivity730;
    const int16_t range = f940 ? s.IndicationRange940 : s.IndicationRange730;
    const int16_t proc = f940 ? s.PictureProc940 : s.PictureProc730;
    const int16_t unit = f940 ? s.Unit940 : s.Unit;
    const int shallowSteps = f940 ? 7 : 5; // sensitivity list positions of the shallow band

    // 2. A fixed permittivity, unless the file shows echo time.
    if (permSetting == 0 && r.PermittivityPreset != 7)
        r.Permittivity = perm;
    // 3..5. Display defaults; -1 keeps the file's value.
    if (gradation != -1)
        r.ColorCode = gradation;
    if (direction != -1)
        r.Direction = direction;
    if (sensitivity != -1) {
        if (sensitivity < shallowSteps) {
            r.GainMode = 0;
            r.Gain = static_cast<int16_t>(sensitivity + 1);
        } else {
            r.GainMode = 1;
            r.Gain = static_cast<int16_t>(sensitivity - shallowSteps + 1);
        }
    }
    if (range != -1)
        r.ViewRange = range;
    if (proc != -1)
        r.ProcCode = proc;
    // 6. Cover magnification of every opened file.
    r.CoverMagnification = s.PuttingOnMagnification;
    // 7. Units.
    if (unit != -1) {
        r.XUnit = f940 ? s.DistanceUnit940 : s.DistanceUnit;
        r.YUnit = f940 ? s.DepthUnit940 : s.DepthUnit;
    }
}

} // namespace rebar
