#pragma once
// The platform layer on real Qt widgets. In a headless run (the screenshot mode) message boxes
// are written to standard error and answered with their default button, so nothing blocks.

#include "platform/Platform.h"

#include <QLockFile>
#include <QPointer>
#include <memory>

class QWidget;

namespace rebar {

class Frm_ProgressBar;

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    void setHeadless(bool headless) { m_headless = headless; }
    bool headless() const { return m_headless; }
    // Parent of the modal windows (the main frame).
    void setParentWindow(QWidget* w) { m_parent = w; }

    MsgAnswer messageBox(const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons, MsgAnswer defaultAnswer) override;
    std::optional<QStringList> chooseOpenFiles(const QString& title,
                                               const QList<FileFilter>& filters, bool multiple,
                                               const QString& startFolder = {}) override;
    std::optional<QString> chooseSaveFile(const QString& title, const QList<FileFilter>& filters,
                                          const QString& initialPath,
                                          const QString& defaultSuffix) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& initial) override;
    ProgressDialog& progress() override;
    void runDialog(ModalDialog& dialog) override;
    void processEvents() override;
    bool anotherInstanceRunning() override;
    bool openUrl(const QString& url) override;
    QString tempFolder() override;
    PrintOutcome printPicture(const PrintJob& job) override;
    bool setClipboardImage(const QImage& image) override;

private:
    bool m_headless = false;
    QWidget* m_parent = nullptr;
    // Owned by the main frame once created with it as parent.
    QPointer<Frm_ProgressBar> m_progress;
    std::unique_ptr<QLockFile> m_instanceLock;
};

// "Description (*.a *.b)" filter strings of a chooser.
QString toQtFilter(const QList<FileFilter>& filters);

} // namespace rebar
