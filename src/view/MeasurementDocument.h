#pragma once
// One opened measurement file without a window: its record, the view state that belongs to the
// file (cursor, depth of the display rows, marker command state, menu marks), the pictures a
// refresh builds (composed image and marker overlay, depth axis, colour bar) and the texts of
// the marker list and the cursor readouts.
//
// The view window shows a document; rbinfo renders one to a file; the exports, the batch
// conversion and the report designer open their own. A document touches no widget and no
// program-wide state: what it needs from the program comes in through its DocumentContext.
//
// The view commands are plain functions: each changes the record as its menu item says and
// answers with the parts of the view to show again and the messages for the user.

#include "data/FileOpen.h"
#include "data/MeasurementRecord.h"
#include "view/ColorBar.h"
#include "view/CommandResult.h"
#include "view/CoverCompliance.h"
#include "view/CursorMotion.h"
#include "view/CursorPosition.h"
#include "view/DocumentContext.h"
#include "view/MarkerList.h"
#include "view/ViewImages.h"

#include <QImage>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QUndoStack;

namespace rebar {

struct DetectionRun;

// What the window wants to hear while a file loads: kindKnown once the file kind is known (the
// progress dialog shows from here on), progress percentages, and turns to let events run; and
// for a DZT file how its import asks for a channel and a pitch and where its figures go (null:
// channel 1, no pitch, no figures).
struct LoadFeedback {
    std::function<void()> kindKnown;
    ProgressFn progress;
    std::function<void()> pumpEvents;
    const DztImportOptions* dztOptions = nullptr;
    DztImportFigures* dztFigures = nullptr;
};

class MeasurementDocument;
class Platform;

// The feedback of an open in a window: once the file kind is known the platform's progress
// dialog shows with the loading texts of language (the record notes that it is shown) and then
// follows the read; pending events run at every step. The DZT options are the caller's to set.
LoadFeedback ProgressDialogFeedback(MeasurementDocument& doc, Platform& ui,
                                    const QString& language);

// The view state a document keeps beside its record.
struct DocumentState {
    int32_t CursorColumn = 1;           // image column, 1-based
    int32_t CursorRow = 1;              // display row, 1-based
    std::vector<int32_t> RowDepthTable; // depth in mm of display rows 0..R (entry 0 = 0)

    // Marker command state
    int16_t DeleteWithoutPrompt = 0;
    int32_t MarkerToDelete = 0;
    int32_t LastPeakColumn = 0;
    int32_t LastPeakSample = 0;
    // The number of the marker most recently added (730: list index + 1; 940: group x 100 +
    // slot), 0 for none.
    int32_t CurrentMarker = 0;
};

// What a marker command can change, kept before and after it for undo and redo: the markers of
// both families, the mark group shown, the current marker, and the permittivity that a
// back-calculation or a fitted detection sets.
struct MarkerState {
    std::vector<Marker730> Markers730;
    std::array<std::array<Mark940, MarksPerGroup940 + 1>, MarkGroups940> Marks940{};
    int16_t MarkerGroup = 0;
    int32_t CurrentMarker = 0;
    double Permittivity = 0;
    int32_t PermittivityPreset = 0;
    float SavedPermittivity = 0;
    int PermittivityMark = -1;
    bool operator==(const MarkerState& o) const;
};

// The check marks and enabled states of a view's menus (the item index checked in each group,
// -1 none). The document is their one owner: a command moves them as it changes the record,
// and the command table reads them for the menus.
struct MenuMarks {
    int Sensitivity = -1;           // Menu3
    int Gradation = -1;             // Menu4
    int Permittivity = -1;          // Menu5
    int Direction = -1;             // Menu6
    int ViewRange = -1;             // Menu12
    int Magnification = -1;         // Menu15
    int DistanceUnit = -1;          // Menu16_0
    int DepthUnit = -1;             // Menu16_1
    int Processing = -1;            // items 4..10 of Menu10 and Menu14
    bool Peak = false;              // item 11 of Menu10 and Menu14
    int MarkerGroup = 0;            // Menu17_0 and Menu18_0
    bool PeakEnabled = true;        // item 11 of Menu10 and Menu14
    bool SensitivityEnabled = true; // the sensitivity menu (Menu1 item 1)
    bool SaveEnabled = false;       // menu2 item 2
};

// The texts of the cursor readouts and of the positioning data.
struct Readouts {
    bool valid = false; // false until a conversion succeeded
    ReadoutTexts texts;
    bool gps = false; // a ZVX file with a position: the GPS labels show
    QString gpsDate, gpsLocation;
};

// The part of the radargram a window shows: its scroll value and range (the minimum holds the
// largest value when the bar runs backwards) and the size of its picture in pixels.
struct Viewport {
    int scroll = 1;
    int scrollMin = 1;
    int scrollMax = 1;
    int pictureWidth = 0;
    int pictureHeight = 0;
};

// Where the cursor's cross lines go over a viewport: the vertical line (shown only while the
// cursor column is in sight; moved only when the column lies in the image) at x from the
// picture's left edge, the horizontal lines at row y from the picture's top.
struct CrossLines {
    bool columnShown = false;
    bool columnMoved = false;
    int x = 0;
    int y = 0;
};

// The proposal of the Save As chooser.
struct SaveAsProposal {
    QString title;
    QString extension; // "RDD" or "ZVX"
    QString path;      // folder of the file and its name with the extension
};

class MeasurementDocument {
public:
    MeasurementDocument();
    ~MeasurementDocument();
    MeasurementDocument(const MeasurementDocument&) = delete;
    MeasurementDocument& operator=(const MeasurementDocument&) = delete;

    // Opens path: a new record with the creation defaults, the kind detection and the reader,
    // the display defaults of the settings, the full refresh and the colour bar. On failure the
    // result carries the load stage reached and why. ctx must be complete.
    OpenResult Open(const QString& path, const DocumentContext& ctx,
                    const LoadFeedback& feedback = {});

    // Re-processes and redraws the document: each step of steps is run in order until one
    // fails. Readouts are written only once the document is loaded.
    bool Refresh(RefreshSteps steps);
    // The steps of the last refresh whose pictures or texts changed: a step that failed after
    // clearing its output counts, a render that failed does not.
    RefreshSteps lastRefreshShown() const { return m_shown; }

    const MeasurementRecord& record() const { return m_rec; }
    MeasurementRecord& record() { return m_rec; }
    const DocumentState& state() const { return m_state; }
    DocumentState& state() { return m_state; }
    const DocumentContext& context() const { return m_ctx; }
    // The limit of held 940 traces this document's reader set.
    int16_t MaxTraces() const { return m_maxTraces; }

    const ViewImages& images() const { return m_images; }
    const QImage& depthAxis() const { return m_depthAxis; }
    const ColorBar& colorBar() const { return m_colorBar; }
    const MarkerListContent& markerList() const { return m_markerList; }
    const Readouts& readouts() const { return m_readouts; }
    const MenuMarks& marks() const { return m_marks; }
    // Image columns of the radargram: TraceCount, or half of it in the wide ranges.
    int imageWidth() const;

    // The whole radargram as the view shows it scrolled across: every image column of the
    // marker overlay (distance strip, B-mode picture and markers). Null before a render.
    QImage RadargramImage() const;
    // The A-mode trace of the cursor column into picture (cleared white first).
    void DrawAMode(QImage& picture) const;
    // Moves the cursor as a mouse move at picture pixel (x, y) with a button held, or an arrow
    // key, does over the viewport; at the picture's edges the viewport's scroll value moves too.
    CursorMove MouseCursor(Viewport& v, int x, int y);
    CursorMove KeyCursor(Viewport& v, int key, bool shiftOnly, bool noModifiers);
    CrossLines CrossLinesIn(const Viewport& v) const;
    // Brings the cursor inside the picture: column 1..image width, row 1..display rows.
    void ClampCursor();
    // Display rows of the picture: 512 or 768, half of it at the 1/2 cover magnification.
    int displayRows() const;
    // Rewrites the readout texts for the cursor (nothing before the document is loaded).
    void UpdateReadouts();
    // The depth axis, the marker list, the colour bar, each redrawn alone.
    bool DrawDepthAxis();
    bool RebuildMarkerList();
    void DrawColorBar();
    // The menu marks as the record stands (after an open); SaveEnabled from the file kind.
    void SetMenuMarks();
    void ResetSaveEnabled();

    // ---- View commands (the menu item index as argument) ----
    CommandResult SensitivityCommand(int item);        // Menu3
    CommandResult GradationCommand(int item);          // Menu4
    CommandResult DirectionCommand(int item);          // Menu6
    CommandResult ViewRangeCommand(int item);          // Menu12
    CommandResult CoverMagnificationCommand(int item); // Menu15
    CommandResult ProcessingCommand(int item);         // Menu10 / Menu14 items 4..11
    CommandResult MarkerGroupCommand(int group);       // Menu17_0 / Menu18_0
    CommandResult DistanceUnitCommand(int item);       // Menu16_0
    CommandResult DepthUnitCommand(int item);          // Menu16_1
    // Menu5: items 0..6 the presets, 7 the time axis, 8 the value chosen in the permittivity
    // dialog (er, not x 10).
    CommandResult ChoosePermittivity(int item, double chosen = 0);
    CommandResult PermittivityCommand(int item) { return ChoosePermittivity(item); }
    // The permittivity set on every view at once (the dialog's "apply to all").
    CommandResult SetDielectric(double er, int item);
    // The value (er x 10) the permittivity dialog opens with.
    int PermittivityDialogValue() const;

    // ---- Marker editing (MeasurementDocumentMarkers.cpp) ----
    // Each command that changes markers is one step of the document's undo history, refreshes
    // the marker list, the overlay and the readouts, and marks the record modified.
    CommandResult AddMarkerCommand(int = 0); // at the cursor (B-mode edit item 0, Shift+M)
    // Whether the marker list holds a marker line (delete and the list commands need one).
    bool HasMarkerLines() const { return !m_markerList.lines.isEmpty(); }
    // The number of the last marker line, 999 when the list holds none.
    int LastListNumber() const;
    // Deletes the markers that the delete input text names ("ALL", k, a+b+c, a-b).
    CommandResult DeleteMarkers(const QString& text);
    // The text a delete without the input box uses, the marker last added; clears
    // DeleteWithoutPrompt.
    QString DeleteTextWithoutPrompt();
    // Shift+L and Shift+S: the cursor onto the strongest echo of its trace, or of its
    // neighbourhood; Shift+P snaps and adds a marker.
    CommandResult PeakSearchCommand(int = 0);
    CommandResult SnapCommand(int = 0);
    CommandResult SnapAndAddCommand(int = 0);
    // The marker list's commands (Menu11 / Menu13): 0 delete the marker of line selectedLine
    // (1 = the first marker line), 1 compact, 2 sort ascending, 3 sort descending.
    CommandResult MarkerListCommand(int item, int selectedLine);
    // A click on marker line `line`: the cursor moves onto the marker and the viewport scrolls
    // to it when it lies out of sight (lastScrollValue: the value last shown).
    CommandResult ClickMarkerLine(int line, Viewport& v, int lastScrollValue);
    // Writes a detection run (Detection.h) into the markers: the markers it replaces go, its
    // markers come, and for the fitted detector with setPermittivity its permittivity estimate
    // becomes the view's permittivity; the 940 view then shows the run's group.
    CommandResult ApplyDetectionRun(const DetectionRun& run, bool setPermittivity);
    // The permittivity at which the depth table gives depthMm at the cursor's row.
    CommandResult BackCalculateCommand(double depthMm);

    // Undo and redo of the marker commands (without limit over the document's life).
    CommandResult UndoCommand(int = 0);
    CommandResult RedoCommand(int = 0);
    bool canUndo() const;
    bool canRedo() const;
    MarkerState markerState() const;

    // ---- Window options, notes and comments ----
    // The half-wave choice of the window options: when it differs from AModeSet, the
    // processing line moves to the cursor's trace and the view is processed again.
    CommandResult HalfWaveCommand(int choice);
    CommandResult SetNote(const QString& note);
    CommandResult SetComment(const std::array<QString, 4>& texts, int direction);

    // ---- Cover compliance ----
    // The view's cover compliance settings: at Open those of the file's sidecar, or the
    // program's defaults when there is none or it is ignored (the reason then goes to standard
    // error and stays in complianceNote()); for the session, what SetCompliance stored.
    const ComplianceSettings& compliance() const { return m_compliance; }
    bool complianceFromSidecar() const { return m_complianceFromSidecar; }
    const QString& complianceNote() const { return m_complianceNote; }
    // The settings of the cover dialog: a setting out of range is refused (MSG44 naming it,
    // nothing changed); otherwise they become the view's, the marker list and overlay show the
    // new verdicts, and the sidecar is written beside the file (a failed write: MSG43 with the
    // reason, ok false, the settings kept for the session).
    CommandResult SetCompliance(const ComplianceSettings& s);
    // The program's language name ("JP", "EN") the document's texts are in.
    QString languageName() const;

    // ---- Saving ----
    // Save (menu2 item 2): writes an RDD or ZVX file in place; nothing for other kinds.
    CommandResult SaveCommand();
    // Writes the file in place without the success message (the close question's Yes).
    CommandResult SaveInPlace();
    // Save As to path (chosen by the user from SaveAsProposal); quiet leaves out the success
    // message.
    CommandResult SaveAs(const QString& path, bool quiet);
    SaveAsProposal SaveAsChoice() const;

private:
    bool refreshInto(CommandResult& result, RefreshSteps steps);
    CursorScene sceneIn(const Viewport& v) const;
    CursorMove takeMove(const CursorScene& s, Viewport& v, CursorMove m);
    bool writeRecord(const QString& path, CommandResult& result);
    // Marker commands: the list and overlay redrawn (false when either fails), and one undo
    // step from `before` to the state now when something changed.
    bool redrawMarkers(CommandResult& result);
    void recordStep(const MarkerState& before, const QString& text);
    void restoreMarkerState(const MarkerState& s);
    CommandResult showRestored();
    bool placeCursor(int column, int row);
    void readComplianceSidecar(const QString& path);
    // The marker overlay over the composed image, markers below the minimum cover warned.
    bool drawMarkers();
    friend class MarkerStep;

    DocumentContext m_ctx;
    int16_t m_maxTraces = 6000;
    MeasurementRecord m_rec;
    DocumentState m_state;
    MenuMarks m_marks;
    ViewImages m_images;
    QImage m_depthAxis;
    ColorBar m_colorBar;
    MarkerListContent m_markerList;
    Readouts m_readouts;
    ComplianceSettings m_compliance;
    bool m_complianceFromSidecar = false;
    QString m_complianceNote;
    ProgressFn m_progress; // set while a file loads
    RefreshSteps m_shown;
    std::unique_ptr<QUndoStack> m_undo;
    // The figures of a clicked marker line, shown in the readouts while the cursor stays on
    // the marker's column and row.
    struct LineFigures {
        int column = 0, row = 0;
        QString distance, depth;
    };
    std::optional<LineFigures> m_lineFigures;
};

} // namespace rebar
