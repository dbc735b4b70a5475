#pragma once
// Writing a whole file so that a failure changes nothing: the bytes go to a temporary file
// beside the target, every write is checked, and only a complete temporary replaces the target
// (one rename). The target keeps its permissions and owner. Where the folder does not allow a
// temporary (a writable file in a read-only folder) or the owner could not be kept, an existing
// writable target is written in place instead: the space is reserved first and the old bytes
// are put back when a write fails. The written file ends where the new bytes end.

#include <QByteArrayView>
#include <QString>
#include <span>

namespace rebar {

struct FileSaveOutcome {
    bool ok = false;
    QString reason; // the system's reason ("No space left on device") when ok is false
};

// Writes the parts, one after the other, as the whole content of the file at path.
FileSaveOutcome SaveFileBytes(const QString& path, std::span<const QByteArrayView> parts);

// Test seam: from now on every file save fails with "No space left on device" once it has
// written this many bytes of new content (a negative value switches the seam off). It stands in
// for a full disk where a small file system cannot be mounted.
void SetFileSaveFailureAfter(qint64 bytes);

} // namespace rebar
