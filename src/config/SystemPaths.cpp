#include "config/SystemPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

} // namespace rebar
