#pragma once
// What a measurement view opened for the report designer hands over to its data slot: the
// composed picture of the whole file, the marker tables, the header texts the file can fill
// and the file name as the entry's title.

#include "report/ReportMarkerGrid.h"
#include "view/CoverCompliance.h"

#include <QImage>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace rebar {

class MeasurementDocument;
struct DocumentContext;
struct LoadFeedback;
struct OpenResult;

// A figure of a file's cover compliance as the report's table shows it: caption and value.
struct ComplianceFigure {
    QString caption, value;
};
// The verdict, design cover with its deviations, minimum cover, count, mean, standard
// deviation, minimum, the 5 % quantile (and the empirical one with 20 or more bars) and those
// below the minimum, captioned from the language tables.
std::vector<ComplianceFigure> ComplianceFigures(const CoverStatistics& st,
                                                const ComplianceSettings& s,
                                                const LanguageTables& captions,
                                                const QString& language);

struct ReportDelivery {
    QImage image;
    ReportMarkerGrids grids;
    int16_t family = 730; // 730 or 940
    // Header texts 0..8 the file fills (title, project, site, date, measurer, position,
    // equipment, settings, remarks); the others stay as the user left them.
    std::array<std::optional<QString>, 9> header;
    QString title;
    // The cover compliance of the markers the view lists, by the view's settings; empty on the
    // time axis or without markers.
    std::vector<ComplianceFigure> compliance;
};

// The composed picture of a data slot: the whole file with the view's distance strip and the
// A-mode panel as the settings say, without cursor, title or date lines. Null with error set
// when it cannot be composed.
QImage ComposeReportDataImage(const MeasurementDocument& doc, QString* error = nullptr);

// The header texts a file fills, in the language of the settings ("JP" or other): for a ZVX file
// of kind 10 with comments the company, site, measurer and position; for every file the
// equipment, the measurement date and the measurement settings.
std::array<std::optional<QString>, 9> ReportHeaderTexts(const MeasurementDocument& doc);

// Everything a loaded document delivers. False (error says why) when its picture or its marker
// tables cannot be made; nothing is delivered then.
bool MakeReportDelivery(const MeasurementDocument& doc, ReportDelivery& out,
                        QString* error = nullptr);

// Opens path for the report (OpenForReport set) and makes its delivery. False when the file
// could not be opened (opened tells the stage and reason) or delivered (error says why).
bool OpenReportDelivery(const QString& path, const DocumentContext& ctx,
                        const LoadFeedback& feedback, ReportDelivery& out, OpenResult& opened,
                        QString* error = nullptr);

} // namespace rebar
