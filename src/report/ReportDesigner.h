#pragma once
// The report designer without its window: the model, and every slot change as one step on an
// undo stack. A step keeps the slots as they were before and after the change (pictures are
// shared, not copied), so undo and redo put the whole slot state back; the texts typed into the
// boxes are not part of a step.

#include "report/ReportModel.h"

#include <QObject>
#include <QUndoStack>
#include <functional>

namespace rebar {

class ReportDesigner : public QObject {
    Q_OBJECT
public:
    explicit ReportDesigner(QObject* parent = nullptr);

    ReportModel& model() { return m_model; }
    const ReportModel& model() const { return m_model; }
    QUndoStack& undoStack() { return m_undo; }

    void Load(const ReportLayout& layout, bool japanese);

    // The slot commands, each one undo step when it changed something.
    int AddPhoto(int i);
    bool DeletePhoto(int i);
    bool SetPhotoLandscape(int i, bool landscape);
    bool MovePhoto(int i, const DropCell& drop);
    bool LoadPhoto(int i, const QImage& picture);
    int AddData(int i);
    bool DeleteData(int i);
    bool SetDataSize(int i, int rows);
    bool MoveData(int i, const DropCell& drop);
    // A dropped picture: into the first photo slot without one (added when needed); -1 none.
    int DropPhoto(const QImage& picture);
    // The slot for the next dropped measurement file (see ReportModel::DataSlotForDrop).
    int DataSlotForDrop(std::array<bool, ReportDataSlots>& taken);

    // Activation: takes over delivered pictures and tables and the options the setup dialogs
    // changed (clearing their flags); one undo step for all of it. True when anything changed.
    bool Activate(const ReportLayout& layout, ReportLayoutChanges& changes);

    // Runs a change of the model as one undo step named text; the change returns whether it
    // changed anything.
    bool Edit(const QString& text, const std::function<bool(ReportModel&)>& change);

signals:
    // The slots changed (a command, an undo or a redo): the window shows the pages again.
    void changed();

private:
    ReportModel m_model;
    QUndoStack m_undo;
};

} // namespace rebar
