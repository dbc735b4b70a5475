#pragma once
// The header setup dialog: for each of the nine header columns whether it is printed and
// whether it has the wide width. OK changes the program's report layout in memory; any click
// on an option marks the header options changed, cancel clears the mark.

#include <QDialog>
#include <array>

namespace rebar {

class ReportOptionFrame;

class frmHeaderSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmHeaderSetup(QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

private:
    std::array<ReportOptionFrame*, 9> m_shown{};
    std::array<ReportOptionFrame*, 9> m_wide{};
};

} // namespace rebar
