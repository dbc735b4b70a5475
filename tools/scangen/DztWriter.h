#pragma once
// A scene written as a DZT file of another maker's unit: its own time window and sample
// count, the surface echo at a chosen time, 8-, 16- or 32-bit samples, one or more channels,
// scans per metre from the scene's pitch (or none, for a line recorded by time), and a
// distance mark at the scan nearest every bar.

#include "scangen/Scene.h"

#include <QString>

namespace rebar::scangen {

struct DztOutput {
    int bits = 16;     // 8, 16 or 32
    int channels = 1;  // channel c (1-based) carries the scene at 1/c of channel 1's amplitude
    int samples = 512; // per trace, with the two leading words
    double rangeNs = 12;
    double surfaceNs = 1.0; // time of the surface echo in the file's traces
    bool byTime = false;    // no scans per metre: the scans were triggered by time
    double scansPerSecond = 100;
};

// Counts per surface-wave height of each sample size.
constexpr double ScaleDzt8 = 60.0;
constexpr double ScaleDzt16 = 16000.0;
constexpr double ScaleDzt32 = 1.0e6;

bool writeDzt(const Scene& scene, const DztOutput& out, const QString& path,
              QString* error = nullptr);

} // namespace rebar::scangen
