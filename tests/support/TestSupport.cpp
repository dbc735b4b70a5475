#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rebar::test {

Scratch::Scratch() : m_dir(std::make_unique<QTemporaryDir>()) {}

QString Scratch::dir() const {
    return m_dir->path();
}

QString Scratch::path(const QString& name) const {
    return m_dir->filePath(name);
}

QString Scratch::write(const QString& name, const QByteArray& bytes) const {
    const QString p = path(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return p;
}

QString systemData() {
    const QByteArray env = qgetenv("REBAR_SYSTEMDATA");
    return QDir(env.isEmpty() ? QStringLiteral(REBAR_TEST_BIN "/SystemData")
                              : QString::fromLocal8Bit(env))
        .absolutePath();
}

QString binDir() {
    return QStringLiteral(REBAR_TEST_BIN);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString LinkedSystemData(const Scratch& s, const QStringList& leaveOut) {
    const QString dir = s.path(QStringLiteral("SystemData"));
    QDir().mkpath(dir);
    const QString from = systemData();
    for (const QString& entry : QDir(from).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (!leaveOut.contains(entry))
            QFile::link(from + QLatin1Char('/') + entry, dir + QLatin1Char('/') + entry);
    return dir;
}

} // namespace rebar::test
