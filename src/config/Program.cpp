#include "config/Program.h"

namespace rebar {

Program& program() {
    static Program p;
    return p;
}

bool ReadSettingsAndLanguage(QString* error) {
    Program& p = program();
    p.IgnoredSettings.clear();
    if (!ReadSettings(p.settings, settingsFilePath(), &p.IgnoredSettings, error))
        return false;
    return ReadLanguage(p.language, languageFilePath(p.settings.Language), error);
}

bool ReadProgramReportLayout(QString* error) {
    Program& p = program();
    p.IgnoredReportLayout.clear();
    return ReadReportLayout(p.reportLayout, reportLayoutFilePath(), &p.IgnoredReportLayout, error);
}

bool ReapplyLanguage(QString* error) {
    Settings& s = program().settings;
    if (!ReadLanguage(program().language, languageFilePath(s.Language), error))
        return false;
    s.StartLanguage = s.Language;
    return true;
}

} // namespace rebar
