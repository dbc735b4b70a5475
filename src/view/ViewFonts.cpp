#include "view/ViewFonts.h"

#include <QFontMetrics>
#include <map>

namespace rebar {

QFont ArialCellFont(int cellHeight) {
    // Fonts are only used on the user-interface thread; the cache saves the metric queries of
    // every redraw.
    static std::map<int, int> pixelSizeFor;
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    auto it = pixelSizeFor.find(cellHeight);
    if (it != pixelSizeFor.end()) {
        font.setPixelSize(it->second);
        return font;
    }
    int size = cellHeight > 1 ? cellHeight : 1;
    for (; size > 1; --size) {
        font.setPixelSize(size);
        const QFontMetrics fm(font);
        if (fm.ascent() + fm.descent() <= cellHeight)
            break;
    }
    font.setPixelSize(size);
    pixelSizeFor.emplace(cellHeight, size);
    return font;
}

} // namespace rebar
