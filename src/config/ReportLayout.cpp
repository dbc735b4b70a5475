#include "config/ReportLayout.h"

#include "config/IniStore.h"
#include "config/Settings.h"
#include "config/SystemPaths.h"

#include <functional>

namespace rebar {

QString reportLayoutFilePath() {
    return writableDataFile(QStringLiteral("ReportLayout.ini"));
}

namespace {

// One numeric key of ReportLayout.ini: where it lives, the member it fills and the values the
// layout can use.
struct NumberKey {
    const char* section;
    QString key;
    std::function<int16_t&(ReportLayout&)> field;
    int lo, hi;
};

const char* const Sheets[] = {"A4L", "A4W", "A3W"};

// The numeric keys in table order (Sheet, the one text key, comes first).
std::vector<NumberKey> numberKeys() {
    std::vector<NumberKey> keys = {
        {"Common", QStringLiteral("PhotoNum"),
         [](ReportLayout& l) -> int16_t& { return l.PhotoNum; }, 0, ReportMaxPhotos},
        {"Common", QStringLiteral("DataNum"), [](ReportLayout& l) -> int16_t& { return l.DataNum; },
         1, ReportMaxData},
    };
    for (int n = 0; n < ReportHeaderItemCount; ++n)
        keys.push_back({"Header", QStringLiteral("H_Text%1").arg(n),
                        [n](ReportLayout& l) -> int16_t& { return l.HeaderItems[n].Shown; }, 0, 1});
    for (int n = 0; n < ReportHeaderItemCount; ++n)
        keys.push_back({"Header", QStringLiteral("H_Text%1W").arg(n),
                        [n](ReportLayout& l) -> int16_t& { return l.HeaderItems[n].Wide; }, 0, 1});
    auto flag = [&keys](const char* section, const char* key, int16_t ReportLayout::*m, int lo,
                        int hi) {
        keys.push_back({section, QLatin1String(key),
                        [m](ReportLayout& l) -> int16_t& { return l.*m; }, lo, hi});
    };
    flag("Photo", "PTitle", &ReportLayout::PTitle, 0, 1);
    flag("Photo", "PText1", &ReportLayout::PText1, 0, 1);
    flag("Photo", "PDir", &ReportLayout::PDir, INT16_MIN, INT16_MAX); // non-zero: landscape
    flag("Data", "DNo", &ReportLayout::DNo, 0, 1);
    flag("Data", "DTitle", &ReportLayout::DTitle, 0, 1);
    flag("Data", "DMark", &ReportLayout::DMark, 0, 1);
    flag("Data", "DText1", &ReportLayout::DText1, 0, 1);
    flag("Data", "DSize", &ReportLayout::DSize, 0, 2);
    return keys;
}

} // namespace

bool ReadReportLayout(ReportLayout& layout, const QString& path,
                      std::vector<IgnoredSetting>* ignored, QString* error) {
    const IniSnapshot ini(path);
    if (ini.unreadable()) {
        if (error)
            *error = QStringLiteral("%1 cannot be read").arg(path);
        return false;
    }
    const ReportLayout defaults;
    ReportLayout read = defaults;
    std::vector<IgnoredSetting> skipped;

    if (const auto sheet = ini.value(QStringLiteral("Common"), QStringLiteral("Sheet"))) {
        bool known = false;
        for (const char* s : Sheets)
            if (sheet->trimmed().compare(QLatin1String(s), Qt::CaseInsensitive) == 0) {
                read.Sheet = QLatin1String(s);
                known = true;
            }
        if (!known)
            skipped.push_back({QStringLiteral("Sheet"), *sheet});
    }
    for (NumberKey& k : numberKeys()) {
        const auto text = ini.value(QLatin1String(k.section), k.key);
        if (!text)
            continue;
        int16_t v = 0;
        if (!settingsTextToInt16(*text, v)) {
            if (error)
                *error = QStringLiteral("%1: %2=%3 is not a 16-bit number").arg(path, k.key, *text);
            return false;
        }
        if (v < k.lo || v > k.hi) {
            skipped.push_back({k.key, *text});
            continue;
        }
        k.field(read) = v;
    }
    layout = read;
    if (ignored)
        ignored->insert(ignored->end(), skipped.begin(), skipped.end());
    return true;
}

bool WriteReportLayout(const ReportLayout& layout, const QString& path, QString* error) {
    QList<IniEntry> entries;
    entries.push_back({QStringLiteral("Common"), QStringLiteral("Sheet"), layout.Sheet});
    ReportLayout copy = layout;
    for (NumberKey& k : numberKeys())
        entries.push_back({QLatin1String(k.section), k.key, QString::number(k.field(copy))});
    return IniWriteAll(entries, path, error);
}

} // namespace rebar
