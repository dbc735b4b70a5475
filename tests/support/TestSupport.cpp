#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

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

SmallFileSystem::SmallFileSystem(qint64 bytes) : m_dir(m_scratch.path(QStringLiteral("fs"))) {
    QDir().mkpath(m_dir);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir).constData(), "tmpfs", 0,
                        options.constData()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
}

QString SmallFileSystem::path(const QString& name) const {
    return m_dir + QLatin1Char('/') + name;
}

OrdinaryUserRights::OrdinaryUserRights() {
    if (::geteuid() == 0) {
        ::setfsgid(65534);
        ::setfsuid(65534); // "nobody"; drops the file capabilities of root for this thread
        m_switched = true;
    }
}

OrdinaryUserRights::~OrdinaryUserRights() {
    if (m_switched) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
}

bool setMode(const QString& path, unsigned mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace rebar::test
