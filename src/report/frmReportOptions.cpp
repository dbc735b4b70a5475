#include "report/frmReportOptions.h"

#include "config/Program.h"
#include "report/frmDataSetup.h"
#include "report/frmHeaderSetup.h"
#include "report/frmPhotoSetup.h"

#include <QAction>
#include <QButtonGroup>
#include <QDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace rebar {

ReportOptionFrame::ReportOptionFrame(const QString& name, const QString& title,
                                     const QStringList& texts, const QString& base, QWidget* parent,
                                     const QList<int>& order)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this)) {
    setObjectName(name);
    auto* row = new QHBoxLayout(this);
    QList<int> ids = order;
    if (ids.isEmpty())
        for (int i = 0; i < texts.size(); ++i)
            ids << i;
    for (int id : ids) {
        auto* b = new QRadioButton(texts.value(id), this);
        b->setObjectName(QStringLiteral("%1_%2").arg(base).arg(id));
        m_group->addButton(b, id);
        row->addWidget(b);
    }
    row->addStretch(1);
    connect(m_group, &QButtonGroup::idClicked, this, [this] { emit clicked(); });
}

int ReportOptionFrame::selected() const {
    return m_group->checkedId();
}

void ReportOptionFrame::select(int id) {
    if (QAbstractButton* b = m_group->button(id))
        b->setChecked(true);
}

QMenuBar* ReportSetupMenuBar(QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    bar->setNativeMenuBar(false);
    for (int i = 0; i < 3; ++i) {
        QAction* a = bar->addAction(caption(201 + i));
        a->setObjectName(QStringLiteral("menu_%1").arg(i));
        QObject::connect(a, &QAction::triggered, parent, [parent, i] {
            if (i == 0) {
                frmHeaderSetup d(parent);
                d.exec();
            } else if (i == 1) {
                frmPhotoSetup d(parent);
                d.exec();
            } else {
                frmDataSetup d(parent);
                d.exec();
            }
        });
    }
    return bar;
}

QLayout* ReportOkCancelRow(QDialog* dialog) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(caption(144 + i), dialog);
        b->setObjectName(QStringLiteral("OkCancel_%1").arg(i));
        QObject::connect(b, &QPushButton::clicked, dialog,
                         i == 0 ? &QDialog::accept : &QDialog::reject);
        row->addWidget(b);
    }
    return row;
}

} // namespace rebar
