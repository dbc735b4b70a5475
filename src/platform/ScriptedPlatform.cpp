#include "platform/ScriptedPlatform.h"

#include <QDir>
#include <cstdio>

namespace rebar {

static const char* iconName(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return "information";
    case MsgIcon::Warning:
        return "warning";
    case MsgIcon::Critical:
        return "critical";
    case MsgIcon::Question:
        return "question";
    case MsgIcon::None:
        break;
    }
    return "none";
}

MsgAnswer ScriptedPlatform::messageBox(const QString& text, const QString& title, MsgIcon icon,
                                       MsgButtons buttons, MsgAnswer defaultAnswer) {
    messages.push_back({text, title, icon, buttons});
    if (echoToStderr)
        std::fprintf(stderr, "[message] %s | %s | %s\n", iconName(icon), title.toUtf8().constData(),
                     text.toUtf8().constData());
    if (answers.empty())
        return defaultAnswer;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

template <typename T> static std::optional<T> take(std::deque<std::optional<T>>& q) {
    if (q.empty())
        return std::nullopt; // an unscripted chooser is a cancelled one
    std::optional<T> a;
    a.swap(q.front());
    q.pop_front();
    return a;
}

std::optional<QStringList>
ScriptedPlatform::chooseOpenFiles(const QString&, const QList<FileFilter>&, bool, const QString&) {
    return take(openAnswers);
}

std::optional<QString> ScriptedPlatform::chooseSaveFile(const QString&, const QList<FileFilter>&,
                                                        const QString&, const QString&) {
    return take(saveAnswers);
}

std::optional<QString> ScriptedPlatform::chooseFolder(const QString&, const QString&) {
    return take(folderAnswers);
}

std::optional<QString> ScriptedPlatform::inputBox(const QString&, const QString&, const QString&) {
    return take(inputAnswers);
}

void ScriptedPlatform::runDialog(ModalDialog& dialog) {
    dialogs.push_back({dialog.dialogName(), dialog.dialogValues(), dialog.dialogTexts()});
    DialogAnswer a;
    if (!dialogAnswers.empty()) {
        a = dialogAnswers.front();
        dialogAnswers.pop_front();
    }
    if (!dialogTexts.empty()) {
        if (!dialogTexts.front().isEmpty())
            dialog.setTexts(dialogTexts.front());
        dialogTexts.pop_front();
    }
    dialog.answer(a.button, a.values.isEmpty() ? dialog.dialogValues() : a.values);
}

QString ScriptedPlatform::tempFolder() {
    return temp.isEmpty() ? QDir::tempPath() : temp;
}

PrintOutcome ScriptedPlatform::printPicture(const PrintJob& job) {
    printed.push_back(job);
    if (printAnswers.empty())
        return PrintOutcome::Printed;
    const PrintOutcome a = printAnswers.front();
    printAnswers.pop_front();
    return a;
}

bool ScriptedPlatform::setClipboardImage(const QImage& image) {
    clipboard = QImage();
    if (clipboardFails)
        return false;
    clipboard = image;
    return true;
}

} // namespace rebar
