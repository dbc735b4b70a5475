#pragma once
// The folder chooser of the conversion of all open views: a destination folder (typed, or
// picked with the system's folder chooser) and the one-workbook choice. OK (0) answers the
// folder and remembers it and the choice for the next run of the program's session; cancel (1)
// answers nothing. Texts: the folder; values: the one-workbook check box (0 or 1).
// ConvertOpenViews runs the whole command from a view: this chooser, then the conversion.

#include "platform/Platform.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace rebar {

class FrmMain;

class frmSaveFolder : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    frmSaveFolder(QWidget* parent, bool oneWorkbook);

    // The conversion of every open view into one folder (menu2 item 9 of view): the chooser,
    // then the run with the wait cursor and progress dialog, the views' captions, the messages.
    static void ConvertOpenViews(FrmMain& view);

    // The folder chosen; empty when the dialog was cancelled.
    QString answer() const { return m_answer; }
    bool oneWorkbook() const { return m_oneWorkbook; }

    QString dialogName() const override { return objectName(); }
    QList<int> dialogValues() const override;
    QStringList dialogTexts() const override;
    void setTexts(const QStringList& texts) override;
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

private:
    void press(int button);
    QLineEdit* m_folder;
    QCheckBox* m_check;
    QString m_answer;
    bool m_oneWorkbook = false;
};

} // namespace rebar
