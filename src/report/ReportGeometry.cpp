#include "report/ReportGeometry.h"

namespace rebar {

const SheetGeometry& GeometryOf(const QString& sheet) {
    static const SheetGeometry a4l{QStringLiteral("A4L"),
                                   13950,
                                   12795,
                                   33,
                                   59,
                                   6975,
                                   12794,
                                   11250,
                                   3,
                                   2,
                                   30,
                                   8,
                                   468.9,
                                   210,
                                   297};
    static const SheetGeometry a4w{QStringLiteral("A4W"),
                                   21090,
                                   8595,
                                   50,
                                   39,
                                   10545,
                                   8594,
                                   14820,
                                   4,
                                   3,
                                   48,
                                   14,
                                   750.24,
                                   297,
                                   210};
    static const SheetGeometry a3w{QStringLiteral("A3W"),
                                   31170,
                                   12795,
                                   74,
                                   59,
                                   15585,
                                   12794,
                                   19860,
                                   7,
                                   5,
                                   72,
                                   22,
                                   1125.36,
                                   420,
                                   297};
    if (sheet.compare(QLatin1String("A4L"), Qt::CaseInsensitive) == 0)
        return a4l;
    if (sheet.compare(QLatin1String("A3W"), Qt::CaseInsensitive) == 0)
        return a3w;
    return a4w;
}

int DataSizeRows(int sizeOption) {
    switch (sizeOption) {
    case 1:
        return 14;
    case 2:
        return 22;
    default:
        return 8;
    }
}

} // namespace rebar
