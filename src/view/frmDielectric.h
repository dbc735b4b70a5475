#pragma once
// The permittivity dialog: a scroll bar over er x 10 (20..200), the value shown as text, and
// the buttons OK, cancel and apply to all views.

#include <QDialog>

class QLabel;
class QScrollBar;

namespace rebar {

class frmDielectric : public QDialog {
    Q_OBJECT
public:
    // The value the dialog works on (er x 10) and the apply-to-all answer; kept between
    // openings, as the menu command sets it before and reads it after the dialog.
    struct State {
        int value = 80;
        bool applyToAll = false;
    };
    static State& state();

    explicit frmDielectric(QWidget* parent = nullptr);
    // Shows the dialog modally (or, in a scripted run, answers with the scripted button).
    static void Run(QWidget* parent);
    // A scripted answer for headless runs and tests: button 0, 1 or 2 with a value; -1 none.
    static void Script(int button, int value);

    void setCurrent(int value);
    int current() const { return m_current; }
    void press(int button);

private:
    void showValue();
    QScrollBar* m_scale;
    QLabel* m_text;
    int m_current = 80;
};

} // namespace rebar
