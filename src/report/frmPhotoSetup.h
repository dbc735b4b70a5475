#pragma once
// The photo setup dialog: photo title on or off, remarks on or off, portrait or landscape.
// OK changes the program's report layout in memory; any click on an option marks the photo
// options changed, cancel clears the mark.

#include <QDialog>

namespace rebar {

class ReportOptionFrame;

class frmPhotoSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmPhotoSetup(QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

private:
    ReportOptionFrame* m_title;
    ReportOptionFrame* m_remarks;
    ReportOptionFrame* m_dir;
};

} // namespace rebar
