#pragma once
// The program-wide settings: the in-memory copy of SystemData/Default.ini. A value of -1 in a
// display-default key means that the value stored in the measurement file is kept.

#include <QString>
#include <cstdint>
#include <vector>

namespace rebar {

struct Settings {
    int16_t Tab = 2;
    QString Language = QStringLiteral("JP");
    QString StartLanguage = QStringLiteral("JP"); // Language as read; differs after a change

    // PictureProc: display defaults of newly opened files
    int16_t GradationSystem730 = -1;
    int16_t GradationSystem940 = -1;
    int16_t IndicationRange730 = -1;
    int16_t IndicationRange940 = -1;
    int16_t Direction730 = -1;
    int16_t Direction940 = -1;
    int16_t Sensitivity730 = -1;
    int16_t Sensitivity940 = -1;
    int16_t RelativePermittivitySetting730 = 1;
    float RelativePermittivity730 = 8;
    int16_t RelativePermittivitySetting940 = 1;
    float RelativePermittivity940 = 8;
    int16_t PuttingOnMagnification = 0;
    int16_t PictureProc730 = -1;
    int16_t PictureProc940 = -1;
    int16_t Unit = -1;
    QString DistanceUnit = QStringLiteral("m");
    QString DepthUnit = QStringLiteral("cm");
    int16_t Unit940 = -1;
    QString DistanceUnit940 = QStringLiteral("m");
    QString DepthUnit940 = QStringLiteral("cm");

    // PrintProc: 0 = include in exported images, 1 = leave out
    int16_t AModePrint = 1;
    int16_t CrossCursorPrint = 1;
    int16_t SensPrint = 1;
    int16_t UseModelPrint = 1;
    int16_t MeasurementDatePrint = 1;
    int16_t CreationDatePrint = 1;
    int16_t PrintingForm = 1; // 0 JPEG and marker CSV, 1 workbook only, 2 JPEG only

    // Compliance: defaults of the cover compliance settings of new views, in millimetres
    float DesignCover = 30;
    float CoverDeviationBelow = 5;
    float CoverDeviationAbove = 10;
    float MinimumCover = 20;
};

// A key of Default.ini whose value was not one the key allows; the key took its default.
struct IgnoredSetting {
    QString key;
    QString value;
};

// The Default.ini the program reads and writes (see writableDataFile).
QString settingsFilePath();

// Reads every key of Default.ini at path into s, in key-table order. A missing file or key gives
// the default. Every value is checked against what its key allows (numbers of 16 bits in the
// key's range or list, permittivities 2..20, the unit words, "JP" or "EN"); a value that is not
// allowed gives the default too and is listed in ignored. False only when the file exists but
// cannot be read (error says why).
bool ReadSettings(Settings& s, const QString& path, std::vector<IgnoredSetting>* ignored = nullptr,
                  QString* error = nullptr);

// Sets one key (named as in Default.ini, any case) to value as ReadSettings would read it. False
// (error says why) for an unknown key or a value the key does not allow.
bool ApplySetting(Settings& s, const QString& key, const QString& value, QString* error);

// The message that lists the ignored keys and values of a settings file (Default.ini unless
// named), in the language given ("JP" Japanese, anything else English).
QString IgnoredSettingsMessage(const std::vector<IgnoredSetting>& ignored, const QString& language,
                               const QString& fileName = QStringLiteral("Default.ini"));

// Converts a settings text to a 16-bit integer the way the platform converts text to a number:
// blanks around it ignored, a decimal value rounded half to even. False for an empty text,
// anything that is not a number, or a value outside -32768..32767.
bool settingsTextToInt16(const QString& text, int16_t& out);
// The same for a single-precision value.
bool settingsTextToSingle(const QString& text, float& out);

} // namespace rebar
