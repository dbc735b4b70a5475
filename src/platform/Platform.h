#pragma once
// The narrow layer through which the program reaches the desktop: message boxes, file
// choosers, the progress dialog, letting pending events run, the single-instance check and
// the like. The application installs the Qt implementation; tests install a scripted one, so
// no test ever waits on a modal window.

#include "base/Progress.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace rebar {

enum class MsgIcon { None, Information, Warning, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// The one progress dialog of the program (Frm_ProgressBar): a caption, a message line
// (Label1), a bar 0..100 (ProgressBar1) and the percentage text (Label2).
class ProgressDialog {
public:
    virtual ~ProgressDialog() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setMessage(const QString& line) = 0;
    // Sets the bar to percent and the percentage label to percent followed by "%".
    virtual void setPercent(int percent) = 0;
    virtual void show() = 0;
    virtual void close() = 0;
    virtual bool isShown() const = 0;
};

// A modal dialog of the program (the permittivity dialog, ...). The platform runs it: the Qt
// platform shows it and waits for the user; the scripted platform answers it as a user would,
// from its script. What the dialog decided is read from the dialog object afterwards.
class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    // The dialog's form name ("frmDielectric").
    virtual QString dialogName() const = 0;
    // The values the dialog shows when it opens, in the dialog's own order.
    virtual QList<int> dialogValues() const = 0;
    // Shows the dialog and returns when the user has closed it.
    virtual void showModal() = 0;
    // Sets the values (as the user would) and presses button `button` (the dialog's own
    // numbering); -1 closes the dialog without a button.
    virtual void answer(int button, const QList<int>& values) = 0;
    // The texts a dialog shows (a folder, a date), in the dialog's own order, and setting them
    // as the user would type them; called before answer. Dialogs without texts keep these.
    virtual QStringList dialogTexts() const { return {}; }
    virtual void setTexts(const QStringList&) {}
};

struct FileFilter {
    QString description;
    QString patterns; // "*.RDD;*.VXD" style
};

// A picture to print as one page on one printer document.
struct PrintJob {
    enum Layout {
        Fitted,           // as large as the printable area allows, portrait when the picture is
                          // at least as high as wide, else landscape
        SheetA4Landscape, // on an A4 sheet in landscape, scaled to the sheet's full size
    };
    QImage picture;
    Layout layout = Fitted;
    QString title; // the document name the print queue shows
};
enum class PrintOutcome { Printed, Cancelled, Failed };

class Platform {
public:
    virtual ~Platform() = default;

    // Shows a message box; the default answer is what a headless run answers.
    virtual MsgAnswer messageBox(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons = MsgButtons::Ok,
                                 MsgAnswer defaultAnswer = MsgAnswer::Ok) = 0;
    // Open chooser: the chosen full paths in selection order, or nothing when cancelled. It
    // starts in startFolder when one is given.
    virtual std::optional<QStringList> chooseOpenFiles(const QString& title,
                                                       const QList<FileFilter>& filters,
                                                       bool multiple,
                                                       const QString& startFolder = {}) = 0;
    // Save chooser with overwrite prompt and default extension; nothing when cancelled.
    virtual std::optional<QString> chooseSaveFile(const QString& title,
                                                  const QList<FileFilter>& filters,
                                                  const QString& initialPath,
                                                  const QString& defaultSuffix) = 0;
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& start) = 0;
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& initial) = 0;
    virtual ProgressDialog& progress() = 0;
    // Runs a modal dialog of the program (see ModalDialog).
    virtual void runDialog(ModalDialog& dialog) = 0;
    // Lets pending window events run (repaints of the progress dialog and the like).
    virtual void processEvents() = 0;
    // True when another instance of the program is already running; takes the lock otherwise.
    virtual bool anotherInstanceRunning() = 0;
    virtual bool openUrl(const QString& url) = 0;
    virtual QString tempFolder() = 0;
    // Prints a picture after the system's print dialog (a PDF printer included).
    virtual PrintOutcome printPicture(const PrintJob& job) = 0;
    // Clears the clipboard and puts image on it; false when that failed.
    virtual bool setClipboardImage(const QImage& image) = 0;
};

// Opens the platform's progress dialog at 0 % with its caption and message line and lets pending
// events run; the dialog is returned for the run to follow.
ProgressDialog& ShowProgress(Platform& ui, const QString& caption, const QString& message);
// A progress callback that sets the dialog's bar to each percentage and lets pending events run.
ProgressFn ProgressOf(Platform& ui);

// The installed platform; the application and the tests set it before anything else runs.
Platform& platform();
void setPlatform(Platform* p);

} // namespace rebar
