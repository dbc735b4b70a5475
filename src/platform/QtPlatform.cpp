#include "platform/QtPlatform.h"

#include "platform/Frm_ProgressBar.h"
#include "platform/QtPrinting.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>

namespace rebar {

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() {
    delete m_progress.data();
}

QString toQtFilter(const QList<FileFilter>& filters) {
    QStringList parts;
    for (const FileFilter& f : filters) {
        QString patterns = f.patterns;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        parts << QStringLiteral("%1 (%2)").arg(f.description, patterns);
    }
    return parts.join(QStringLiteral(";;"));
}

static QMessageBox::StandardButton toStandard(MsgAnswer a) {
    switch (a) {
    case MsgAnswer::Ok:
        return QMessageBox::Ok;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

MsgAnswer QtPlatform::messageBox(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons, MsgAnswer defaultAnswer) {
    if (m_headless) {
        static const char* names[] = {"none", "information", "warning", "critical", "question"};
        std::fprintf(stderr, "[message] %s | %s | %s\n", names[static_cast<int>(icon)],
                     title.toUtf8().constData(), text.toUtf8().constData());
        return defaultAnswer;
    }
    QMessageBox box(m_parent);
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toStandard(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return MsgAnswer::Ok;
    }
}

std::optional<QStringList> QtPlatform::chooseOpenFiles(const QString& title,
                                                       const QList<FileFilter>& filters,
                                                       bool multiple, const QString& startFolder) {
    if (m_headless)
        return std::nullopt;
    QStringList files;
    if (multiple) {
        files = QFileDialog::getOpenFileNames(m_parent, title, startFolder, toQtFilter(filters));
    } else {
        const QString f =
            QFileDialog::getOpenFileName(m_parent, title, startFolder, toQtFilter(filters));
        if (!f.isEmpty())
            files << f;
    }
    if (files.isEmpty())
        return std::nullopt;
    for (QString& f : files)
        f = QDir::toNativeSeparators(f);
    return files;
}

std::optional<QString> QtPlatform::chooseSaveFile(const QString& title,
                                                  const QList<FileFilter>& filters,
                                                  const QString& initialPath,
                                                  const QString& defaultSuffix) {
    if (m_headless)
        return std::nullopt;
    QFileDialog dlg(m_parent, title, initialPath, toQtFilter(filters));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dlg.selectedFiles().first());
}

std::optional<QString> QtPlatform::chooseFolder(const QString& title, const QString& start) {
    if (m_headless)
        return std::nullopt;
    const QString d = QFileDialog::getExistingDirectory(m_parent, title, start);
    if (d.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(d);
}

std::optional<QString> QtPlatform::inputBox(const QString& prompt, const QString& title,
                                            const QString& initial) {
    if (m_headless)
        return std::nullopt;
    bool ok = false;
    const QString t =
        QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return t;
}

ProgressDialog& QtPlatform::progress() {
    if (!m_progress)
        m_progress = new Frm_ProgressBar(m_parent);
    return *m_progress;
}

void QtPlatform::runDialog(ModalDialog& dialog) {
    // A headless run closes the dialog unanswered, as it cancels choosers.
    if (m_headless)
        dialog.answer(-1, dialog.dialogValues());
    else
        dialog.showModal();
}

void QtPlatform::processEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool QtPlatform::anotherInstanceRunning() {
    if (m_instanceLock)
        return false;
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    auto lock = std::make_unique<QLockFile>(dir + QStringLiteral("/rebarscope-instance.lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return true;
    m_instanceLock = std::move(lock);
    return false;
}

bool QtPlatform::openUrl(const QString& url) {
    if (m_headless)
        return false;
    return QDesktopServices::openUrl(QUrl(url));
}

QString QtPlatform::tempFolder() {
    return QDir::tempPath();
}

PrintOutcome QtPlatform::printPicture(const PrintJob& job) {
    if (m_headless) {
        std::fprintf(stderr, "[print] %s: no printer in a headless run\n",
                     job.title.toUtf8().constData());
        return PrintOutcome::Cancelled;
    }
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, job);
    QPrintDialog dialog(&printer, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return PrintOutcome::Cancelled;
    return PrintPictureOn(printer, job);
}

bool QtPlatform::setClipboardImage(const QImage& image) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    if (image.isNull())
        return false;
    clipboard->setImage(image);
    return true;
}

} // namespace rebar
