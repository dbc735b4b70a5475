// rbinfo --render and --markers: the whole radargram of a document and its marker list, written
// without any window, are what the document builds with the settings of SystemData and the
// overrides given.

#include "view/DocumentFixtures.h"

#include <QFile>
#include <QProcess>

using namespace rebar;
using namespace rebar::test;

namespace {

int rbinfo(const QStringList& args, QString* out = nullptr) {
    QProcess p;
    p.start(binDir() + QStringLiteral("/rbinfo"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    return p.exitCode();
}

using RbinfoRender = DocumentTest;

} // namespace

TEST_F(RbinfoRender, WritesTheDocumentsRadargramWithTheSettingsGiven) {
    for (const auto& [name, format] : {std::pair{"WALL.RDD", scangen::Format::Rdd},
                                       std::pair{"B0001.VXD", scangen::Format::VxdB}}) {
        const QString file = write(QString::fromLatin1(name), format, scene(500));
        const QStringList overrides = {
            QStringLiteral("IndicationRange730=3"), QStringLiteral("IndicationRange940=3"),
            QStringLiteral("Direction940=1"), QStringLiteral("GradationSystem730=6")};
        const QString png = scratch.path(QStringLiteral("out.png"));
        QStringList args = {QStringLiteral("--render"), png};
        for (const QString& o : overrides)
            args << QStringLiteral("--setting") << o;
        ASSERT_EQ(rbinfo(args << file), 0) << name;

        QString error;
        ASSERT_TRUE(ReadSettings(settings, settingsFilePath(), nullptr, &error))
            << error.toStdString();
        for (const QString& o : overrides)
            ASSERT_TRUE(ApplySetting(settings, o.section('=', 0, 0), o.section('=', 1), &error))
                << error.toStdString();
        auto doc = open(file);
        const QImage expected = doc->RadargramImage();
        ASSERT_EQ(expected.width(), doc->record().TraceCount / 2) << name; // a wide range
        EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), expected) << name;
    }
}

TEST_F(RbinfoRender, RefusesWhatItCannotRender) {
    const QString png = scratch.path(QStringLiteral("none.png"));
    const QString bad = scratch.write(QStringLiteral("BAD.RDD"), "\"LC\",5\r\n");
    EXPECT_EQ(rbinfo({QStringLiteral("--render"), png, bad}), 1);
    EXPECT_FALSE(QFile::exists(png));
    const QString good = write(QStringLiteral("A.RDD"), scangen::Format::Rdd, scene());
    EXPECT_EQ(rbinfo({QStringLiteral("--render"), png, good, good}), 2); // one file only
    EXPECT_EQ(rbinfo({QStringLiteral("--render"), png, QStringLiteral("--setting"),
                      QStringLiteral("NoSuchKey=1"), good}),
              2);
    EXPECT_FALSE(QFile::exists(png));
}

TEST_F(RbinfoRender, MarkersPrintsTheListAndTheStatisticsAsTheViewShowsThem) {
    const QString file = write(QStringLiteral("DECK.ZVX"), scangen::Format::Zvx, scene());
    const QStringList overrides = {QStringLiteral("Unit940=0"), QStringLiteral("DepthUnit940=mm")};
    QStringList args = {QStringLiteral("--markers"), QStringLiteral("--group"),
                        QStringLiteral("1")};
    for (const QString& o : overrides)
        args << QStringLiteral("--setting") << o;
    QString out;
    ASSERT_EQ(rbinfo(args << file, &out), 0);
    QString error;
    ASSERT_TRUE(ReadSettings(settings, settingsFilePath(), nullptr, &error));
    for (const QString& o : overrides)
        ASSERT_TRUE(ApplySetting(settings, o.section('=', 0, 0), o.section('=', 1), &error))
            << error.toStdString();
    auto doc = open(file);
    doc->MarkerGroupCommand(1);
    const MarkerListContent& list = doc->markerList();
    ASSERT_EQ(list.lines.size(), 1); // the scene's second bar, in group 1
    const QStringList lines = out.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("# ") + file);
    EXPECT_EQ(lines.value(1), list.header);
    EXPECT_EQ(lines.value(2), list.lines[0].text);
    EXPECT_TRUE(lines.value(2).startsWith(QStringLiteral(" 101")));
    EXPECT_TRUE(lines.value(1).contains(QStringLiteral("(mm)"))); // the depth unit
    EXPECT_EQ(lines.value(3), japanese().Captions[109] + QLatin1Char('\t') + QStringLiteral("1"));
    EXPECT_EQ(lines.value(5), japanese().Captions[106] + QLatin1Char('\t') + list.labels[4] +
                                  QLatin1Char('\t') + list.labels[7]);
}
