#pragma once
// The one progress dialog of the program: caption, message line Label1, bar ProgressBar1
// (0..100) and the percentage label Label2. Shown without modality while loading files,
// converting in batches and detecting markers.

#include "platform/Platform.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace rebar {

class Frm_ProgressBar : public QDialog, public ProgressDialog {
    Q_OBJECT
public:
    explicit Frm_ProgressBar(QWidget* parent = nullptr);

    void setCaption(const QString& caption) override;
    void setMessage(const QString& line) override;
    void setPercent(int percent) override;
    void show() override;
    void close() override;
    bool isShown() const override;

private:
    QLabel* m_label1;
    QProgressBar* m_bar;
    QLabel* m_label2;
};

// Keeps a window (the progress dialog of a batch run) in front of all others without moving or
// resizing it, and back.
void SetWindowTop(QWidget* window);
void CancelWindowTop(QWidget* window);

} // namespace rebar
