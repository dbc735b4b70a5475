#pragma once
// Where the program's data lives: the SystemData folder beside the executable, or, for a
// program installed in a prefix's bin/ folder, share/rebarscope/SystemData of that prefix, or
// the folder named by the environment variable REBAR_SYSTEMDATA (tests and tools use it).

#include "base/PathNames.h"

#include <QString>

namespace rebar {

// The SystemData folder, without a trailing separator.
QString systemDataDir();
// The program folder (the parent of SystemData).
QString programDir();
// Resolves a path stored with "\" or "/" separators relative to the program folder
// ("\SystemData\730\stc.dat") into a native path.
QString resolveProgramPath(const QString& stored);

} // namespace rebar
