#pragma once
// The window-options dialog of a view: one frame per window option with the buttons hide (0)
// and show (1), and the half-wave choice with three buttons (all, positive half only, negative
// half only); OK (button 0) keeps the choice, cancel (button 1) leaves the options as they were.
// It runs through the platform layer; its values are the nine options in the order of
// WindowOptions.

#include "platform/Platform.h"
#include "view/ViewLayout.h"

#include <QDialog>
#include <array>

class QButtonGroup;

namespace rebar {

class frmWindowOption : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    // id: the slot of the view that opens the dialog.
    frmWindowOption(QWidget* parent, const WindowOptions& options, int id);

    bool accepted() const { return m_accepted; }
    int id() const { return m_id; }
    // The options the buttons show (the view's own until the user changes them).
    WindowOptions options() const;
    void press(int button);

    QString dialogName() const override { return objectName(); }
    QList<int> dialogValues() const override;
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

private:
    void SetDispSetSW(const WindowOptions& o);
    std::array<QButtonGroup*, 9> m_groups{};
    int m_id;
    bool m_accepted = false;
};

// The nine options in dialog order, and back.
QList<int> OptionValues(const WindowOptions& o);
WindowOptions OptionsOf(const QList<int>& values);

} // namespace rebar
