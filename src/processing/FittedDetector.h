#pragma once
// The fitted detector: finds bars like the automatic marker detection does, then follows each
// bar's echo down both flanks of its hyperbola and fits the diffraction hyperbola
//
//     t(x) = t0 + 2 / v * sqrt(d^2 + (x - x0)^2)
//
// to the echo's peak times (t0 the time of the concrete surface taken from the depth tables,
// x0 the bar's position, d its cover, v the wave speed in the concrete). The curvature gives
// the speed and so the relative permittivity at every bar, which the plain apex search cannot
// tell; the file's permittivity estimate is the median of the confident fits.
//
// It reads the same unprocessed samples and background as the automatic marker detection and
// changes nothing in the record; Detection.h writes its markers.

#include "base/Progress.h"
#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "processing/AutoMarker.h"

#include <QString>
#include <vector>

namespace rebar {

struct FittedBar {
    DetectedApex apex;       // trace 1..N and row of the detection grid, as a marker keeps them
    double positionMm = 0;   // the fitted x0 along the scan line, from trace 1
    double apexTimeNs = 0;   // two-way time of the apex
    double depthMm = 0;      // cover depth at the file's estimated permittivity
    double confidence = 0;   // 0..1: how well the echo follows one hyperbola
    double permittivity = 0; // this bar's own estimate
    double permittivitySigma = 0; // its standard uncertainty
    int points = 0;               // echo peaks the fit used
};

struct FittedDetection {
    bool ok = false;
    std::vector<FittedBar> bars; // by position along the scan line
    // The median of the confident fits' permittivities (0 when no fit is confident), and that
    // value as the view sets it: rounded to 0.1 within 2.0..20.0.
    double permittivity = 0;
    double permittivitySetting = 0;
    int confidentBars = 0;
    int messageKey = 0; // message for a run that cannot be carried out (0: none)
    QString reason;
};

// A fit counts as confident, and its permittivity enters the median, from this confidence on.
constexpr double FittedConfidentFrom = 0.5;

// Why the fitted detector cannot measure this record, as a message key with a reason, before
// anything is changed: 26 for a scan recorded by time (XScale not 0), which has no trace
// pitch; 18 for a record without samples, depth tables that are not loaded, or a scan without
// samples below the surface. 0 when it can run.
int FittedDetectorRefusal(const MeasurementRecord& rec, const CalibrationTables& tables,
                          QString* reason = nullptr);

// Runs the fitted detector on the record's unprocessed samples. Needs the depth tables of the
// family (time zero and the time-depth relation) and a scan measured by distance: a scan
// recorded by time (XScale not 0) has no trace pitch and fails with message 26.
FittedDetection DetectFitted(const MeasurementRecord& rec, const CalibrationTables& tables,
                             const ProgressFn& progress = {});

} // namespace rebar
