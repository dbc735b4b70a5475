#pragma once
// Printing a picture on a Qt printer (the system's printers, or a PDF file).

#include "platform/Platform.h"

class QPrinter;

namespace rebar {

// Sets the printer up for the job's layout (orientation, A4 landscape for the sheet layout) and
// prints the picture as one page. Failed when the printer cannot be drawn on.
PrintOutcome PrintPictureOn(QPrinter& printer, const PrintJob& job);

// Only the page setup of PrintPictureOn, so that the print dialog opens with it.
void SetUpPrinter(QPrinter& printer, const PrintJob& job);

} // namespace rebar
