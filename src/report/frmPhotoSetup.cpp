#include "report/frmPhotoSetup.h"

#include "config/Program.h"
#include "report/frmReportOptions.h"

#include <QVBoxLayout>

namespace rebar {

frmPhotoSetup::frmPhotoSetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPhotoSetup"));
    setWindowTitle(caption(202));
    setModal(true);
    const ReportLayout& l = program().reportLayout;
    const QStringList onOff = {caption(232), caption(231)};
    m_title = new ReportOptionFrame(QStringLiteral("PTitleOptionFrame"), caption(213), onOff,
                                    QStringLiteral("PTitleOption"), this, {1, 0});
    m_remarks = new ReportOptionFrame(QStringLiteral("PText3OptionFrame"), caption(229), onOff,
                                      QStringLiteral("PText3Option"), this, {1, 0});
    m_dir = new ReportOptionFrame(QStringLiteral("PDirOptionFrame"), caption(242),
                                  {caption(235), caption(236)}, QStringLiteral("PDirOption"), this);
    m_title->select(l.PTitle == 1 ? 1 : 0);
    m_remarks->select(l.PText1 == 1 ? 1 : 0);
    m_dir->select(l.PDir != 0 ? 1 : 0);
    auto* layout = new QVBoxLayout(this);
    for (ReportOptionFrame* f : {m_title, m_remarks, m_dir}) {
        connect(f, &ReportOptionFrame::clicked, this,
                [] { program().reportChanges.PhotoChanged = -1; });
        layout->addWidget(f);
    }
    layout->addLayout(ReportOkCancelRow(this));
}

void frmPhotoSetup::accept() {
    ReportLayout& l = program().reportLayout;
    l.PTitle = m_title->selected() == 1 ? 1 : 0;
    l.PText1 = m_remarks->selected() == 1 ? 1 : 0;
    l.PDir = m_dir->selected() == 0 ? 0 : 1;
    QDialog::accept();
}

void frmPhotoSetup::reject() {
    program().reportChanges.PhotoChanged = 0;
    QDialog::reject();
}

} // namespace rebar
