#pragma once
// Importing a DZT file into a 730-family record (kind 7), so that every view command,
// processing mode, marker tool and export works on it as on the scanner's own files:
//
// - distance: the file's scans are resampled to the record's 2.5 mm pitch (an average over
//   the scans of each 2.5 mm box when the file is denser, linear interpolation when sparser);
// - time: the surface echo (the first strong peak of the median trace) is placed at the
//   record's time zero and every trace is interpolated (windowed sinc) onto the record's grid
//   of 512 samples at 1/64 ns; what lies beyond the record's 8 ns is left out, what the file
//   does not hold is the zero level;
// - amplitude: one gain for the whole file maps the echoes onto the 12 bits around 2048 so
//   that at most one sample in a thousand clips;
// - the surface echo of the median trace becomes the fixed and the user surface wave (traces 0
//   and -1), so that surface-wave removal takes it off every trace.
//
// The record is marked as changed and named after the RDD file beside the DZT file that a
// save writes; the DZT file itself is never written.

#include "data/DztReader.h"
#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace rebar {

struct DztImportOptions {
    int channel = 0;                  // 1..channels; 0: ask through chooseChannel, else channel 1
    double pitchMm = 0;               // distance between the scans of a time-based file; 0: ask
    float defaultPermittivity = 8.0f; // when the file's permittivity cannot be used
    // Asked when the file holds several channels and channel is 0, with the antenna names in
    // channel order; answers the channel 1..n, or nothing to cancel the open.
    std::function<std::optional<int>(const QStringList& antennas)> chooseChannel;
    // Asked when the file was recorded by time and pitchMm is 0; answers the distance between
    // scans in mm, or nothing to cancel the open.
    std::function<std::optional<double>()> askPitch;
};

// What the import did, for the record's note, command-line tools and tests.
struct DztImportFigures {
    QString source;  // the DZT file
    int channel = 0; // 1-based
    int channels = 0;
    QString antenna;
    int bits = 0;
    int samples = 0; // per trace in the file, with the two leading words
    double rangeNs = 0;
    double positionNs = 0;
    double scansPerMetre = 0; // 0: recorded by time
    double scansPerSecond = 0;
    int64_t scans = 0;
    double pitchMm = 0; // between the file's scans
    bool pitchAsked = false;
    int32_t traces = 0; // in the record, 2.5 mm apart
    bool surfaceFound = false;
    double surfaceNs = 0;      // time of the surface echo in the file
    double timeShiftNs = 0;    // how much earlier every echo lies in the record than in the file
    double afterSurfaceNs = 0; // time the file holds after the surface echo
    bool cut = false;          // the file holds more than the record: the rest is left out
    bool padded = false;       // the file holds less: the record continues at the zero level
    bool paddedBefore = false; // the file starts less than 0.25 ns before the surface
    double gain = 0;           // record counts per file count
    int64_t clipped = 0;       // samples beyond the 12 bits
    int64_t mapped = 0;        // samples the gain was chosen over
    float filePermittivity = 0;
    bool permittivityFromFile = false; // plausible and on the depth scale (2.0..20.0)
    float permittivity = 0;            // the record's: the file's or the default
    QDateTime created;
    bool marksKnown = false;
    std::vector<DztMark> marks;      // marked scans of the channel
    std::vector<int32_t> markTraces; // the record's trace (1..N) of each mark
    QStringList warnings;
};

// The record's geometry the import maps onto.
namespace DztImportGrid {
constexpr double PitchMm = 2.5;
constexpr double MinPitchMm = 0.01;   // 100 000 scans per metre
constexpr double MaxPitchMm = 250;    // 4 scans per metre: sparser lines show no bar
constexpr int32_t MaxTraces = 100000; // 250 m of line
} // namespace DztImportGrid

// Imports the DZT file r.FilePath into r (see above); the options and figures come through
// ctx. A file that is not a sound DZT file, a channel that is not in the file or a pitch
// that is not given fails with a reason; a question the user cancels ends with cancelled.
ReadResult ImportDzt(MeasurementRecord& r, const ReadContext& ctx);

// True when the path names a DZT file.
bool IsDztPath(const QString& path);

// The note the import writes into the record (lines separated by CR LF).
QString DztImportNote(const DztImportFigures& f);

} // namespace rebar
