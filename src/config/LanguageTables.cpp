#include "config/LanguageTables.h"

#include "config/SystemPaths.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

namespace rebar {

namespace {

enum class Target { Captions, Messages, WindowTitle, AllJpeg };

struct KeyEntry {
    const char* key;
    Target target;
    int first; // first entry filled
    int count; // texts taken from field 2 on
};

// Which entries each key of a language file fills.
constexpr KeyEntry KeyTable[] = {
    {"WINDOWTITLE", Target::WindowTitle, 0, 1}, {"ALLJPEG", Target::AllJpeg, 0, 3},
    {"MENU1", Target::Captions, 0, 13},         {"MENU2", Target::Captions, 13, 10},
    {"MENU3", Target::Captions, 23, 14},        {"MENU4", Target::Captions, 37, 12},
    {"MENU5", Target::Captions, 49, 9},         {"MENU6", Target::Captions, 58, 2},
    {"MENU7", Target::Captions, 60, 4},         {"MENU8", Target::Captions, 64, 3},
    {"MENU9", Target::Captions, 67, 1},         {"MENU10", Target::Captions, 68, 13},
    {"MENU11", Target::Captions, 81, 6},        {"MENU12", Target::Captions, 87, 2},
    {"MENU19", Target::Captions, 90, 3},        {"MENU21", Target::Captions, 93, 2},
    {"MARKERLIST", Target::Captions, 96, 14},   {"CURSOR", Target::Captions, 110, 4},
    {"PRCSCAP", Target::Captions, 114, 9},      {"DATACAP", Target::Captions, 123, 4},
    {"TRNSCAP", Target::Captions, 127, 4},      {"NOTECAP", Target::Captions, 131, 6},
    {"PARTCAP", Target::Captions, 137, 5},      {"SAVECAP", Target::Captions, 142, 2},
    {"OKNGCAP", Target::Captions, 144, 3},      {"DEFTITLE", Target::Captions, 147, 4},
    {"DEF0ITEM", Target::Captions, 151, 8},     {"DEF0LOGO", Target::Captions, 159, 4},
    {"DEF1ITEM", Target::Captions, 163, 8},     {"DEF1LOGO", Target::Captions, 171, 2},
    {"DEF2ITEM", Target::Captions, 173, 8},     {"DEF2LOGO", Target::Captions, 181, 2},
    {"JPEG", Target::Captions, 183, 17},        {"EMENU1", Target::Captions, 201, 3},
    {"SETLOGO1", Target::Captions, 204, 9},     {"SETLOGO2", Target::Captions, 213, 18},
    {"SETLOGO3", Target::Captions, 231, 11},    {"SETLOGO4", Target::Captions, 242, 4},
    {"FILENAME", Target::Captions, 246, 3},     {"FILECOMMENT", Target::Captions, 249, 3},
    {"FIELCHANGE", Target::Captions, 252, 2},   {"WININFO", Target::Captions, 254, 9},
    {"WINSET", Target::Captions, 263, 5},       {"CPN", Target::Captions, 268, 1},
    {"TIRE", Target::Captions, 269, 3},         {"SPEED", Target::Captions, 273, 4},
    {"EDITMENU", Target::Captions, 278, 3},     {"COVERCAP", Target::Captions, 281, 19},
};

constexpr int MaxFields = 99; // the key and up to 98 texts

const KeyEntry* findKey(const QString& key) {
    for (const KeyEntry& e : KeyTable)
        if (key == QLatin1String(e.key))
            return &e;
    return nullptr;
}

// MSG1..MSG44 -> 1..44, anything else 0.
int messageNumber(const QString& key) {
    if (!key.startsWith(QLatin1String("MSG")))
        return 0;
    bool ok = false;
    const int n = key.mid(3).toInt(&ok);
    return ok && n >= 1 && n <= LastMessage && key.mid(3) == QString::number(n) ? n : 0;
}

} // namespace

QString languageFilePath(const QString& language) {
    return systemDataDir() + QStringLiteral("/Laini/") + language + QStringLiteral(".ini");
}

bool ReadLanguage(LanguageTables& t, const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open the language file %1").arg(path);
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf16LE);
    QString text = decoder.decode(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));

    // Parse every line first so that a bad line leaves the tables as they were.
    LanguageTables out = t;
    std::array<QString, MaxFields> fields; // kept from line to line
    int lineNo = 0;
    for (QString line : lines) {
        ++lineNo;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList parts = line.split(QLatin1Char(','));
        if (parts.size() > MaxFields) {
            if (error)
                *error = QStringLiteral("%1 line %2 has more than 98 texts").arg(path).arg(lineNo);
            return false;
        }
        for (qsizetype i = 0; i < parts.size(); ++i)
            fields[static_cast<size_t>(i)] = parts[i];
        const QString key = parts[0].toUpper();
        if (const int n = messageNumber(key)) {
            out.Messages[static_cast<size_t>(n)] = fields[1];
            continue;
        }
        const KeyEntry* e = findKey(key);
        if (!e)
            continue;
        for (int i = 0; i < e->count; ++i) {
            const QString& v = fields[static_cast<size_t>(1 + i)];
            switch (e->target) {
            case Target::Captions:
                out.Captions[static_cast<size_t>(e->first + i)] = v;
                break;
            case Target::Messages:
                out.Messages[static_cast<size_t>(e->first + i)] = v;
                break;
            case Target::WindowTitle:
                out.WindowTitle = v;
                break;
            case Target::AllJpeg:
                out.AllJpeg[static_cast<size_t>(e->first + i)] = v;
                break;
            }
        }
    }
    t = std::move(out);
    return true;
}

} // namespace rebar
