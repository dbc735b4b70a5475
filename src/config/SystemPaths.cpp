#include "config/SystemPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace rebar {

QString systemDataDir() {
    const QByteArray env = qgetenv("REBAR_SYSTEMDATA");
    if (!env.isEmpty())
        return QDir(QString::fromLocal8Bit(env)).absolutePath();
    const QString dir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    const QString beside = QDir::cleanPath(dir + QStringLiteral("/SystemData"));
    // An installed program (bin/ of a prefix) finds its data in the prefix's data folder.
    const QString installed =
        QDir::cleanPath(dir + QStringLiteral("/../share/rebarscope/SystemData"));
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return installed;
    return beside;
}

QString programDir() {
    return QFileInfo(systemDataDir()).absolutePath();
}

QString resolveProgramPath(const QString& stored) {
    QString rel = stored.trimmed();
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rel.startsWith(QLatin1Char('/')))
        rel.remove(0, 1);
    // Paths below SystemData resolve against the (possibly overridden) SystemData folder.
    const QString prefix = QStringLiteral("SystemData/");
    if (rel.startsWith(prefix, Qt::CaseInsensitive))
        return QDir::toNativeSeparators(systemDataDir() + QLatin1Char('/') +
                                        rel.mid(prefix.size()));
    return QDir::toNativeSeparators(programDir() + QLatin1Char('/') + rel);
}

QString writableDataFile(const QString& name, const QString& systemDir, bool systemWritable,
                         const QString& userDir) {
    const QString shipped = systemDir + QLatin1Char('/') + name;
    if (systemWritable || userDir.isEmpty())
        return shipped;
    const QString copy = userDir + QLatin1Char('/') + name;
    if (!QFileInfo::exists(copy) && QFileInfo::exists(shipped) && QDir().mkpath(userDir)) {
        // The copy goes in under a temporary name so that a failed copy never leaves half a
        // file that would be read as the user's settings.
        const QString part = copy + QStringLiteral(".part");
        QFile::remove(part);
        if (QFile::copy(shipped, part)) {
            QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
            if (!QFile::rename(part, copy))
                QFile::remove(part);
        }
    }
    return QFileInfo::exists(copy) ? copy : shipped;
}

QString writableDataFile(const QString& name) {
    const QString dir = systemDataDir();
    const QFileInfo info(dir);
    const bool writable = info.isDir() && info.isWritable();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return writableDataFile(name, dir, writable,
                            config.isEmpty() ? QString() : config + QStringLiteral("/rebarscope"));
}

} // namespace rebar
