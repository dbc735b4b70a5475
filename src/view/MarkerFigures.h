#pragma once
// The figures of markers: where a marker lies along the scan, how deep it lies (or when its
// echo returns), the pitch to the marker before it, and the count, average, minimum and maximum
// of depths and pitches. The marker list, the marker CSV and the workbooks all measure markers
// with MarkerMeasure and write figures with the texts below, so the three always agree.

#include "config/CalibrationTables.h"
#include "data/Markers.h"
#include "data/MeasurementRecord.h"

#include <QString>
#include <array>
#include <cstdint>

namespace rebar {

struct MarkerFigures {
    double distance = 0; // metres, or seconds when XScale is non-zero
    double depthCm = 0;  // centimetres (the sample itself when no depth applies)
    double timeNs = 0;   // echo time, truncated to 0.1 ns
    bool ok = true;      // false when the depth conversion failed
};

// Measures the shown markers of a record. A 730 marker is measured at its image column in the
// view range, a 940 mark at its trace (as if shown in a plain range at full size). Distances
// count as the file counts them, or, with an origin column (1-based image column of the view
// range, as an exported range starts), from the first trace of that column in both families:
// a marker there lies at 0.
class MarkerMeasure {
public:
    MarkerMeasure(const MeasurementRecord& r, const CalibrationTables& t, int originColumn = 0);
    MarkerFigures operator()(const MarkerEntry& m) const;

private:
    const MeasurementRecord& m_rec;
    const CalibrationTables& m_tables;
    int m_origin;
    MeasurementRecord m_conv; // the 940 conversion's view of the record
};

// The image column (0-based) a marker lies in, in the record's view range: what an exported
// range takes it by.
int64_t MarkerColumn(const MeasurementRecord& r, const MarkerEntry& m);

// A distance (or pitch) as a number in the record's distance unit, seconds written as they are
// ("0.00") when the scan counts time. Empty for a unit the program does not know.
QString DistanceFigure(const MeasurementRecord& r, double d);
// A depth in the record's depth unit. Empty for a unit the program does not know.
QString DepthFigure(const MeasurementRecord& r, double depthCm);
// The echo time as the marker figures show it ("0.00").
QString TimeFigure(double timeNs);
// The unit text the figures show beside a unit word ("in" for "inch").
QString UnitText(const QString& unit);
// The distance unit text of the figures: "s" when the scan counts time, else UnitText(XUnit).
QString DistanceUnitText(const MeasurementRecord& r);
// The depth unit text: "ns" on the time axis (Permittivity 0 or less), else UnitText(YUnit).
QString DepthUnitText(const MeasurementRecord& r);

// Depth (or time) and pitch statistics over a run of markers, kept as fixed-point values with
// four decimals as they are added.
class MarkerStatistics {
public:
    // The depth in cm (or the time in ns on the time axis) of the next marker, and its pitch to
    // the marker before it (ignored for the first).
    void add(double depthOrTime, double pitch);
    int count() const { return m_count; }

    // The texts of the statistics labels lblMaker(4..9): depth average, minimum, maximum, pitch
    // average, minimum, maximum, each followed by its unit text. Index i is label i; set[i]
    // false where an unknown unit leaves the label as it was.
    struct Texts {
        std::array<QString, 10> text;
        std::array<bool, 10> set{};
        // The figure of each text as a number and its decimals, and the unit texts after the
        // depth figures (4..6) and the pitch figures (7..9), for those who keep numbers.
        std::array<double, 10> value{};
        std::array<int, 10> decimals{};
        QString depthUnit, pitchUnit;
    };
    Texts texts(const MeasurementRecord& r) const;

private:
    struct Run {
        int64_t sum = 0, min = 99990000, max = 0;
        void add(double v);
        double minimum() const;
        double maximum() const;
    };
    Run m_depth, m_pitch;
    int m_count = 0;
};

} // namespace rebar
