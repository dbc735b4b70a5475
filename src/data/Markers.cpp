#include "data/Markers.h"

#include <algorithm>

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

namespace {

// The used markers a view shows, in storage order.
std::vector<MarkerEntry> shownMarkers(const MeasurementRecord& r) {
    std::vector<MarkerEntry> out;
    ForEachShownMarker(r, [&out](const MarkerEntry& m) { out.push_back(m); });
    return out;
}

// Writes markers back to the front of the shown storage: the 730 list becomes exactly these
// entries, the 940 group holds them in slots 1..k and nothing after.
void writeShownMarkers(MeasurementRecord& r, const std::vector<MarkerEntry>& markers) {
    if (r.is940()) {
        const int g = r.MarkerGroup;
        if (g < 0 || g >= MarkGroups940)
            return;
        auto& groupMarks = r.Marks940[static_cast<size_t>(g)];
        const size_t n = std::min(markers.size(), static_cast<size_t>(MarksPerGroup940));
        std::fill(groupMarks.begin() + 1, groupMarks.end(), Mark940{});
        for (size_t k = 0; k < n; ++k)
            groupMarks[k + 1] = Mark940{FlagTrue, static_cast<int32_t>(markers[k].x),
                                        static_cast<int32_t>(markers[k].y)};
    } else {
        r.Markers730.clear();
        for (const MarkerEntry& m : markers)
            r.Markers730.push_back(Marker730{static_cast<int32_t>(m.x), static_cast<int32_t>(m.y)});
    }
}

} // namespace

void CompactShownMarkers(MeasurementRecord& r) {
    writeShownMarkers(r, shownMarkers(r));
}

void SortShownMarkers(MeasurementRecord& r, MarkerOrder order) {
    std::vector<MarkerEntry> m = shownMarkers(r);
    std::stable_sort(m.begin(), m.end(), [order](const MarkerEntry& a, const MarkerEntry& b) {
        if (a.x != b.x)
            return order == MarkerOrder::Ascending ? a.x < b.x : a.x > b.x;
        return a.y < b.y;
    });
    writeShownMarkers(r, m);
}

bool DeleteShownMarker(MeasurementRecord& r, int k) {
    const std::vector<MarkerEntry> m = shownMarkers(r);
    if (k < 1 || static_cast<size_t>(k) > m.size())
        return false;
    const MarkerEntry& e = m[static_cast<size_t>(k - 1)];
    return r.is940() ? DeleteMark940(r, r.MarkerGroup, e.storage) : DeleteMarker730(r, e.storage);
}

} // namespace rebar
