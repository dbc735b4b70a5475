#pragma once
// The data setup dialog: data number, title, marker table and remarks on or off, and the
// size of a data entry. OK changes the program's report layout in memory; any click on an
// option marks the data options changed, cancel clears the mark.

#include <QDialog>

namespace rebar {

class ReportOptionFrame;

class frmDataSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmDataSetup(QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

private:
    ReportOptionFrame* m_title;
    ReportOptionFrame* m_number;
    ReportOptionFrame* m_size;
    ReportOptionFrame* m_markers;
    ReportOptionFrame* m_remarks;
};

} // namespace rebar
