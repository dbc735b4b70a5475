// The main frame: start-up refusals, opening several files, the failure message and the views'
// menu bar.

#include "AppFixture.h"

#include "config/SystemPaths.h"
#include "view/DesktopTexts.h"
#include "view/PictureBoxWidget.h"

#include <QAction>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QTest>

using namespace rebar;
using namespace rebar::test;

using MainFrame = AppFixture;

TEST_F(MainFrame, OpensFilesInOrderAndStopsAtTheFirstFailure) {
    const QString a = rdd("A0001.RDD"), b = rdd("B0002.RDD");
    const QString bad = scratch.write("C0003.RDD", "\"VER\",\"730\"\r\n\"LC\",100\r\n");
    const QString d = rdd("D0004.RDD"), e = rdd("E0005.RDD");
    EXPECT_EQ(frame->OpenFiles({a, b, bad, d, e}), 2);
    const auto views = frame->OpenViews();
    ASSERT_EQ(views.size(), 2);
    EXPECT_EQ(views[0]->record().FilePath, a);
    EXPECT_EQ(views[1]->record().FilePath, b);
    EXPECT_EQ(views[0]->tag(), 1);
    EXPECT_EQ(views[1]->tag(), 2);
    ASSERT_EQ(ui.messages.size(), 1);
    // The message and, on a line of its own, the reason in the current language.
    EXPECT_EQ(ui.messages[0].text, message(21) + "\n" +
                                       FailureLine(ReadResult::failure(FailureKind::Truncated, {}),
                                                   program().settings.Language));
    EXPECT_EQ(ui.messages[0].title, bad);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
    // The failed open leaves its slot empty; the slots after it were never made.
    EXPECT_EQ(frame->Views().size(), 4u);
    EXPECT_TRUE(frame->Views()[3].isNull());
    // Loading showed the progress dialog from 0 % straight to 99 %.
    EXPECT_EQ(ui.m_progress.history.mid(0, 2), (QList<int>{0, 99}));
}

TEST_F(MainFrame, VxdNameMustStartWithCapitalBOrT) {
    const QString lower = scratch.write("b0001.VXD", "\"Ser No.\",\"1\"\r\n\"END\",\"\"\r\n");
    EXPECT_EQ(frame->OpenFiles({lower}), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("  FType001") + message(21) +
                                       "\nA VXD file name must start with B or T.");
}

TEST_F(MainFrame, UnknownExtensionWithoutSignatureFails) {
    const QString txt = scratch.write("notes.TXT", "hello\r\n");
    EXPECT_EQ(frame->OpenFiles({txt}), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    // No stage before detection.
    EXPECT_EQ(ui.messages[0].text,
              message(21) + "\n" +
                  FailureLine(ReadResult::failure(FailureKind::NotMeasurementFile, {}), "JP"));
    EXPECT_TRUE(frame->OpenViews().isEmpty());
}

TEST_F(MainFrame, OpenCommandTakesTheChosenFilesAndIgnoresCancel) {
    ui.openAnswers.push_back(std::nullopt); // cancelled
    frame->OpenCommand();
    EXPECT_TRUE(frame->OpenViews().isEmpty());
    ui.openAnswers.push_back(QStringList{rdd("A.RDD"), rdd("B.RDD")});
    frame->OpenCommand();
    EXPECT_EQ(frame->OpenViews().size(), 2);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(MainFrame, SecondInstanceIsRefusedWithItsMessage) {
    ui.otherInstance = true;
    FrmMDI second;
    EXPECT_FALSE(second.StartUp(true));
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages.last().text, message(5));
    EXPECT_EQ(ui.messages.last().icon, MsgIcon::Warning);
}

TEST_F(MainFrame, ActiveViewOwnsTheMenuBarAndTheFrameCaptionsComeFromTheLanguage) {
    EXPECT_EQ(frame->windowTitle(), program().language.WindowTitle);
    EXPECT_EQ(frame->menuBar()->actions().size(), 3); // File, Settings, Help
    // The menu captions carry their access keys.
    EXPECT_EQ(frame->menuBar()->actions()[0]->text(), WithMnemonic(caption(0), QLatin1Char('F')));
    frame->OpenFiles({rdd("A.RDD")});
    // The thirteen menus of a view and the edit menu after the file menu.
    EXPECT_EQ(frame->menuBar()->actions().size(), 14);
    EXPECT_EQ(frame->menuBar()->actions()[1]->menu()->objectName(), QStringLiteral("Menu1_15"));
    FrmMain* v = view(0);
    EXPECT_EQ(v->menuItem("Menu3", 0)->text(), caption(23));
    EXPECT_FALSE(v->menuItem("Menu3", 5)->isVisible()); // the 730 family has 5 steps a band
    EXPECT_FALSE(v->menuItem("Menu4", 10)->isVisible());
    EXPECT_TRUE(v->menuItem("menu2", 2)->isEnabled());  // RDD can be saved in place
    EXPECT_FALSE(v->menuItem("Menu7", 3)->isVisible()); // language item hidden
}

TEST_F(MainFrame, ChangedLanguageRecaptionsFrameAndViews) {
    frame->OpenFiles({rdd("A.RDD")});
    FrmMain* v = view(0);
    const QString jp = caption(0);
    // Qt's own buttons speak Japanese first ...
    FrmMDI::InstallQtTexts("JP");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    EXPECT_NE(cancel, "Cancel");
    // The initial-settings dialog writes the new language and sets it in memory.
    const QString data = LinkedSystemData(scratch, {"Default.ini"});
    scratch.write("SystemData/Default.ini", "[Language]\r\nLanguage=EN\r\n");
    const QByteArray old = qgetenv("REBAR_SYSTEMDATA");
    qputenv("REBAR_SYSTEMDATA", data.toUtf8());
    program().settings.Language = "EN";
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(frame.get(), &activate);
    qputenv("REBAR_SYSTEMDATA", old);
    EXPECT_NE(caption(0), jp);
    const QString file = WithMnemonic(caption(0), QLatin1Char('F'));
    EXPECT_EQ(frame->findChild<QMenu*>("Menu1_0", Qt::FindDirectChildrenOnly)->title(), file);
    EXPECT_EQ(program().settings.StartLanguage, "EN");
    // ... and English once the language has changed.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    EXPECT_NE(v->topMenus()[0]->title(), file); // until the view is activated
    v->Activated();
    EXPECT_EQ(v->topMenus()[0]->title(), file);
}

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out, err;
};

// Runs the built program headless, with another SystemData folder when one is given.
ProgramRun runProgram(const QStringList& args, const QString& systemDataFolder = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!systemDataFolder.isEmpty())
        env.insert("REBAR_SYSTEMDATA", systemDataFolder);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(binDir() + "/rebarscope", args);
    ProgramRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

// The program itself: settings values it cannot use are named once at start-up, and their
// defaults stand; the files still open.
TEST(Startup, BadSettingsValuesAreNamedOnceAndTheirDefaultsStand) {
    Scratch s;
    // A SystemData folder whose Default.ini is broken, tables linked from the build.
    const QString data = LinkedSystemData(s, {"Default.ini"});
    s.write("SystemData/Default.ini", "[PictureProc]\r\nDirection730=forward\r\n"
                                      "IndicationRange730=99\r\nGradationSystem730=55\r\n");
    const ProgramRun r =
        runProgram({"--screenshot", s.path("out.png"), binDir() + "/Samples/SLAB0001.RDD"}, data);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count("[message]"), 1) << r.err.toStdString();
    for (const char* named :
         {"Direction730=forward", "IndicationRange730=99", "GradationSystem730=55"})
        EXPECT_TRUE(r.err.contains(named)) << named;
    EXPECT_TRUE(QFile::exists(s.path("out.png")));
}

TEST(Startup, MissingTablesEndWithTheTableMessage) {
    Scratch s;
    const QString data = LinkedSystemData(s, {"940"});
    const ProgramRun r = runProgram({"--screenshot", s.path("out.png")}, data);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("ColorTable,STCTable Read Err")) << r.err.toStdString();
}

TEST(Startup, EverySampleReadsThroughRbinfo) {
    const QStringList samples = QDir(binDir() + "/Samples").entryList(QDir::Files);
    QStringList args;
    for (const QString& f : samples)
        args << binDir() + "/Samples/" + f;
    QProcess p;
    p.start(binDir() + "/rbinfo", args);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
    EXPECT_EQ(lines.size(), samples.size());
    // One sample of every kind: text data, RDD, VXD and ZVX of both identifiers.
    QSet<int> kinds;
    for (const QByteArray& line : lines)
        kinds << QJsonDocument::fromJson(line).object().value("FileKind").toInt();
    EXPECT_EQ(kinds, (QSet<int>{6, 7, 8, 9, 10}));
}

TEST(Startup, ScreenshotOfTheSamplesIsWritten) {
    Scratch s;
    const QStringList samples = QDir(binDir() + "/Samples").entryList(QDir::Files);
    ASSERT_FALSE(samples.isEmpty());
    QStringList args{"--screenshot", s.path("out.png")};
    for (const QString& f : samples)
        args << binDir() + "/Samples/" + f;
    const ProgramRun r = runProgram(args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("out.png"));
    EXPECT_FALSE(QImage(s.path("out.png")).isNull());
    // No failure message on the way: every sample opened.
    EXPECT_FALSE(r.err.contains("[message]")) << r.err.toStdString();
}

// The desktop's Close key typed over the radargram closes the active view, also with several
// views open (the view's window had a second owner of the key, and then neither fired).
TEST_F(MainFrame, CloseKeyOverTheRadargramClosesTheActiveView) {
    ASSERT_EQ(frame->OpenFiles({rdd("A0001.RDD"), rdd("B0002.RDD")}), 2);
    frame->activateWindow();
    QApplication::processEvents();
    FrmMain* active = frame->ActiveView();
    ASSERT_NE(active, nullptr);
    QPointer<FrmMain> guard(active);
    active->picb()->setFocus();
    const QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    ASSERT_FALSE(keys.isEmpty());
    const QKeyCombination key = keys.front()[0];
    QTest::keyClick(active->picb(), key.key(), key.keyboardModifiers());
    QApplication::processEvents();
    EXPECT_TRUE(guard.isNull() || !guard->isVisible());
    EXPECT_EQ(frame->OpenViews().size(), 1);
}
