#pragma once
// The display settings a measurement document starts with: the values of a new record before
// its file is read, and the settling of the values read from the file against the display
// defaults of the settings (a -1 key keeps the file's value).

#include "config/Settings.h"
#include "data/MeasurementRecord.h"

#include <QStringList>

namespace rebar {

// The record of a new view before its file is read: the 730 display defaults of the settings,
// permittivity 8.0, fixed surface-wave processing, units "m" and "cm", today's date.
void ApplyCreationDefaults(MeasurementRecord& r, const Settings& s);

// Copies the as-read display values into Saved and then applies the display defaults of the
// settings (the 730 or 940 keys by the record's family).
void SettleDisplaySettings(MeasurementRecord& r, const Settings& s);

// The unit words of the unit menus: items 0..3 are "mm", "cm", "m" and "inch".
const QStringList& UnitWords();

} // namespace rebar
