#pragma once
// The one table of a measurement view's menus: every top-level menu, submenu and item with its
// control name and index, its caption (design text and language-table key), whether it carries a
// check mark, what it runs, and where its check mark, enabled state and visibility come from.
// The window builds its menu bar and popup from it, applies the captions, connects the actions
// and sets the marks; tests run the commands and read the marks through it without a window.

#include "view/CommandResult.h"

#include <QKeySequence>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace rebar {

class MeasurementDocument;
class ViewHost;

// Commands of the view window that need more than the document: a chooser, a dialog, the
// window itself or the other views.
enum class WindowCommand {
    None,
    Save,               // menu2 item 2
    SaveAs,             // menu2 item 3
    Close,              // menu2 item 8
    PermittivityDialog, // Menu5 item 8
    Synchronise,        // Menu8 item 2 (its mark is the main frame's, for all views at once)
    JpegDialog,         // menu2 item 4: the JPEG dialog of the view
    Copy,               // menu2 item 5: the copy picture to the clipboard
    ScreenPrint,        // Menu21_0 item 0
    DataPrint,          // Menu21_0 item 1: the composed picture on A4 landscape
    ConvertOpenViews,   // menu2 item 9: every open view into one folder
    DeleteMarkers,      // Menu10 / Menu14 item 1: the delete input box
    MarkerList,         // Menu11 / Menu13: the list's commands on its selected line
    Detect,             // Menu19_0: automatic detection from the start (0), the end (1), fitted (2)
    BackCalculate,      // Menu10 / Menu14 item 12: the depth input box
    WindowOptions,      // Menu7 item 1: the window-options dialog
    Comment,            // Menu7 item 2: the comment dialog
    CoverSettings,      // Menu11 / Menu13 item 4: the cover compliance settings dialog
};

struct ViewCommand {
    enum Kind {
        TopMenu, // a menu of the menu bar (Menu1 item i, object name "Menu1_i")
        Popup,   // a menu shown only as a popup (Menu10 over the radargram)
        Submenu, // an item that opens the menu named menuName
        Item,
    };
    using DocumentFn = CommandResult (MeasurementDocument::*)(int index);
    using MarkFn = bool (*)(const MeasurementDocument&, int index);
    using StateFn = bool (*)(const MeasurementDocument&);
    using HostFn = void (ViewHost::*)();

    Kind kind = Item;
    QString array; // control array: "Menu3"; the item's object name is array + "_" + index
    int index = 0;
    QString parent;   // object name of the menu holding the item (empty for TopMenu and Popup)
    QString menuName; // TopMenu, Popup, Submenu: object name of the menu itself
    QString design;   // the design caption, shown until the language tables apply
    int caption = -1; // Captions index of the caption, or -1
    int message = -1; // MSG key of the caption (instead of a caption index), or -1
    bool checkable = false;
    DocumentFn run = nullptr;
    WindowCommand window = WindowCommand::None;
    HostFn host = nullptr;     // a command of the main frame (open, exit, cascade, about, ...)
    MarkFn checked = nullptr;  // null: the mark has another owner (or none)
    StateFn visible = nullptr; // null: always shown
    StateFn enabled = nullptr; // null: enabled when something is built behind it
    QList<QKeySequence> shortcuts;

    QString name() const { return array + QLatin1Char('_') + QString::number(index); }
    // An item runs something; a submenu holds an item that does; menus always count.
    bool built() const;
};

// The whole table in menu order: each menu comes before its items.
const std::vector<ViewCommand>& ViewCommandTable();
// The entry of control array `array`, item `index`; null when there is none.
const ViewCommand* FindViewCommand(const QString& array, int index);

// The state the menus show for a document.
bool CommandVisible(const ViewCommand& c, const MeasurementDocument& doc);
bool CommandEnabled(const ViewCommand& c, const MeasurementDocument& doc);
// The check mark of a checkable entry whose mark the document owns; nothing otherwise.
std::optional<bool> CommandChecked(const ViewCommand& c, const MeasurementDocument& doc);

// Runs the document command of an entry as a click would; an entry with no document command
// (a window command, an item not built) does nothing and answers ok = false.
CommandResult RunViewCommand(MeasurementDocument& doc, const ViewCommand& c);

} // namespace rebar
