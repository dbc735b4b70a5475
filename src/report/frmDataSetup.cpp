#include "report/frmDataSetup.h"

#include "config/Program.h"
#include "report/frmReportOptions.h"

#include <QVBoxLayout>

namespace rebar {

frmDataSetup::frmDataSetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDataSetup"));
    setWindowTitle(caption(203));
    setModal(true);
    const ReportLayout& l = program().reportLayout;
    const QStringList onOff = {caption(232), caption(231)};
    auto onOffFrame = [&](const char* frame, int title, const char* base) {
        return new ReportOptionFrame(QLatin1String(frame), caption(title), onOff,
                                     QLatin1String(base), this, {1, 0});
    };
    m_title = onOffFrame("DTitleOptionFrame", 213, "DTitleOption");
    m_number = onOffFrame("DNoOptionFrame", 243, "DNoOption");
    m_size = new ReportOptionFrame(QStringLiteral("DSizeOptionFrame"), caption(244),
                                   {caption(237), caption(238), caption(239)},
                                   QStringLiteral("DSizeOption"), this);
    m_markers = onOffFrame("DMarkOptionFrame", 245, "DMarkOption");
    m_remarks = onOffFrame("DText7OptionFrame", 229, "DText7Option");
    m_title->select(l.DTitle == 1 ? 1 : 0);
    m_number->select(l.DNo == 1 ? 1 : 0);
    m_size->select(l.DSize >= 0 && l.DSize <= 2 ? l.DSize : 0);
    m_markers->select(l.DMark == 1 ? 1 : 0);
    m_remarks->select(l.DText1 == 1 ? 1 : 0);
    auto* layout = new QVBoxLayout(this);
    for (ReportOptionFrame* f : {m_title, m_number, m_size, m_markers, m_remarks}) {
        connect(f, &ReportOptionFrame::clicked, this,
                [] { program().reportChanges.DataChanged = -1; });
        layout->addWidget(f);
    }
    layout->addLayout(ReportOkCancelRow(this));
}

void frmDataSetup::accept() {
    ReportLayout& l = program().reportLayout;
    l.DNo = m_number->selected() == 1 ? 1 : 0;
    l.DTitle = m_title->selected() == 1 ? 1 : 0;
    l.DMark = m_markers->selected() == 1 ? 1 : 0;
    l.DText1 = m_remarks->selected() == 1 ? 1 : 0;
    l.DSize = static_cast<int16_t>(std::max(0, m_size->selected()));
    QDialog::accept();
}

void frmDataSetup::reject() {
    program().reportChanges.DataChanged = 0;
    QDialog::reject();
}

} // namespace rebar
