#include "export/frmAllJpeg.h"

#include "config/Program.h"
#include "export/Conversion.h"
#include "view/DztOpenQuestions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebar {

namespace {
// What the dialog remembers while the program runs.
struct Remembered {
    QString source, destination;
    bool oneWorkbook = false;
};
Remembered& remembered() {
    static Remembered r;
    return r;
}
} // namespace

frmAllJpeg::frmAllJpeg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAllJpeg"));
    const auto& texts = program().language.AllJpeg;
    setWindowTitle(texts[0]);
    const Remembered& r = remembered();
    m_source = new QLineEdit(r.source.isEmpty() ? QDir::homePath() : r.source, this);
    m_source->setObjectName(QStringLiteral("Dir1"));
    m_destination = new QLineEdit(r.destination.isEmpty() ? QDir::homePath() : r.destination, this);
    m_destination->setObjectName(QStringLiteral("Dir2"));
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("File1"));
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setMinimumSize(360, 220);
    m_check = new QCheckBox(message(11), this);
    m_check->setObjectName(QStringLiteral("chk_Excel1sheet"));
    m_check->setChecked(r.oneWorkbook);
    auto browse = [this](QLineEdit* edit) {
        auto* b = new QPushButton(QStringLiteral("..."), this);
        connect(b, &QPushButton::clicked, this, [this, edit] {
            if (const std::optional<QString> f =
                    platform().chooseFolder(windowTitle(), edit->text())) {
                edit->setText(QDir::toNativeSeparators(*f));
                if (edit == m_source)
                    listFiles();
            }
        });
        return b;
    };
    connect(m_source, &QLineEdit::editingFinished, this, [this] { listFiles(); });
    auto* selectAll = new QPushButton(texts[1], this);
    selectAll->setObjectName(QStringLiteral("Command2"));
    connect(selectAll, &QPushButton::clicked, this, [this] { press(2); });
    auto* label = new QLabel(texts[2], this);
    label->setObjectName(QStringLiteral("Label1"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_source, 0, 0);
    grid->addWidget(browse(m_source), 0, 1);
    grid->addWidget(m_files, 1, 0, 1, 2);
    grid->addWidget(selectAll, 2, 0, Qt::AlignLeft);
    grid->addWidget(label, 3, 0, 1, 2);
    grid->addWidget(m_destination, 4, 0);
    grid->addWidget(browse(m_destination), 4, 1);
    grid->addWidget(m_check, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(i == 0 ? QStringLiteral("OK") : caption(145), this);
        b->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    listFiles();
}

void frmAllJpeg::listFiles() {
    m_files->clear();
    m_files->addItems(ConversionFiles(QDir::fromNativeSeparators(m_source->text().trimmed())));
}

QList<int> frmAllJpeg::dialogValues() const {
    QList<int> v{m_check->isChecked() ? 1 : 0};
    for (int i = 0; i < m_files->count(); ++i)
        if (m_files->item(i)->isSelected())
            v << i;
    return v;
}

QStringList frmAllJpeg::dialogTexts() const {
    return {m_source->text(), m_destination->text()};
}

void frmAllJpeg::setTexts(const QStringList& texts) {
    if (texts.size() > 0) {
        m_source->setText(texts[0]);
        listFiles();
    }
    if (texts.size() > 1)
        m_destination->setText(texts[1]);
}

void frmAllJpeg::answer(int button, const QList<int>& values) {
    if (!values.isEmpty()) {
        m_check->setChecked(values.first() != 0);
        m_files->clearSelection();
        if (values.size() == 1)
            m_files->selectAll();
        for (int k = 1; k < values.size(); ++k)
            if (QListWidgetItem* item = m_files->item(values[k]))
                item->setSelected(true);
    }
    if (button >= 0)
        press(button);
    else
        reject();
}

void frmAllJpeg::press(int button) {
    if (button == 2) {
        m_files->selectAll();
    } else if (button == 1) {
        reject();
    } else if (button == 0) {
        convert();
    }
}

void frmAllJpeg::convert() {
    Platform& ui = platform();
    const QString source = QDir::fromNativeSeparators(m_source->text().trimmed());
    const QString destination = QDir::fromNativeSeparators(m_destination->text().trimmed());
    QStringList paths;
    for (int i = 0; i < m_files->count(); ++i)
        if (m_files->item(i)->isSelected())
            paths << QDir(source).absoluteFilePath(m_files->item(i)->text());
    hide();
    Remembered& r = remembered();
    r.source = source;
    r.destination = destination;
    r.oneWorkbook = m_check->isChecked();
    if (paths.isEmpty() || !QDir(destination).exists()) {
        if (!paths.isEmpty()) // a destination that is not there writes nothing
            ui.messageBox(destination + QStringLiteral("\r\n") + message(2), windowTitle(),
                          MsgIcon::Warning);
        accept();
        return;
    }
    const Settings& s = program().settings;
    const ConversionOptions options =
        ConversionOptionsFrom(s, destination, r.oneWorkbook, QDate::currentDate());
    std::vector<DztImportOptions> dzt; // kept alive for each file's open
    dzt.reserve(static_cast<size_t>(paths.size()));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ConversionSummary summary = ConvertFilesInOrder(
        paths, ContextOf(program()), options,
        [&](const QString& path) {
            dzt.push_back(DztOpenQuestions(path, s));
            LoadFeedback fb;
            fb.dztOptions = &dzt.back();
            fb.pumpEvents = [&ui] { ui.processEvents(); };
            return fb;
        },
        [&](int, const FileConversion& f) {
            if (!f.opened)
                ui.messageBox(message(2), QFileInfo(f.path).fileName(), MsgIcon::Warning);
            else if (!f.workbookError.isEmpty())
                ui.messageBox(f.workbookError, QString(), MsgIcon::Critical);
        });
    QApplication::restoreOverrideCursor();
    if (!summary.commonWorkbookError.isEmpty())
        ui.messageBox(summary.commonWorkbookError, QString(), MsgIcon::Critical);
    if (summary.anyExportFailed || !summary.commonWorkbookError.isEmpty())
        ui.messageBox(message(2), windowTitle(), MsgIcon::Warning);
    else
        ui.messageBox(message(3), windowTitle(), MsgIcon::Information);
    accept();
}

} // namespace rebar
