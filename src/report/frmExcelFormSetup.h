#pragma once
// The report sheet setup dialog (not modal): the number of photos and data entries and the
// paper, with the menu to the header, photo and data setup dialogs. OK writes the report
// layout and opens the report designer; cancel keeps what the other dialogs changed in memory
// and writes nothing.

#include <QDialog>

class QLabel;
class QScrollBar;

namespace rebar {

class ReportOptionFrame;

class frmExcelFormSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmExcelFormSetup(QWidget* parent = nullptr);

    void accept() override;

signals:
    // The layout was written; the designer is to be shown.
    void designerRequested();

private:
    QScrollBar* m_photoScale;
    QScrollBar* m_dataScale;
    QLabel* m_photoLabel;
    QLabel* m_dataLabel;
    ReportOptionFrame* m_sheet;
};

} // namespace rebar
