#include "platform/Frm_ProgressBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace rebar {

Frm_ProgressBar::Frm_ProgressBar(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("Frm_ProgressBar"));
    setModal(false);
    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_label2 = new QLabel(QStringLiteral("0%"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setMinimumWidth(40);
    m_label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* row = new QHBoxLayout;
    row->addWidget(m_bar, 1);
    row->addWidget(m_label2);
    auto* col = new QVBoxLayout(this);
    col->addWidget(m_label1);
    col->addLayout(row);
    setMinimumWidth(380);
}

void Frm_ProgressBar::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void Frm_ProgressBar::setMessage(const QString& line) {
    m_label1->setText(line);
}

void Frm_ProgressBar::setPercent(int percent) {
    m_bar->setValue(std::clamp(percent, 0, 100));
    m_label2->setText(QString::number(percent) + QLatin1Char('%'));
    m_bar->repaint();
    m_label2->repaint();
}

void Frm_ProgressBar::show() {
    QDialog::show();
}

void Frm_ProgressBar::close() {
    QDialog::hide();
}

bool Frm_ProgressBar::isShown() const {
    return isVisible();
}

void SetWindowTop(QWidget* window) {
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->show();
}

void CancelWindowTop(QWidget* window) {
    window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    window->show();
}

} // namespace rebar
