#pragma once
// Where a printed picture goes on the page: the sizes the two print layouts give it.

#include <QSize>
#include <QSizeF>

namespace rebar {

// A picture printed as large as the printable area allows, its aspect ratio kept: the full
// printable width when the picture is relatively wider than the area, else the full height.
QSizeF FittedPictureSize(const QSizeF& picture, const QSizeF& printable);

// A picture scaled to a sheet: by the smaller of the height and width ratios, each side rounded
// to a whole device unit.
QSize SheetPictureSize(const QSize& picture, const QSizeF& sheet);

// The fitted print is portrait when the picture is at least as high as it is wide.
inline bool PrintsPortrait(const QSize& picture) {
    return picture.height() >= picture.width();
}

} // namespace rebar
