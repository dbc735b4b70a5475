#include "config/IniStore.h"

#include "base/TextEncoding.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace rebar {

namespace {

constexpr int MaxValueChars = 254; // the platform reads into a 255-character buffer

QStringList readLines(const QString& path, bool* exists) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (exists)
            *exists = false;
        return {};
    }
    if (exists)
        *exists = true;
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QString text = decodeUtf8OrSystem(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

// Splits "key = value"; false for lines without "=" and for comments.
bool keyValueOf(const QString& line, QString& key, QString& value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    // A value in matching quotes is returned without them, as the platform does.
    if (value.size() >= 2 &&
        ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) ||
         (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
        value = value.mid(1, value.size() - 2);
    return true;
}

} // namespace

IniSnapshot::IniSnapshot(const QString& path) : m_lines(readLines(path, &m_exists)) {}

QString IniSnapshot::read(const QString& section, const QString& key,
                          const QString& defaultText) const {
    QString result = defaultText;
    if (m_exists) {
        bool inSection = false;
        for (const QString& line : m_lines) {
            const QString sec = sectionOf(line);
            if (!sec.isNull()) {
                inSection = sec.compare(section, Qt::CaseInsensitive) == 0;
                continue;
            }
            QString k, v;
            if (inSection && keyValueOf(line, k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
                result = v;
                break;
            }
        }
    }
    if (result.size() > MaxValueChars)
        result.truncate(MaxValueChars);
    return result;
}

QString IniRead(const QString& section, const QString& key, const QString& defaultText,
                const QString& path) {
    return IniSnapshot(path).read(section, key, defaultText);
}

bool IniWrite(const QString& section, const QString& key, const QString& value,
              const QString& path) {
    QStringList lines = readLines(path, nullptr);
    const QString entry = key + QLatin1Char('=') + value;

    qsizetype sectionStart = -1; // index of the section header
    qsizetype sectionEnd = -1;   // index after the last non-blank line of the section
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString sec = sectionOf(lines[i]);
        if (!sec.isNull()) {
            if (sectionStart >= 0)
                break;
            if (sec.compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        QString k, v;
        if (keyValueOf(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = entry;
            sectionEnd = -2; // replaced
            break;
        }
        if (!lines[i].trimmed().isEmpty())
            sectionEnd = i + 1;
    }
    if (sectionStart < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else if (sectionEnd >= 0) {
        lines.insert(sectionEnd, entry);
    }

    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return f.commit();
}

} // namespace rebar
