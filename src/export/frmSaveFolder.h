#pragma once
// The folder chooser of the conversion of all open views: a destination folder (typed, or
// picked with the system's folder chooser) and the one-workbook choice. OK (0) answers the
// folder and remembers it for the next run of the program's session; cancel (1) answers
// nothing. Texts: the folder; values: the one-workbook check box (0 or 1).

#include "platform/Platform.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace rebar {

class frmSaveFolder : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    frmSaveFolder(QWidget* parent, bool oneWorkbook);

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
