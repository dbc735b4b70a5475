#pragma once
// The cover compliance settings of a view: design cover, the allowed deviations below and above
// it, and the minimum cover, in mm (Text1_0..Text1_3), with OK (button 0) and cancel (button 1).
// It runs through the platform layer; CoverSettingsCommand opens it from the marker list's
// menus and hands what was typed to the document.

#include "platform/Platform.h"
#include "view/CommandResult.h"
#include "view/CoverCompliance.h"

#include <QDialog>
#include <array>

class QLineEdit;

namespace rebar {

class MeasurementDocument;

class frmCoverSettings : public QDialog, public ModalDialog {
    Q_OBJECT
public:
    frmCoverSettings(QWidget* parent, const QString& fileName, const ComplianceSettings& s);

    bool accepted() const { return m_accepted; }
    // The four texts as typed.
    std::array<QString, 4> texts() const;
    void press(int button);

    QString dialogName() const override { return objectName(); }
    // The settings shown, in tenths of a millimetre.
    QList<int> dialogValues() const override;
    QStringList dialogTexts() const override;
    void setTexts(const QStringList& texts) override;
    void showModal() override { exec(); }
    void answer(int button, const QList<int>& values) override;

private:
    std::array<QLineEdit*, 4> m_boxes{};
    bool m_accepted = false;
};

// The marker list's cover settings item: the dialog on the view's settings; OK hands the
// texts to the document (a text that is not a number: MSG44 naming the setting, nothing
// changed), which checks, keeps and writes them.
CommandResult CoverSettingsCommand(MeasurementDocument& doc, Platform& ui, QWidget* parent);

} // namespace rebar
