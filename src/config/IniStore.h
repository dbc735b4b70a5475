#pragma once
// INI file access with the desktop platform's profile rules: sections in square brackets,
// key=value lines, section and key names compared without regard to case, values cut to 254
// characters when read, and the file, section and key created as needed when written.
// A file is in the system code page unless it starts with a UTF-8 or UTF-16 byte-order mark
// (a line that is well-formed UTF-8 is read as UTF-8 all the same). A write changes the line of
// its key only and leaves every other byte of the file as it was.

#include <QString>
#include <QStringList>
#include <optional>

namespace rebar {

// A file read once for many lookups (reading all settings at start-up).
class IniSnapshot {
public:
    explicit IniSnapshot(const QString& path);
    // As IniRead, from the lines read when the snapshot was taken.
    QString read(const QString& section, const QString& key, const QString& defaultText) const;
    // The value of the key (cut to 254 characters), or nothing when the file, the section or the
    // key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // True when the file exists but cannot be read.
    bool unreadable() const { return m_unreadable; }

private:
    bool m_exists = false;
    bool m_unreadable = false;
    QStringList m_lines;
};

// The value of key in section of the file at path, or defaultText when the file, the section
// or the key is missing. Values longer than 254 characters are cut to 254.
QString IniRead(const QString& section, const QString& key, const QString& defaultText,
                const QString& path);

// Writes value as the text of key in section, creating what is missing; the new line is encoded
// as the file is. Returns false (error says why) when the file cannot be written; a failed
// write leaves the file as it was.
bool IniWrite(const QString& section, const QString& key, const QString& value, const QString& path,
              QString* error = nullptr);

// One key of a write of several keys.
struct IniEntry {
    QString section;
    QString key;
    QString value;
};

// Writes every entry in order as IniWrite would, in one save: the file changes as a whole or
// not at all.
bool IniWriteAll(const QList<IniEntry>& entries, const QString& path, QString* error = nullptr);

} // namespace rebar
