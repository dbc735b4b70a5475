#pragma once
// A picture box that keeps what is drawn into it: it owns a bitmap of its own size and paints
// it; nothing else is drawn on a repaint. Mouse and key events are passed on as signals.

#include <QImage>
#include <QWidget>

namespace rebar {

class PictureBoxWidget : public QWidget {
    Q_OBJECT
public:
    explicit PictureBoxWidget(const QString& name, QWidget* parent = nullptr);

    // The bitmap, sized to the widget; callers draw into it and call update().
    QImage& picture() {
        ensureSize();
        return m_picture;
    }
    // Replaces the bitmap content by img drawn at (0, 0) on a cleared background.
    void showImage(const QImage& img);
    void clear(QColor c = Qt::white);
    void setBackground(QColor c) { m_background = c; }

signals:
    void mousePressed(Qt::MouseButton button, QPoint pos);
    void mouseMoved(Qt::MouseButtons buttons, QPoint pos);
    void mouseReleased(Qt::MouseButton button, QPoint pos);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);
    void contextMenuWanted(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    // Keeps the bitmap at the widget's size (also while hidden, when Qt defers resize events),
    // keeping what was drawn.
    void ensureSize();
    QImage m_picture;
    QColor m_background = Qt::white;
};

} // namespace rebar
