#pragma once
// A platform whose answers come from a script: queued answers for message boxes, choosers and
// input boxes, default answers when the queue is empty. Every request is recorded, so tests
// can check what the user would have seen. Optionally echoes message boxes to standard error
// (headless runs).

#include "platform/Platform.h"

#include <QList>
#include <deque>

namespace rebar {

class ScriptedProgress : public ProgressDialog {
public:
    void setCaption(const QString& c) override { caption = c; }
    void setMessage(const QString& m) override { message = m; }
    void setPercent(int p) override {
        percent = p;
        label = QString::number(p) + QLatin1Char('%');
        history.push_back(p);
    }
    void show() override {
        shown = true;
        ++showCount;
    }
    void close() override { shown = false; }
    bool isShown() const override { return shown; }

    QString caption, message, label;
    int percent = 0;
    bool shown = false;
    int showCount = 0;
    QList<int> history;
};

class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString text, title;
        MsgIcon icon;
        MsgButtons buttons;
    };
    // The answer to a modal dialog: the button pressed and the values set first (values empty:
    // the dialog's own values stay).
    struct DialogAnswer {
        int button = -1;
        QList<int> values;
    };
    // A dialog that was run, with the values it opened with.
    struct DialogShown {
        QString name;
        QList<int> values;
        QStringList texts;
    };

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
    ProgressDialog& progress() override { return m_progress; }
    void runDialog(ModalDialog& dialog) override;
    void processEvents() override { ++eventPumps; }
    bool anotherInstanceRunning() override { return otherInstance; }
    bool openUrl(const QString& url) override {
        openedUrls << url;
        return !browserFails;
    }
    QString tempFolder() override;
    PrintOutcome printPicture(const PrintJob& job) override;
    bool setClipboardImage(const QImage& image) override;

    // Script
    std::deque<MsgAnswer> answers;                      // message boxes
    std::deque<std::optional<QStringList>> openAnswers; // open choosers (nullopt = cancel)
    std::deque<std::optional<QString>> saveAnswers;     // save choosers
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<DialogAnswer> dialogAnswers; // modal dialogs; none left: closed without a button
    // The texts the dialogs are given before their answer, one entry per dialog run (none left
    // or empty: the dialog's own texts stay).
    std::deque<QStringList> dialogTexts;
    std::deque<PrintOutcome> printAnswers; // none left: printed
    bool clipboardFails = false;
    bool otherInstance = false;
    bool browserFails = false; // openUrl answers that no browser took the address
    bool echoToStderr = false;
    QString temp;

    // Record
    QList<Message> messages;
    QList<DialogShown> dialogs;
    QStringList openedUrls;
    QList<PrintJob> printed; // every job the print dialog was shown for
    QImage clipboard;
    int eventPumps = 0;
    ScriptedProgress m_progress;
};

} // namespace rebar
