#pragma once
// The comment dialog of a view: the note of a 730-family file (Text1), or the four comments
// and the measuring direction of a ZVX file of kind 10 (Text2..Text5, Option1). Save (button 0)
// keeps what the boxes hold for the view to store; cancel (button 1) keeps nothing. It runs
// through the platform layer; the caller reads saved() and the texts afterwards.

#include "data/MeasurementRecord.h"
#include "platform/Platform.h"
#include "view/CommandResult.h"

#include <QDialog>
#include <array>
#include <optional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace rebar {

class MeasurementDocument;

class frmNote : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    // Opens on the view's record: the note for kinds 6 and 7, the comments for kind 10.
    frmNote(QWidget* parent, const MeasurementRecord& rec);
    // Menu7 item 2 of a view: runs the dialog on the document's record and stores what Save
    // keeps through the document (the note of kinds 6 and 7, the comments of kind 10). Nothing
    // when the dialog was cancelled.
    static std::optional<CommandResult> Edit(QWidget* parent, MeasurementDocument& doc);

    bool saved() const { return m_saved; }
    int fileKind() const { return m_kind; }
    // The note with its lines separated by CR LF, as the record keeps it.
    QString note() const;
    std::array<QString, 4> comments() const;
    // The direction option selected, -1 for none.
    int direction() const;
    void press(int button);

    QString dialogName() const override { return objectName(); }
    QList<int> dialogValues() const override { return {direction()}; }
    QStringList dialogTexts() const override;
    void setTexts(const QStringList& texts) override;
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SetfrmID(int kind);
    int m_kind = 0;
    bool m_saved = false;
    QPlainTextEdit* m_text1;
    std::array<QLineEdit*, 4> m_comments{};
    std::array<QLabel*, 6> m_labels{};
    std::array<QRadioButton*, 5> m_options{};
    QButtonGroup* m_group;
};

} // namespace rebar
