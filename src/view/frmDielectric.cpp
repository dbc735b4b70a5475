#include "view/frmDielectric.h"

#include "config/Program.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace rebar {

frmDielectric::frmDielectric(QWidget* parent, int initial) : QDialog(parent), m_value(initial) {
    setObjectName(QStringLiteral("frmDielectric"));
    setWindowTitle(caption(113));
    auto* hint = new QLabel(message(17), this);
    hint->setObjectName(QStringLiteral("Label1"));
    m_scale = new QScrollBar(Qt::Horizontal, this);
    m_scale->setObjectName(QStringLiteral("NumScale"));
    m_scale->setRange(20, 200);
    m_scale->setSingleStep(1);
    m_scale->setPageStep(10);
    m_scale->setMinimumWidth(260);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("NumText"));
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(caption(144 + i), this);
        b->setObjectName(QStringLiteral("OkCancel_%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_text);
    layout->addWidget(m_scale);
    layout->addLayout(buttons);
    connect(m_scale, &QScrollBar::valueChanged, this, [this](int v) {
        m_current = v;
        showValue();
    });
    setCurrent(initial);
}

void frmDielectric::setCurrent(int value) {
    m_current = value;
    m_scale->setValue(value);
    showValue();
}

void frmDielectric::showValue() {
    m_text->setText(caption(113) + QStringLiteral(":") + QString::number(m_current / 10.0, 'f', 1) +
                    QStringLiteral("εr"));
}

void frmDielectric::press(int button) {
    if (button == 0) {
        m_value = m_current;
        m_applyToAll = false;
    } else if (button == 1) {
        m_applyToAll = false; // the value stays what the dialog opened with
    } else {
        m_value = m_current;
        m_applyToAll = true;
    }
    accept();
}

void frmDielectric::answer(int button, const QList<int>& values) {
    if (!values.isEmpty())
        setCurrent(values.first());
    if (button >= 0)
        press(button);
    else
        reject();
}

} // namespace rebar
