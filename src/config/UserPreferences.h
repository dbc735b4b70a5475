#pragma once
// What the program remembers for its user between runs, beside the shared settings of
// SystemData: the files opened last (most recent first, at most eight) and the folder the Open
// dialog showed last. Kept in the user's own configuration folder, so that it works wherever
// the program is installed.

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace rebar {

class UserPreferences {
public:
    static constexpr int MaxRecentFiles = 8;

    // The user's store; a path (tests) names an INI file to use instead.
    explicit UserPreferences(const QString& path = {});
    ~UserPreferences();

    QStringList recentFiles() const;
    // Puts path first in the list (once), keeping at most MaxRecentFiles.
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);

    // The folder of the last file chosen in the Open dialog; empty when none was.
    QString lastFolder() const;
    void setLastFolder(const QString& folder);

private:
    std::unique_ptr<QSettings> m_store;
};

// The list with path first and no other copy of it, cut to max entries. Paths are compared as
// absolute, clean paths.
QStringList WithRecentFile(const QStringList& list, const QString& path, int max);

} // namespace rebar
