// Text in the system code page: what cannot be held becomes one "?" per character, and byte
// lengths agree with the encoded text.

#include "base/TextEncoding.h"

#include <gtest/gtest.h>

using namespace rebar;

TEST(TextEncoding, OneQuestionMarkPerCharacterTheCodePageCannotHold) {
    const QString e = QString::fromUtf8("caf\u00e9");        // é: two UTF-8 bytes
    const QString emoji = QString::fromUtf8("a\U0001F600b"); // four UTF-8 bytes, a surrogate pair
    EXPECT_EQ(encodeSystemText(e), "caf?");
    EXPECT_EQ(encodeSystemText(emoji), "a?b");
    EXPECT_EQ(encodeSystemText(QString::fromUtf8("深\u00e9さ")), "\x90\x5b?\x82\xb3");
    for (const QString& t : {e, emoji, QString::fromUtf8("深さ"), QString::fromUtf8("ｱｲ")})
        EXPECT_EQ(ByteLength(t), encodeSystemText(t).size()) << t.toStdString();
    EXPECT_EQ(ByteLength(emoji), 3);
    // The cut never splits a character, whatever its width.
    EXPECT_EQ(CutToByteLength(QString::fromUtf8("ab深"), 3), "ab");
    EXPECT_EQ(CutToByteLength(emoji, 2), QString::fromUtf8("a\U0001F600"));
}

TEST(TextEncoding, Utf8OfTheCommentFieldsCodeUnitByCodeUnit) {
    const QString nihon = QString::fromUtf8("日本");
    EXPECT_EQ(Utf8Encode(nihon, false), QByteArray("\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_EQ(Utf8Encode(nihon, true), QByteArray("\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_TRUE(Utf8Encode(QString(), true).isEmpty());
    // A character beyond 16 bits is written as its two surrogates, three bytes each, and reads
    // back whole; so does the four-byte form other programs write.
    const QString emoji = QString::fromUtf8("a\U0001F600");
    const QByteArray six = Utf8Encode(emoji, false);
    EXPECT_EQ(six.size(), 7);
    EXPECT_EQ(Utf8Length(emoji), 7);
    EXPECT_EQ(Utf8Decode(six, QString()), emoji);
    EXPECT_EQ(Utf8Decode(emoji.toUtf8(), QString()), emoji);
    for (const QString& t : {nihon, QString::fromUtf8("café ｶﾀｶﾅ\r\nx"), emoji})
        EXPECT_EQ(Utf8Decode(Utf8Encode(t, true), QString()), t);
}

TEST(TextEncoding, Utf8DecodeStandsInForEveryByteThatStartsNoSequence) {
    const QByteArray mixed("\x41\xC3\xA9\xFF\x42");
    EXPECT_EQ(Utf8Decode(mixed, QString()), QString::fromUtf8("Aé") + QLatin1Char('B'));
    EXPECT_EQ(Utf8Decode(mixed, QStringLiteral("?")), QString::fromUtf8("Aé?B"));
    EXPECT_EQ(Utf8Decode(QByteArray("\x41\xC3"), QStringLiteral("?")), QStringLiteral("A?"));
    EXPECT_EQ(Utf8Decode(QByteArray("a\0b", 3), QString()),
              QStringLiteral("a") + QChar(0) + QLatin1Char('b'));
    // A cut inside a three-byte character drops its bytes.
    EXPECT_EQ(Utf8Decode(QByteArray("\xE6\x97"), QString()), QString());
}

TEST(TextEncoding, CutToUtf8LengthKeepsCharactersWhole) {
    EXPECT_EQ(CutToUtf8Length(QString::fromUtf8("ab日本"), 4), QStringLiteral("ab"));
    EXPECT_EQ(CutToUtf8Length(QString::fromUtf8("ab日本"), 5), QString::fromUtf8("ab日"));
    EXPECT_EQ(CutToUtf8Length(QString::fromUtf8("a\U0001F600"), 6), QStringLiteral("a"));
}

TEST(TextEncoding, HeaderTextFallsBackToUtf8OnlyForWhatTheCodePageCannotHold) {
    const QString japanese = QString::fromUtf8("床版下面\r\n2行目");
    EXPECT_EQ(encodeHeaderText(japanese), encodeSystemText(japanese));
    const QString other = QString::fromUtf8("Straße 한국 \U0001F600");
    EXPECT_TRUE(encodeHeaderText(other).startsWith("\xEF\xBB\xBF"));
    for (const QString& t : {japanese, other, QString()})
        EXPECT_EQ(decodeHeaderText(encodeHeaderText(t)), t);
}
