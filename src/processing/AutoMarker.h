#pragma once
// Automatic marker detection: finds the apexes of the downward-opening hyperbolas that bars
// and pipes leave in the radargram, from the unprocessed samples of the file. Four steps, each
// over the detection grid of the family (Samples730 rows 1..1024, or Raw940 rows 1..768):
//
//   EstimateBackground   per row, the fixed surface wave (trace 0) plus the average over
//                        100-trace blocks of the two smallest non-negative deviations from it
//   SubtractBackground   the background-free samples amplified by a fixed gain
//   BuildPeakProfile     vertical smoothing, the row of each trace's strongest echo, and a
//                        continuity filter that clears short runs of that profile
//   FindApexes           symmetric windows of 27 traces whose ends lie deeper than the middle
//
// None of this reads or changes the view's processing or display settings. Detection.h turns
// the result into the markers of the record.

#include "base/Progress.h"
#include "data/MeasurementRecord.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace rebar {

// One apex: the trace (1..N) and the row of the detection grid, which is what a marker keeps.
struct DetectedApex {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const DetectedApex&) const = default;
};

// The fixed constants of the detection, and those that follow from the number of rows S.
struct AutoMarkerGrid {
    static constexpr int BlockWidth = 100;   // traces per background block
    static constexpr double Gain = 2.818158; // sensitivity step 4 of the detection's own table
    static constexpr int32_t MinimumPeak = 55;
    static constexpr int MinimumRun = 25; // 2 x HalfWidth - 1
    static constexpr int HalfWidth = 13;  // apex window o - 13 .. o + 13
    static constexpr int FirstTrace = 13; // first trace the apex search examines
    static constexpr double ScoreLimit = 50;
    static constexpr int32_t MinimumApexRow = 30; // an apex row must lie below this
    static constexpr int MaximumMarkers = 99;

    int S = 0; // rows of the grid: 1024 or 768

    // Largest change of the peak row inside a continuous run: 26 (1024 rows), 19 (768 rows).
    int jumpLimit() const;
    // Rows to the score's units: 12000 / S.
    double scale() const { return 12000.0 / S; }
    // Largest left/right difference inside an apex window: 9999 x S / 12000.
    double largestStep() const { return 9999.0 * S / 12000.0; }
    // How much deeper both window ends must lie than the apex: 30 x S / 12000.
    double minimumRise() const { return 30.0 * S / 12000.0; }
};

// ---- The four steps, on plain arrays (index 0 of every per-trace or per-row array unused) ----

// Progress of a run: the value shown, raised by the steps and passed to the callback.
struct DetectionProgress {
    ProgressFn fn;
    int value = 0;
    void set(int v);
    void add(int step) { set(value + step); }
};

// BackgroundTrace[1..S] of the input matrix `D` (traces 0..N, samples 1..S; trace 0 is the
// fixed surface wave). The traces after the last whole block of 100 take no part; with fewer
// than 100 traces the background is trace 0 itself. Raises the progress by 84 in 12 steps.
// False when a value of the estimate does not fit 32 bits; the step stops there and the rows it
// did not reach keep a background of 0.
bool EstimateBackground(const Matrix<int16_t>& D, int N, int S,
                        std::vector<int32_t>& BackgroundTrace, DetectionProgress& progress);
bool EstimateBackground(const Matrix<int32_t>& D, int N, int S,
                        std::vector<int32_t>& BackgroundTrace, DetectionProgress& progress);

// SubtractBackground and BuildPeakProfile over every trace: the background-free samples times
// the gain, smoothed over five rows, give each trace's PeakRow[1..N]; then the continuity
// filter. Traces are worked one at a time, so the detection matrix never exists whole. Raises
// the progress by 15.
struct ProfileSteps {
    // False when a background-free sample does not fit 32 bits: the samples from there on
    // count as 0, as in a matrix that was never filled.
    bool subtractOk = true;
    // False when a sum of five rows does not fit 32 bits: no trace gets a peak row.
    bool profileOk = true;
};
ProfileSteps BuildPeakProfile(const Matrix<int16_t>& D, int N, int S,
                              const std::vector<int32_t>& BackgroundTrace,
                              std::vector<int32_t>& PeakRow, DetectionProgress& progress);
ProfileSteps BuildPeakProfile(const Matrix<int32_t>& D, int N, int S,
                              const std::vector<int32_t>& BackgroundTrace,
                              std::vector<int32_t>& PeakRow, DetectionProgress& progress);

// The peak row of one smoothed trace (values[1..S]): 0 when its largest value is below 55;
// otherwise the middle row of the first run of rows holding that value (of two middle rows,
// the upper one), so a flattened echo is marked where its top is centred.
int32_t PeakRowOf(const int32_t* values, int S);

// Clears (sets to 0) every run of PeakRow[1..N] shorter than 25 traces; a run continues while
// neighbouring rows differ by at most jumpLimit.
void ApplyContinuityFilter(std::vector<int32_t>& PeakRow, int jumpLimit);

// The apexes of the profile P[1..N] in the order found, at most 99.
std::vector<DetectedApex> FindApexes(const std::vector<int32_t>& P, const AutoMarkerGrid& grid);

// ---- A whole run ----

// True when the record holds the samples a detection reads: trace 0 and traces 1..N of the
// family's detection grid.
bool HasDetectionSamples(const MeasurementRecord& rec);

struct AutoMarkerResult {
    // False when the run itself failed (no usable samples, not enough memory, or a 730-family
    // run that found nothing): the markers the detection replaces stay removed and the record
    // is not marked modified.
    bool ok = false;
    std::vector<DetectedApex> apexes; // from the end: numbered from the end, traces as stored
    // Success of EstimateBackground, SubtractBackground, BuildPeakProfile and FindApexes; a
    // failed step does not stop the later ones.
    std::array<bool, 4> stepOk{};
    bool nothingFound = false; // the failure is a 730 run without any apex
    QString reason;            // why the run failed
};

// Runs the detection on the record's unprocessed samples, searching from the start or, with
// fromEnd, on the reversed profile so that apex 1 is the one nearest the end of the scan.
// Reports progress from 1 to 100 (the confirmation and the removal of the old markers, 0 and
// 1, belong to the command).
AutoMarkerResult ComputeAutoMarker(const MeasurementRecord& rec, bool fromEnd,
                                   const ProgressFn& progress = {});

} // namespace rebar
