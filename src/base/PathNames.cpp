#include "base/PathNames.h"

#include <QDir>
#include <algorithm>

namespace rebar {

QString fileNamePart(const QString& path) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

QString joinPath(const QString& dir, const QString& name) {
    if (dir.isEmpty())
        return name;
    if (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        return dir + name;
    return dir + QDir::separator() + name;
}

} // namespace rebar
