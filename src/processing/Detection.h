#pragma once
// The detection commands as the view runs them: the automatic marker detection from the start
// or from the end, and the fitted detector. A run is computed first (RunDetection, which
// changes nothing) and then written into the record in one step (ApplyDetection), so that a
// command is: CheckDetection (a refused run shows its message and ends the command), confirm
// with AutoMarkerTexts().confirmation, show the progress window with its
// caption and label, RunDetection with the window's progress, ApplyDetection (one undo step),
// then rebuild the marker list, redraw the marker overlay, update the readouts and copy the
// picture whatever the outcome, set CurrentMarker to 0, and show run.messageKey when it is
// not 0. Cancel in the confirmation changes nothing.

#include "base/Progress.h"
#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "processing/AutoMarker.h"
#include "processing/FittedDetector.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace rebar {

enum class DetectionMode { FromStart, FromEnd, Fitted };

// The texts of a detection command in the program's language (Japanese or any other, which
// reads English): the confirmation question (warning icon, OK and Cancel), and the caption and
// message of the progress window.
struct DetectionTexts {
    QString confirmation;
    QString caption;
    QString label;
};
DetectionTexts AutoMarkerTexts(bool japanese, bool family940, int group);

struct DetectionRun {
    DetectionMode mode = DetectionMode::FromStart;
    int group = 0; // the 940 mark group whose markers the run replaces
    // The run did not start because it cannot work on this record (messageKey says why):
    // nothing is removed or written.
    bool refused = false;
    // False when the run failed: the markers it replaces are removed all the same and the
    // record is not marked modified.
    bool ok = false;
    std::vector<DetectedApex> markers; // what the run writes, marker 1 first
    std::array<bool, 4> stepOk{};      // the steps of the automatic marker detection
    FittedDetection fit;               // the fitted detector's bars and permittivity
    // A message to show after the run (warning box titled with the file path), 0 for none:
    // 18 when the run could not be carried out, 26 for a scan the fitted detector cannot
    // measure, 23 when the fitted detector found no bar.
    int messageKey = 0;
    QString reason;
};

// Whether a detection can run on the record at all, asked before the confirmation: a run
// with refused set and the message to show, or one with refused clear.
DetectionRun CheckDetection(const MeasurementRecord& rec, const CalibrationTables& tables,
                            DetectionMode mode, int group);

// Computes what the automatic marker detection or the fitted detector writes into the 940 mark
// group `group` (the view's MarkerGroup for the standard detection; the user's choice for the
// fitted one). Changes nothing. Progress runs from 1 to 100.
DetectionRun RunAutoMarker(const MeasurementRecord& rec, bool fromEnd, int group,
                           const ProgressFn& progress = {});
DetectionRun RunFittedDetection(const MeasurementRecord& rec, const CalibrationTables& tables,
                                int group, const ProgressFn& progress = {});
// Either of the two by mode.
DetectionRun RunDetection(const MeasurementRecord& rec, const CalibrationTables& tables,
                          DetectionMode mode, int group, const ProgressFn& progress = {});

// Writes a run into the record: removes the markers it replaces (the whole 730 list, which
// becomes 43 free entries, or every slot of the 940 group) and, when the run succeeded, writes
// its markers and sets Modified. Returns run.ok. This and the two functions below are the only
// places where detection changes markers.
bool ApplyDetection(MeasurementRecord& rec, const DetectionRun& run);

// The markers a detection replaces, removed.
void RemoveDetectedMarkers(MeasurementRecord& rec, int group);
// Detected apexes as markers, the trace counted from 0 in both families: 730 family, the list
// becomes exactly these entries {trace - 1, row}; 940 family, slots 1.. of the group in order
// {in use, trace - 1, row}, at most 99.
void WriteDetectedMarkers(MeasurementRecord& rec, int group,
                          const std::vector<DetectedApex>& apexes);

// The automatic marker detection as one call (without its confirmation): from the start
// (fromEnd 0) or from the end (any other value) into the record's MarkerGroup. Returns the
// run's success flag.
bool AutoMarker(MeasurementRecord& rec, int16_t fromEnd, const ProgressFn& progress = {});

// The number of free entries the 730 list holds after its markers have been removed.
constexpr int FreeMarkers730 = 43;

} // namespace rebar
