#include "config/Program.h"

namespace rebar {

Program& program() {
    static Program p;
    return p;
}

bool ReadSettingsAndLanguage(QString* error) {
    Program& p = program();
    if (!ReadSettings(p.settings, settingsFilePath(), error))
        return false;
    return ReadLanguage(p.language, languageFilePath(p.settings.Language), error);
}

} // namespace rebar
