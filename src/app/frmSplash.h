#pragma once
// The splash window: product name, company line and version; a 100 ms timer moves the logo and
// closes the window after about 1.9 seconds.

#include <QDialog>

class QLabel;
class QTimer;

namespace rebar {

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    int ticks() const { return m_ticks; }

private:
    void tick();
    QLabel* m_logo;
    QTimer* m_timer;
    int m_ticks = 0;
};

// "Ver. 3.0.0" (splash) and "Ver 3.0.0" (about box).
QString splashVersionText();
QString aboutVersionText();
// The program's logo drawn in code.
QPixmap rebarscopeLogo(int size);

} // namespace rebar
