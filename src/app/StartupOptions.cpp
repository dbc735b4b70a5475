#include "app/StartupOptions.h"

#include "config/Program.h"

#include <QDir>
#include <QFileInfo>

namespace rebar {

bool ParseStartupOptions(const QStringList& args, StartupOptions& out, QString* error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size()) {
                if (error)
                    *error = QStringLiteral("%1 needs a value").arg(a);
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--screenshot")) {
            if (!value(out.screenshot))
                return false;
        } else if (a == QLatin1String("--setting")) {
            QString s;
            if (!value(s))
                return false;
            out.settings << s;
        } else if (a == QLatin1String("--menu")) {
            QString m;
            if (!value(m))
                return false;
            out.menus << m;
        } else if (a == QLatin1String("--tile")) {
            out.tile = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out.help = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            if (error)
                *error = QStringLiteral("unknown option %1").arg(a);
            return false;
        } else {
            out.files << QDir::toNativeSeparators(QFileInfo(a).absoluteFilePath());
        }
    }
    return true;
}

QString StartupUsage() {
    return QStringLiteral(
        "usage: rebarscope [--screenshot OUT.png] [--tile] [--setting Key=Value]... [--menu "
        "NAME_INDEX]...\n"
        "                  [FILE...]\n"
        "  FILE...               measurement files to open (RDD, ZVX, VXD, text data, DZT)\n"
        "  --screenshot OUT.png  render the main window with the files open to OUT.png and exit;\n"
        "                        message boxes are printed to standard error\n"
        "  --tile                tile the views before the screenshot\n"
        "  --menu NAME_INDEX     choose a menu item of the active view first, for example\n"
        "                        Menu14_11 (peak processing) or Menu12_2 (deep range)\n"
        "  --setting Key=Value   override a key of Default.ini for this run\n");
}

bool ApplySettingOverrides(const QStringList& overrides, QString* error) {
    Settings& s = program().settings;
    for (const QString& o : overrides) {
        const qsizetype eq = o.indexOf(QLatin1Char('='));
        const QString key = o.left(eq).trimmed();
        const QString value = eq < 0 ? QString() : o.mid(eq + 1).trimmed();
        if (!ApplySetting(s, key, value, error))
            return false;
    }
    // A language given here is the one the tables must hold.
    return s.StartLanguage == s.Language || ReapplyLanguage(error);
}

} // namespace rebar
