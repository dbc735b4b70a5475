#include "report/ReportDesigner.h"

#include <QUndoCommand>

namespace rebar {

namespace {

// One slot change: the slots before and after it.
class SlotChange : public QUndoCommand {
public:
    SlotChange(ReportDesigner& d, const QString& text, ReportSlots before, ReportSlots after)
        : QUndoCommand(text), m_designer(d), m_before(std::move(before)),
          m_after(std::move(after)) {}

    void undo() override { put(m_before); }
    void redo() override {
        if (m_done)
            put(m_after);
        m_done = true; // the first redo is the change itself, already made
    }

private:
    void put(const ReportSlots& s) {
        m_designer.model().RestoreSlots(s);
        emit m_designer.changed();
    }

    ReportDesigner& m_designer;
    ReportSlots m_before, m_after;
    bool m_done = false;
};

} // namespace

ReportDesigner::ReportDesigner(QObject* parent) : QObject(parent) {}

void ReportDesigner::Load(const ReportLayout& layout, bool japanese) {
    m_undo.clear();
    m_model.Load(layout, japanese);
    emit changed();
}

bool ReportDesigner::Edit(const QString& text, const std::function<bool(ReportModel&)>& change) {
    ReportSlots before = m_model.slotState();
    if (!change(m_model))
        return false;
    m_undo.push(new SlotChange(*this, text, std::move(before), m_model.slotState()));
    emit changed();
    return true;
}

int ReportDesigner::AddPhoto(int i) {
    int added = -1;
    Edit(QStringLiteral("Add photo"), [&](ReportModel& m) { return (added = m.AddPhoto(i)) >= 0; });
    return added;
}

bool ReportDesigner::DeletePhoto(int i) {
    return Edit(QStringLiteral("Delete photo"), [&](ReportModel& m) { return m.DeletePhoto(i); });
}

bool ReportDesigner::SetPhotoLandscape(int i, bool landscape) {
    return Edit(QStringLiteral("Photo orientation"),
                [&](ReportModel& m) { return m.SetPhotoLandscape(i, landscape); });
}

bool ReportDesigner::MovePhoto(int i, const DropCell& drop) {
    return Edit(QStringLiteral("Move photo"), [&](ReportModel& m) { return m.MovePhoto(i, drop); });
}

bool ReportDesigner::LoadPhoto(int i, const QImage& picture) {
    return Edit(QStringLiteral("Photo"), [&](ReportModel& m) { return m.LoadPhoto(i, picture); });
}

int ReportDesigner::AddData(int i) {
    int added = -1;
    Edit(QStringLiteral("Add data"), [&](ReportModel& m) { return (added = m.AddData(i)) >= 0; });
    return added;
}

bool ReportDesigner::DeleteData(int i) {
    return Edit(QStringLiteral("Delete data"), [&](ReportModel& m) { return m.DeleteData(i); });
}

bool ReportDesigner::SetDataSize(int i, int rows) {
    return Edit(QStringLiteral("Data size"),
                [&](ReportModel& m) { return m.SetDataSize(i, rows); });
}

bool ReportDesigner::MoveData(int i, const DropCell& drop) {
    return Edit(QStringLiteral("Move data"), [&](ReportModel& m) { return m.MoveData(i, drop); });
}

int ReportDesigner::DropPhoto(const QImage& picture) {
    int slot = -1;
    Edit(QStringLiteral("Photo"), [&](ReportModel& m) {
        slot = m.PhotoSlotForDrop();
        return slot >= 0 && m.LoadPhoto(slot, picture);
    });
    return slot;
}

int ReportDesigner::DataSlotForDrop(std::array<bool, ReportDataSlots>& taken) {
    int slot = -1;
    const int dataBefore = m_model.DataNum();
    Edit(QStringLiteral("Add data"), [&](ReportModel& m) {
        slot = m.DataSlotForDrop(taken);
        return slot >= 0 && m.DataNum() != dataBefore; // only adding a slot is a step
    });
    return slot;
}

bool ReportDesigner::Activate(const ReportLayout& layout, ReportLayoutChanges& changes) {
    return Edit(QStringLiteral("Report"), [&](ReportModel& m) {
        bool changedAny = m.TakeOverDeliveries();
        if (changes.HeaderChanged == -1) {
            m.ApplyHeaderOptions(layout);
            changes.HeaderChanged = 0;
            changedAny = true;
        }
        if (changes.PhotoChanged == -1) {
            m.ApplyPhotoOptions(layout);
            changes.PhotoChanged = 0;
            changedAny = true;
        }
        if (changes.DataChanged == -1) {
            m.ApplyDataOptions(layout);
            changes.DataChanged = 0;
            changedAny = true;
        }
        return changedAny;
    });
}

} // namespace rebar
