#pragma once
// How mouse moves and arrow keys over the radargram move the cursor and, at the picture's
// edges, scroll the view.

#include <QtGlobal>

namespace rebar {

struct CursorScene {
    int column = 1;        // CursorColumn
    int row = 1;           // CursorRow
    int scroll = 1;        // V, the scroll bar's value
    int scrollMin = 1;     // the bar's minimum property
    int scrollMax = 1;     // the bar's maximum property
    int pictureWidth = 0;  // Wp, picb's inner width
    int pictureHeight = 0; // picb's inner height
    int traceCount = 0;    // N
    int viewRange = 0;
    int direction = 0;
    int rows = 512; // display rows (512/256 or 768/384)
};

struct CursorMove {
    bool ignored = false;  // the event does not move the cursor
    bool scrolled = false; // the scroll value changed (an auto-scroll step)
};

// A mouse move (or press) at picture pixel (x, y) with a button held.
CursorMove MouseMoveCursor(CursorScene& s, int x, int y);

// An arrow key: key is Qt::Key_Left/Right/Up/Down; shift/other give the step (10, 1, 0).
CursorMove KeyMoveCursor(CursorScene& s, int key, bool shiftOnly, bool noModifiers);

} // namespace rebar
