#include "report/frmHeaderSetup.h"

#include "config/Program.h"
#include "report/frmReportOptions.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace rebar {

frmHeaderSetup::frmHeaderSetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHeaderSetup"));
    setWindowTitle(caption(201));
    setModal(true);
    const ReportLayout& l = program().reportLayout;
    auto* grid = new QGridLayout;
    for (int n = 0; n < 9; ++n) {
        const QString base = QStringLiteral("H_Text%1").arg(n);
        // Printed: (1) on, (0) off, shown in that order; width: (0) standard, (1) wide.
        m_shown[n] = new ReportOptionFrame(base + QStringLiteral("_Frame_0"), caption(213 + 2 * n),
                                           {caption(232), caption(231)},
                                           base + QStringLiteral("_Option"), this, {1, 0});
        m_wide[n] = new ReportOptionFrame(base + QStringLiteral("_Frame_1"), caption(214 + 2 * n),
                                          {caption(233), caption(234)},
                                          QStringLiteral("H_Text%1W_Option").arg(n), this);
        m_shown[n]->select(l.HeaderItems[static_cast<size_t>(n)].Shown == 1 ? 1 : 0);
        m_wide[n]->select(l.HeaderItems[static_cast<size_t>(n)].Wide == 1 ? 1 : 0);
        for (ReportOptionFrame* f : {m_shown[n], m_wide[n]})
            connect(f, &ReportOptionFrame::clicked, this,
                    [] { program().reportChanges.HeaderChanged = -1; });
        grid->addWidget(m_shown[n], n, 0);
        grid->addWidget(m_wide[n], n, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ReportOkCancelRow(this));
}

void frmHeaderSetup::accept() {
    ReportLayout& l = program().reportLayout;
    for (size_t n = 0; n < 9; ++n) {
        l.HeaderItems[n].Shown = m_shown[n]->selected() == 1 ? 1 : 0;
        l.HeaderItems[n].Wide = m_wide[n]->selected() != 0 ? 1 : 0;
    }
    QDialog::accept();
}

void frmHeaderSetup::reject() {
    program().reportChanges.HeaderChanged = 0;
    QDialog::reject();
}

} // namespace rebar
