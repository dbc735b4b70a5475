#pragma once
// The permittivity dialog: a scroll bar over er x 10 (20..200), the value shown as text, and
// the buttons OK (0), cancel (1) and apply to all views (2). It runs through the platform layer
// (Platform::runDialog); the caller reads value() and applyToAll() afterwards.

#include "platform/Platform.h"

#include <QDialog>

class QLabel;
class QScrollBar;

namespace rebar {

class frmDielectric : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    // initial: the value (er x 10) the dialog opens with; cancel keeps it.
    frmDielectric(QWidget* parent, int initial);

    // The value chosen (er x 10), and whether it goes to every open view.
    int value() const { return m_value; }
    bool applyToAll() const { return m_applyToAll; }

    void setCurrent(int value);
    int current() const { return m_current; }
    void press(int button);

    QString dialogName() const override { return objectName(); }
    QList<int> dialogValues() const override { return {m_current}; }
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

private:
    void showValue();
    QScrollBar* m_scale;
    QLabel* m_text;
    int m_current = 80;
    int m_value = 80;
    bool m_applyToAll = false;
};

} // namespace rebar
