#pragma once
// The report layout: which blocks a report has and how large they are, kept program-wide in
// The ReportLayout.ini the program reads and writes (see writableDataFile). Read once at start-up;
// the report setup dialogs change it in memory and only the sheet setup dialog's OK writes the
// file.

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace rebar {

struct IgnoredSetting;

constexpr int ReportHeaderItemCount = 9;
constexpr int ReportMaxPhotos = 10;
constexpr int ReportMaxData = 30;

// One column of the report header: title, construction project name, site name, measurement
// date, measurer, measurement position, equipment used, measurement settings, remarks.
struct ReportHeaderOption {
    int16_t Shown = 1; // 1 printed, 0 not
    int16_t Wide = 0;  // 1 wide, 0 standard width
};

struct ReportLayout {
    QString Sheet =
        QStringLiteral("A4W"); // "A4L" A4 portrait, "A4W" A4 landscape, "A3W" A3 landscape
    int16_t PhotoNum = 2;      // photos in the photo block, 0..10
    int16_t DataNum = 10;      // measurement-data entries, 1..30
    std::array<ReportHeaderOption, ReportHeaderItemCount> HeaderItems{};
    int16_t PTitle = 1; // photos have a title field
    int16_t PText1 = 1; // photos have a remarks field
    int16_t PDir = 0;   // photo orientation: 0 portrait, other landscape
    int16_t DNo = 1;    // data entries show the data number
    int16_t DTitle = 1; // data entries have a title field
    int16_t DMark = 1;  // data entries have a marker table
    int16_t DText1 = 1; // data entries have a remarks field
    int16_t DSize = 0;  // vertical size of a data entry: 0 small, 1 standard, 2 large
};

// Set to -1 by a setup dialog that changed an option, to 0 by one that was cancelled; the
// report designer reads and clears them when it becomes active.
struct ReportLayoutChanges {
    int16_t HeaderChanged = 0;
    int16_t PhotoChanged = 0;
    int16_t DataChanged = 0;
};

// The ReportLayout.ini the program reads and writes (see writableDataFile).
QString reportLayoutFilePath();

// Reads every key in table order into layout; a missing file or key gives the default. False
// (error says why) when the file exists but cannot be read, or a numeric key is not a number or
// lies outside the 16-bit range. A number or sheet name the layout cannot use (PhotoNum 12,
// Sheet "B5") takes its default and is listed in ignored.
bool ReadReportLayout(ReportLayout& layout, const QString& path,
                      std::vector<IgnoredSetting>* ignored = nullptr, QString* error = nullptr);

// Writes every key in table order, in one save. False (error says why) when the file cannot be
// written; the file is then as it was.
bool WriteReportLayout(const ReportLayout& layout, const QString& path, QString* error = nullptr);

} // namespace rebar
