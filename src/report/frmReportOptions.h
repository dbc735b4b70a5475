#pragma once
// Pieces the four report setup dialogs share: a framed group of option buttons, the menu bar
// that opens the header, photo and data setup dialogs, and the OK / cancel button row.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QDialog;
class QLayout;
class QMenuBar;
class QWidget;

namespace rebar {

// A frame of option buttons; button k has id k and the object name base_k.
class ReportOptionFrame : public QGroupBox {
    Q_OBJECT
public:
    // texts in id order; shown left to right in the order of `order` (ids), all ids when empty.
    ReportOptionFrame(const QString& name, const QString& title, const QStringList& texts,
                      const QString& base, QWidget* parent, const QList<int>& order = {});
    int selected() const;
    void select(int id);

signals:
    // The user clicked an option.
    void clicked();

private:
    QButtonGroup* m_group;
};

// The menu bar menu(0..2): header setup, photo setup, data setup (captions 201..203); each
// opens its dialog modally over parent.
QMenuBar* ReportSetupMenuBar(QWidget* parent);

// OkCancel(0) and (1) (captions 144, 145) connected to the dialog's accept and reject.
QLayout* ReportOkCancelRow(QDialog* dialog);

} // namespace rebar
