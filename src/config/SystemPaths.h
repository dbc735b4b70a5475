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

// The file the program reads and writes for one of its own settings files in SystemData
// (Default.ini, ReportLayout.ini). Where SystemData can be written (the program run from its
// build or unpacked folder) that is the file in SystemData. An installed program's SystemData
// belongs to the system and cannot be written by its users: each user then keeps a copy in
// their configuration folder ($XDG_CONFIG_HOME/rebarscope), made from the shipped file the
// first time it is needed, and the shipped file stays as it came.
QString writableDataFile(const QString& name);
// The rule above with every fact passed in: the shipped file's folder, whether it can be
// written, and the user's configuration folder (empty when there is none).
QString writableDataFile(const QString& name, const QString& systemDir, bool systemWritable,
                         const QString& userDir);

} // namespace rebar
