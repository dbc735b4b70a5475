#include "export/frmSaveFolder.h"

#include "config/Program.h"
#include "export/ViewExports.h"
#include "view/FrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebar {

namespace {
// The folder and the one-workbook choice of the last run, kept while the program runs.
struct Remembered {
    QString folder;
    bool oneWorkbook = false;
};
Remembered& remembered() {
    static Remembered r;
    return r;
}
} // namespace

frmSaveFolder::frmSaveFolder(QWidget* parent, bool oneWorkbook)
    : QDialog(parent), m_oneWorkbook(oneWorkbook) {
    setObjectName(QStringLiteral("frmSaveFolder"));
    setWindowTitle(message(4) + QLatin1Char(' ') + program().language.WindowTitle);
    auto* label = new QLabel(message(4), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("Dir1"));
    m_folder->setMinimumWidth(360);
    m_folder->setText(remembered().folder.isEmpty() ? QDir::homePath() : remembered().folder);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("Browse"));
    // Enter in the folder box confirms with OK; it does not open the folder chooser.
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> f = platform().chooseFolder(message(4), m_folder->text()))
            m_folder->setText(QDir::toNativeSeparators(*f));
    });
    m_check = new QCheckBox(message(11), this);
    m_check->setObjectName(QStringLiteral("chk_Excel1sheet"));
    m_check->setChecked(m_oneWorkbook);
    auto* row = new QHBoxLayout;
    row->addWidget(m_folder, 1);
    row->addWidget(browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(i == 0 ? QStringLiteral("OK") : caption(145), this);
        b->setObjectName(QStringLiteral("cmd1_%1").arg(i));
        b->setDefault(i == 0);
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(m_check);
    layout->addLayout(buttons);
}

QList<int> frmSaveFolder::dialogValues() const {
    return {m_check->isChecked() ? 1 : 0};
}

QStringList frmSaveFolder::dialogTexts() const {
    return {m_folder->text()};
}

void frmSaveFolder::setTexts(const QStringList& texts) {
    if (!texts.isEmpty())
        m_folder->setText(texts.first());
}

void frmSaveFolder::press(int button) {
    m_answer.clear();
    if (button == 0) {
        const QString folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
        if (folder.isEmpty() || !QDir(folder).exists()) {
            // A folder that is not there: the user picks again.
            platform().messageBox(m_folder->text() + QStringLiteral("\r\n") + message(4),
                                  windowTitle(), MsgIcon::Warning);
            return;
        }
        m_answer = QDir(folder).absolutePath();
        m_oneWorkbook = m_check->isChecked();
        remembered() = {m_answer, m_oneWorkbook};
    }
    hide();
    done(button == 0 ? Accepted : Rejected);
}

void frmSaveFolder::answer(int button, const QList<int>& values) {
    if (!values.isEmpty())
        m_check->setChecked(values.first() != 0);
    if (button >= 0)
        press(button);
    else
        reject();
}

void frmSaveFolder::ConvertOpenViews(FrmMain& view) {
    Platform& ui = platform();
    frmSaveFolder chooser(&view, remembered().oneWorkbook);
    ui.runDialog(chooser);
    const QString folder = chooser.answer();
    if (folder.isEmpty())
        return;

    // The open views by slot; slot 0 is never used.
    std::vector<MeasurementDocument*> views(1, nullptr);
    const QList<FrmMain*> open = view.openViews();
    for (FrmMain* v : open) {
        const int slot = std::max(v->tag(), 1);
        if (static_cast<int>(views.size()) <= slot)
            views.resize(static_cast<size_t>(slot) + 1, nullptr);
        views[static_cast<size_t>(slot)] = &v->document();
    }

    const Settings& s = program().settings;
    const ConversionOptions options =
        ConversionOptionsFrom(s, folder, chooser.oneWorkbook(), QDate::currentDate());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BatchConversion run = ConvertViewsWithProgress(views, options, s.Language, ui);
    QApplication::restoreOverrideCursor();

    // A new measurement date is not chosen here, but the captions follow every record.
    for (FrmMain* v : open)
        v->UpdateWindowCaption();
    ReportViewsConversion(run, view.record().FilePath, program().language, ui);
}

} // namespace rebar
