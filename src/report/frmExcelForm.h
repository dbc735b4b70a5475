#pragma once
// The report designer window: two pages of the report side by side as a grid of cells, the
// header items, photo slots and data slots as boxes at their cells, paging, the photo and data
// popup menus, moving slots with a floating copy, dropped files, undo and redo. Everything it
// changes goes through the designer's model (ReportDesigner); the window only places boxes and
// turns clicks into model commands.

#include "report/ReportDesigner.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace rebar {

class frmExcelForm : public QWidget {
    Q_OBJECT
public:
    explicit frmExcelForm(QWidget* parent = nullptr);

    ReportDesigner& designer() { return m_designer; }
    // Places every box for the pages shown (algorithm "show the pages").
    void ShowPages();
    // Takes over deliveries and the options the setup dialogs changed.
    void Activated();
    // Puts a picture file into photo slot i; false (with a message) when it cannot be read.
    bool LoadPhotoFile(int i, const QString& path);
    // The dropped files, in order (pictures to photo slots, other files to data slots).
    void DropFiles(const QStringList& paths);
    // Save (Command1(0)): writes the report to a file the user chooses; false when nothing was
    // written (the designer then stays open).
    bool SaveReportCommand();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    struct PhotoBoxes {
        QLineEdit* title;
        QLabel* picture;
        QLineEdit* remarks;
    };
    struct DataBoxes {
        QLineEdit* number;
        QLineEdit* title;
        QLabel* picture;
        std::array<QLabel*, 3> grids;
        QLineEdit* remarks;
    };

    void buildBoxes();
    void showTexts();
    void photoClicked(int i, Qt::MouseButton b, QPoint global);
    void dataClicked(int i, Qt::MouseButton b, QPoint global);
    void choosePhoto(int i);
    void openDataFile(int i, const QString& path);
    void startMove(bool photo, int i);
    void endMove(QPoint canvasPos);
    QLineEdit* textBox(const QString& name, QString* text);

    ReportDesigner m_designer;
    QWidget* m_canvas;
    QLabel* m_pageLabel[2];
    QWidget* m_divider;
    QPushButton* m_command[4];
    std::array<QLineEdit*, 9> m_header{};
    std::array<PhotoBoxes, ReportPhotoSlots> m_photos{};
    std::array<DataBoxes, ReportDataSlots> m_data{};
    QLabel* m_movePicture;
    // The move in progress: none (-1), or the slot and whether it is a photo.
    int m_moving = -1;
    bool m_movingPhoto = false;
    bool m_photoDialogBusy = false;
    bool m_dataOpenBusy = false;
    bool m_showing = false;
};

} // namespace rebar
