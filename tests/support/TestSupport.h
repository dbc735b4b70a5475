#pragma once
// Helpers shared by the test suites: scratch folders, file writing, the generated SystemData,
// a small file system that fills up, and the file rights of an ordinary user.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace rebar::test {

// A fresh scratch folder removed when the object goes away.
class Scratch {
public:
    Scratch();
    QString path(const QString& name) const;
    QString dir() const;
    // Writes bytes to name inside the folder and returns the full path.
    QString write(const QString& name, const QByteArray& bytes) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// The generated SystemData folder of the build (REBAR_SYSTEMDATA).
QString systemData();
// The build's bin folder (executables and Samples).
QString binDir();
QByteArray readFile(const QString& path);
// A SystemData folder inside the scratch folder whose entries link to the build's, leaving out
// the names given (so a test can put its own files there). Returns its path.
QString LinkedSystemData(const Scratch& s, const QStringList& leaveOut);

// A tmpfs of the given size mounted on a fresh folder for the life of the object. Mounting needs
// the right to mount (root in the test machines); mounted() says whether it worked.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes);
    ~SmallFileSystem();
    bool mounted() const { return m_mounted; }
    QString path(const QString& name) const;

private:
    Scratch m_scratch;
    QString m_dir;
    bool m_mounted = false;
};

// While the object lives, this thread reaches files with the rights of an ordinary user, so
// that permission bits apply to tests run as root too (nothing changes for an ordinary user).
// The folders on the way to the test's files must be open to others (setMode).
class OrdinaryUserRights {
public:
    OrdinaryUserRights();
    ~OrdinaryUserRights();
    OrdinaryUserRights(const OrdinaryUserRights&) = delete;
    OrdinaryUserRights& operator=(const OrdinaryUserRights&) = delete;

private:
    bool m_switched = false;
};

// Gives a folder (and a file) the permission bits given.
bool setMode(const QString& path, unsigned mode);
// The permission bits of a file.
unsigned modeOf(const QString& path);

} // namespace rebar::test
