#pragma once
// The JPEG dialog of a view: the range (start and end trace, each takeable from the cursor),
// the print options, the output form and the two dates; OK asks for the file name and writes
// (SetJpgFileName). The dialog is modeless: the cursor can be moved while it is open.
//
// Values (dialogValues/answer): A-mode, distance origin, measurement-date line, creation-date
// line, output form, cursor cross, sensitivity, model, each the index of the chosen option
// within its group (0 = the first option), then the start and end trace. Texts: the
// measurement date and the creation date. Buttons: 0 OK, 1 cancel, 2 and 3 take the cursor as
// the range start and end.

#include "platform/Platform.h"

#include <QDialog>
#include <QList>
#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace rebar {

class FrmMain;

class frmJpeg : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    explicit frmJpeg(FrmMain* view);

    // Fills the dialog for the view: the whole file, the dates shown.
    void SetData(int LastTrace, const QDate& MeasurementDate, const QDate& CreationDate,
                 const QString& FileName);

    int startTrace() const { return m_start; }
    int endTrace() const { return m_end; }
    void press(int button);

    QString dialogName() const override { return objectName(); }
    QList<int> dialogValues() const override;
    QStringList dialogTexts() const override;
    void setTexts(const QStringList& texts) override;
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

private:
    void showRange();
    void ok();
    void takeCursor(int which);
    void syncDateFields();

    FrmMain* m_view;
    std::array<QButtonGroup*, 8> m_groups{};
    std::array<QLabel*, 2> m_distance{};
    std::array<QLineEdit*, 2> m_dates{};
    int m_start = 1;
    int m_end = 1;
    int m_lastTrace = 1;
};

} // namespace rebar
