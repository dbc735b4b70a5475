#include "config/IniStore.h"

#include "base/FileSave.h"
#include "base/TextEncoding.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

namespace rebar {

namespace {

constexpr int MaxValueChars = 254; // the platform reads into a 255-character buffer

enum class Encoding { CodePage, Utf8, Utf16LE, Utf16BE };

// One line of an INI file: its text for matching and, for the byte encodings, the bytes it was
// read from, so that a line nobody changes is written back exactly as it was.
struct Line {
    QString text;
    QByteArray raw;  // content bytes (byte encodings)
    QByteArray end;  // the line end bytes as read: CR LF, LF, CR or nothing
    QString endText; // the same for the UTF-16 encodings
    bool changed = false;
};

// An INI file split into lines, with its encoding taken from the byte-order mark: UTF-8 or
// UTF-16 with a mark, the system code page without one (each line is still read as UTF-8 when
// it is well-formed UTF-8, so a file with both kinds of lines reads right).
struct IniFile {
    bool exists = false;
    QString openError; // why an existing file could not be opened
    Encoding encoding = Encoding::CodePage;
    QByteArray bom;
    std::vector<Line> lines;

    void read(const QString& path);
    QByteArray bytes() const;
    QByteArray encode(const QString& text) const;
    QByteArray lineEnd() const;
};

// Splits at CR LF, LF or a lone CR, keeping each line end with its line.
template <typename Text, typename Ch>
std::vector<std::pair<Text, Text>> splitLines(const Text& all, Ch cr, Ch lf) {
    std::vector<std::pair<Text, Text>> out;
    qsizetype start = 0;
    const qsizetype n = all.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && all[i] != lf && all[i] != cr)
            ++i;
        qsizetype endLen = 0;
        if (i < n)
            endLen = all[i] == cr && i + 1 < n && all[i + 1] == lf ? 2 : 1;
        out.emplace_back(all.mid(start, i - start), all.mid(i, endLen));
        start = i + endLen;
    }
    return out;
}

void IniFile::read(const QString& path) {
    QFile f(path);
    exists = f.open(QIODevice::ReadOnly);
    if (!exists) {
        openError = f.errorString();
        return;
    }
    QByteArray all = f.readAll();
    if (all.startsWith("\xFF\xFE") || all.startsWith("\xFE\xFF")) {
        const bool le = all.startsWith("\xFF\xFE");
        encoding = le ? Encoding::Utf16LE : Encoding::Utf16BE;
        bom = all.left(2);
        QStringDecoder decode(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        const QString text = decode(all.mid(2));
        for (auto& [content, end] : splitLines(text, QChar(u'\r'), QChar(u'\n')))
            lines.push_back({content, {}, {}, end});
        return;
    }
    if (all.startsWith("\xEF\xBB\xBF")) {
        encoding = Encoding::Utf8;
        bom = all.left(3);
        all.remove(0, 3);
    }
    for (auto& [content, end] : splitLines(all, '\r', '\n')) {
        const QString text =
            encoding == Encoding::Utf8 ? QString::fromUtf8(content) : decodeUtf8OrSystem(content);
        lines.push_back({text, content, end, {}});
    }
}

QByteArray IniFile::encode(const QString& text) const {
    switch (encoding) {
    case Encoding::CodePage:
        return encodeSystemText(text);
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Utf16LE:
        return QStringEncoder(QStringEncoder::Utf16LE)(text);
    case Encoding::Utf16BE:
        return QStringEncoder(QStringEncoder::Utf16BE)(text);
    }
    return {};
}

// The line end of the file (its first one), CR LF for a file that has none.
QByteArray IniFile::lineEnd() const {
    for (const Line& l : lines) {
        if (!l.end.isEmpty())
            return l.end;
        if (!l.endText.isEmpty())
            return l.endText.toLatin1();
    }
    return QByteArrayLiteral("\r\n");
}

QByteArray IniFile::bytes() const {
    QByteArray out = bom;
    const bool utf16 = encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE;
    for (const Line& l : lines) {
        if (utf16)
            out += encode(l.text + l.endText);
        else
            out += (l.changed ? encode(l.text) : l.raw) + l.end;
    }
    return out;
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

QStringList textsOf(const IniFile& file) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(file.lines.size()));
    for (const Line& l : file.lines)
        out << l.text;
    return out;
}

} // namespace

IniSnapshot::IniSnapshot(const QString& path) {
    IniFile file;
    file.read(path);
    m_exists = file.exists;
    m_unreadable = !file.exists && QFile::exists(path);
    m_lines = textsOf(file);
}

std::optional<QString> IniSnapshot::value(const QString& section, const QString& key) const {
    bool inSection = false;
    for (const QString& line : m_lines) {
        const QString sec = sectionOf(line);
        if (!sec.isNull()) {
            inSection = sec.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString k, v;
        if (inSection && keyValueOf(line, k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            if (v.size() > MaxValueChars)
                v.truncate(MaxValueChars);
            return v;
        }
    }
    return std::nullopt;
}

QString IniSnapshot::read(const QString& section, const QString& key,
                          const QString& defaultText) const {
    QString result = value(section, key).value_or(defaultText);
    if (result.size() > MaxValueChars)
        result.truncate(MaxValueChars);
    return result;
}

QString IniRead(const QString& section, const QString& key, const QString& defaultText,
                const QString& path) {
    return IniSnapshot(path).read(section, key, defaultText);
}

namespace {

// Sets key in section of the lines read from a file, creating the section and the key as needed.
void setEntry(IniFile& file, const QString& section, const QString& key, const QString& value) {
    const QString entry = key + QLatin1Char('=') + value;
    auto newLine = [&file](const QString& text) {
        Line l;
        l.text = text;
        l.changed = true;
        l.end = file.lineEnd();
        l.endText = QString::fromLatin1(l.end);
        return l;
    };
    // The last line gets a line end before anything is added behind it.
    auto closeLastLine = [&file]() {
        if (file.lines.empty())
            return;
        Line& last = file.lines.back();
        if (last.end.isEmpty() && last.endText.isEmpty()) {
            last.end = file.lineEnd();
            last.endText = QString::fromLatin1(last.end);
        }
    };

    auto& lines = file.lines;
    qsizetype sectionStart = -1; // index of the section header
    qsizetype insertAt = -1;     // index after the last non-blank line of the section
    bool replaced = false;
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        Line& line = lines[static_cast<size_t>(i)];
        const QString sec = sectionOf(line.text);
        if (!sec.isNull()) {
            if (sectionStart >= 0)
                break;
            if (sec.compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        QString k, v;
        if (keyValueOf(line.text, k, v) && k.compare(key, Qt::CaseInsensitive) == 0) {
            line.text = entry;
            line.changed = true;
            replaced = true;
            break;
        }
        if (!line.text.trimmed().isEmpty())
            insertAt = i + 1;
    }
    if (sectionStart < 0) {
        closeLastLine();
        if (!lines.empty() && !lines.back().text.trimmed().isEmpty())
            lines.push_back(newLine(QString()));
        lines.push_back(newLine(QLatin1Char('[') + section + QLatin1Char(']')));
        lines.push_back(newLine(entry));
    } else if (!replaced) {
        if (insertAt == static_cast<qsizetype>(lines.size()))
            closeLastLine();
        lines.insert(lines.begin() + insertAt, newLine(entry));
    }
}

} // namespace

bool IniWrite(const QString& section, const QString& key, const QString& value, const QString& path,
              QString* error) {
    return IniWriteAll({{section, key, value}}, path, error);
}

bool IniWriteAll(const QList<IniEntry>& entries, const QString& path, QString* error) {
    IniFile file;
    file.read(path);
    if (!file.exists && QFile::exists(path)) {
        // A file that cannot be read is not replaced by one that holds these keys alone.
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.openError);
        return false;
    }
    const QByteArray before = file.bytes();
    for (const IniEntry& e : entries)
        setEntry(file, e.section, e.key, e.value);
    const QByteArray after = file.bytes();
    if (file.exists && after == before)
        return true; // the file already says so
    const QByteArrayView parts[] = {after};
    const FileSaveOutcome out = SaveFileBytes(path, parts);
    if (!out.ok && error)
        *error = QStringLiteral("%1: %2").arg(path, out.reason);
    return out.ok;
}

} // namespace rebar
