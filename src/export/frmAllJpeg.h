#pragma once
// The folder conversion dialog of the main frame: a source folder and its measurement files
// (RDD, VXD, ZVX, text data, DZT), a destination folder and the one-workbook choice. OK converts
// the selected files in list order, each opened without a window and closed after its export;
// a file that cannot be opened is reported and skipped. The folders and the choice are kept
// while the program runs.
//
// Texts: source folder, destination folder. Values: the one-workbook check box, then the
// indexes of the selected files (none given: every file). Buttons: 0 OK, 1 cancel, 2 select all.

#include "platform/Platform.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace rebar {

class frmAllJpeg : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    explicit frmAllJpeg(QWidget* parent);

    QString dialogName() const override { return objectName(); }
    QList<int> dialogValues() const override;
    QStringList dialogTexts() const override;
    void setTexts(const QStringList& texts) override;
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

private:
    void listFiles();
    void press(int button);
    void convert();

    QLineEdit* m_source;
    QLineEdit* m_destination;
    QListWidget* m_files;
    QCheckBox* m_check;
};

} // namespace rebar
