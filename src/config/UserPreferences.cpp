#include "config/UserPreferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

namespace rebar {

namespace {

const char* const RecentKey = "RecentFiles";
const char* const FolderKey = "LastFolder";

QString cleanPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList WithRecentFile(const QStringList& list, const QString& path, int max) {
    const QString first = cleanPath(path);
    QStringList out{first};
    for (const QString& p : list)
        if (out.size() < max && !p.isEmpty() && cleanPath(p) != first)
            out << p;
    return out.mid(0, std::max(max, 0));
}

UserPreferences::UserPreferences(const QString& path)
    : m_store(path.isEmpty() ? std::make_unique<QSettings>(
                                   QSettings::IniFormat, QSettings::UserScope,
                                   QStringLiteral("Rebarscope"), QStringLiteral("rebarscope"))
                             : std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

UserPreferences::~UserPreferences() = default;

QStringList UserPreferences::recentFiles() const {
    QStringList list = m_store->value(QLatin1String(RecentKey)).toStringList();
    list.removeAll(QString());
    return list.mid(0, MaxRecentFiles);
}

void UserPreferences::addRecentFile(const QString& path) {
    if (path.trimmed().isEmpty())
        return;
    m_store->setValue(QLatin1String(RecentKey),
                      WithRecentFile(recentFiles(), path, MaxRecentFiles));
    m_store->sync();
}

void UserPreferences::removeRecentFile(const QString& path) {
    QStringList list = recentFiles();
    list.removeAll(path);
    m_store->setValue(QLatin1String(RecentKey), list);
    m_store->sync();
}

QString UserPreferences::lastFolder() const {
    return m_store->value(QLatin1String(FolderKey)).toString();
}

void UserPreferences::setLastFolder(const QString& folder) {
    m_store->setValue(QLatin1String(FolderKey), folder);
    m_store->sync();
}

} // namespace rebar
