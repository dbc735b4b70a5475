#pragma once
// The view commands that ask the user something before the document runs them: the delete
// input box, the confirmation and progress window of the marker detections, the group and
// permittivity questions of the fitted detector, the depth of the permittivity back-calculation,
// and the map link that hands a web address to the desktop. They talk to the user through the
// platform layer only, so they run the same in the window and in tests with scripted answers.

#include "processing/Detection.h"
#include "view/CommandResult.h"
#include "view/ViewCommandTable.h"

#include <QString>
#include <optional>

namespace rebar {

class MeasurementDocument;
class Platform;

// Delete markers (B-mode edit item 1): the input box (prompt MSG27), or without it the marker
// last added when the document's DeleteWithoutPrompt is set. Nothing without a marker line.
CommandResult DeleteMarkersCommand(MeasurementDocument& doc, Platform& ui);
// Shift+D: the marker last added, without the input box. Shift+E: the marker of the last list
// line, which becomes the current marker first.
CommandResult DeleteCurrentMarkerCommand(MeasurementDocument& doc, Platform& ui);
CommandResult DeleteLastMarkerCommand(MeasurementDocument& doc, Platform& ui);

// The automatic marker detection from the start or the end (Menu19_0 items 0 and 1), or the
// fitted detector (item 2): refused runs are told at once; otherwise confirmation (OK/Cancel),
// the progress window, the run, and its markers as one undo step.
CommandResult DetectionCommand(MeasurementDocument& doc, Platform& ui, DetectionMode mode);

// The permittivity back-calculation (B-mode edit item 12): the depth of the echo at the cursor
// in an input box (MSG31, or MSG38 for inches).
CommandResult BackCalculationCommand(MeasurementDocument& doc, Platform& ui);

// The web-map address of a ZVX file's position, the latitude and longitude with six decimals;
// nothing when the file carries no position that reads as numbers.
std::optional<QString> MapLinkUrl(const MeasurementDocument& doc);
// A click on the map link: the address goes to the desktop's web browser; a failure is told.
CommandResult OpenMapLink(const MeasurementDocument& doc, Platform& ui);

// A marker key released over the radargram with Shift held: M adds a marker, D deletes the marker
// last added, E the marker of the last list line, L searches the peak, S snaps the cursor, P snaps
// and adds. Nothing for any other key.
std::optional<CommandResult> MarkerKeyCommand(MeasurementDocument& doc, Platform& ui, int key);

// The table's window commands that need only the document and the user's answers: delete
// markers, the marker list's commands on its selected line (selectedLine, 0 for none), the
// detections and the back-calculation. Nothing for any other entry.
std::optional<CommandResult> RunInteractiveCommand(MeasurementDocument& doc, Platform& ui,
                                                   const ViewCommand& c, int selectedLine);

} // namespace rebar
