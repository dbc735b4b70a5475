#pragma once
// The program's command line: files to open, the headless screenshot mode and settings
// overrides for one run.

#include <QString>
#include <QStringList>

namespace rebar {

struct StartupOptions {
    QStringList files;
    QString screenshot;   // PNG path of the headless mode
    QStringList settings; // "Key=Value" overrides
    QStringList menus;    // menu items to run on the active view before the screenshot
    bool tile = false;    // arrange the views tiled before the screenshot
    bool help = false;
};

bool ParseStartupOptions(const QStringList& args, StartupOptions& out, QString* error);
QString StartupUsage();
// Applies "Key=Value" overrides to the in-memory settings (keys as in Default.ini, any
// section); false for an unknown key or a bad value.
bool ApplySettingOverrides(const QStringList& overrides, QString* error);

} // namespace rebar
