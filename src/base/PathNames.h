#pragma once
// Splitting and joining file paths. Stored paths may use "\" or "/"; both split a name off,
// and a join uses the native separator.

#include <QString>

namespace rebar {

// The part of a path after its last "\" or "/".
QString fileNamePart(const QString& path);
// Joins a folder and a name with the native separator, without doubling it.
QString joinPath(const QString& dir, const QString& name);

} // namespace rebar
