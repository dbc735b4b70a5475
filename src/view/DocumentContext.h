#pragma once
// What a measurement document takes from the program around it: the settings, the texts of the
// current language and the calibration tables (all read-only while the document uses them, and
// owned by the caller for the document's lifetime), and the program-wide values a document
// starts with. Nothing else reaches a document, so documents on different threads, or opened
// one after another, never change one another.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "config/Settings.h"

#include <QString>
#include <cstdint>

namespace rebar {

struct Program;

struct DocumentContext {
    const Settings* settings = nullptr;
    const LanguageTables* language = nullptr;
    const CalibrationTables* tables = nullptr;
    // The limit of held 940-family traces a document starts with; its reader sets the
    // document's own limit (6000 or 8000), which no other document sees.
    int16_t MaxTraces = 6000;
    // -1 while the report designer opens files.
    int16_t OpenForReport = 0;

    bool complete() const { return settings && language && tables; }
};

// The context of documents the program's windows open: its settings, language and tables and
// its program-wide values as they stand now.
DocumentContext ContextOf(const Program& program);

// The caption and message line of the load progress dialog in a language ("JP" or other).
struct LoadingTexts {
    QString caption;
    QString message;
};
LoadingTexts LoadingTextsFor(const QString& language);

} // namespace rebar
