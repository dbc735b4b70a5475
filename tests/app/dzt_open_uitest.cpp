// DZT files opened in the main frame: the channel and pitch questions, a cancelled question, a
// refused file, and the save of the imported record beside the file.

#include "AppFixture.h"

#include "scangen/DztWriter.h"

#include <QFileInfo>

using namespace rebar;
using namespace rebar::test;

namespace {

class DztOpen : public AppFixture {
protected:
    QString dzt(const QString& name, const scangen::DztOutput& o) {
        scangen::Scene s;
        s.traces = 240;
        s.pitchMm = 2.5;
        s.er = 6.8;
        s.bars = {{150, 40}, {350, 60}};
        const QString path = scratch.path(name);
        QString error;
        EXPECT_TRUE(scangen::writeDzt(s, o, path, &error)) << error.toStdString();
        return path;
    }
};

} // namespace

TEST_F(DztOpen, SeveralChannelsAskWhichUntilTheAnswerIsOne) {
    scangen::DztOutput o;
    o.channels = 2;
    const QString path = dzt("TWO.DZT", o);
    ui.inputAnswers = {QStringLiteral("3"), QStringLiteral("two"), QStringLiteral(" 2 ")};
    ASSERT_EQ(frame->OpenFiles({path}), 1);
    EXPECT_TRUE(ui.inputAnswers.empty()); // asked three times
    EXPECT_TRUE(ui.messages.isEmpty());
    const MeasurementRecord& r = view(0)->record();
    EXPECT_EQ(r.FileKind, KindRdd);
    EXPECT_EQ(r.FileName, QStringLiteral("TWO_CH2.RDD"));
    EXPECT_TRUE(r.Note.startsWith(QLatin1String("Imported from TWO.DZT, channel 2 of 2")));
    EXPECT_EQ(r.Modified, FlagTrue);
    // The imported data is not saved yet: its title says so.
    EXPECT_EQ(view(0)->windowTitle(), QStringLiteral("TWO_CH2.RDD*"));
}

TEST_F(DztOpen, CancelledQuestionOpensNothingAndSaysNothing) {
    scangen::DztOutput o;
    o.channels = 2;
    ui.inputAnswers = {std::nullopt};
    EXPECT_EQ(frame->OpenFiles({dzt("TWO.DZT", o)}), 0);
    EXPECT_TRUE(frame->OpenViews().isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(ui.m_progress.isShown());
}

TEST_F(DztOpen, LineRecordedByTimeAsksForThePitch) {
    scangen::DztOutput o;
    o.byTime = true;
    ui.inputAnswers = {QStringLiteral("0"), QStringLiteral("1.25")};
    ASSERT_EQ(frame->OpenFiles({dzt("TIMED.DZT", o)}), 1);
    EXPECT_EQ(view(0)->record().TraceCount, 120); // 239 x 1.25 mm onto 2.5 mm
}

TEST_F(DztOpen, RefusedFileShowsTheOpenFailure) {
    QByteArray bytes(2048, '\0');
    bytes[3] = 4;  // data after the header block (1024)
    bytes[4] = 8;  // samples per trace
    bytes[6] = 12; // 12 bits per sample
    bytes[52] = 1; // one channel
    const QString path = scratch.write(QStringLiteral("BAD.DZT"), bytes);
    EXPECT_EQ(frame->OpenFiles({path}), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    // The open failure, and the reader's reason on a line of its own.
    EXPECT_TRUE(ui.messages[0].text.startsWith(message(21) + QLatin1Char('\n')));
    EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String("12 bits per sample")));
    EXPECT_EQ(ui.messages[0].title, path);
}

TEST_F(DztOpen, ClosingSavesTheRecordBesideTheFile) {
    const QString path = dzt("LINE.DZT", {});
    const QByteArray before = readFile(path);
    ASSERT_EQ(frame->OpenFiles({path}), 1);
    ui.answers.push_back(MsgAnswer::Yes); // save the changes?
    EXPECT_TRUE(view(0)->QueryClose());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, message(32));
    const QString rdd = scratch.path(QStringLiteral("LINE.RDD"));
    EXPECT_TRUE(QFileInfo::exists(rdd));
    EXPECT_EQ(view(0)->record().Modified, 0);
    EXPECT_EQ(readFile(path), before);
    // The saved file opens as the scanner's own.
    ASSERT_EQ(frame->OpenFiles({rdd}), 1);
    EXPECT_EQ(view(1)->record().TraceCount, 240);
    EXPECT_EQ(view(1)->record().Modified, 0);
}
