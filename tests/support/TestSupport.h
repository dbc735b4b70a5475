#pragma once
// Helpers shared by the test suites: scratch folders, file writing, the generated SystemData.

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

} // namespace rebar::test
