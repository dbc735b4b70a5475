#include "view/ViewFonts.h"

#include <QFontMetrics>
#include <map>
#include <mutex>

namespace rebar {

QFont ArialCellFont(int cellHeight) {
    // The cache saves the metric queries of every redraw. Documents may render on worker
    // threads, one document each, so the cache is shared under a lock.
    static std::map<int, int> pixelSizeFor;
    static std::mutex guard;
    const std::lock_guard<std::mutex> lock(guard);
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
