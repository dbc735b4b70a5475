#pragma once
// Where the program's data lives: the SystemData folder beside the executable, or the folder
// named by the environment variable REBAR_SYSTEMDATA (tests and tools use it).

#include <QString>

namespace rebar {

// The SystemData folder, without a trailing separator.
QString systemDataDir();
// The program folder (the parent of SystemData).
QString programDir();
// Resolves a path stored with "\" or "/" separators relative to the program folder
// ("\SystemData\730\stc.dat") into a native path.
QString resolveProgramPath(const QString& stored);
// The part of a path after its last "\" or "/".
QString fileNamePart(const QString& path);
// Joins a folder and a name with the native separator, without doubling it.
QString joinPath(const QString& dir, const QString& name);

} // namespace rebar
