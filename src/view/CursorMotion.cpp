#include "view/CursorMotion.h"

#include "base/Numeric.h"

#include <Qt>
#include <algorithm>

namespace rebar {

namespace {

bool wide(int range) {
    return range >= 3 && range <= 5;
}
int columns(const CursorScene& s) {
    return wide(s.viewRange) ? s.traceCount / 2 : s.traceCount;
}

// One or three auto-scroll steps toward the start or the end of the scan: the scroll value and
// the cursor column move together. The end lies at the bar's maximum, or at its minimum
// property when the bar runs backwards.
bool autoScroll(CursorScene& s, bool towardEnd, int steps) {
    const int limit = s.direction == 1 ? s.scrollMin : s.scrollMax;
    const int before = s.scroll;
    if (!towardEnd) {
        if (steps == 1) {
            if (s.scroll >= 2) {
                s.scroll -= 1;
                s.column -= 1;
            }
        } else if (s.scroll >= 4) {
            s.scroll -= 3;
            s.column -= 3;
        } else if (s.scroll > 1) {
            s.scroll = 1;
            s.column = 1;
        }
    } else {
        if (steps == 1) {
            if (s.scroll < limit) {
                s.scroll += 1;
                s.column += 1;
            }
        } else if (s.scroll < limit - 3) {
            s.scroll += 3;
            s.column += 3;
        } else if (s.scroll < limit) {
            s.scroll = limit;
            s.column = s.traceCount;
        }
    }
    return s.scroll != before;
}

} // namespace

CursorMove MouseMoveCursor(CursorScene& s, int x, int y) {
    CursorMove m;
    if (y <= 22 || y >= s.pictureHeight) {
        m.ignored = true;
        return m;
    }
    const int wp = s.pictureWidth;
    const int v = s.scroll;
    const int n = s.traceCount;
    if (x > 0 && x < static_cast<int>(roundHalfEven(wp - 1))) {
        if (s.direction != 1) {
            if (x >= 2 * (n - v + 1)) {
                m.ignored = true;
                return m;
            }
            s.column = v + x;
        } else {
            const int b = wide(s.viewRange) ? wp - (n - v + 1) : wp - 2 * (n - v + 1);
            if (x < b) {
                m.ignored = true;
                return m;
            }
            s.column = wp - x - 1 + v;
        }
        s.column = std::min(s.column, columns(s));
    } else if (x > -40 && x <= 0) {
        // Left of the picture: toward the start, or the end in the mirrored view.
        m.scrolled = autoScroll(s, s.direction == 1, x > -20 ? 1 : 3);
        return m;
    } else if (x >= wp && x < wp + 40) {
        m.scrolled = autoScroll(s, s.direction != 1, x < wp + 20 ? 1 : 3);
        return m;
    }
    s.row = y - 22;
    return m;
}

CursorMove KeyMoveCursor(CursorScene& s, int key, bool shiftOnly, bool noModifiers) {
    CursorMove m;
    const int step = shiftOnly ? 10 : (noModifiers ? 1 : 0);
    const int sign = s.direction == 1 ? -1 : 1;
    switch (key) {
    case Qt::Key_Left:
        s.column -= sign * step;
        break;
    case Qt::Key_Right:
        s.column += sign * step;
        break;
    case Qt::Key_Up:
        s.row -= step;
        break;
    case Qt::Key_Down:
        s.row += step;
        break;
    default:
        m.ignored = true;
        return m;
    }
    s.row = std::clamp(s.row, 1, std::max(1, s.rows));
    s.column = std::clamp(s.column, 1, std::max(1, columns(s)));
    const int before = s.scroll;
    if (s.column < s.scroll && s.scroll > 1 && s.column > 0) {
        s.scroll = s.column;
    } else if (s.column >= s.scroll + s.pictureWidth) {
        if (s.direction != 1)
            s.scroll = s.scroll + step < s.scrollMax ? s.scroll + step : s.scrollMax;
        else
            s.scroll = s.scrollMin < s.scroll + step ? s.scrollMin : s.scroll + step;
    }
    m.scrolled = s.scroll != before;
    return m;
}

} // namespace rebar
