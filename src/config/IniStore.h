#pragma once
// INI file access with the desktop platform's profile rules: sections in square brackets,
// key=value lines, section and key names compared without regard to case, values cut to 254
// characters when read, and the file, section and key created as needed when written.
// Files are written in UTF-8 and read as UTF-8 or, failing that, in the system code page.

#include <QString>
#include <QStringList>

namespace rebar {

// A file read once for many lookups (reading all settings at start-up).
class IniSnapshot {
public:
    explicit IniSnapshot(const QString& path);
    // As IniRead, from the lines read when the snapshot was taken.
    QString read(const QString& section, const QString& key, const QString& defaultText) const;

private:
    bool m_exists = false;
    QStringList m_lines;
};

// The value of key in section of the file at path, or defaultText when the file, the section
// or the key is missing. Values longer than 254 characters are cut to 254.
QString IniRead(const QString& section, const QString& key, const QString& defaultText,
                const QString& path);

// Writes value as the text of key in section, creating what is missing. Returns false when
// the file cannot be written.
bool IniWrite(const QString& section, const QString& key, const QString& value,
              const QString& path);

} // namespace rebar
