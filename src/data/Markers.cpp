#include "data/Markers.h"

namespace rebar {

int ShownMarkerCount(const MeasurementRecord& r) {
    int n = 0;
    ForEachShownMarker(r, [&n](const MarkerEntry&) { ++n; });
    return n;
}

int InsertMarker730(MeasurementRecord& r, int32_t position, int32_t sample) {
    size_t i = 0;
    while (i < r.Markers730.size() && IsUsed(r.Markers730[i]))
        ++i;
    if (i == r.Markers730.size())
        r.Markers730.emplace_back();
    r.Markers730[i] = Marker730{position, sample};
    return static_cast<int>(i);
}

std::optional<int> InsertMark940(MeasurementRecord& r, int group, int32_t x, int32_t y) {
    if (group < 0 || group >= MarkGroups940)
        return std::nullopt;
    auto& groupMarks = r.Marks940[static_cast<size_t>(group)];
    for (int s = 1; s <= MarksPerGroup940; ++s) {
        Mark940& m = groupMarks[static_cast<size_t>(s)];
        if (!IsUsed(m)) {
            m = Mark940{FlagTrue, x, y};
            return s;
        }
    }
    return std::nullopt;
}

bool DeleteMarker730(MeasurementRecord& r, int index) {
    if (index < 0 || static_cast<size_t>(index) >= r.Markers730.size())
        return false;
    r.Markers730[static_cast<size_t>(index)] = Marker730{};
    return true;
}

bool DeleteMark940(MeasurementRecord& r, int group, int slot) {
    if (group < 0 || group >= MarkGroups940 || slot < 1 || slot > MarksPerGroup940)
        return false;
    r.Marks940[static_cast<size_t>(group)][static_cast<size_t>(slot)] = Mark940{};
    return true;
}

void ClearMarkers730(MeasurementRecord& r) {
    r.Markers730.assign(ClearedMarkerSlots730, Marker730{});
}

void ClearMarkGroup940(MeasurementRecord& r, int group) {
    if (group >= 0 && group < MarkGroups940)
        r.Marks940[static_cast<size_t>(group)] = {};
}

} // namespace rebar
