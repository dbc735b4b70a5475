#pragma once
// The about box: product name, version and the link to the maker's web page.

#include <QDialog>

namespace rebar {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

} // namespace rebar
