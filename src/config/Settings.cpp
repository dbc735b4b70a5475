#include "config/Settings.h"

#include "base/Numeric.h"
#include "config/IniStore.h"
#include "config/SystemPaths.h"

#include <cmath>

namespace rebar {

QString settingsFilePath() {
    return writableDataFile(QStringLiteral("Default.ini"));
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

const char* const Languages[] = {"JP", "EN", nullptr};
const char* const UnitWords[] = {"mm", "cm", "m", "inch", nullptr};

// One key of Default.ini: where it lives, the member it fills and what it allows. Numbers
// allow lo..hi, and -1 too where the key can say "keep the file's value"; texts allow the words
// of their list (compared without regard to case, stored as listed).
struct KeySpec {
    const char* section;
    const char* key;
    int16_t Settings::*int16 = nullptr;
    float Settings::*single = nullptr;
    QString Settings::*text = nullptr;
    double lo = 0, hi = 0;
    bool keepFile = false;
    const char* const* words = nullptr;
};

constexpr KeySpec number(const char* section, const char* key, int16_t Settings::*field, int lo,
                         int hi, bool keepFile = false) {
    return {section, key, field, nullptr, nullptr, double(lo), double(hi), keepFile, nullptr};
}
constexpr KeySpec display(const char* key, int16_t Settings::*field, int lo, int hi) {
    return number("PictureProc", key, field, lo, hi, true);
}
constexpr KeySpec permittivity(const char* key, float Settings::*field) {
    return {"PictureProc", key, nullptr, field, nullptr, 2.0, 20.0, false, nullptr};
}
constexpr KeySpec word(const char* section, const char* key, QString Settings::*field,
                       const char* const* words) {
    return {section, key, nullptr, nullptr, field, 0, 0, false, words};
}
constexpr KeySpec millimetres(const char* key, float Settings::*field, double lo, double hi) {
    return {"Compliance", key, nullptr, field, nullptr, lo, hi, false, nullptr};
}
constexpr KeySpec printOption(const char* key, int16_t Settings::*field, int hi = 1) {
    return number("PrintProc", key, field, 0, hi);
}

// The key table in the order the keys are read.
const KeySpec Keys[] = {
    number("Tab", "Tab", &Settings::Tab, 0, 2),
    word("Language", "Language", &Settings::Language, Languages),
    display("GradationSystem730", &Settings::GradationSystem730, 0, 9),
    display("GradationSystem940", &Settings::GradationSystem940, 0, 11),
    display("IndicationRange730", &Settings::IndicationRange730, 0, 5),
    display("IndicationRange940", &Settings::IndicationRange940, 0, 5),
    display("Direction730", &Settings::Direction730, 0, 1),
    display("Direction940", &Settings::Direction940, 0, 1),
    display("Sensitivity730", &Settings::Sensitivity730, 0, 9),
    display("Sensitivity940", &Settings::Sensitivity940, 0, 13),
    number("PictureProc", "RelativePermittivitySetting730",
           &Settings::RelativePermittivitySetting730, 0, 1),
    permittivity("RelativePermittivity730", &Settings::RelativePermittivity730),
    number("PictureProc", "RelativePermittivitySetting940",
           &Settings::RelativePermittivitySetting940, 0, 1),
    permittivity("RelativePermittivity940", &Settings::RelativePermittivity940),
    number("PictureProc", "PuttingOnMagnification", &Settings::PuttingOnMagnification, 0, 1),
    display("PictureProc730", &Settings::PictureProc730, 0, 5),
    display("PictureProc940", &Settings::PictureProc940, 0, 6),
    display("Unit", &Settings::Unit, 0, 0),
    word("PictureProc", "DistanceUnit", &Settings::DistanceUnit, UnitWords),
    word("PictureProc", "DepthUnit", &Settings::DepthUnit, UnitWords),
    display("Unit940", &Settings::Unit940, 0, 0),
    word("PictureProc", "DistanceUnit940", &Settings::DistanceUnit940, UnitWords),
    word("PictureProc", "DepthUnit940", &Settings::DepthUnit940, UnitWords),
    printOption("AModePrint", &Settings::AModePrint),
    printOption("CrossCursorPrint", &Settings::CrossCursorPrint),
    printOption("SensPrint", &Settings::SensPrint),
    printOption("UseModelPrint", &Settings::UseModelPrint),
    printOption("MeasurementDatePrint", &Settings::MeasurementDatePrint),
    printOption("CreationDatePrint", &Settings::CreationDatePrint),
    printOption("PrintingForm", &Settings::PrintingForm, 2),
    millimetres("DesignCover", &Settings::DesignCover, 1, 500),
    millimetres("CoverDeviationBelow", &Settings::CoverDeviationBelow, 0, 200),
    millimetres("CoverDeviationAbove", &Settings::CoverDeviationAbove, 0, 200),
    millimetres("MinimumCover", &Settings::MinimumCover, 1, 500),
};

// Stores text into the key's member of s when the key allows it; false leaves s alone.
bool setFromText(const KeySpec& k, const QString& text, Settings& s) {
    if (k.int16) {
        int16_t v = 0;
        if (!settingsTextToInt16(text, v) || !((v >= k.lo && v <= k.hi) || (k.keepFile && v == -1)))
            return false;
        s.*k.int16 = v;
        return true;
    }
    if (k.single) {
        float v = 0;
        if (!settingsTextToSingle(text, v) || v < k.lo || v > k.hi)
            return false;
        s.*k.single = v;
        return true;
    }
    const QString t = text.trimmed();
    for (const char* const* w = k.words; *w; ++w)
        if (t.compare(QLatin1String(*w), Qt::CaseInsensitive) == 0) {
            s.*k.text = QLatin1String(*w);
            return true;
        }
    return false;
}

void setDefault(const KeySpec& k, Settings& s) {
    static const Settings defaults;
    if (k.int16)
        s.*k.int16 = defaults.*k.int16;
    else if (k.single)
        s.*k.single = defaults.*k.single;
    else
        s.*k.text = defaults.*k.text;
}

} // namespace

bool ReadSettings(Settings& s, const QString& path, std::vector<IgnoredSetting>* ignored,
                  QString* error) {
    const IniSnapshot ini(path); // the file is read once for all keys
    if (ini.unreadable()) {
        if (error)
            *error = QStringLiteral("%1 cannot be read").arg(path);
        return false;
    }
    for (const KeySpec& k : Keys) {
        const std::optional<QString> text =
            ini.value(QLatin1String(k.section), QLatin1String(k.key));
        if (text && setFromText(k, *text, s))
            continue;
        setDefault(k, s);
        if (text && ignored)
            ignored->push_back({QLatin1String(k.key), *text});
    }
    s.StartLanguage = s.Language;
    return true;
}

bool ApplySetting(Settings& s, const QString& key, const QString& value, QString* error) {
    for (const KeySpec& k : Keys) {
        if (key.compare(QLatin1String(k.key), Qt::CaseInsensitive) != 0)
            continue;
        if (setFromText(k, value, s))
            return true;
        if (error)
            *error = QStringLiteral("%1: \"%2\" is not a value of this setting").arg(key, value);
        return false;
    }
    if (error)
        *error = QStringLiteral("unknown setting %1").arg(key);
    return false;
}

QString IgnoredSettingsMessage(const std::vector<IgnoredSetting>& ignored, const QString& language,
                               const QString& fileName) {
    QString text = language.compare(QLatin1String("JP"), Qt::CaseInsensitive) == 0
                       ? QString::fromUtf8("%1 の次の設定は使えない値のため、"
                                           "既定値を使います。")
                             .arg(fileName)
                       : QStringLiteral("These settings of %1 have values that cannot "
                                        "be used; their defaults are used instead.")
                             .arg(fileName);
    for (const IgnoredSetting& i : ignored)
        text += QLatin1Char('\n') + i.key + QLatin1Char('=') + i.value;
    return text;
}

} // namespace rebar
