// Notes and comments kept with the file: Japanese text, line breaks and characters the system
// code page cannot hold survive a save and a new open in both families.

#include "view/DocumentFixtures.h"

#include "data/Notes.h"

using namespace rebar;
using namespace rebar::test;

using NotesAndComments = DocumentTest;

TEST_F(NotesAndComments, TheNoteOfAnRddFileSurvivesSaveAndReopen) {
    const QString path = write(QStringLiteral("NOTE.RDD"), scangen::Format::Rdd, scene(120));
    for (const QString& note : {QString::fromUtf8("橋梁A-3 床版下面\r\n二行目: かぶり測定"),
                                QString::fromUtf8("Straße Nord\r\n한국어 \U0001F6A7 ½")}) {
        auto doc = open(path);
        EXPECT_EQ(doc->SetNote(note).updates, ViewUpdates(ViewUpdate::Caption));
        EXPECT_EQ(doc->record().Modified, FlagTrue);
        ASSERT_TRUE(doc->SaveInPlace().ok);
        auto again = open(path);
        EXPECT_EQ(again->record().Note, note);
    }
}

TEST_F(NotesAndComments, TheCommentsOfAZvxFileSurviveSaveAndReopen) {
    const QString path = write(QStringLiteral("CMT.ZVX"), scangen::Format::Zvx, scene(120));
    const std::array<QString, 4> texts = {
        QString::fromUtf8("東日本検査株式会社"), QString::fromUtf8("Süd-Brücke \U0001F6A7"),
        QString::fromUtf8("山田 太郎"), QString::fromUtf8("床版下面 ½")};
    auto doc = open(path);
    doc->SetComment(texts, 4);
    ASSERT_TRUE(doc->SaveInPlace().ok);
    auto again = open(path);
    const Comments c = CommentsOf(again->record());
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(c.texts[i], texts[i]) << i;
    EXPECT_EQ(c.direction, 4);
}
