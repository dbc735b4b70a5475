#include "report/frmExcelFormSetup.h"

#include "config/Program.h"
#include "platform/Platform.h"
#include "report/frmReportOptions.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QVBoxLayout>

namespace rebar {

namespace {

QScrollBar* countScale(const char* name, int lo, int hi, int value, QWidget* parent) {
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(lo, hi);
    s->setPageStep(1);
    s->setValue(std::clamp(value, lo, hi));
    s->setMinimumWidth(200);
    return s;
}

} // namespace

frmExcelFormSetup::frmExcelFormSetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmExcelFormSetup"));
    setWindowTitle(caption(204));
    setAttribute(Qt::WA_DeleteOnClose);
    const ReportLayout& l = program().reportLayout;

    m_dataScale = countScale("DataNumScale", 1, 30, l.DataNum, this);
    m_photoScale = countScale("PhotoNumScale", 0, 10, l.PhotoNum, this);
    m_dataLabel = new QLabel(this);
    m_dataLabel->setObjectName(QStringLiteral("DataNum"));
    m_photoLabel = new QLabel(this);
    m_photoLabel->setObjectName(QStringLiteral("PhotoNum"));
    auto follow = [](QLabel* label, QScrollBar* s, int word) {
        auto set = [label, word](int v) { label->setText(QString::number(v) + caption(word)); };
        set(s->value());
        QObject::connect(s, &QScrollBar::valueChanged, label, set);
    };
    follow(m_dataLabel, m_dataScale, 206);
    follow(m_photoLabel, m_photoScale, 208);
    auto frame = [this](const char* name, int title, QScrollBar* s, QLabel* label) {
        auto* f = new QGroupBox(caption(title), this);
        f->setObjectName(QLatin1String(name));
        auto* row = new QHBoxLayout(f);
        row->addWidget(s, 1);
        row->addWidget(label);
        return f;
    };
    m_sheet = new ReportOptionFrame(QStringLiteral("PrnSheetFrame"), caption(209),
                                    {caption(210), caption(211), caption(212)},
                                    QStringLiteral("wideSize"), this);
    m_sheet->select(l.Sheet == QLatin1String("A4L") ? 0 : l.Sheet == QLatin1String("A3W") ? 2 : 1);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(ReportSetupMenuBar(this));
    layout->addWidget(frame("DataNumFrm", 205, m_dataScale, m_dataLabel));
    layout->addWidget(frame("PhotoNumFrm", 207, m_photoScale, m_photoLabel));
    layout->addWidget(m_sheet);
    layout->addLayout(ReportOkCancelRow(this));
}

void frmExcelFormSetup::accept() {
    ReportLayout& l = program().reportLayout;
    l.PhotoNum = static_cast<int16_t>(m_photoScale->value());
    l.DataNum = static_cast<int16_t>(m_dataScale->value());
    const int sheet = m_sheet->selected();
    l.Sheet = sheet == 0   ? QStringLiteral("A4L")
              : sheet == 1 ? QStringLiteral("A4W")
                           : QStringLiteral("A3W");
    QString error;
    if (!WriteReportLayout(l, reportLayoutFilePath(), &error)) {
        // The layout stays in memory; the dialog stays open so that nothing the user set is
        // lost and the designer does not start on a layout that could not be kept.
        platform().messageBox(QStringLiteral("FileOpenErr"), QString(), MsgIcon::Warning);
        return;
    }
    QDialog::accept();
    emit designerRequested();
}

} // namespace rebar
