// Rebarscope: start-up of the program.
//
//   rebarscope [FILE...]                      opens the files like files dropped on the frame
//   rebarscope --screenshot OUT.png [FILE...] renders the main frame with the files open to a PNG
//                                             and exits (no splash, no instance lock; message
//                                             boxes go to standard error and take their
//                                             default answer)
//   --setting Key=Value                       overrides a settings key for this run (repeatable)

#include "app/FrmMDI.h"
#include "app/StartupOptions.h"
#include "app/frmSplash.h"
#include "config/Program.h"
#include "platform/QtPlatform.h"
#include "view/FrmMain.h"

#include <QAction>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QScreen>
#include <cstdio>

using namespace rebar;

// The offscreen platform of headless runs warns about every window-size hint it cannot pass
// on; those lines say nothing to the user.
static void quietHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.contains(QLatin1String("propagateSizeHints")))
        return;
    qt_message_output(type, ctx, msg);
}

int main(int argc, char** argv) {
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rebarscope"));
    QApplication::setApplicationVersion(QStringLiteral(REBAR_VERSION));

    StartupOptions opts;
    QString error;
    if (!ParseStartupOptions(QApplication::arguments().mid(1), opts, &error)) {
        std::fprintf(stderr, "rebarscope: %s\n%s", error.toUtf8().constData(),
                     StartupUsage().toUtf8().constData());
        return 2;
    }
    if (opts.help) {
        std::fputs(StartupUsage().toUtf8().constData(), stdout);
        return 0;
    }
    const bool headless = !opts.screenshot.isEmpty();

    QtPlatform qtPlatform;
    qtPlatform.setHeadless(headless);
    setPlatform(&qtPlatform);

    // Settings and language tables first; without them nothing can be shown in the user's
    // language, so the failure text is a fixed one.
    if (!ReadSettingsAndLanguage(&error) || !ApplySettingOverrides(opts.settings, &error)) {
        std::fprintf(stderr, "rebarscope: %s\n", error.toUtf8().constData());
        qtPlatform.messageBox(QStringLiteral("FileOpenErr"), QString(), MsgIcon::Warning,
                              MsgButtons::Ok, MsgAnswer::Ok);
        return 1;
    }

    FrmMDI::InstallQtTexts(program().settings.Language);

    FrmMDI frame;
    qtPlatform.setParentWindow(&frame);
    if (!frame.StartUp(!headless))
        return 1;
    frame.show();
    if (!headless) {
        frmSplash splash(&frame);
        splash.exec();
    }
    if (!opts.files.isEmpty())
        frame.OpenFiles(opts.files);
    for (const QString& item : opts.menus) {
        // "Menu14_11": the control array and the item index of the active view's menus.
        FrmMain* view = frame.ActiveView();
        const qsizetype cut = item.lastIndexOf(QLatin1Char('_'));
        QAction* action =
            view && cut > 0 ? view->menuItem(item.left(cut), item.mid(cut + 1).toInt()) : nullptr;
        if (!action) {
            std::fprintf(stderr, "rebarscope: no menu item %s\n", item.toUtf8().constData());
            return 2;
        }
        action->trigger();
    }

    if (headless) {
        // Every view's title stays in sight: cascaded, or tiled on request.
        if (opts.tile)
            frame.TileHorizontally();
        else
            frame.Cascade();
        QApplication::processEvents();
        const QString out = QFileInfo(opts.screenshot).absoluteFilePath();
        if (!frame.grab().save(out, "PNG")) {
            std::fprintf(stderr, "rebarscope: cannot write %s\n", out.toUtf8().constData());
            return 1;
        }
        std::printf("%s\n", QDir::toNativeSeparators(out).toUtf8().constData());
        return 0;
    }
    return app.exec();
}
