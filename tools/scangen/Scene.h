#pragma once
// A synthetic scan line over a concrete slab: where the rebars lie, how the concrete slows the
// wave, how noisy the scanner is, and the header values a file of it carries. The scene
// computes echo waveforms in arbitrary units (the surface wave peaks near 1); the writers turn
// them into the sample values and layout of each file format.
//
// Physics: the antenna at distance x sees a bar at distance x0 and cover d after the two-way
// time t = t0 + 2 sqrt(d^2 + (x - x0)^2) sqrt(er) / c (t0 the time of the concrete surface),
// as a Ricker wavelet whose amplitude falls with the slant distance and the angle off the
// vertical. The surface itself answers at t0 with a strong wavelet of opposite sign (the
// surface wave), the same in every trace apart from a slow change along the line of its height
// (and, when asked for, of its arrival time, as the antenna's coupling to the surface changes);
// the scanner keeps a copy of it as the fixed (trace 0) and the user (trace -1) surface wave.
//
// Polarity: as in the scans the scanners record, a bar's echo, once the surface wave is taken
// away, has its strongest lobe positive between two weaker negative ones (the wavelet's side
// lobes are 0.45 of its peak). A scene can turn the bars' echoes over to see what a detector
// that looks for positive maxima does with them.

#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

namespace rebar::scangen {

struct SceneBar {
    double distanceMm = 0; // along the scan line, from the first trace
    double coverMm = 0;    // concrete cover above the bar
};

struct Scene {
    // Geometry and material
    int traces = 800;
    double er = 6.5;      // relative permittivity of the concrete
    double pitchMm = 2.5; // distance between neighbouring traces
    std::vector<SceneBar> bars;
    double slabMm = 0; // thickness of the slab (a flat back-wall echo), 0 for none
    // Signal
    double centreGHz = 2.0;  // centre frequency of the wavelet
    double noise = 0.0;      // standard deviation of the noise, relative to the surface wave
    double surfaceNs = 0.25; // time of the surface echo (the program's time zero)
    uint64_t seed = 1;
    int barPolarity = 1; // 1: the bars' strongest lobe positive; -1: turned over
    // How the surface wave changes along the line: its height by the relative amount
    // surfaceDrift and its arrival time by up to surfaceShiftNs, both slowly (the height over
    // surfacePeriodMm, the time over a period 1.618 times as long).
    double surfaceDrift = 0.03;
    double surfaceShiftNs = 0.0;
    double surfacePeriodMm = 700.0;
    // Header values of the written file
    QString note;
    QDate date = QDate(2024, 5, 17);
    QString time = QStringLiteral("10:30:00");
    int dataNo = 1;
    int processingLine = 0; // a measured trace flagged as the processing line, 0 for none
    bool markBars = true;   // store a marker at every bar's apex
    int gain = 3;           // sensitivity step 1..7
    int gainMode = 0;       // 0 shallow, 1 deep
    int colorCode = 0;
    int direction = 0;
    int viewRange = 1;
    int procCode = 1;
    QString xUnit = QStringLiteral("m");
    QString yUnit = QStringLiteral("cm");
    // Header values of the 940 family (VXD, ZVX)
    QString serialNo = QStringLiteral("940-0001");
    int handle = 0;
    int tireOption = 0;  // 0..2
    int speedOption = 0; // 0..3, ZVX kind 10 only
    int markGroups = 1;  // the marks at the bars go to groups 0, 1, .. in turn (1..3)
    // What only ZVX files of kind 10 carry: GPS position texts (empty without GPS), the four
    // comments (company, site, worker, measured part; UTF-8 in the file) and the measuring
    // direction 0..4.
    QString latitude;
    QString longitude;
    QString company;
    QString site;
    QString worker;
    QString part;
    int measureDirection = 0;

    // Trace number 1..traces to distance in mm.
    double traceDistance(int trace) const { return (trace - 1) * pitchMm; }

    // Fills amplitude[1..rawLast] with the echo of a trace at raw sample times (2j - 1) / 128 ns
    // (amplitude[0], the status word, is set to 0). trace 1..traces is a measured trace, 0 the
    // fixed and -1 the user surface wave, any other index (the 940 family's -3) an empty trace.
    void renderTrace(int trace, int rawLast, double* amplitude) const;

    // A marker at every bar inside the line: the trace counted from 0 and the double-density
    // sample (counted from 1) of its apex.
    struct Apex {
        int32_t position = 0;
        int32_t sample = 0;
        double exactSample = 0; // the double-density sample before rounding
    };
    std::vector<Apex> apexes() const;

    // Double-density sample (fractional, counted from 1) of an echo from depth mm.
    double apexSample(double coverMm) const;
};

} // namespace rebar::scangen
