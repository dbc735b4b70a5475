#pragma once
// The input of a measurement view: the mouse and keys over the radargram (the cursor, the marker
// keys, the popup menu), the marker list's clicks and popup, and the map link. Each becomes a call
// on the view's document; the view shows what the document answers.

#include <QObject>
#include <QPoint>

namespace rebar {

class FrmMain;

class QtViewInput : public QObject {
public:
    // Connects to the view's radargram and information panel; the view owns the input.
    explicit QtViewInput(FrmMain& view);

    // The cursor as a left-button mouse move at picture pixel (x, y) would place it.
    void PlaceCursor(int x, int y);
    // An arrow key over the radargram.
    void CursorKey(int key, Qt::KeyboardModifiers modifiers);

private:
    void PicbKeyReleased(int key, Qt::KeyboardModifiers modifiers);
    void ShowBModePopup(QPoint globalPos);
    void MarkerListReleased(Qt::MouseButton button, int line, QPoint globalPos);
    void ShowListPopup(QPoint globalPos);

    FrmMain& m_view;
};

} // namespace rebar
