#include "app/frmAbout.h"

#include "app/FrmMDI.h"
#include "app/frmSplash.h"
#include "config/Program.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebar {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(program().language.WindowTitle);
    auto* logo = new QLabel(this);
    logo->setPixmap(rebarscopeLogo(64));
    auto* title = new QLabel(program().language.WindowTitle, this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont f = title->font();
    f.setPointSize(14);
    f.setBold(true);
    title->setFont(f);
    auto* version = new QLabel(aboutVersionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* hp =
        new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(message(37).toHtmlEscaped()), this);
    hp->setObjectName(QStringLiteral("lblHP"));
    connect(hp, &QLabel::linkActivated, this, [] {
        if (FrmMDI* m = mainFrame())
            m->OpenHomepage();
    });
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addWidget(hp);
    auto* top = new QHBoxLayout;
    top->addWidget(logo);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

} // namespace rebar
