#pragma once
// The questions the import of a DZT file asks when a window opens it: which channel of a file
// that holds several, and the distance between the scans of a line recorded by time. They go
// through the platform's input box (the file path as its title), so tests script the answers;
// an answer that is no choice asks again, cancel ends the open without a message.

#include "config/Settings.h"
#include "data/DztImport.h"

#include <QString>

namespace rebar {

// The import options of an open from a window: the questions above, and the settings'
// permittivity for files whose own cannot be used.
DztImportOptions DztOpenQuestions(const QString& filePath, const Settings& s);

} // namespace rebar
