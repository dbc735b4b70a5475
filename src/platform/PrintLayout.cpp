#include "platform/PrintLayout.h"

#include "base/Numeric.h"

namespace rebar {

QSizeF FittedPictureSize(const QSizeF& picture, const QSizeF& printable) {
    if (picture.width() <= 0 || picture.height() <= 0 || printable.width() <= 0 ||
        printable.height() <= 0)
        return {};
    const double r = picture.width() / picture.height();
    const double q = printable.width() / printable.height();
    if (r >= q)
        return {printable.width(), printable.width() / r};
    return {printable.height() * r, printable.height()};
}

QSize SheetPictureSize(const QSize& picture, const QSizeF& sheet) {
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    const double sy = sheet.height() / picture.height();
    const double sx = sheet.width() / picture.width();
    const double s = sy >= sx ? sx : sy;
    int w = 0, h = 0;
    if (!roundTo(s * picture.width(), w) || !roundTo(s * picture.height(), h))
        return {};
    return {w, h};
}

} // namespace rebar
