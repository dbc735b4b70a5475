#pragma once
// The program-wide state owned by the main frame for the whole run: settings, language
// tables, calibration tables and the two reader-wide values. Views read it; only start-up,
// the language re-apply and the initial-settings dialog change it.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "config/Settings.h"

#include <cstdint>

namespace rebar {

struct Program {
    Settings settings;
    LanguageTables language;
    CalibrationTables tables;
    int16_t MaxTraces = 6000;  // largest 940-family trace count kept
    int16_t OpenForReport = 0; // -1 while the report designer opens files
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
// state: the start-up read and the language re-apply. False when either half fails.
bool ReadSettingsAndLanguage(QString* error = nullptr);

} // namespace rebar
