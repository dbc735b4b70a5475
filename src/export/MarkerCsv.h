#pragma once
// The marker CSV written beside an exported JPEG: the markers of the exported range, one column
// per marker (number, distance, depth or echo time, pitch), then the statistics of the view's
// marker list. Text in the system code page, lines ended by CR LF, captions in double quotes,
// figures without.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rebar {

class MeasurementDocument;

// The file's bytes for the range start..end (image columns as the composition returned them).
// Empty when no marker lies in the range or a marker could not be measured (error says which).
QByteArray MarkerCsvBytes(const MeasurementDocument& doc, int start, int end,
                          int16_t distanceFromFile, QString* error = nullptr);

// Writes the CSV to path (replacing a file there): 0 written, 1 not written (error says why).
int WriteMarkerCsv730(const MeasurementDocument& doc, const QString& path, int start, int end,
                      int16_t distanceFromFile, QString* error = nullptr);
int WriteMarkerCsv940(const MeasurementDocument& doc, const QString& path, int start, int end,
                      int16_t distanceFromFile, QString* error = nullptr);

} // namespace rebar
