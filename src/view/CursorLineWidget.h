#pragma once
// A cursor line laid over a picture box: a thin widget that shows, for every pixel of the
// picture beneath it, a colour that stands out from that pixel (its complement, or black or
// white over the middle greys that have no contrasting complement). So the cross stays visible
// on every gradation. Without a picture beneath it the line is drawn in its own colour.

#include <QWidget>

namespace rebar {

class PictureBoxWidget;

class CursorLineWidget : public QWidget {
    Q_OBJECT
public:
    CursorLineWidget(const QString& name, QWidget* parent, PictureBoxWidget* under = nullptr);

    // The colour of a line with no picture beneath it.
    void setColor(QColor c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    PictureBoxWidget* m_under;
    QColor m_color = Qt::red;
};

} // namespace rebar
