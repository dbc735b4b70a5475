// Test entry for the window suites: a widget application on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

// The offscreen platform warns about every window-size hint it cannot pass on.
static void quietHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.contains(QLatin1String("propagateSizeHints")))
        return;
    qt_message_output(type, ctx, msg);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
