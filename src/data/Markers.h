#pragma once
// The markers of a record, for every part of the program that reads or changes them: the
// overlay, the marker list, the writers, the exports, marker editing and detection.
//
// 730 family: Markers730 is a list indexed from 0; an entry is free when Position + Sample is 0
// or less, and free entries stay in the list. Marker number = index + 1.
// 940 family: Marks940 holds three groups of groupMarks 1..99; a slot is free when InUse is 0 and a
// new mark sets it to -1. Marker number = group x 100 + slot.

#include "data/MeasurementRecord.h"

#include <optional>
#include <type_traits>

namespace rebar {

// The free-slot rule of either family.
inline bool IsUsed(const Marker730& m) {
    return !m.isFree();
}
inline bool IsUsed(const Mark940& m) {
    return m.InUse != 0;
}

// A used marker as the views and exports see it.
struct MarkerEntry {
    int number = 0;  // the number shown to the user
    int storage = 0; // 730: list index; 940: slot 1..99
    int64_t x = 0;   // 730: Position (trace - 1); 940: X
    int64_t y = 0;   // 730: Sample (double-density); 940: Y (single-density)
};

namespace detail {
// Runs fn on e; false stops the walk when fn answers with a bool.
template <class Fn> bool visitMarker(Fn& fn, const MarkerEntry& e) {
    if constexpr (std::is_same_v<std::invoke_result_t<Fn&, const MarkerEntry&>, bool>)
        return fn(e);
    else {
        fn(e);
        return true;
    }
}
} // namespace detail

// Calls fn(const MarkerEntry&) for every used marker in storage order: every used entry of
// Markers730, or every used slot of 940 mark group `group` (0..2; any other group lists
// nothing). A fn that returns bool stops the walk by returning false.
template <class Fn> void ForEachMarker730(const MeasurementRecord& r, Fn&& fn) {
    for (size_t i = 0; i < r.Markers730.size(); ++i) {
        const Marker730& m = r.Markers730[i];
        if (IsUsed(m) &&
            !detail::visitMarker(fn, MarkerEntry{static_cast<int>(i) + 1, static_cast<int>(i),
                                                 m.Position, m.Sample}))
            return;
    }
}
template <class Fn> void ForEachMark940(const MeasurementRecord& r, int group, Fn&& fn) {
    if (group < 0 || group >= MarkGroups940)
        return;
    const auto& groupMarks = r.Marks940[static_cast<size_t>(group)];
    for (int s = 1; s <= MarksPerGroup940; ++s) {
        const Mark940& m = groupMarks[static_cast<size_t>(s)];
        if (IsUsed(m) && !detail::visitMarker(fn, MarkerEntry{group * 100 + s, s, m.X, m.Y}))
            return;
    }
}
// The markers a view shows: all of a 730 record, the current MarkerGroup of a 940 record.
template <class Fn> void ForEachShownMarker(const MeasurementRecord& r, Fn&& fn) {
    if (r.is940())
        ForEachMark940(r, r.MarkerGroup, fn);
    else
        ForEachMarker730(r, fn);
}

// The number of markers a view shows.
int ShownMarkerCount(const MeasurementRecord& r);

// Adds a 730 marker in the first free entry, or appended when none is free; returns its index.
int InsertMarker730(MeasurementRecord& r, int32_t position, int32_t sample);
// Adds a 940 mark in the first free slot of `group`; returns the slot, or nothing when the group
// is full (or not 0..2).
std::optional<int> InsertMark940(MeasurementRecord& r, int group, int32_t x, int32_t y);

// Frees 730 entry `index` / 940 slot `slot` of `group`. False when it addresses no entry.
bool DeleteMarker730(MeasurementRecord& r, int index);
bool DeleteMark940(MeasurementRecord& r, int group, int slot);

// "Delete all": the 730 list becomes ClearedMarkerSlots730 free entries; the 940 group's groupMarks
// are all freed.
constexpr int ClearedMarkerSlots730 = 43;
void ClearMarkers730(MeasurementRecord& r);
void ClearMarkGroup940(MeasurementRecord& r, int group);

// The marker list's own edits of the markers a view shows (all of a 730 record, the current
// mark group of a 940 record). Compacting moves the used entries to the front in their order
// (the 730 list keeps no free entry, the 940 group fills slots 1..k); sorting compacts and then
// orders them by trace, descending or ascending, equal traces by sample ascending.
void CompactShownMarkers(MeasurementRecord& r);
enum class MarkerOrder { Ascending, Descending };
void SortShownMarkers(MeasurementRecord& r, MarkerOrder order);
// Frees the k-th (1-based) used marker a view shows; false when there is no such marker.
bool DeleteShownMarker(MeasurementRecord& r, int k);

} // namespace rebar
