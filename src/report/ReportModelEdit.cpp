// The editing commands of the report designer: adding, deleting, turning, resizing and moving
// slots, filling them with pictures and files, and the activation that takes over what the
// measurement views delivered and what the setup dialogs changed.

#include "report/ReportModel.h"

#include <algorithm>

namespace rebar {

namespace {

template <typename List> int firstNotInUse(const List& list) {
    for (size_t i = 0; i < list.size(); ++i)
        if (!list[i].InUse)
            return static_cast<int>(i);
    return -1;
}

bool validPhoto(int i) {
    return i >= 0 && i < ReportPhotoSlots;
}
bool validData(int i) {
    return i >= 0 && i < ReportDataSlots;
}

} // namespace

// ---- Photo slots --------------------------------------------------------------------------------

int ReportModel::AddPhoto(int i) {
    if (!validPhoto(i) || !photo(i).InUse || !CanAddPhoto())
        return -1;
    return addPhotoAt(firstNotInUse(m_slots.photos), i);
}

// Slot target joins the report right after slot `after` in its line, shaped like it.
int ReportModel::addPhotoAt(int target, int after) {
    const PhotoSlot& from = photo(after);
    PhotoSlot& p = m_slots.photos[static_cast<size_t>(target)];
    p = PhotoSlot{};
    p.InUse = 1;
    p.HasTitle = from.HasTitle;
    p.HasRemarks = from.HasRemarks;
    p.Landscape = from.Landscape;
    p.Col = from.Col;
    p.Row = from.Row;
    layoutPhoto(p);
    ++m_slots.PhotoNum;
    const int k = LineOfPhoto(after);
    auto& entries = m_slots.lines[static_cast<size_t>(k)].entries;
    entries.insert(std::find(entries.begin(), entries.end(), after) + 1, target);
    ReflowPhotos(k);
    PlaceReport();
    return target;
}

// The first photo of a report without photos stands on a line of its own right below the
// header, shaped by the photo options.
void ReportModel::insertFirstPhoto(int target) {
    PhotoSlot& p = m_slots.photos[static_cast<size_t>(target)];
    p = PhotoSlot{};
    p.InUse = 1;
    p.HasTitle = m_slots.options.PTitle != 0 ? 1 : 0;
    p.HasRemarks = m_slots.options.PText1 != 0 ? 1 : 0;
    p.Landscape = m_slots.options.PDir != 0 ? 1 : 0;
    p.Col = 2;
    layoutPhoto(p);
    ++m_slots.PhotoNum;
    m_slots.lines.insert(m_slots.lines.begin(), ReportLine{false, {target}});
    ReflowPhotos(0);
    PlaceReport();
}

bool ReportModel::DeletePhoto(int i) {
    if (!validPhoto(i) || !photo(i).InUse)
        return false;
    PhotoSlot& p = m_slots.photos[static_cast<size_t>(i)];
    p.Picture = QImage();
    p.InUse = p.PictureLoaded = p.HasTitle = p.HasRemarks = 0;
    --m_slots.PhotoNum;
    const int k = LineOfPhoto(i);
    if (k >= 0) {
        auto& entries = m_slots.lines[static_cast<size_t>(k)].entries;
        entries.erase(std::find(entries.begin(), entries.end(), i));
        ReflowPhotos(k);
    }
    PlaceReport();
    return true;
}

bool ReportModel::SetPhotoLandscape(int i, bool landscape) {
    if (!validPhoto(i) || !photo(i).InUse || (photo(i).Landscape != 0) == landscape)
        return false;
    PhotoSlot& p = m_slots.photos[static_cast<size_t>(i)];
    p.Landscape = landscape ? 1 : 0;
    layoutPhoto(p);
    ReflowPhotos(LineOfPhoto(i));
    PlaceReport();
    return true;
}

bool ReportModel::LoadPhoto(int i, const QImage& picture) {
    if (!validPhoto(i) || !photo(i).InUse || picture.isNull())
        return false;
    PhotoSlot& p = m_slots.photos[static_cast<size_t>(i)];
    p.Picture = picture;
    p.PictureLoaded = 1;
    return true;
}

bool ReportModel::MovePhoto(int i, const DropCell& drop) {
    const int from = validPhoto(i) && photo(i).InUse ? LineOfPhoto(i) : -1;
    if (from < 0)
        return false;
    auto& lines = m_slots.lines;
    // The photo line whose rows hold the drop row (measured before the photo leaves).
    int into = -1;
    for (int k = 0; k < static_cast<int>(lines.size()); ++k) {
        if (lines[static_cast<size_t>(k)].data)
            continue;
        const int32_t top = LineTop(k);
        if (drop.row >= top && drop.row <= top + LineHeight(k) - 1) {
            into = k;
            break;
        }
    }
    auto& left = lines[static_cast<size_t>(from)].entries;
    left.erase(std::find(left.begin(), left.end(), i));
    if (into >= 0) {
        auto& entries = lines[static_cast<size_t>(into)].entries;
        auto at = std::find_if(entries.begin(), entries.end(),
                               [&](int n) { return photo(n).Col > drop.column; });
        entries.insert(at, i);
    } else {
        // A line of its own after the last line that starts above the drop row.
        int after = -1;
        for (int k = 0; k < static_cast<int>(lines.size()); ++k)
            if (!lines[static_cast<size_t>(k)].entries.empty() && LineTop(k) < drop.row)
                after = k;
        into = after + 1;
        lines.insert(lines.begin() + into, ReportLine{false, {i}});
        if (into <= from)
            return finishPhotoMove(from + 1, into);
    }
    return finishPhotoMove(from, into);
}

// Reflows the line a moved photo left and the line it joined, the later one first so that the
// earlier one's index stays good.
bool ReportModel::finishPhotoMove(int left, int joined) {
    ReflowPhotos(std::max(left, joined));
    if (left != joined)
        ReflowPhotos(std::min(left, joined));
    PlaceReport();
    return true;
}

int ReportModel::PhotoSlotForDrop() {
    for (int j = 0; j < ReportPhotoSlots; ++j) {
        if (photo(j).PictureLoaded)
            continue;
        if (!photo(j).InUse) {
            // Every slot before j holds a picture, so it is in use.
            if (j > 0)
                addPhotoAt(j, j - 1);
            else
                insertFirstPhoto(j);
        }
        return j;
    }
    return -1;
}

// ---- Data slots ---------------------------------------------------------------------------------

int ReportModel::AddData(int i) {
    if (!validData(i) || !data(i).InUse || !CanAddData())
        return -1;
    return addDataAt(firstNotInUse(m_slots.data), i);
}

int ReportModel::addDataAt(int target, int after) {
    const DataSlot& from = data(after);
    DataSlot& d = m_slots.data[static_cast<size_t>(target)];
    d = DataSlot{};
    d.InUse = 1;
    d.HasNumber = from.HasNumber;
    d.HasTitle = from.HasTitle;
    d.HasMarkers = from.HasMarkers;
    d.HasRemarks = from.HasRemarks;
    d.Size = from.Size;
    d.Row = from.Row;
    layoutData(d);
    ++m_slots.DataNum;
    m_slots.lines.insert(m_slots.lines.begin() + LineOfData(after) + 1, ReportLine{true, {target}});
    PlaceReport();
    return target;
}

// A data slot added when slot 0 is not in use: shaped by the data options, on a line before the
// first data line.
void ReportModel::insertFirstData(int target) {
    DataSlot& d = m_slots.data[static_cast<size_t>(target)];
    d = DataSlot{};
    d.InUse = 1;
    const ReportLayout& o = m_slots.options;
    d.Size = static_cast<int16_t>(DataSizeRows(o.DSize));
    d.HasNumber = o.DNo != 0 ? 1 : 0;
    d.HasTitle = o.DTitle != 0 ? 1 : 0;
    d.HasMarkers = o.DMark != 0 ? 1 : 0;
    d.HasRemarks = o.DText1 != 0 ? 1 : 0;
    layoutData(d);
    ++m_slots.DataNum;
    auto& lines = m_slots.lines;
    auto at = std::find_if(lines.begin(), lines.end(), [](const ReportLine& l) { return l.data; });
    lines.insert(at, ReportLine{true, {target}});
    PlaceReport();
}

bool ReportModel::DeleteData(int i) {
    if (!validData(i) || !data(i).InUse || !CanDeleteData())
        return false;
    DataSlot& d = m_slots.data[static_cast<size_t>(i)];
    const int16_t size = d.Size;
    d = DataSlot{};
    d.Size = size;
    --m_slots.DataNum;
    m_state[static_cast<size_t>(i)] = SlotIdle;
    m_pending[static_cast<size_t>(i)].reset();
    const int k = LineOfData(i);
    if (k >= 0)
        m_slots.lines.erase(m_slots.lines.begin() + k);
    PlaceReport();
    return true;
}

bool ReportModel::SetDataSize(int i, int rows) {
    if (!validData(i) || !data(i).InUse || (rows != 8 && rows != 14 && rows != 22) ||
        data(i).Size == rows)
        return false;
    DataSlot& d = m_slots.data[static_cast<size_t>(i)];
    d.Size = static_cast<int16_t>(rows);
    layoutData(d);
    PlaceReport();
    return true;
}

bool ReportModel::MoveData(int i, const DropCell& drop) {
    const int k = validData(i) && data(i).InUse ? LineOfData(i) : -1;
    if (k < 0)
        return false;
    auto& lines = m_slots.lines;
    int before = static_cast<int>(lines.size());
    for (int m = 0; m < static_cast<int>(lines.size()); ++m)
        if (LineTop(m) > drop.row) {
            before = m;
            break;
        }
    if (before == k || before == k + 1)
        return false;
    const ReportLine moved = lines[static_cast<size_t>(k)];
    lines.erase(lines.begin() + k);
    if (before > k)
        --before;
    lines.insert(lines.begin() + before, moved);
    PlaceReport();
    return true;
}

std::array<bool, ReportDataSlots> ReportModel::DataDropSnapshot() const {
    std::array<bool, ReportDataSlots> taken{};
    for (int i = 0; i < ReportDataSlots; ++i)
        taken[static_cast<size_t>(i)] = data(i).PictureLoaded != 0;
    return taken;
}

int ReportModel::DataSlotForDrop(std::array<bool, ReportDataSlots>& taken) {
    for (int j = 0; j < ReportDataSlots; ++j) {
        if (taken[static_cast<size_t>(j)])
            continue;
        taken[static_cast<size_t>(j)] = true;
        if (!data(j).InUse) {
            // Every slot before j is taken: it held a picture or took a file of this drop.
            if (j > 0)
                addDataAt(j, j - 1);
            else
                insertFirstData(j);
        }
        m_state[static_cast<size_t>(j)] = SlotOpening;
        return j;
    }
    return -1;
}

// ---- Delivery and activation
// ----------------------------------------------------------------------

// The delivery waits beside the slot until the designer takes it over, so the take-over is one
// change of the slots (and one undo step).
bool ReportModel::Deliver(int i, const ReportDelivery& delivery) {
    if (!validData(i) || !data(i).InUse)
        return false;
    m_pending[static_cast<size_t>(i)] = delivery;
    for (int n = 0; n < ReportHeaderItemCount; ++n)
        if (const auto& text = delivery.header[static_cast<size_t>(n)])
            m_texts.header[static_cast<size_t>(n)] = *text;
    m_texts.dataTitle[static_cast<size_t>(i)] = delivery.title;
    m_state[static_cast<size_t>(i)] = SlotDelivered;
    return true;
}

bool ReportModel::TakeOverDeliveries() {
    bool changed = false;
    for (int i = 0; i < ReportDataSlots; ++i) {
        const auto n = static_cast<size_t>(i);
        if (m_state[n] != SlotDelivered)
            continue;
        m_state[n] = SlotIdle;
        std::optional<ReportDelivery> delivery = std::move(m_pending[n]);
        m_pending[n].reset();
        DataSlot& d = m_slots.data[n];
        if (!d.InUse || !delivery)
            continue;
        d.PictureLoaded = 1;
        d.Picture = delivery->image;
        d.GridContent = delivery->grids;
        d.Compliance = delivery->compliance;
        d.Family = delivery->family;
        for (int g = 0; g < ReportMarkerGridCount; ++g)
            d.MarkerCounts[static_cast<size_t>(g)] = static_cast<int16_t>(
                std::min(delivery->grids[static_cast<size_t>(g)].count(), 999));
        d.Delivered = 1;
        layoutData(d);
        changed = true;
    }
    if (changed)
        PlaceReport();
    return changed;
}

void ReportModel::ApplyHeaderOptions(const ReportLayout& layout) {
    m_slots.options.HeaderItems = layout.HeaderItems;
    LayoutHeader();
    PlaceReport();
}

void ReportModel::ApplyPhotoOptions(const ReportLayout& layout) {
    ReportLayout& o = m_slots.options;
    o.PTitle = layout.PTitle;
    o.PText1 = layout.PText1;
    o.PDir = layout.PDir;
    bool turned = false;
    for (PhotoSlot& p : m_slots.photos) {
        if (!p.InUse)
            continue;
        p.HasTitle = o.PTitle != 0 ? 1 : 0;
        p.HasRemarks = o.PText1 != 0 ? 1 : 0;
        const int16_t landscape = o.PDir != 0 ? 1 : 0;
        turned = turned || p.Landscape != landscape;
        p.Landscape = landscape;
        layoutPhoto(p);
    }
    if (turned)
        reflowAllPhotoGroups();
    PlaceReport();
}

void ReportModel::ApplyDataOptions(const ReportLayout& layout) {
    ReportLayout& o = m_slots.options;
    o.DNo = layout.DNo;
    o.DTitle = layout.DTitle;
    o.DMark = layout.DMark;
    o.DText1 = layout.DText1;
    o.DSize = layout.DSize;
    for (DataSlot& d : m_slots.data) {
        if (!d.InUse)
            continue;
        d.HasNumber = o.DNo != 0 ? 1 : 0;
        d.HasTitle = o.DTitle != 0 ? 1 : 0;
        d.HasMarkers = o.DMark != 0 ? 1 : 0;
        d.HasRemarks = o.DText1 != 0 ? 1 : 0;
        d.Size = static_cast<int16_t>(DataSizeRows(o.DSize));
        layoutData(d);
    }
    PlaceReport();
}

} // namespace rebar
