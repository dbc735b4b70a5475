#pragma once
// Cover compliance: the measured covers of a view's markers judged against the design cover.
//
// Each bar is judged against the design (nominal) cover and its allowed deviations: within
// when design - below <= cover <= design + above, otherwise below or above. The set of bars is
// judged statistically, as inspection guidelines evaluate cover: the mean, the sample standard
// deviation and the 5 % quantile against the minimum cover. The quantile under a normal
// distribution is mean - 1.645 s; with 20 or more bars the empirical quantile (linear
// interpolation between the sorted covers at rank 0.05 (n - 1)) is computed too, and the
// lower of the two decides, so that a set never passes on the strength of the normal
// assumption alone. Fewer than two bars give no standard deviation and no verdict.
//
// The settings live in the program's settings store as defaults, per view for the session,
// and in a sidecar file beside the measurement file ("<file>.cover.ini"); the measurement
// formats cannot hold them and never carry them.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rebar {

struct Settings;

// Covers in millimetres.
struct ComplianceSettings {
    double DesignCover = 30;
    double DeviationBelow = 5;
    double DeviationAbove = 10;
    double MinimumCover = 20;
    bool operator==(const ComplianceSettings&) const = default;
};

// The settings' limits, for the dialog and the checks.
struct ComplianceLimits {
    static constexpr double CoverMin = 1, CoverMax = 500; // design and minimum cover
    static constexpr double DeviationMax = 200;           // each deviation, from 0
};

// Empty when every setting is in range; otherwise names the first setting that is not and
// says what it allows ("Minimum cover: 40 mm is above the design cover of 30 mm"), in the
// program's language ("JP" or anything else for English).
QString CheckComplianceSettings(const ComplianceSettings& s,
                                const QString& language = QStringLiteral("EN"));
// The name of setting i (0 design cover, 1 deviation below, 2 deviation above, 3 minimum
// cover) in the program's language.
QString ComplianceSettingName(int i, const QString& language);

// The four settings as typed in the cover dialog (design cover, deviation below, deviation
// above, minimum cover; a decimal comma is taken as a point). Nothing when a text is not a
// number, and problem names the setting; ranges are checked by CheckComplianceSettings.
std::optional<ComplianceSettings> ParseComplianceTexts(const std::array<QString, 4>& texts,
                                                       const QString& language, QString* problem);
// The settings as the cover dialog shows them ("30.0").
std::array<QString, 4> ComplianceTexts(const ComplianceSettings& s);

// The program-wide defaults of the settings store.
ComplianceSettings ComplianceDefaults(const Settings& settings);

enum class CoverVerdict { Within, Below, Above };
CoverVerdict JudgeCover(double coverMm, const ComplianceSettings& s);
// True when the cover lies below the minimum cover (drawn in the warning colour).
bool BelowMinimum(double coverMm, const ComplianceSettings& s);

enum class ComplianceVerdict { TooFew, Pass, Fail };

struct CoverStatistics {
    int count = 0;
    double mean = 0;
    double standardDeviation = 0; // sample standard deviation (n - 1); 0 below two bars
    double minimum = 0;
    double maximum = 0;
    double quantile5Normal = 0;               // mean - 1.645 s
    std::optional<double> quantile5Empirical; // with 20 or more bars
    int within = 0, below = 0, above = 0;     // per-bar verdicts
    int belowMinimum = 0;
    double shareBelowMinimum = 0; // 0..1
    ComplianceVerdict verdict = ComplianceVerdict::TooFew;
    // The quantile that decided the verdict (the lower of the two when both exist).
    double decidingQuantile() const;
};

CoverStatistics SummarizeCovers(std::span<const double> coversMm, const ComplianceSettings& s);

// One marker as the compliance outputs list it.
struct MarkerCover {
    int number = 0;
    double distance = 0; // in the view's distance unit as the marker list shows it
    double coverMm = 0;
};

struct MeasurementRecord;
struct CalibrationTables;
// The covers of the markers a view shows, in the order the marker list shows them, measured as
// the list measures them; empty while the view shows echo times (no permittivity, no cover).
// A marker whose depth cannot be converted is left out.
std::vector<MarkerCover> MarkerCoversOf(const MeasurementRecord& r, const CalibrationTables& t);
// "s" for a time-based scan, "m" otherwise: the unit of MarkerCover::distance.
QString MarkerCoverDistanceUnit(const MeasurementRecord& r);

// Texts of the verdicts in the program's language ("JP" or anything else for English).
QString CoverVerdictText(CoverVerdict v, const QString& language);
QString ComplianceVerdictText(ComplianceVerdict v, const QString& language);

struct LanguageTables;
// The lines of the view's compliance statistics under the marker statistics: the overall
// verdict, the settings, count, mean, standard deviation and minimum, the 5 % quantiles and
// the share below the minimum cover, captioned from the language tables (captions 290..299).
QStringList ComplianceStatisticsLines(const CoverStatistics& st, const ComplianceSettings& s,
                                      const LanguageTables& captions, const QString& language);

// ---- The sidecar file -----------------------------------------------------------------------

// "<measurement file>.cover.ini".
QString ComplianceSidecarPath(const QString& measurementPath);

struct SidecarRead {
    ComplianceSettings settings; // the sidecar's, or the defaults given
    bool found = false;          // a sidecar was read and used
    QString note;                // why a sidecar that exists was ignored; empty otherwise
};
// Reads the sidecar of the measurement file. A missing sidecar gives the defaults quietly; one
// that cannot be read, lacks a key, holds a value that is not a number or a set of settings
// out of range is ignored as a whole (the defaults are used) and `note` says why.
SidecarRead ReadComplianceSidecar(const QString& measurementPath,
                                  const ComplianceSettings& defaults);

// Writes the sidecar whole (a failure changes nothing); false with the reason in error.
bool WriteComplianceSidecar(const QString& measurementPath, const ComplianceSettings& s,
                            QString* error);

// ---- Text outputs ---------------------------------------------------------------------------

// The compliance CSV of one file: a header, one line per marker (number, distance, cover mm,
// verdict) and a summary line; UTF-8, comma separated, CRLF line ends, numbers with a point.
QByteArray ComplianceCsv(std::span<const MarkerCover> markers, const ComplianceSettings& s,
                         const QString& distanceUnit);

// The same figures as a JSON object (settings, markers, statistics, verdict).
QByteArray ComplianceJson(std::span<const MarkerCover> markers, const ComplianceSettings& s);

} // namespace rebar
