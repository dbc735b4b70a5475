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
        "  FILE...               measurement files to open (RDD, ZVX, VXD, text data)\n"
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
        struct Int16Key {
            const char* name;
            int16_t* field;
        };
        const Int16Key ints[] = {
            {"Tab", &s.Tab},
            {"GradationSystem730", &s.GradationSystem730},
            {"GradationSystem940", &s.GradationSystem940},
            {"IndicationRange730", &s.IndicationRange730},
            {"IndicationRange940", &s.IndicationRange940},
            {"Direction730", &s.Direction730},
            {"Direction940", &s.Direction940},
            {"Sensitivity730", &s.Sensitivity730},
            {"Sensitivity940", &s.Sensitivity940},
            {"RelativePermittivitySetting730", &s.RelativePermittivitySetting730},
            {"RelativePermittivitySetting940", &s.RelativePermittivitySetting940},
            {"PuttingOnMagnification", &s.PuttingOnMagnification},
            {"PictureProc730", &s.PictureProc730},
            {"PictureProc940", &s.PictureProc940},
            {"Unit", &s.Unit},
            {"Unit940", &s.Unit940},
            {"AModePrint", &s.AModePrint},
            {"CrossCursorPrint", &s.CrossCursorPrint},
            {"SensPrint", &s.SensPrint},
            {"UseModelPrint", &s.UseModelPrint},
            {"MeasurementDatePrint", &s.MeasurementDatePrint},
            {"CreationDatePrint", &s.CreationDatePrint},
            {"PrintingForm", &s.PrintingForm},
        };
        bool known = false;
        for (const Int16Key& k : ints) {
            if (key.compare(QLatin1String(k.name), Qt::CaseInsensitive) != 0)
                continue;
            known = true;
            if (!settingsTextToInt16(value, *k.field)) {
                if (error)
                    *error = QStringLiteral("%1: \"%2\" is not a 16-bit number").arg(key, value);
                return false;
            }
        }
        const std::pair<const char*, float*> singles[] = {
            {"RelativePermittivity730", &s.RelativePermittivity730},
            {"RelativePermittivity940", &s.RelativePermittivity940},
        };
        for (const auto& [name, field] : singles) {
            if (key.compare(QLatin1String(name), Qt::CaseInsensitive) != 0)
                continue;
            known = true;
            if (!settingsTextToSingle(value, *field)) {
                if (error)
                    *error = QStringLiteral("%1: \"%2\" is not a number").arg(key, value);
                return false;
            }
        }
        const std::pair<const char*, QString*> texts[] = {
            {"Language", &s.Language},         {"DistanceUnit", &s.DistanceUnit},
            {"DepthUnit", &s.DepthUnit},       {"DistanceUnit940", &s.DistanceUnit940},
            {"DepthUnit940", &s.DepthUnit940},
        };
        for (const auto& [name, field] : texts) {
            if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                known = true;
                *field = value;
            }
        }
        if (!known) {
            if (error)
                *error = QStringLiteral("unknown setting %1").arg(key);
            return false;
        }
    }
    // A language given here is the one the tables must hold.
    if (s.StartLanguage != s.Language) {
        if (!ReadLanguage(program().language, languageFilePath(s.Language), error))
            return false;
        s.StartLanguage = s.Language;
    }
    return true;
}

} // namespace rebar
