#pragma once
// The program-wide state owned by the main frame for the whole run: settings, language
// tables, calibration tables, the report layout and the two reader-wide values. Views read it; only
// start-up, the language re-apply and the initial-settings dialog change it.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "config/ReportLayout.h"
#include "config/Settings.h"

#include <cstdint>

namespace rebar {

struct Program {
    Settings settings;
    LanguageTables language;
    CalibrationTables tables;
    ReportLayout reportLayout;
    ReportLayoutChanges reportChanges;
    int16_t MaxTraces = 6000;  // largest 940-family trace count kept
    int16_t OpenForReport = 0; // -1 while the report designer opens files
    // Keys of Default.ini whose values could not be used at the last read (their defaults
    // stand); the main frame tells the user once at start-up.
    std::vector<IgnoredSetting> IgnoredSettings;
    // The same for ReportLayout.ini.
    std::vector<IgnoredSetting> IgnoredReportLayout;
};

Program& program();

// Caption i and message MSGn of the current language.
inline const QString& caption(int i) {
    return program().language.Captions[static_cast<size_t>(i)];
}
inline const QString& message(int n) {
    return program().language.Messages[static_cast<size_t>(n)];
}

// Reads the settings and then the language file of the configured language into the program
// state: the start-up read. False when either half fails.
bool ReadSettingsAndLanguage(QString* error = nullptr);

// Reads ReportLayout.ini into the program state (start-up). False when the file cannot be read
// or holds a key that is not a 16-bit number.
bool ReadProgramReportLayout(QString* error = nullptr);

// The language re-apply after the initial-settings dialog changed Language: reads the language
// file of the in-memory Language, which then is the start language. The in-memory settings are
// what the dialog chose, so they stand even where Default.ini could not be written.
bool ReapplyLanguage(QString* error = nullptr);

} // namespace rebar
