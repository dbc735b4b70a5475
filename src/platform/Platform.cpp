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

ProgressDialog& ShowProgress(Platform& ui, const QString& caption, const QString& message) {
    ProgressDialog& dlg = ui.progress();
    dlg.setCaption(caption);
    dlg.setMessage(message);
    dlg.setPercent(0);
    dlg.show();
    ui.processEvents();
    return dlg;
}

ProgressFn ProgressOf(Platform& ui) {
    return [&ui](int percent) {
        ui.progress().setPercent(percent);
        ui.processEvents();
    };
}

} // namespace rebar
