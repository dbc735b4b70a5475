#pragma once
// The positioning data of a four-channel ZVX file (kind 10): latitude and longitude as decimal
// texts in fixed header fields.

#include "data/MeasurementRecord.h"

#include <QString>
#include <optional>

namespace rebar {

struct GpsPosition {
    double latitude = 0;
    double longitude = 0;
};

// The file's position when both fields read as numbers (either hemisphere, with or without
// leading blanks or zeros); nothing for other kinds or empty and unreadable fields.
std::optional<GpsPosition> GpsPositionOf(const MeasurementRecord& r);

} // namespace rebar
