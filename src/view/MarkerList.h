#pragma once
// The marker list of a view and its statistics: one text line per marker with its number,
// distance, depth (or echo time), the pitch to the marker before it and, when the view judges
// covers, the marker's cover verdict; the count, average, minimum and maximum of depth and
// pitch; and the cover compliance statistics of the listed markers.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "data/MeasurementRecord.h"
#include "view/CoverCompliance.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace rebar {

struct MarkerListLine {
    QString text;
    int number = 0;   // the marker number the line starts with
    int itemData = 0; // storage position + 1 (730 list index + 1, 940 slot + 1)
    // The distance and depth (or time) figures of the line with their unit, as written
    // (empty for a unit the list does not know).
    QString distanceField, depthField;
    double distance = 0;
    double depth = 0; // centimetres, or ns on the time axis
    // The figures of the line without units or padding: number ("000"), distance, depth (or
    // time) and pitch; a unit the list does not know leaves its figure empty.
    std::array<QString, 4> figures;
    // The cover verdict of the marker (none on the time axis or without settings).
    std::optional<CoverVerdict> verdict;
    bool belowMinimum = false;
};

struct MarkerListContent {
    QString header;
    // The distance, depth (or time) and pitch captions, each with its unit in parentheses.
    std::array<QString, 3> captions;
    QList<MarkerListLine> lines;
    int selected = 0; // line to select (0 = the header)
    bool ok = true;   // false: a conversion failed; lines holds those written so far
    // Texts of the statistics labels lblMaker(4..13); index i is item i, items 0..3 unused.
    std::array<QString, 14> labels;
    std::array<bool, 14> labelSet{}; // false: an unknown unit leaves the label as it was
    // The cover compliance of the listed markers: its statistics and the panel's lines (empty
    // on the time axis or without settings).
    std::optional<CoverStatistics> coverStatistics;
    QStringList complianceLines;
};

// Builds the list from the record's markers (730) or a mark group (940): the current one, or
// group940 when it is 0..2. currentMarker is the 730 marker to select (0 none). Captions come
// from language. With compliance settings (and a permittivity), each line ends in the marker's
// cover verdict in languageName ("JP" or other) after the pitch, and the compliance statistics
// are written.
MarkerListContent BuildMarkerList(const MeasurementRecord& r, const CalibrationTables& t,
                                  const LanguageTables& language, int currentMarker,
                                  int group940 = -1, const ComplianceSettings* compliance = nullptr,
                                  const QString& languageName = QStringLiteral("EN"));

} // namespace rebar
