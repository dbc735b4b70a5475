#include "config/Settings.h"

#include "base/Numeric.h"
#include "config/IniStore.h"
#include "config/SystemPaths.h"

#include <cmath>

namespace rebar {

QString settingsFilePath() {
    return systemDataDir() + QStringLiteral("/Default.ini");
}

bool settingsTextToInt16(const QString& text, int16_t& out) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        return false;
    return roundTo(v, out);
}

bool settingsTextToSingle(const QString& text, float& out) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 3.4028234663852886e38)
        return false;
    out = static_cast<float>(v);
    return true;
}

namespace {

// Reads the keys in order; the first bad number stops the read.
class Reader {
public:
    Reader(const QString& path, QString* error) : m_ini(path), m_error(error) {}

    bool int16(const char* section, const char* key, int16_t def, int16_t& out) {
        const QString text =
            m_ini.read(QLatin1String(section), QLatin1String(key), QString::number(def));
        if (settingsTextToInt16(text, out))
            return true;
        return fail(key, text);
    }
    bool single(const char* section, const char* key, float def, float& out) {
        const QString text =
            m_ini.read(QLatin1String(section), QLatin1String(key), QString::number(def));
        if (settingsTextToSingle(text, out))
            return true;
        return fail(key, text);
    }
    void text(const char* section, const char* key, const QString& def, QString& out) {
        out = m_ini.read(QLatin1String(section), QLatin1String(key), def);
    }

private:
    bool fail(const char* key, const QString& text) {
        if (m_error)
            *m_error =
                QStringLiteral("%1: \"%2\" is not a 16-bit number").arg(QLatin1String(key), text);
        return false;
    }
    IniSnapshot m_ini; // the file is read once for all keys
    QString* m_error;
};

} // namespace

bool ReadSettings(Settings& s, const QString& path, QString* error) {
    const Settings d; // defaults of the key table
    Reader r(path, error);
    const char* pp = "PictureProc";
    const char* pr = "PrintProc";
    if (!r.int16("Tab", "Tab", d.Tab, s.Tab))
        return false;
    r.text("Language", "Language", d.Language, s.Language);
    r.text("Language", "Language", d.Language, s.StartLanguage);
    return r.int16(pp, "GradationSystem730", d.GradationSystem730, s.GradationSystem730) &&
           r.int16(pp, "GradationSystem940", d.GradationSystem940, s.GradationSystem940) &&
           r.int16(pp, "IndicationRange730", d.IndicationRange730, s.IndicationRange730) &&
           r.int16(pp, "IndicationRange940", d.IndicationRange940, s.IndicationRange940) &&
           r.int16(pp, "Direction730", d.Direction730, s.Direction730) &&
           r.int16(pp, "Direction940", d.Direction940, s.Direction940) &&
           r.int16(pp, "Sensitivity730", d.Sensitivity730, s.Sensitivity730) &&
           r.int16(pp, "Sensitivity940", d.Sensitivity940, s.Sensitivity940) &&
           r.int16(pp, "RelativePermittivitySetting730", d.RelativePermittivitySetting730,
                   s.RelativePermittivitySetting730) &&
           r.single(pp, "RelativePermittivity730", d.RelativePermittivity730,
                    s.RelativePermittivity730) &&
           r.int16(pp, "RelativePermittivitySetting940", d.RelativePermittivitySetting940,
                   s.RelativePermittivitySetting940) &&
           r.single(pp, "RelativePermittivity940", d.RelativePermittivity940,
                    s.RelativePermittivity940) &&
           r.int16(pp, "PuttingOnMagnification", d.PuttingOnMagnification,
                   s.PuttingOnMagnification) &&
           r.int16(pp, "PictureProc730", d.PictureProc730, s.PictureProc730) &&
           r.int16(pp, "PictureProc940", d.PictureProc940, s.PictureProc940) &&
           r.int16(pp, "Unit", d.Unit, s.Unit) &&
           (r.text(pp, "DistanceUnit", d.DistanceUnit, s.DistanceUnit), true) &&
           (r.text(pp, "DepthUnit", d.DepthUnit, s.DepthUnit), true) &&
           r.int16(pp, "Unit940", d.Unit940, s.Unit940) &&
           (r.text(pp, "DistanceUnit940", d.DistanceUnit940, s.DistanceUnit940), true) &&
           (r.text(pp, "DepthUnit940", d.DepthUnit940, s.DepthUnit940), true) &&
           r.int16(pr, "AModePrint", d.AModePrint, s.AModePrint) &&
           r.int16(pr, "CrossCursorPrint", d.CrossCursorPrint, s.CrossCursorPrint) &&
           r.int16(pr, "SensPrint", d.SensPrint, s.SensPrint) &&
           r.int16(pr, "UseModelPrint", d.UseModelPrint, s.UseModelPrint) &&
           r.int16(pr, "MeasurementDatePrint", d.MeasurementDatePrint, s.MeasurementDatePrint) &&
           r.int16(pr, "CreationDatePrint", d.CreationDatePrint, s.CreationDatePrint) &&
           r.int16(pr, "PrintingForm", d.PrintingForm, s.PrintingForm);
}

bool WriteSettings(const Settings& s, const QString& path) {
    const QString pp = QStringLiteral("PictureProc");
    const QString pr = QStringLiteral("PrintProc");
    auto n = [](auto v) { return QString::number(v); };
    bool ok = IniWrite(QStringLiteral("Tab"), QStringLiteral("Tab"), n(s.Tab), path);
    ok = IniWrite(QStringLiteral("Language"), QStringLiteral("Language"), s.Language, path) && ok;
    const std::pair<const char*, QString> pictureKeys[] = {
        {"GradationSystem730", n(s.GradationSystem730)},
        {"GradationSystem940", n(s.GradationSystem940)},
        {"IndicationRange730", n(s.IndicationRange730)},
        {"IndicationRange940", n(s.IndicationRange940)},
        {"Direction730", n(s.Direction730)},
        {"Direction940", n(s.Direction940)},
        {"Sensitivity730", n(s.Sensitivity730)},
        {"Sensitivity940", n(s.Sensitivity940)},
        {"RelativePermittivitySetting730", n(s.RelativePermittivitySetting730)},
        {"RelativePermittivity730", n(s.RelativePermittivity730)},
        {"RelativePermittivitySetting940", n(s.RelativePermittivitySetting940)},
        {"RelativePermittivity940", n(s.RelativePermittivity940)},
        {"PuttingOnMagnification", n(s.PuttingOnMagnification)},
        {"PictureProc730", n(s.PictureProc730)},
        {"PictureProc940", n(s.PictureProc940)},
        {"Unit", n(s.Unit)},
        {"DistanceUnit", s.DistanceUnit},
        {"DepthUnit", s.DepthUnit},
        {"Unit940", n(s.Unit940)},
        {"DistanceUnit940", s.DistanceUnit940},
        {"DepthUnit940", s.DepthUnit940},
    };
    for (const auto& [key, value] : pictureKeys)
        ok = IniWrite(pp, QLatin1String(key), value, path) && ok;
    const std::pair<const char*, int16_t> printKeys[] = {
        {"AModePrint", s.AModePrint},
        {"MeasurementDatePrint", s.MeasurementDatePrint},
        {"CrossCursorPrint", s.CrossCursorPrint},
        {"CreationDatePrint", s.CreationDatePrint},
        {"SensPrint", s.SensPrint},
        {"PrintingForm", s.PrintingForm},
        {"UseModelPrint", s.UseModelPrint},
    };
    for (const auto& [key, value] : printKeys)
        ok = IniWrite(pr, QLatin1String(key), n(value), path) && ok;
    return ok;
}

} // namespace rebar
