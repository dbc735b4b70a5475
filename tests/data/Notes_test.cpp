// The free texts of a record: the typing limits of the comment boxes (code-page bytes and the
// header field's width), and the comments written into and read from the ZVX header.

#include "data/Notes.h"

#include <gtest/gtest.h>

using namespace rebar;

namespace {

QString repeated(const char* utf8, int n) {
    return QString::fromUtf8(utf8).repeated(n);
}

} // namespace

TEST(Notes, TypingLimitsCountCodePageBytesAndKeepTheFieldWhole) {
    const CommentField company = CommentFields()[0]; // 40 bytes typed, 63 in the header
    const CommentField worker = CommentFields()[2];  // 20 bytes typed, 33 in the header
    // Twenty double-byte characters fit the company name (40 code-page, 60 UTF-8 bytes).
    EXPECT_TRUE(CommentKeyAccepted(repeated("鉄", 19), 0, company));
    EXPECT_FALSE(CommentKeyAccepted(repeated("鉄", 20), 0, company));
    // A worker name takes ten of them; the eleventh is refused (so twelve cannot be typed).
    EXPECT_TRUE(CommentKeyAccepted(repeated("鉄", 9), 0, worker));
    EXPECT_FALSE(CommentKeyAccepted(repeated("鉄", 10), 0, worker));
    // A selection is replaced by the key.
    EXPECT_TRUE(CommentKeyAccepted(repeated("鉄", 10), 1, worker));
    // Single-byte katakana take one code-page byte but three UTF-8 bytes: the field's width
    // stops them first.
    EXPECT_TRUE(CommentKeyAccepted(repeated("ｶ", 10), 0, worker));
    EXPECT_FALSE(CommentKeyAccepted(repeated("ｶ", 11), 0, worker));
    EXPECT_EQ(FitComment(repeated("ｶ", 40), company), repeated("ｶ", 21));
    EXPECT_EQ(FitComment(QStringLiteral("x").repeated(50), company),
              QStringLiteral("x").repeated(40));
}

TEST(Notes, CommentsAreWrittenAsUtf8CutToTheirFieldsAndReadUpToTheirFirstNul) {
    MeasurementRecord r;
    r.FileKind = KindZvx4;
    r.Zvx.Bytes.fill(0xAB); // whatever was there before
    const std::array<QString, 4> texts = {QString::fromUtf8("東日本検査株式会社"),
                                          QString::fromUtf8("Baustelle Süd \U0001F6A7"),
                                          repeated("ｶ", 15), QString()};
    SetComment(r, texts, 3);
    EXPECT_EQ(r.Modified, FlagTrue);
    EXPECT_EQ(r.Zvx.MeasureDirection(), 3);
    const Comments c = CommentsOf(r);
    EXPECT_EQ(c.texts[0], texts[0]);
    EXPECT_EQ(c.texts[1], texts[1]);
    EXPECT_EQ(c.texts[2], repeated("ｶ", 11)); // 33 bytes hold eleven, never a broken twelfth
    EXPECT_EQ(c.texts[3], QString());
    EXPECT_EQ(c.direction, 3);
    // The rest of every field is zero; the bytes around the fields are untouched.
    EXPECT_EQ(r.Zvx.Bytes[ZvxHeader::OffComment4 + ZvxHeader::LenComment4 - 1], 0);
    EXPECT_EQ(r.Zvx.Bytes[ZvxHeader::OffComment1 - 1], 0xAB);
    // A direction without an option keeps what is stored.
    SetComment(r, texts, -1);
    EXPECT_EQ(r.Zvx.MeasureDirection(), 3);
}
