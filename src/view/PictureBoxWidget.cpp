#include "view/PictureBoxWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace rebar {

PictureBoxWidget::PictureBoxWidget(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture = QImage(1, 1, QImage::Format_RGB32);
    m_picture.fill(m_background);
}

void PictureBoxWidget::showImage(const QImage& img) {
    ensureSize();
    m_picture.fill(m_background);
    QPainter p(&m_picture);
    p.drawImage(0, 0, img);
    p.end();
    update();
}

void PictureBoxWidget::clear(QColor c) {
    ensureSize();
    m_picture.fill(c);
    update();
}

void PictureBoxWidget::paintEvent(QPaintEvent* e) {
    ensureSize();
    QPainter p(this);
    p.drawImage(e->rect().topLeft(), m_picture, e->rect());
}

void PictureBoxWidget::resizeEvent(QResizeEvent*) {
    ensureSize();
}

void PictureBoxWidget::ensureSize() {
    if (m_picture.size() == size().expandedTo(QSize(1, 1)))
        return;
    QImage next(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    next.fill(m_background);
    QPainter p(&next);
    p.drawImage(0, 0, m_picture);
    p.end();
    m_picture = std::move(next);
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton)
        emit contextMenuWanted(e->globalPosition().toPoint());
    emit mousePressed(e->button(), e->position().toPoint());
}

void PictureBoxWidget::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved(e->buttons(), e->position().toPoint());
}

void PictureBoxWidget::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseReleased(e->button(), e->position().toPoint());
}

void PictureBoxWidget::keyPressEvent(QKeyEvent* e) {
    emit keyPressed(e->key(), e->modifiers());
}

void PictureBoxWidget::keyReleaseEvent(QKeyEvent* e) {
    if (!e->isAutoRepeat())
        emit keyReleased(e->key(), e->modifiers());
}

} // namespace rebar
