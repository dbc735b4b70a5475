#pragma once
// What a document command hands back to whoever ran it: which parts of the view to show again,
// and what to tell the user. The window turns the parts into control updates and the notices
// into message boxes; a headless caller may ignore both.

#include <QFlags>
#include <QList>
#include <QString>
#include <optional>

namespace rebar {

// The steps of a refresh.
enum class RefreshStep : unsigned {
    Process = 1u << 0,    // the raw traces into the work matrices
    Render = 1u << 1,     // the composed image and the marker overlay
    DepthAxis = 1u << 2,  // the depth (or time) axis
    MarkerList = 1u << 3, // the marker list and its statistics
    Readouts = 1u << 4,   // the cursor readouts
};
using RefreshSteps = QFlags<RefreshStep>;
Q_DECLARE_OPERATORS_FOR_FLAGS(RefreshSteps)
constexpr RefreshSteps AllRefreshSteps = RefreshSteps(RefreshStep::Process) | RefreshStep::Render |
                                         RefreshStep::DepthAxis | RefreshStep::MarkerList |
                                         RefreshStep::Readouts;

// The parts of a view to show again, in the order a window shows them.
enum class ViewUpdate : unsigned {
    Caption = 1u << 0,       // the window caption (the file name)
    ScrollRange = 1u << 1,   // the scroll range for the direction and range, the value kept
    Image = 1u << 2,         // the new overlay at the scroll position (after a render)
    DepthAxis = 1u << 3,     // the depth axis picture (cleared when it could not be drawn)
    MarkerList = 1u << 4,    // the marker list and the statistics labels
    Readouts = 1u << 5,      // cross lines, readout labels and the A-mode trace
    ColorBar = 1u << 6,      // the colour bar and the colours of the cursor lines
    Resize = 1u << 7,        // the resize handler, as after a width change
    PictureHeight = 1u << 8, // picture heights for the cover magnification
};
using ViewUpdates = QFlags<ViewUpdate>;
Q_DECLARE_OPERATORS_FOR_FLAGS(ViewUpdates)

// A message for the user: a message-table key shown in a box titled `title` (the file path),
// with `line` (why, in the user's language) on a line of its own when there is one.
struct Notice {
    enum Kind { Warning, Information };
    Kind kind = Warning;
    int message = 0; // MSGn
    QString title;
    std::optional<QString> line;
};

struct CommandResult {
    bool ok = true; // the command did what it was asked (a failed refresh, save, ...: false)
    ViewUpdates updates;
    QList<Notice> notices;

    void warn(int message, const QString& title, std::optional<QString> line = std::nullopt) {
        notices.append({Notice::Warning, message, title, std::move(line)});
    }
    void inform(int message, const QString& title) {
        notices.append({Notice::Information, message, title, std::nullopt});
    }
};

} // namespace rebar
