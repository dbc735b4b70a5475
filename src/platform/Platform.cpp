#include "platform/Platform.h"

#include "platform/ScriptedPlatform.h"

namespace rebar {

namespace {
Platform* g_platform = nullptr;
}

Platform& platform() {
    if (!g_platform) {
        // Command-line tools and tests that install nothing get the scripted platform, which
        // answers every question with its default and never blocks.
        static ScriptedPlatform fallback;
        g_platform = &fallback;
    }
    return *g_platform;
}

void setPlatform(Platform* p) {
    g_platform = p;
}

} // namespace rebar
