#pragma once
// What a reader needs from its caller and what it hands back. Readers never show anything:
// they fill the record, set its LoadStage as they go and return success or a reason that the
// open sequence turns into the user's message. The writers return the same kind of result.

#include "base/Progress.h"

#include <QString>
#include <cstdint>

namespace rebar {

// The reasons a user is told in words of the current language; every other failure is told
// with the reason text as the reader or writer wrote it.
enum class FailureKind {
    Other,
    System,             // the system refused (subject: its reason, "No space left on device")
    Empty,              // the file holds no byte
    Truncated,          // the file ends before its header or data is complete
    CountBeyondFile,    // a count in the header announces more than the file holds
    NotMeasurementFile, // the file is of no kind the program reads
    BadDate,            // the measurement date cannot be read as a date (subject: the text)
};

struct DztImportOptions;
struct DztImportFigures;

struct ReadResult {
    bool ok = false;
    QString reason; // why the read or write failed, for logs and command-line tools
    FailureKind kind = FailureKind::Other;
    QString subject;        // what the short line names (see FailureKind)
    bool cancelled = false; // the user cancelled a question of the read: nothing to tell

    static ReadResult success() { return {true, {}, FailureKind::Other, {}}; }
    static ReadResult failure(const QString& why) { return {false, why, FailureKind::Other, {}}; }
    static ReadResult failure(FailureKind kind, const QString& why, const QString& subject = {}) {
        return {false, why, kind, subject};
    }
    static ReadResult cancel() {
        return {false, QStringLiteral("cancelled"), FailureKind::Other, {}, true};
    }
    // A failure of the system: "what: the system's reason".
    static ReadResult systemFailure(const QString& what, const QString& systemReason) {
        return {false, QStringLiteral("%1: %2").arg(what, systemReason), FailureKind::System,
                systemReason};
    }
    explicit operator bool() const { return ok; }
};

// Saving reports in the same terms.
using WriteResult = ReadResult;

// The one short line that follows the open- or save-failure message: the common reasons in
// the language given ("JP" Japanese, anything else English), the system's reason as the system
// gave it, and any other reason as it was written.
QString FailureLine(const ReadResult& result, const QString& language);

struct ReadContext {
    // The program-wide limit of 940-family traces; the ZVX reader may raise it to 8000.
    int16_t* MaxTraces = nullptr;
    // Progress of the load in percent (the milestones of the open sequence); may be empty.
    ProgressFn progress;
    // Lets pending window events run; may be empty.
    std::function<void()> pumpEvents;
    // A file of another maker imported into a record (DZT): the channel, the scan pitch and
    // how to ask for them (may be null: channel 1, no pitch), and where the import's figures
    // go (may be null).
    const DztImportOptions* dztOptions = nullptr;
    DztImportFigures* dztFigures = nullptr;

    void report(int percent) const {
        if (progress)
            progress(percent);
    }
    void pump() const {
        if (pumpEvents)
            pumpEvents();
    }
};

} // namespace rebar
