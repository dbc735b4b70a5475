#pragma once
// What a reader needs from its caller and what it hands back. Readers never show anything:
// they fill the record, set its LoadStage as they go and return success or a reason text that
// the open sequence turns into the user's message.

#include "base/Progress.h"

#include <QString>
#include <cstdint>

namespace rebar {

struct ReadResult {
    bool ok = false;
    QString reason; // why the read failed, for logs and command-line tools

    static ReadResult success() { return {true, {}}; }
    static ReadResult failure(const QString& why) { return {false, why}; }
    explicit operator bool() const { return ok; }
};

struct ReadContext {
    // The program-wide limit of 940-family traces; the ZVX reader may raise it to 8000.
    int16_t* MaxTraces = nullptr;
    // Progress of the load in percent (the milestones of the open sequence); may be empty.
    ProgressFn progress;
    // Lets pending window events run; may be empty.
    std::function<void()> pumpEvents;

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
