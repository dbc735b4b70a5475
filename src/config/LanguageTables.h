#pragma once
// The texts of the current language: message entries MSG1..MSG44, the caption table, the
// window title and the three texts of the convert-all dialog. Filled from the language file
// SystemData/Laini/<Language>.ini; never cleared between reads, so an entry a new file does
// not provide keeps its old text.

#include <QString>
#include <array>

namespace rebar {

// The last message key a language file fills (MSG44).
constexpr int LastMessage = 44;

struct LanguageTables {
    std::array<QString, 101> Messages;
    std::array<QString, 300> Captions;
    QString WindowTitle;
    std::array<QString, 3> AllJpeg;
};

// The language file of a language code ("JP", "EN").
QString languageFilePath(const QString& language);

// Reads the UTF-16LE language file at path into t. False when the file is missing or
// unreadable or a line carries more than 98 texts; error then says why.
bool ReadLanguage(LanguageTables& t, const QString& path, QString* error = nullptr);

} // namespace rebar
